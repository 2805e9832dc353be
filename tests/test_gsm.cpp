// The GSM slot window on the simulated bench and its TDMA frame: set-up and leaving on the wire, slot
// averages against closed-form values, every way a run ends, the menus, the configuration window, the
// data file and the printed page.
#include "app/modes.h"
#include "frame/page_setup.h"
#include "frame/sorvdemo.h"
#include "gsm/frm_gsm.h"
#include "gsm/frm_gsm_config.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/meter_gsm.h"
#include "sim/meter_profile.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/caption_log.h"
#include "support/test_bench.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

BenchDescription with_frame()
{
    BenchDescription d;
    d.tdma_frame = true;
    return d;
}

// The program's sends and device clears, as "kind text".
QStringList traffic(TestBench& tb)
{
    QStringList out;
    for (const WireLog::Entry& e : tb.log().entries())
        if (e.kind == "send" || e.kind == "devclear" || e.kind == "ifc")
            out << QStringLiteral("%1 %2").arg(e.kind, QString::fromLatin1(e.bytes)).trimmed();
    return out;
}

// The window on its own, loaded, with the load's traffic cleared.
frmGSM* open_window(TestBench& tb) { return open_loaded<frmGSM>(tb); }

// Runs until `passes` traces have been asked for.
void run_passes(TestBench& tb, frmGSM* w, int passes)
{
    tb.clock.on_yield = [&tb, w, passes] {
        if (trace_requests(tb) >= passes)
            w->menuStop_Click();
    };
    w->menuRun_Click();
    tb.clock.on_yield = nullptr;
}

QStringList label_texts(const frmGSM* w)
{
    QStringList out;
    for (const QLabel* l : w->lblslotavg)
        out << l->text();
    return out;
}

std::vector<float> values(const gsm::SlotAverages& a)
{
    std::vector<float> out;
    for (const auto& v : a)
        out.push_back(v.value_or(999.0f));
    return out;
}

// Fills the configuration window when it shows, presses OK and, when it is still open, Cancel.
void answer_config(const QStringList& texts, std::function<void()> after_ok = {})
{
    QTimer::singleShot(0, [texts, after_ok] {
        auto* d = qobject_cast<frmGSMconfig*>(QApplication::activeModalWidget());
        QVERIFY(d);
        QLineEdit* boxes[] = {d->txtSlots, d->txtWidth, d->txtEin, d->txtEout};
        for (int i = 0; i < 4; ++i)
            boxes[i]->setText(texts[i]);
        d->cmdOK->click();
        if (after_ok)
            after_ok();
        if (d->isVisible())
            d->cmdCancel->click();
    });
}

const QString comms_error = "Communications Error with Power Meter\r\nStopping test.";
const QString wrong_block = "Something wrong with profile data.\r\nStopping test";

}  // namespace

class GsmTest : public QObject {
    Q_OBJECT
private slots:

    void bench_frame_points_triggers_and_averaging();
    void set_up_and_leaving_on_the_wire();
    void default_frame_averages();
    void changed_configuration_averages();
    void configuration_window_refuses_and_cancels();
    void run_endings_data();
    void run_endings();
    void exit_close_box_and_main_window_during_a_run();
    void menus_during_a_run_and_settings_commands();
    void slot_under_the_mouse();
    void data_file_and_printed_page();
};

