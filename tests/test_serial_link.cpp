// The link's serial route against the simulated serial meter, on a virtual clock: the reader's framing
// and time limits, routing by address, the serial poll, the service-request wait and the
// completion-checked set-up.

#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "sim/sim_meter.h"
#include "sim/sim_serial_meter.h"
#include "sim/wire_log.h"
#include "support/rig_test.h"
#include "support/serial_line.h"

#include <QtTest>

namespace {

constexpr int meter_address = 13;
constexpr int generator_address = 5;

// The program's side (port, clock, boxes) and the meter's side (meter, serial front end, wire log).
struct Rig : SimSerialLine {
    RecordingPrompts prompts;
    FakeSerialPort port{&line};

    Rig()
    {
        install_serial_link(clock, prompts, nullptr, port, meter_address);
        meter.on(QStringLiteral("TESTQ?"), [](SimMeter& m, const SimMeter::Command& c) {
            m.reply(c.arg_text.toLatin1());
        });
        meter.on(QStringLiteral("TESTSET"), [](SimMeter&, const SimMeter::Command&) {});
    }
    ~Rig() { install_platform(Platform{}); }

    qint64 elapsed_us(qint64 since) const { return clock.now_us() - since; }
    // Serial entries other than the replies, as "kind text".
    QStringList exchanges() const
    {
        QStringList out;
        for (const WireLog::Entry& e : log.entries())
            if (e.channel == QLatin1String("serial") && e.kind != QLatin1String("receive"))
                out << e.kind + QLatin1Char(' ') + QString::fromLatin1(e.bytes);
        return out;
    }
};

// The 811-byte trace block: 10-byte header, 200 little-endian values, one final byte. The values are
// chosen so that the data hold line feeds, carriage returns, "R", blanks and "#".
QByteArray trace_block()
{
    QByteArray block("OGBD #3800");
    const qint32 values[] = {0x0A0D5220, 0x230A0A0A, -10240, 0x0D0D0D0A, 0x52505223};
    for (int i = 0; i < 200; ++i) {
        const quint32 v = quint32(values[i % 5]) + quint32(i / 5) * 0x01000000u;
        for (int b = 0; b < 4; ++b)
            block.append(char((v >> (8 * b)) & 0xFF));
    }
    block.append('\n');
    return block;
}

}  // namespace

class TestSerialLink : public RigTest<Rig> {
    Q_OBJECT

private slots:
    void reply_prefix_is_removed()
    {
        // A reply that itself begins with the prefix letters survives the removal.
        const QList<QByteArray> replies{"CDMA", "RCDMA", "PEAK", "1"};
        for (const QByteArray& text : replies) {
            vbib32::Send(0, meter_address, "TESTQ? " + text);
            QByteArray buffer = vbib32::fixed_buffer(20);
            vbib32::Receive(0, meter_address, buffer);
            QCOMPARE(buffer, (text + '\n').leftJustified(20, ' '));
            QCOMPARE(int(g().ibcnt), text.size() + 1);
            QCOMPARE(g().ibcntl, text.size() + 1);
        }
        QCOMPARE(rig->log.entries().at(1).bytes, QByteArray("RCDMA\n"));
        QCOMPARE(rig->port.written, QByteArray("TESTQ? CDMA\r\nTESTQ? RCDMA\r\nTESTQ? PEAK\r\nTESTQ? 1\r\n"));
    }

    void unprefixed_and_one_character_replies()
    {
        QByteArray buffer = vbib32::fixed_buffer(10);
        rig->line.inject("1\n");
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray("1\n        "));
        QCOMPARE(int(g().ibcnt), 2);

