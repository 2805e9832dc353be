// The stored configuration: any texts under the keys start-up reads, loaded, saved and loaded again.
// Input: one line per key, in the order below; a line "~" leaves that key out.
#include "frame/stored_config.h"
#include "link/globals.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"

#include <cstdint>

namespace {

const char* const keys[][2] = {
    {"Comms", "Comms"},         {"GPIB", "RQ58xxK"},   {"Modem", "Modem"},
    {"Modem", "Phone Number"},  {"Serial", "Port"},    {"Serial", "Settings"},
    {"GPIB", "Tolmare Synth addr"}, {"GPIB", "Other synth"}, {"GPIB", "Tolmare Synth"},
    {"Serial", "Port 1 device"}, {"Serial", "Port 2 device"},
};

struct Loaded {
    Globals globals;
    int port = 0;
    QString settings;
    bool operator==(const Loaded& o) const
    {
        const Globals& a = globals;
        const Globals& b = o.globals;
        return a.comms_type == b.comms_type && a.meter_address == b.meter_address &&
               a.modem_in_use == b.modem_in_use && a.phone_number == b.phone_number &&
               a.synth_address == b.synth_address && a.other_synth == b.other_synth &&
               a.maker_synth == b.maker_synth && a.gpib_in_use == b.gpib_in_use &&
               a.serial_in_use == b.serial_in_use && port == o.port && settings == o.settings;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VirtualClock clock;
    RecordingPrompts prompts;
    MemorySettingsStore store;
    FakeSerialPort port;
    install_platform(Platform::of_serial(clock, prompts, &store, port));
    reset_globals();

    const QList<QByteArray> lines = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n');
    for (int i = 0; i < int(std::size(keys)) && i < lines.size(); ++i)
        if (lines[i] != "~")
            store.write(QString::fromLatin1(keys[i][0]), QString::fromLatin1(keys[i][1]), QString::fromUtf8(lines[i]));

    module1::config_stored();
    module1::load_config();
    if (prompts.calls.empty()) {
        // What loads without a word is saved, and loads again to the same values without a word; its
        // phone number dials one number.
        if (!module1::dialable(g().phone_number))
            __builtin_trap();
        const Loaded first{g(), port.port(), port.settings()};
        module1::save_config();
        reset_globals();
        module1::load_config();
        const Loaded second{g(), port.port(), port.settings()};
        if (!prompts.calls.empty() || !(first == second))
            __builtin_trap();
    } else {
        module1::save_config();
    }
    install_platform(Platform{});
    return 0;
}