void GsmTest::bench_frame_points_triggers_and_averaging()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    SimMeter& m = tb.meter();
    const auto trace = [&]() -> std::optional<std::array<qint32, 200>> {
        m.receive_message("OGBD");
        tb.clock.advance_ms(50);
        if (!m.reply_pending())
            return std::nullopt;
        const QByteArray block = m.take_reply();
        const TraceValues v = decode_trace_values(block, block.size());
        return v.values;
    };
    m.receive_message("OPMD PROFILE;GTSRC EXTTTL;GRPRD 4.6ms");
    tb.clock.advance_ms(1.5);  // mid-frame: the capture waits for the next frame start
    auto t = trace();
    QVERIFY(t);
    const auto db = [](double v) { return qint32(std::lround(v * 1024)); };
    // Slot 0 at -5 dBm rises over 80 us from -60: points 0..3 at 0, 23, 46, 69 us; falls over its last
    // 40 us: point 24 at 552 us is 17 us down it. Slot 3 at -20 dBm the same way.
    const qint32 expected_slot0[25] = {db(-60),     db(-60 + 55 * 0.2875), db(-60 + 55 * 0.575), db(-60 + 55 * 0.8625),
                                       db(-5),      db(-5), db(-5), db(-5), db(-5), db(-5), db(-5), db(-5), db(-5),
                                       db(-5),      db(-5), db(-5), db(-5), db(-5), db(-5), db(-5), db(-5), db(-5),
                                       db(-5),      db(-5), db(-5 - 55 * 0.425)};
    for (int k = 0; k < 25; ++k)
        QCOMPARE((*t)[std::size_t(k)], expected_slot0[k]);
    QCOMPARE((*t)[25], db(-60));
    QCOMPARE((*t)[78], db(-60 + 40 * 0.8625));
    QCOMPARE((*t)[79], db(-20));
    QCOMPARE((*t)[99], db(-20 - 40 * 0.425));
    QCOMPARE((*t)[199], db(-60));

    // Other levels, and input B 10 dB lower.
    sim_gsm::frame(m).slot_dbm = {0, -10};
    m.receive_message("CHCFG 1, B");
    t = trace();
    QCOMPARE((*t)[10], db(-10));
    QCOMPARE((*t)[35], db(-20));
    QCOMPARE((*t)[60], db(-60));  // never below the floor
    m.receive_message("CHCFG 1, A");

    // Averaging: a moving average of fresh captures, started afresh by GRSWR.
    sim_gsm::frame(m).slot_dbm = {-5};
    sim_gsm::frame(m).noise_db = 1.0;
    const auto spread = [](const std::array<qint32, 200>& v) {
        double s = 0;
        for (int k = 4; k < 24; ++k)  // the flat part of slot 0
            s += std::abs(v[std::size_t(k)] / 1024.0 + 5);
        return s / 20;
    };
    const double single = spread(*trace());
    m.receive_message("GRSWS ON;GRSWP A, 64");
    for (int i = 0; i < 63; ++i)
        trace();
    const double averaged = spread(*trace());
    QVERIFY2(averaged < single / 4, qPrintable(QString("%1 %2").arg(averaged).arg(single)));
    m.receive_message("GRSWR");
    QVERIFY(spread(*trace()) > averaged * 2);

    // No frame on the trigger input: no trigger, no reply. The generator's pulse sync takes the input.
    sim_gsm::frame(m).connected = false;
    QVERIFY(!trace());
    sim_gsm::frame(m).connected = true;
    m.numbers[sim_profile::kNoiseDb] = 0;
    tb.generator().receive_message("IP;RF1;L1 -10 DM");
    m.receive_message("GRSWS OFF");
    t = trace();
    QVERIFY(t);
    QCOMPARE((*t)[2], db(-11));  // the generator's pulse top, as the profile bench gives it
}

void GsmTest::set_up_and_leaving_on_the_wire()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    g().instruments_ok = true;
    sorvdemo main(all_modes());
    main.show();
    main.enter_mode(Mode::Gsm);
    QPointer<frmGSM> w = qobject_cast<frmGSM*>(main.open_mode_window());
    QVERIFY(w);
    // No please-wait window, no device clear, no status check: three sends and nothing until Run.
    QCOMPARE(traffic(tb), QStringList({"send OPMD PROFILE", "send GRAVG OFF", "send GTDLY 0; GTGW 5.5ms; GTSRC EXTTTL"}));
    QCOMPARE(tb.meter().errors(), QStringList());
    QCOMPARE(tb.meter().value("GTSRC"), QString("EXTTTL"));
    QCOMPARE(w->windowTitle(), QString("GSM Slot Tester"));
    QVERIFY(main.menuGSMdemo->isChecked());
    QVERIFY(!main.menuConfBar->isEnabled() && !main.menuModeBar->isEnabled());
    QCOMPARE(label_texts(w), QStringList(8, "0.00dBm"));
    QCOMPARE(w->frame, gsm::FrameDescription{});
    QVERIFY(tb.prompts.calls.empty());
    tb.clear_log();
    w->menuExit_Click();
    settle_events();
    QVERIFY(!w);
    QCOMPARE(traffic(tb), QStringList({"send *RST;DISP ON;opmd digit"}));
    QVERIFY(tb.clock.now_us() - tb.log().entries().back().t_us >= 2'000'000);
    QVERIFY(main.menuConfBar->isEnabled() && main.menuModeBar->isEnabled());
    QVERIFY(!main.menuGSMdemo->isChecked());
    QVERIFY(tb.prompts.calls.empty());
}