        rig->line.inject("R\n");
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray("\n         "));
        QCOMPARE(int(g().ibcnt), 1);

        rig->line.inject("\n");
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray(10, ' '));
        QCOMPARE(int(g().ibcnt), 0);
    }

    void block_reply_reads_to_its_length()
    {
        const QByteArray block = trace_block();
        QCOMPARE(block.size(), 811);
        rig->meter.on(QStringLiteral("TESTBLK?"), [block](SimMeter& m, const SimMeter::Command&) {
            m.reply_raw(block);
        });
        vbib32::Send(0, meter_address, "TESTBLK?");
        const qint64 start = rig->clock.now_us();
        QByteArray buffer = vbib32::fixed_buffer(1000);
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer.left(811), block);
        QCOMPARE(buffer.mid(811), QByteArray(189, ' '));
        QCOMPARE(int(g().ibcnt), 811);
        // 812 bytes at 960 a second came in as they arrived: the line feeds inside did not end the read.
        QVERIFY(rig->elapsed_us(start) >= 845'000);
        QVERIFY(rig->elapsed_us(start) < 900'000);
    }

    void short_and_garbled_blocks()
    {
        const QByteArray block = trace_block();
        rig->meter.on(QStringLiteral("TESTBLK?"), [block](SimMeter& m, const SimMeter::Command&) {
            m.reply_raw(block);
        });

        // Cut short: the reader gives up 20 s after the first byte, with nothing.
        rig->line.drop_after(500);
        vbib32::Send(0, meter_address, "TESTBLK?");
        qint64 start = rig->clock.now_us();
        QByteArray buffer = vbib32::fixed_buffer(1000);
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray(1000, ' '));
        QCOMPARE(int(g().ibcnt), 0);
        QVERIFY(rig->elapsed_us(start) > 20'000'000);
        QVERIFY(rig->elapsed_us(start) < 21'000'000);

        // Garbled: read whole, header intact, data not.
        rig->line.garble_next = true;
        vbib32::Send(0, meter_address, "TESTBLK?");
        buffer = vbib32::fixed_buffer(1000);
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(int(g().ibcnt), 811);
        QCOMPARE(buffer.left(10), block.left(10));
        QVERIFY(buffer.mid(10, 800) != block.mid(10, 800));
    }

    void no_byte_within_ten_seconds()
    {
        rig->line.silent = true;
        g().ibcnt = 99;
        g().ibcntl = 99;
        vbib32::Send(0, meter_address, "TESTQ? X");
        const qint64 start = rig->clock.now_us();
        QByteArray buffer("previous text       ");
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray("previous text       "));
        QCOMPARE(int(g().ibcnt), 0);
        QCOMPARE(g().ibcntl, 0);
        QVERIFY(rig->elapsed_us(start) >= 10'000'000);
        QVERIFY(rig->elapsed_us(start) < 10'010'000);
    }

    void line_that_never_ends()
    {
        rig->line.inject("RPARTIAL");
        const qint64 start = rig->clock.now_us();
        QByteArray buffer("previous text       ");
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray(20, ' '));
        QCOMPARE(int(g().ibcnt), 0);
        QVERIFY(rig->elapsed_us(start) > 20'000'000);
        QVERIFY(rig->elapsed_us(start) < 20'100'000);
    }

    void other_addresses_carry_nothing()
    {
        vbib32::Send(0, generator_address, "OI");
        vbib32::DevClear(0, generator_address);
        int status = 77;
        vbib32::ReadStatusByte(0, generator_address, status);
        QByteArray buffer("unchanged");
        vbib32::Receive(0, generator_address, buffer);
        QCOMPARE(status, 77);
        QCOMPARE(buffer, QByteArray("unchanged"));
        QVERIFY(rig->port.written.isEmpty());
        QVERIFY(rig->log.entries().empty());
    }

    void device_clear_drops_the_reply_in_progress()
    {
        rig->meter.query_latency_ms = 200;
        vbib32::Send(0, meter_address, "TESTQ? LATE");
        vbib32::DevClear(0, meter_address);
        QByteArray buffer("unchanged");
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer, QByteArray("unchanged"));
        QCOMPARE(rig->port.written, QByteArray("TESTQ? LATE\r\n!DCL\r\n"));
        QCOMPARE(rig->exchanges(), QStringList({"send TESTQ? LATE", "devclear "}));
    }

    void serial_poll()
    {
        // Never answered: status byte 0.
        rig->line.silent = true;
        int status = -1;
        vbib32::ReadStatusByte(0, meter_address, status);
        QCOMPARE(status, 0);
        rig->line.silent = false;

        // Operation complete raises the event summary bit and a request; the poll clears the request.
        vbib32::Send(0, meter_address, "*CLS;*ESE 1;*SRE 32;*OPC");
        int srq = 0;
        vbib32::wait_srq(0, srq);
        QCOMPARE(srq, 1);
        vbib32::ReadStatusByte(0, meter_address, status);
        QCOMPARE(status, 32 | 64);
        vbib32::ReadStatusByte(0, meter_address, status);
        QCOMPARE(status, 32);

        // A later poll that gets no answer keeps the previous byte.
        rig->line.silent = true;
        status = -1;
        vbib32::ReadStatusByte(0, meter_address, status);
        QCOMPARE(status, 32);
        QCOMPARE(rig->port.written.count("!SPL\r\n"), 4);
    }

    void status_byte_with_the_prefix_letter()
    {
        // A status byte of 80 is the code of "P": the poll reply "PP" LF must give it back. The bytes
        // are still on the line when the poll discards the input, so they arrive after it.
        rig->line.silent = true;
        rig->line.inject("PP\n");
        int status = -1;
        vbib32::ReadStatusByte(0, meter_address, status);
        QCOMPARE(status, 80);
        QCOMPARE(g().serial_poll_reply, QByteArray("P\n"));
    }

    void wait_srq_lines()
    {
        int result = -1;
        rig->line.inject("SRQ\r\n");
        vbib32::wait_srq(0, result);
        QCOMPARE(result, 1);

        rig->line.inject("0\n");
        vbib32::wait_srq(0, result);
        QCOMPARE(result, 0);

        const qint64 start = rig->clock.now_us();
        result = -1;
        vbib32::wait_srq(0, result);
        QCOMPARE(result, 0);
        QVERIFY(rig->elapsed_us(start) >= 10'000'000);
        QVERIFY(rig->elapsed_us(start) < 10'010'000);
    }

    void message_available_raises_no_request_line()
    {
        vbib32::Send(0, meter_address, "*CLS;*ESE 0;*SRE 16");
        vbib32::Send(0, meter_address, "TESTQ? HELLO");
        QByteArray buffer = vbib32::fixed_buffer(20);
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer.left(6), QByteArray("HELLO\n"));
        int result = -1;
        vbib32::wait_srq(0, result);
        QCOMPARE(result, 0);
        QVERIFY(!rig->exchanges().contains(QStringLiteral("srq ")));
    }

    void configure_with_opc_over_serial()
    {
        QVERIFY(gpibgen::configure_with_opc(QStringLiteral("TESTSET 1"), 13, 0, meter_address));
        QVERIFY(rig->prompts.calls.empty());
        QCOMPARE(rig->port.written, QByteArray("*CLS;*ESE 0;*SRE 0\r\n"
                                               "*CLS;*ESE 49;*SRE 48;TESTSET 1;*OPC\r\n"
                                               "!SPL\r\n"
                                               "*ESR?               \r\n"
                                               "*CLS;*ESE 0;*SRE 0\r\n"));
        QCOMPARE(rig->exchanges(), QStringList({"send *CLS;*ESE 0;*SRE 0",
                                                "send *CLS;*ESE 49;*SRE 48;TESTSET 1;*OPC",
                                                "srq ",
                                                QStringLiteral("poll ") + QChar(32 | 64),
                                                "send *ESR?               ",
                                                "send *CLS;*ESE 0;*SRE 0"}));
    }

    void configure_with_opc_without_request()
    {
        rig->line.silent = true;
        const qint64 start = rig->clock.now_us();
        QVERIFY(!gpibgen::configure_with_opc(QStringLiteral("TESTSET 1"), 13, 0, meter_address));
        QVERIFY(rig->elapsed_us(start) >= 10'000'000);
        QCOMPARE(rig->prompts.boxes(), QStringList({"Could not setup device"}));
        QCOMPARE(rig->port.written, QByteArray("*CLS;*ESE 0;*SRE 0\r\n"
                                               "*CLS;*ESE 49;*SRE 48;TESTSET 1;*OPC\r\n"
                                               "*CLS;*ESE 0;*SRE 0\r\n"));
    }

    void immediate_commands_need_no_line_end()
    {
        rig->meter.query_latency_ms = 50;
        rig->port.write("TESTQ? GONE\r\n");
        rig->port.write("!BYE");
        QCOMPARE(rig->line.sessions_ended(), 1);
        rig->clock.advance_ms(500);
        QCOMPARE(rig->port.in_count(), 0);
        QCOMPARE(rig->exchanges(), QStringList({"send TESTQ? GONE", "bye "}));
        // The line after it starts clean.
        vbib32::Send(0, meter_address, "TESTQ? NEXT");
        QByteArray buffer = vbib32::fixed_buffer(10);
        vbib32::Receive(0, meter_address, buffer);
        QCOMPARE(buffer.left(5), QByteArray("NEXT\n"));
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_serial_link.moc"
