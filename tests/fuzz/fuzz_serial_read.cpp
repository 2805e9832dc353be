// The link's serial reads (a reply, a serial poll, a service-request wait) through the fake port on
// the virtual clock, fed whatever a device might send, whenever it might send it.
// Input: the first byte picks the order of the three reads; then chunks of [delay in 0.1 s steps]
// [length] [bytes]; a chunk reaches the port that long after the one before it.
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"

#include <cstdint>
#include <deque>

namespace {

class ScriptedDevice : public SerialEndpoint {
public:
    explicit ScriptedDevice(Clock& clock) : clock_(clock) {}
    void receive_from_host(const QByteArray&) override {}
    int available() override
    {
        int n = 0;
        for (const Chunk& c : chunks_) {
            if (c.at_us > clock_.now_us())
                break;
            n += int(c.bytes.size());
        }
        return n;
    }
    QByteArray take_available() override
    {
        QByteArray out;
        while (!chunks_.empty() && chunks_.front().at_us <= clock_.now_us()) {
            out += chunks_.front().bytes;
            chunks_.pop_front();
        }
        return out;
    }
    // Nothing more is coming once the script is done: the port may wait out its time at once.
    qint64 next_arrival_us() const override
    {
        return chunks_.empty() ? clock_.now_us() + 3'600'000'000LL : chunks_.front().at_us;
    }
    // Bytes that come at the same time are one chunk, and no chunk is empty: a chunk that has come is
    // always taken, so the next one is always ahead.
    void add(qint64 at_us, const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            return;
        if (!chunks_.empty() && chunks_.back().at_us == at_us)
            chunks_.back().bytes += bytes;
        else
            chunks_.push_back({at_us, bytes});
    }

private:
    struct Chunk {
        qint64 at_us;
        QByteArray bytes;
    };
    Clock& clock_;
    std::deque<Chunk> chunks_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    VirtualClock clock;
    clock.process_events = false;
    RecordingPrompts prompts;
    ScriptedDevice device(clock);
    FakeSerialPort port(&device);
    install_platform(Platform::of_serial(clock, prompts, nullptr, port));
    reset_globals();
    g().serial_in_use = true;
    g().comms_type = 1;
    g().meter_address = 13;
    port.open(nullptr, nullptr);

    const int order = data[0];
    qint64 at = 0;
    size_t i = 1;
    while (i + 2 <= size) {
        at += qint64(data[i]) * 100'000;
        const size_t n = std::min<size_t>(data[i + 1], size - i - 2);
        device.add(at, QByteArray(reinterpret_cast<const char*>(data + i + 2), qsizetype(n)));
        i += 2 + n;
    }

    for (int step = 0; step < 3; ++step) {
        switch ((order + step) % 3) {
        case 0: {
            QByteArray buffer = vbib32::fixed_buffer(1600);
            vbib32::Receive(0, 13, buffer);
            if (buffer.size() != 1600 || g().ibcnt < 0 || g().ibcntl > 4096 || g().ibcnt != g().ibcntl)
                __builtin_trap();
            break;
        }
        case 1: {
            int status = -1;
            vbib32::ReadStatusByte(0, 13, status);
            if (status < 0 || status > 255)
                __builtin_trap();
            break;
        }
        default: {
            int srq = -1;
            vbib32::wait_srq(0, srq);
            if (srq != 0 && srq != 1)
                __builtin_trap();
            break;
        }
        }
        if (port.most_held > SerialPort::kInputBufferBytes)
            __builtin_trap();
    }
    install_platform(Platform{});
    return 0;
}