void GsmTest::default_frame_averages()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    QPointer<frmGSM> w = open_window(tb);
    run_passes(tb, w, 3);
    QCOMPARE(tb.meter_sent(), QStringList({"GRPRD 4.6ms", "OGBD", "OGBD", "OGBD"}));
    // The default exclusions see only the flat part of each slot.
    QCOMPARE(values(w->slot_average), std::vector<float>({-5, -60, -60, -20, -60, -60, -60, -60}));
    QCOMPARE(label_texts(w), QStringList({"-5.0dBm", "-60.0dBm", "-60.0dBm", "-20.0dBm", "-60.0dBm", "-60.0dBm",
                                          "-60.0dBm", "-60.0dBm"}));
    QVERIFY(tb.prompts.calls.empty());
    // The bars as drawn: slot 3 from -50 up to -20 dBm.
    const auto& ops = w->Slot_graph->canvas().ops();
    QCOMPARE(int(ops.size()), 16);
    QCOMPARE(ops[6].y2, -20.0);
    QCOMPARE(ops[6].x1, 3.0);
    w->menuExit_Click();
    settle_events();
    QVERIFY(!w);
}

void GsmTest::changed_configuration_averages()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    QPointer<frmGSM> w = open_window(tb);
    // Four slots of 1150 us over the bench's eight of 575: the same 4.6 ms frame, each slot of the split
    // two of the bench's. W = 50, S = E = 5: points 6 + 50i to 45 + 50i.
    answer_config({"4", "1150", "10", "10"});
    w->menuconfig_Click();
    QCOMPARE(w->frame, (gsm::FrameDescription{4, 1150.0f, 10, 10}));
    QCOMPARE(label_texts(w), QStringList(4, "0.00dBm"));
    run_passes(tb, w, 2);
    QCOMPARE(tb.meter_sent().first(), QString("GRPRD 4.6ms"));
    // Slot 1: bench slot 0 points 6..23 at -5, point 24 on the fall (-5 - 55 x 17/40), bench slot 1
    // points 0..20 at -60. Slot 2: bench slot 2 at -60 (19 points), then bench slot 3: -60 and the rise
    // at 23, 46 and 69 of 80 us, and 17 points at -20.
    const float slot1 = float((18 * -5.0 + (-5 - 55 * 0.425) + 21 * -60.0) / 40);
    const float slot2 = float((20 * -60.0 + (-60 + 40 * 0.2875) + (-60 + 40 * 0.575) + (-60 + 40 * 0.8625) +
                               17 * -20.0) / 40);
    QCOMPARE(values(w->slot_average), std::vector<float>({slot1, slot2, -60, -60}));
    QCOMPARE(label_texts(w), QStringList({"-34.46dBm", "-41.28dBm", "-60.0dBm", "-60.0dBm"}));

    // Three slots of 575 us: a 1.725 ms capture from each frame start, 8.625 us a point.
    tb.clear_log();
    answer_config({"3", "575", "20", "10"});
    w->menuconfig_Click();
    run_passes(tb, w, 1);
    QCOMPARE(tb.meter_sent().first(), QString("GRPRD 1.725ms"));
    // Slot 1 averages points 14..60 (47): bench slot 0 from 120.75 us to 517.5 us, all flat at -5; slot
    // 2 points 81..127: 698.6 us to 1095.4 us, bench slot 1 at -60; slot 3 points 147..193: 1267.9 us
    // to 1664.6 us: bench slot 2 at -60 up to 1150 us, then slot 3 rising from 1725 us... never reached.
    QCOMPARE(values(w->slot_average), std::vector<float>({-5, -60, -60}));
    w->menuExit_Click();
    settle_events();
}

void GsmTest::configuration_window_refuses_and_cancels()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    QPointer<frmGSM> w = open_window(tb);
    // The window shows the frame as it stands; unchanged OK keeps it.
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<frmGSMconfig*>(QApplication::activeModalWidget());
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QString("TDMA Configuration"));
        QCOMPARE(QStringList({d->txtSlots->text(), d->txtWidth->text(), d->txtEin->text(), d->txtEout->text()}),
                 QStringList({"8", "575", "20", "10"}));
        d->cmdOK->click();
    });
    w->menuconfig_Click();
    QCOMPARE(w->frame, gsm::FrameDescription{});
    // A refused entry: a box, the dialog stays open, nothing changes; then Cancel.
    bool still_open = false;
    answer_config({"8", "575", "60", "40"}, [&] {
        still_open = QApplication::activeModalWidget() != nullptr;
    });
    w->menuconfig_Click();
    QVERIFY(still_open);
    QCOMPARE(tb.prompts.boxes(), QStringList({"These settings leave no trace point in a slot.\r\n"
                                              "Please use fewer slots or smaller exclusions."}));
    QCOMPARE(tb.prompts.calls[0].title, QString("TDMA Configuration"));
    QCOMPARE(w->frame, gsm::FrameDescription{});
    QVERIFY(tb.meter_sent().isEmpty());
    w->menuExit_Click();
    settle_events();
}

void GsmTest::run_endings_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("short_block");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("gpib time-out") << int(TestBench::Link::Gpib) << false << -1
                                   << QStringList{"Timed out (EABO) on Reading back Graph data", comms_error}
                                   << QStringList{"GPIB Comms error", "Comms Error"};
    QTest::newRow("serial time-out") << int(TestBench::Link::Serial) << false << -1 << QStringList{wrong_block}
                                     << QStringList{"Comms Error"};
    QTest::newRow("short block") << int(TestBench::Link::Gpib) << true << 810 << QStringList{wrong_block}
                                 << QStringList{"Comms Error"};
    QTest::newRow("short block on serial") << int(TestBench::Link::Serial) << true << 700 << QStringList{wrong_block}
                                           << QStringList{"Comms Error"};
}

void GsmTest::run_endings()
{
    QFETCH(int, link);
    QFETCH(bool, connected);
    QFETCH(int, short_block);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, titles);
    TestBench tb(TestBench::Link(link), with_frame());
    sim_gsm::frame(tb.meter()).connected = connected;
    QPointer<frmGSM> w = open_window(tb);
    tb.meter().short_block_bytes = short_block;
    w->menuRun_Click();
    // One request, the boxes, and the run over with the menus back.
    QCOMPARE(trace_requests(tb), 1);
    QCOMPARE(tb.prompts.boxes(), boxes);
    QStringList shown_titles;
    for (const auto& c : tb.prompts.calls)
        shown_titles << c.title;
    QCOMPARE(shown_titles, titles);
    QVERIFY(!w->run_in_progress());
    QVERIFY(w->menuRun->isEnabled() && w->menuconfig->isEnabled() && w->menuReset->isEnabled());
    QVERIFY(w->menuFileBar->menuAction()->isEnabled() && !w->menuStop->isEnabled());
    // Nothing of the failed block reached the slots.
    QCOMPARE(label_texts(w), QStringList(8, "0.00dBm"));
    w->menuExit_Click();
    settle_events();
    QVERIFY(!w);
}

void GsmTest::exit_close_box_and_main_window_during_a_run()
{
    for (int way = 0; way < 3; ++way) {
        TestBench tb(TestBench::Link::Gpib, with_frame());
        g().instruments_ok = true;
        QPointer<sorvdemo> main = new sorvdemo(all_modes());
        main->show();
        main->enter_mode(Mode::Gsm);
        QPointer<frmGSM> w = qobject_cast<frmGSM*>(main->open_mode_window());
        QVERIFY(w);
        tb.clear_log();
        tb.clock.on_yield = [&] {
            if (!w || trace_requests(tb) != 2 || w->gsm_exit_pending)
                return;
            if (way == 0)
                w->menuExit_Click();
            else if (way == 1)
                w->close();
            else
                main->close();
        };
        w->menuRun_Click();
        tb.clock.on_yield = nullptr;
        // The pass in hand is finished; the window is still there until the loop has returned.
        QVERIFY(w);
        QCOMPARE(trace_requests(tb), 2);
        QCOMPARE(w->lblslotavg[0]->text(), QString("-5.0dBm"));
        settle_events();
        QVERIFY(!w);
        QCOMPARE(tb.meter_sent().last(), QString("*RST;DISP ON;opmd digit"));
        QVERIFY(tb.prompts.calls.empty());
        QCOMPARE(main->closed(), way == 2);
        delete main.data();
    }
}

void GsmTest::menus_during_a_run_and_settings_commands()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    QPointer<frmGSM> w = open_window(tb);
    QVERIFY(!w->cmdResetAvg->isEnabled() && w->menuAvg[0]->isChecked());
    // During a run: the file menu, Run, Configure and the comms reset are out, Stop is in; the averaging
    // menu and the button act between traces.
    bool checked = false;
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 1 && !checked) {
            checked = true;
            QVERIFY(!w->menuFileBar->menuAction()->isEnabled());
            QVERIFY(!w->menuRun->isEnabled() && !w->menuconfig->isEnabled() && !w->menuReset->isEnabled());
            QVERIFY(w->menuStop->isEnabled());
            w->menuAvg[4]->trigger();
            w->cmdResetAvg->click();
        }
        if (trace_requests(tb) >= 3)
            w->menuStop->trigger();
    };
    w->menuRun->trigger();
    tb.clock.on_yield = nullptr;
    QVERIFY(checked);
    QCOMPARE(tb.meter_sent(), QStringList({"GRPRD 4.6ms", "OGBD", "GRSWS ON", "GRSWP A, 8", "GRSWR", "OGBD", "OGBD"}));
    for (int n = 0; n < 10; ++n)
        QCOMPARE(w->menuAvg[std::size_t(n)]->isChecked(), n == 4);
    QVERIFY(w->cmdResetAvg->isEnabled());
    tb.clear_log();
    w->menuAvg[0]->trigger();
    QVERIFY(!w->cmdResetAvg->isEnabled());
    w->menuDisplay->trigger();
    w->menuDisplay->trigger();
    QVERIFY(w->menuDisplay->isChecked());
    CaptionLog captions(w);
    w->menuReset->trigger();
    QCOMPARE(traffic(tb), QStringList({"send GRSWS OFF", "send DISP OFF", "send DISP ON", "devclear"}));
    QCOMPARE(captions.captions,
             QStringList({"GSM Slot Tester Please wait.... Clearing Power Meter", "GSM Slot Tester"}));
    QVERIFY(tb.clock.now_us() - tb.log().entries().back().t_us >= 2'000'000);
    QVERIFY(tb.prompts.calls.empty());
    w->menuExit_Click();
    settle_events();
}

void GsmTest::slot_under_the_mouse()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    QPointer<frmGSM> w = open_window(tb);
    run_passes(tb, w, 1);
    w->Slot_graph_MouseMove(3.5);
    QCOMPARE(w->mouse_slot, std::optional<int>(4));
    QVERIFY(w->mouselabel->isVisible());
    QCOMPARE(w->mouselabel->text(), QString("Slot 4: -20.0dBm"));
    // The next trace relabels it.
    sim_gsm::frame(tb.meter()).slot_dbm = {-5, -60, -60, -7.5};
    run_passes(tb, w, 2);
    QCOMPARE(w->mouselabel->text(), QString("Slot 4: -7.5dBm"));
    // Outside the slots: none, and hidden; over the frame: hidden.
    w->Slot_graph_MouseMove(8.2);
    QVERIFY(!w->mouse_slot && !w->mouselabel->isVisible());
    w->Slot_graph_MouseMove(0.1);
    QVERIFY(w->mouselabel->isVisible());
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w->Frame1, &move);
    QVERIFY(!w->mouselabel->isVisible());
    // Fewer slots than the one under the mouse: none.
    w->Slot_graph_MouseMove(7.5);
    answer_config({"2", "575", "20", "10"});
    w->menuconfig_Click();
    QVERIFY(!w->mouse_slot);
    w->menuExit_Click();
    settle_events();
}

void GsmTest::data_file_and_printed_page()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    QTemporaryDir dir;
    QPointer<frmGSM> w = open_window(tb);
    run_passes(tb, w, 1);
    const auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("(none)");
    };
    const QString path = dir.filePath("slots.TXT");

    // 8 slots offer "GSM signal"; the name gets ".TXT". Date and numbers as the desktop writes them.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString date = QLocale().toString(QDate(2026, 1, 15), QLocale::ShortFormat);
    tb.prompts.file_names = {dir.filePath("slots")};
    w->menuSave->trigger();
    QLocale::setDefault(before);
    QCOMPARE(tb.prompts.calls[0].kind, QString("save_as"));
    QCOMPARE(tb.prompts.calls[0].title, QString("Save TDMA Slot Data"));
    QCOMPARE(tb.prompts.calls[1].kind, QString("input"));
    QCOMPARE(tb.prompts.calls[1].text, QString("Enter comment for this data.\r\nPress cancel for no comment"));
    QCOMPARE(read(path), "TDMA Slot Data\r\n" + date + "\r\n\r\nGSM signal\r\n\r\nSlots: \t8\r\n"
                         "Slot Width: \t575\tus\r\nExclude into slot: \t115\tus\r\n"
                         "Exclude just before end of slot: \t57,5\tus\r\n\r\nSlot\tAverage Power (dBm)\r\n"
                         "1\t-5\r\n2\t-60\r\n3\t-60\r\n4\t-20\r\n5\t-60\r\n6\t-60\r\n7\t-60\r\n8\t-60\r\n");

    // The same name again: asked first; No keeps the file, Yes replaces it. Other slot counts offer no
    // comment, and Cancel in the comment box gives none.
    answer_config({"2", "575", "20", "10"});
    w->menuconfig_Click();
    tb.prompts.clear();
    tb.prompts.file_names = {dir.filePath("slots"), dir.filePath("slots")};
    tb.prompts.answers = {Prompts::Answer::No, Prompts::Answer::Yes};
    tb.prompts.inputs = {""};
    w->menuSave->trigger();
    QVERIFY(read(path).contains("GSM signal"));
    w->menuSave->trigger();
    QCOMPARE(tb.prompts.boxes(), QStringList({"slots.TXT already exists.\r\nDo you want to replace it?",
                                              "slots.TXT already exists.\r\nDo you want to replace it?"}));
    QVERIFY(read(path).startsWith("TDMA Slot Data\r\n" + QLocale().toString(QDate(2026, 1, 15), QLocale::ShortFormat) +
                                  "\r\n\r\n\r\n\r\nSlots: \t2\r\n"));
    QVERIFY(read(path).endsWith("Slot\tAverage Power (dBm)\r\n1\t0\r\n2\t0\r\n"));

    // A folder that does not exist: the "Error: " box under the program's name before any comment is
    // asked for, nothing written.
    tb.prompts.clear();
    tb.prompts.file_names = {dir.filePath("missing/slots.TXT")};
    w->menuSave->trigger();
    QCOMPARE(tb.prompts.calls.size(), std::size_t(2));
    QCOMPARE(tb.prompts.boxes().size(), 1);
    QVERIFY(tb.prompts.boxes()[0].startsWith("Error: "));
    QCOMPARE(tb.prompts.calls.back().title, QString("Pelmora"));
    QVERIFY(!QFile::exists(dir.filePath("missing/slots.TXT")));

    // The page of the default frame, on a machine without a printer: a PDF file.
    answer_config({"8", "575", "20", "10"});
    w->menuconfig_Click();
    tb.clear_log();
    run_passes(tb, w, 1);
    tb.prompts.clear();
    w->page_setup().has_printer = [] { return false; };
    tb.prompts.file_names = {dir.filePath("page")};
    w->menuPrint->trigger();
    QFile pdf(dir.filePath("page.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF"));
    QCOMPARE(tb.prompts.boxes(), QStringList());
    if (const QString keep = qEnvironmentVariable("PELMORA_TEST_OUTPUT"); !keep.isEmpty()) {
        QFile::remove(keep + "/gsm_page.pdf");
        QFile::copy(dir.filePath("page.pdf"), keep + "/gsm_page.pdf");
    }
    // A PDF file that cannot be written: the error box, the window as it was.
    tb.prompts.clear();
    tb.prompts.file_names = {dir.filePath("missing/page.pdf")};
    w->menuPrintSetup->trigger();
    w->menuPrint->trigger();
    QCOMPARE(tb.prompts.boxes().size(), 1);
    QVERIFY(tb.prompts.boxes()[0].startsWith("Error: "));
    QVERIFY(w->menuRun->isEnabled());
    w->menuExit_Click();
    settle_events();
}

QTEST_MAIN(GsmTest)
#include "test_gsm.moc"
