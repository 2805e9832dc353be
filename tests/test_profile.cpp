// The profile window on the simulated bench: its set-up and teardown on the wire, the run loop with
// every way a run ends, the settings it sends, its entry boxes and the graph it draws.
#include "app/modes.h"
#include "frame/about_window.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "sim/meter_profile.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/profile_window.h"
#include "support/test_bench.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

namespace {

qint64 time_of(TestBench& tb, const QString& text)
{
    for (const WireLog::Entry& e : tb.log().entries())
        if (e.kind == "send" && QString::fromLatin1(e.bytes) == text)
            return e.t_us;
    return -1;
}

// Opens the window on its own (no main window), loaded, with the load's traffic and boxes cleared.
graphtests* open_window(TestBench& tb) { return open_profile_window(tb); }

const QString ending_text = "The Demo has stopped running because there was an error with the GPIB system.";

}  // namespace

class ProfileTest : public QObject {
    Q_OBJECT
private slots:

    // Set-up and teardown.
    void load_with_generator_in_cdma_reading_mode();
    void load_on_the_serial_link();
    void load_without_generator();
    void load_on_a_model_without_reading_modes();
    void closing_resets_the_meter_and_hands_the_menus_back();
    void close_during_the_load_waits_for_it();

    // The run loop.
    void run_once_makes_three_requests();
    void run_once_with_wrong_sized_blocks_makes_three_requests_silently();
    void continuous_run_stopped_at_pass_n();
    void continuous_run_without_generator_sends_seven_settings();
    void continuous_run_after_a_cut_short_run_once();
    void time_out_ending();
    void gpib_time_out_ending();
    void gpib_error_on_the_request();
    void generator_failure_during_the_set_up();
    void missing_sensor_ends_before_anything_is_sent();
    void exit_during_the_set_up();
    void exit_during_a_pass();
    void close_box_during_a_pass();
    void main_window_closing_during_a_run();
    void rates_and_tracker_after_a_run();

    // Settings and entry boxes.
    void setting_handlers_send_their_commands();
    void ms_boxes_and_trigger_level();
    void generator_level_box_and_bar();
    void entry_boxes_send_only_what_the_instruments_take_data();
    void entry_boxes_send_only_what_the_instruments_take();
    void generator_obeys_and_the_trace_shows_it();
    void axis_boxes();
    void automatic_scale();
    void automatic_scale_with_failed_reads_changes_nothing();

    // The graph.
    void graph_drawing();
};

// ---- set-up and teardown --------------------------------------------------------------------------------

void ProfileTest::load_with_generator_in_cdma_reading_mode()
{
    TestBench tb(TestBench::Link::Gpib);
    tb.meter().reading_mode = "CDMA";
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    QCOMPARE(wire_traffic(tb), QStringList({
                              "ifc -1",
                              "devclear 13",
                              "devclear 5",
                              "send 5 RF1",
                              "send 13 *IDN?",
                              "send 13 SENTYP A",
                              "send 13 SENTYP B",
                              "send 13 RDMODE?",
                              "send 13 RDMODE STAND",
                              "send 13 *CLS;*ESE 0;*SRE 0",
                              "send 13 *CLS;*ESE 49;*SRE 48;*RST;DISP ON;OPMD PROFILE;GTDLY 5ms;GTGW 1.7ms;"
                              "GRPRD 10ms; GRDATA OFF;*OPC",
                              "send 13 *ESR?",
                              "send 13 *CLS;*ESE 0;*SRE 0",
                              "send 13 GTSRC CONT",
                              "send 13 CHCFG 1, A",
                              "send 13 RGH A, 0",
                              "send 13 GRSWS OFF",
                              "send 13 GRSWS OFF",
                              "send 5 AMW1",
                              "send 13 GTDLY  .005ms",
                              "send 13 GTGW  .0017ms",
                          }));
    // The pauses: 500 ms after the clears, 12 s for the reading mode to change.
    QVERIFY(time_of(tb, "RF1") - tb.log().entries()[2].t_us >= 500'000);
    QVERIFY(time_of(tb, "*CLS;*ESE 0;*SRE 0") - time_of(tb, "RDMODE STAND") >= 12'000'000);
    QVERIFY(tb.prompts.calls.empty());
    QCOMPARE(tb.meter().operating_mode(), QString("PROFILE"));
    QCOMPARE(tb.meter().reading_mode, QString("STAND"));
    QVERIFY(w->SSTab1->isTabEnabled(3));
    QCOMPARE(w->sample_delay_data->text(), QString("0.0050"));
    QCOMPARE(w->gate_width_data->text(), QString("0.0017"));
    QCOMPARE(w->top_y_axis->text(), QString("20.00"));
    QCOMPARE(w->bottom_y_axis->text(), QString("-50.00"));
    QCOMPARE(w->right_x_axis->text(), QString("10.00"));
    QCOMPARE(w->x_lh_label->text(), QString("0.00"));
    QVERIFY(w->menuRunOnce->isEnabled() && w->menuRunCont->isEnabled() && !w->menuStop->isEnabled());
    QVERIFY(w->run_stopped);
    // The please-wait notice is gone as soon as the window is ready.
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<PleaseWait*>(top) || !top->isVisible());
    close_window(w);
}

void ProfileTest::load_on_the_serial_link()
{
    TestBench tb(TestBench::Link::Serial);
    tb.meter().numbers[sim_profile::kFloorNoiseDb] = 0;
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    QCOMPARE(wire_traffic(tb).first(), QString("devclear 13"));
    const QStringList sent = tb.meter_sent();
    QVERIFY(sent.contains("*CLS;*ESE 49;*SRE 48;*RST; OPMD PROFILE;GTDLY 5ms;GTGW 1.7ms;GRPRD 10ms; GRDATA OFF;*OPC"));
    const QStringList tail = sent.mid(sent.indexOf("GTSRC CONT"));
    QCOMPARE(tail, QStringList({"GTSRC CONT", "CHCFG 1, A", "RGH A, 0", "GRSWS OFF", "GRSWS OFF", "GTDLY  .005ms",
                                "GTGW  .0017ms"}));
    QVERIFY(!sent.contains("RDMODE STAND"));
    QCOMPARE(tb.meter().operating_mode(), QString("PROFILE"));
    QVERIFY(tb.prompts.calls.empty());
    // A run on the serial link decodes the same blocks.
    w->menuRunOnce_Click();
    QCOMPARE(trace_requests(tb), 3);
    QVERIFY(w->trace_valid);
    // No generator on the serial link: the sensor's floor.
    QCOMPARE(w->graph_trace[100], float(-60 * 1024));
    close_window(w);
    QCOMPARE(tb.meter_sent().last(), QString("*RST;DISP ON;opmd digit"));
}

void ProfileTest::load_without_generator()
{
    TestBench tb(TestBench::Link::Gpib, without_generator());
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    const QStringList t = wire_traffic(tb);
    QCOMPARE(t.mid(0, 3), QStringList({"ifc -1", "devclear 13", "send 13 *IDN?"}));
    QCOMPARE(t.filter(" 5 ").size(), 0);
    QVERIFY(!t.contains("send 13 RDMODE STAND"));
    QVERIFY(t.contains("send 13 RDMODE?"));
    QCOMPARE(t.mid(t.size() - 7), QStringList({"send 13 GTSRC CONT", "send 13 CHCFG 1, A", "send 13 RGH A, 0",
                                               "send 13 GRSWS OFF", "send 13 GRSWS OFF", "send 13 GTDLY  .005ms",
                                               "send 13 GTGW  .0017ms"}));
    QVERIFY(!w->SSTab1->isTabEnabled(3));
    QCOMPARE(w->AM_mod_combo->currentIndex(), -1);
    close_window(w);
}

void ProfileTest::load_on_a_model_without_reading_modes()
{
    BenchDescription d;
    d.model = "RQ5812K";
    TestBench tb(TestBench::Link::Gpib, d);
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    QVERIFY(!tb.meter_sent().contains("RDMODE?"));
    QCOMPARE(tb.meter().operating_mode(), QString("PROFILE"));
    close_window(w);
}

void ProfileTest::closing_resets_the_meter_and_hands_the_menus_back()
{
    TestBench tb(TestBench::Link::Gpib);
    g().instruments_ok = true;
    sorvdemo main(all_modes());
    main.show();
    main.enter_mode(Mode::Profile);
    QPointer<graphtests> w = qobject_cast<graphtests*>(main.open_mode_window());
    QVERIFY(w);
    QVERIFY(main.menuProfile->isChecked());
    QVERIFY(!main.menuConfBar->isEnabled() && !main.menuModeBar->isEnabled());
    tb.clear_log();
    w->close();
    settle_events();
    QVERIFY(!w);
    QCOMPARE(tb.meter_sent(), QStringList({"*RST;DISP ON;opmd digit"}));
    QCOMPARE(tb.meter().operating_mode(), QString("DIGIT"));
    QVERIFY(main.menuConfBar->isEnabled() && main.menuModeBar->isEnabled());
    QVERIFY(!main.menuProfile->isChecked());
    // The pause after the leaving commands.
    QVERIFY(tb.clock.now_us() - tb.log().entries().back().t_us >= 2'000'000);
}

void ProfileTest::close_during_the_load_waits_for_it()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = new graphtests;
    w->show();
    bool closed_once = false;
    tb.clock.on_yield = [&] {
        if (!closed_once && w) {
            closed_once = true;
            w->close();
        }
    };
    w->load();
    tb.clock.on_yield = nullptr;
    // The whole set-up went out before the window went away.
    QVERIFY(w);
    QVERIFY(tb.meter_sent().contains("GTGW  .0017ms"));
    settle_events();
    QVERIFY(!w);
    QCOMPARE(tb.meter_sent().last(), QString("*RST;DISP ON;opmd digit"));
}

// ---- the run loop ---------------------------------------------------------------------------------------

void ProfileTest::run_once_makes_three_requests()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    bool stop_enabled = true;
    tb.clock.on_yield = [&] { stop_enabled = stop_enabled && w->menuStop->isEnabled(); };
    w->menuRunOnce_Click();
    tb.clock.on_yield = nullptr;
    // No settings are resent for a run once: the sensor check, the display, three requests.
    QCOMPARE(tb.meter_sent(), QStringList({"SENTYP A", "DISP ON", "OGBD", "OGBD", "OGBD"}));
    QVERIFY(!stop_enabled);
    QVERIFY(w->trace_valid);
    QVERIFY(!w->run_once);
    QVERIFY(w->run_stopped);
    QVERIFY(!g().test_running);
    QVERIFY(w->menuRunOnce->isEnabled() && w->menuRunCont->isEnabled() && !w->menuStop->isEnabled());
    QVERIFY(tb.prompts.calls.empty());
    close_window(w);
}

void ProfileTest::run_once_with_wrong_sized_blocks_makes_three_requests_silently()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    int yields = 0;
    tb.clock.on_yield = [&] {
        ++yields;
        tb.meter().short_block_bytes = 500;
    };
    w->menuRunOnce_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(trace_requests(tb), 3);
    QVERIFY(!w->trace_valid);
    QVERIFY(tb.prompts.calls.empty());
    QVERIFY(!w->run_once);
    // The set-up yield and one at the end of every pass, good block or not.
    QCOMPARE(yields, 4);
    close_window(w);
}

void ProfileTest::continuous_run_stopped_at_pass_n()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    const QString caption = w->windowTitle();
    QStringList captions;
    tb.generator().on("AMW1", [&](SimGenerator&, const SimGenerator::Setting&) { captions << w->windowTitle(); });
    bool stop_enabled = false;
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 0)
            captions << w->windowTitle();
        stop_enabled = stop_enabled || w->menuStop->isEnabled();
        if (trace_requests(tb) == 5)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(captions, QStringList({caption + " - Setting up...", "Please wait...Setting up equipement"}));
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(stop_enabled);
    const QStringList sent = [&] {
        QStringList out;
        for (const WireLog::Entry& e : tb.log().entries())
            if (e.kind == "send")
                out << QStringLiteral("%1 %2").arg(e.address).arg(QString::fromLatin1(e.bytes));
        return out;
    }();
    QCOMPARE(sent.mid(0, 16), QStringList({
                                  "13 SENTYP A",
                                  "13 DISP ON",
                                  "13 GRPRD  .01                    ",
                                  "13 DTRGD  0ms",
                                  "13 GTGW  .0017ms",
                                  "13 GTTYP RISE; GTXTTL RISE",
                                  "5 AMW1",
                                  "5 ADP1 10.0 PCT",
                                  "5 AM0",
                                  "5 AMR 10.0 KH",
                                  "5 PW 0.10 MS",
                                  "5 PER 1.0 MS",
                                  "5 RF1; L1 0.0 DM",
                                  "13 GTDLY  .005ms",
                                  "13 GTSRC CONT",
                                  "13 TRGLVL 1,-15",
                              }));
    QCOMPARE(sent.mid(16), QStringList(5, "13 OGBD"));
    QVERIFY(w->menuRunCont->isEnabled() && w->menuRunOnce->isEnabled() && !w->menuStop->isEnabled());
    close_window(w);
}

void ProfileTest::continuous_run_without_generator_sends_seven_settings()
{
    TestBench tb(TestBench::Link::Gpib, without_generator());
    QPointer<graphtests> w = open_window(tb);
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 2)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    const QStringList sent = tb.meter_sent();
    QCOMPARE(sent.size(), 2 + 7 + 2);
    QCOMPARE(sent.mid(2, 7), QStringList({"GRPRD  .01                    ", "DTRGD  0ms", "GTGW  .0017ms",
                                          "GTTYP RISE; GTXTTL RISE", "GTDLY  .005ms", "GTSRC CONT", "TRGLVL 1,-15"}));
    QVERIFY(tb.generator_sent().isEmpty());
    close_window(w);
}

void ProfileTest::continuous_run_after_a_cut_short_run_once()
{
    // A run once ended by a time-out must not leave the next continuous run a three-pass burst without
    // its settings.
    TestBench tb(TestBench::Link::Serial);
    QPointer<graphtests> w = open_window(tb);
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();  // external trigger, no pulses: no reply
    w->menuRunOnce_Click();
    QCOMPARE(trace_requests(tb), 1);
    QVERIFY(!w->run_once);
    w->TrigSource->setCurrentIndex(0);
    tb.clear_log();
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 4)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(trace_requests(tb), 4);
    QVERIFY(tb.meter_sent().contains("GTSRC CONT"));
    close_window(w);
}

void ProfileTest::time_out_ending()
{
    TestBench tb(TestBench::Link::Serial);
    QPointer<graphtests> w = open_window(tb);
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();
    tb.prompts.clear();
    w->menuRunCont_Click();
    QCOMPARE(trace_requests(tb), 1);
    QCOMPARE(tb.prompts.calls.size(), std::size_t(1));
    const auto& box = tb.prompts.calls[0];
    QCOMPARE(box.title, QString("Time Out: No data received"));
    QCOMPARE(box.text, QString("Data Collection is stopped.\r\nPlease check your trigger config is correct.\r\n"
                               "OR communication system is still connected."));
    QVERIFY(box.buttons == Prompts::Buttons::Ok);
    QVERIFY(w->run_stopped && !g().test_running);
    QVERIFY(w->menuRunCont->isEnabled());
    QVERIFY(w);
    close_window(w);
}

void ProfileTest::gpib_time_out_ending()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    w->TrigSource->setCurrentIndex(1);
    w->menuRunCont_Click();  // external trigger, no pulses: the read times out
    QCOMPARE(trace_requests(tb), 1);
    QCOMPARE(tb.prompts.boxes(), QStringList({"Timed out (EABO) on Reading back Graph data", ending_text}));
    QCOMPARE(tb.prompts.calls[0].title, QString("GPIB Comms error"));
    QCOMPARE(tb.prompts.calls[1].title, QString("Pelmora"));
    QVERIFY(w->run_stopped && !g().test_running && w->Auto_Setup->isEnabled());
    close_window(w);
}

void ProfileTest::gpib_error_on_the_request()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 2)
            tb.bench.bus().fail_next("send", GpibDriver::ENOL);
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(trace_requests(tb), 2);
    QCOMPARE(tb.prompts.boxes(), QStringList({"No listeners error (ENOL) on Asking for Graph data", ending_text}));
    // The window stays open and can run again.
    QVERIFY(w && w->run_stopped && w->menuRunOnce->isEnabled());
    tb.clear_log();
    w->menuRunOnce_Click();
    QCOMPARE(trace_requests(tb), 3);
    close_window(w);
}

void ProfileTest::generator_failure_during_the_set_up()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    const QString caption = w->windowTitle();
    tb.bench.bus().no_listener(5);
    w->menuRunCont_Click();
    tb.bench.bus().no_listener(5, false);
    // The first generator setting fails: nothing after it goes out, no trace is asked for.
    QCOMPARE(tb.meter_sent().last(), QString("GTTYP RISE; GTXTTL RISE"));
    QCOMPARE(trace_requests(tb), 0);
    QCOMPARE(tb.prompts.boxes(),
             QStringList({"No listeners error (ENOL) on Update Sweeper Power Output", ending_text}));
    QCOMPARE(tb.prompts.calls[1].title, QString("Pelmora"));
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(w->run_stopped && !g().test_running && w->Auto_Setup->isEnabled());
    QVERIFY(w->menuRunCont->isEnabled() && w->menuRunOnce->isEnabled() && !w->menuStop->isEnabled());
    close_window(w);
}

void ProfileTest::missing_sensor_ends_before_anything_is_sent()
{
    BenchDescription d;
    d.sensor_b_fitted = false;
    TestBench tb(TestBench::Link::Gpib, d);
    QPointer<graphtests> w = open_window(tb);
    w->Chan_Config_combo->setCurrentIndex(1);
    w->menuRunCont_Click();
    QCOMPARE(tb.meter_sent(), QStringList({"SENTYP B"}));
    QCOMPARE(tb.prompts.boxes(), QStringList({"Trying to Measure B\r\nPlease connect a sensor to input B."}));
    QCOMPARE(tb.prompts.calls[0].title, QString("Pelmora"));
    QVERIFY(w->run_stopped && w->menuRunCont->isEnabled() && w->Auto_Setup->isEnabled());
    // A-B needs only input A.
    tb.clear_log();
    tb.prompts.clear();
    w->Chan_Config_combo->setCurrentIndex(2);
    w->Chan_Config_combo_Click();
    w->menuRunOnce_Click();
    QCOMPARE(trace_requests(tb), 3);
    QVERIFY(tb.prompts.calls.empty());
    close_window(w);
}

void ProfileTest::exit_during_the_set_up()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    tb.clock.on_yield = [&] {
        if (w && w->windowTitle().endsWith(" - Setting up..."))
            w->menuExit_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QVERIFY(w);
    QCOMPARE(trace_requests(tb), 0);
    QVERIFY(!w->menuRunCont->isEnabled() && !w->menuRunOnce->isEnabled());
    QVERIFY(!w->windowTitle().contains("Setting up"));
    settle_events();
    QVERIFY(!w);
    QCOMPARE(tb.meter_sent().last(), QString("*RST;DISP ON;opmd digit"));
    QVERIFY(!g().test_running);
}

void ProfileTest::exit_during_a_pass()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    tb.clock.on_yield = [&] {
        if (w && trace_requests(tb) == 2)
            w->menuExit_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QVERIFY(w);
    QCOMPARE(trace_requests(tb), 2);
    settle_events();
    QVERIFY(!w);
    QCOMPARE(tb.meter_sent().last(), QString("*RST;DISP ON;opmd digit"));
    QVERIFY(tb.prompts.calls.empty());
}

void ProfileTest::close_box_during_a_pass()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    tb.clock.on_yield = [&] {
        if (w && trace_requests(tb) == 3)
            w->close();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(trace_requests(tb), 3);
    settle_events();
    QVERIFY(!w);
}

void ProfileTest::main_window_closing_during_a_run()
{
    TestBench tb(TestBench::Link::Gpib);
    g().instruments_ok = true;
    QPointer<sorvdemo> main = new sorvdemo(all_modes());
    main->show();
    main->enter_mode(Mode::Profile);
    QPointer<graphtests> w = qobject_cast<graphtests*>(main->open_mode_window());
    QVERIFY(w);
    tb.clear_log();
    tb.clock.on_yield = [&] {
        if (main && !main->closed() && trace_requests(tb) == 2)
            main->close();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(trace_requests(tb), 2);
    QVERIFY(w);
    QVERIFY(!main->closed());
    settle_events();
    QVERIFY(!w);
    QVERIFY(main->closed());
    QVERIFY(tb.meter_sent().contains("*RST;DISP ON;opmd digit"));
    delete main.data();
}

void ProfileTest::rates_and_tracker_after_a_run()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    w->Track_min_max_check->setChecked(true);
    w->menuRunOnce_Click();
    // A pass: a 10 ms capture, 1 ms of processing and the block on the bus; some 85 graphs a second.
    const double gps = w->Graphs_Per_Second->text().toDouble();
    QVERIFY2(gps > 80 && gps < 90, qPrintable(w->Graphs_Per_Second->text()));
    QCOMPARE(w->Readings_per_second->text(), QString::number(qRound(gps * 200)));
    QVERIFY(w->min_max_label->isVisibleTo(w));
    QCOMPARE(w->min_max_label->text(), QString("Min: -1.000dBm       Max: -1.000dBm"));
    w->Track_min_max_check->setChecked(false);
    w->menuRunOnce_Click();
    QVERIFY(!w->min_max_label->isVisibleTo(w));
    close_window(w);
}

// ---- settings and entry boxes ---------------------------------------------------------------------------

void ProfileTest::setting_handlers_send_their_commands()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    w->TrigSource->setCurrentIndex(2);
    w->TrigSource_Click();
    w->InternalType_Click(1);
    w->Chan_Config_combo->setCurrentIndex(3);
    w->Chan_Config_combo_Click();
    w->range_hold_combo->setCurrentIndex(2);
    w->range_hold_combo_Click();
    w->Averaging_combo->setCurrentIndex(1);
    w->Averaging_combo_Click();
    w->RFCal_check->setChecked(true);
    w->RFCal_check_Click();
    w->Display_Check_Click();
    w->Display_Check_Click();
    QCOMPARE(tb.meter_sent(),
             QStringList({"GTSRC INTA", "GTTYP FALL; GTXTTL FALL", "CHCFG 1, B-A", "RGH A, 2", "GRSWS ON",
                          "Avg A, MOV, 128", "GRSWP A, 128", "GRSWS ON", "Avg B, MOV, 128", "GRSWP B, 128", "RFCAL ON",
                          "DISP OFF", "DISP ON"}));
    QVERIFY(tb.meter().display_on);
    w->AM_mod_combo->setCurrentIndex(4);
    w->AM_mod_combo_Click();
    w->AM_mod_check->setChecked(true);
    w->AM_mod_check_Click();
    w->Mod_Depth->setText("30");
    w->Mod_Depth_KeyPress(13);
    w->Mod_Rate->setText("2.5");
    w->Mod_Rate_KeyPress(13);
    w->Mod_Rate_KeyPress('x');  // only Enter acts
    QCOMPARE(tb.generator_sent(), QStringList({"AMW5", "AM7", "ADP1 30 PCT", "AMR 2.5 KH"}));
    // Zeroing with the generator's RF off around it.
    tb.clear_log();
    w->Zero_but_Click();
    QCOMPARE(tb.generator_sent(), QStringList({"RF0", "RF1"}));
    QCOMPARE(tb.meter_sent().first(), QString("ZERO A; *OPC?"));
    QCOMPARE(tb.meter().zero_offset_db("A"), 0.0);
    close_window(w);
}

void ProfileTest::ms_boxes_and_trigger_level()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    w->gate_width_data->setText("1");
    w->gate_width_data_KeyPress(13);
    QCOMPARE(w->gate_width_data->text(), QString("1.0000"));
    for (const char* refused : {"1.0001", "-0.1"}) {
        w->gate_width_data->setText(refused);
        w->gate_width_data_KeyPress(13);
        QCOMPARE(w->gate_width_data->text(), QString(refused));
    }
    w->sample_delay_data->setText("0.25");
    w->sample_delay_data_KeyPress(13);
    w->DDP->setText("0.5");
    w->DDP_KeyPress(13);
    w->DDP->setText("2");
    w->DDP_KeyPress(13);
    QCOMPARE(w->DDP->text(), QString("2"));
    w->Level->setText("-50");
    w->Level_KeyPress(13);
    w->Level->setText("-50.1");
    w->Level_KeyPress(13);
    QCOMPARE(tb.meter_sent(),
             QStringList({"GTGW  1ms", "GTDLY  .25ms", "DTRGD  .5ms", "TRGLVL 1,-50"}));
    QCOMPARE(tb.prompts.beeps(), 1);
    QCOMPARE(w->trigger_level, -50.0f);
    QCOMPARE(w->gate_width_ms, 1.0f);
    close_window(w);
}

void ProfileTest::generator_level_box_and_bar()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    // Typing sends the level whenever the bar moves.
    w->Pwr_Setting->clear();
    QTest::keyClicks(w->Pwr_Setting, "-10");
    QCOMPARE(w->Pwr_Scroll->value(), 7000);
    QCOMPARE(tb.generator_sent(), QStringList({"RF1; L1 -1 DM", "RF1; L1 -10 DM"}));
    QCOMPARE(tb.generator().level_dbm, -10.0);
    // Dragging shows the level and sends nothing until the bar is let go.
    tb.clear_log();
    w->Pwr_Scroll->setSliderDown(true);
    w->Pwr_Scroll->setSliderPosition(7999);
    QCOMPARE(w->Pwr_Setting->text(), QString("-.01"));
    QVERIFY(tb.generator_sent().isEmpty());
    w->Pwr_Scroll->setSliderDown(false);
    QCOMPARE(w->Pwr_Scroll->value(), 7999);
    QCOMPARE(tb.generator_sent(), QStringList({"RF1; L1 -.01 DM"}));
    QCOMPARE(tb.generator().level_dbm, -0.01);
    // A level typed between two steps of the bar is rewritten to the step.
    tb.clear_log();
    w->Pwr_Setting->setText("-10.555");
    QCOMPARE(w->Pwr_Scroll->value(), 6944);
    QCOMPARE(w->Pwr_Setting->text(), QString("-10.56"));
    QCOMPARE(tb.generator_sent(), QStringList({"RF1; L1 -10.56 DM"}));
    // Outside the bar: nothing moves, Enter still sends the text.
    tb.clear_log();
    w->Pwr_Setting->setText("25");
    QVERIFY(tb.generator_sent().isEmpty());
    w->Pwr_Setting_KeyPress(13);
    QCOMPARE(tb.generator_sent(), QStringList({"RF1; L1 25 DM"}));
    close_window(w);
}

// Enter in the trigger level and generator boxes: a text the instrument takes goes out trimmed, any
// other sends nothing and beeps. A continuous run then sends each setting again as the instrument has it,
// and nothing for a box that holds a refused text.
void ProfileTest::entry_boxes_send_only_what_the_instruments_take_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("run");
    const QString digits(400, '9');
    for (const QString& refused : {QString("1e999"), QString("1e39"), digits, QString("x"), QString("20.01")})
        QTest::newRow(qPrintable("level " + refused.left(8))) << "level" << refused << QStringList() << "TRGLVL 1,-15";
    QTest::newRow("level blanks") << "level" << " -20\t" << QStringList{"send 13 TRGLVL 1,-20"} << "TRGLVL 1,-20";
    for (const QString& refused : {QString("0;*RST"), QString("1e999"), QString("1e39"), QString("nan"), QString()})
        QTest::newRow(qPrintable("power " + refused)) << "power" << refused << QStringList() << "";
    // The bar follows the level typed and sends it, then Enter sends it again.
    QTest::newRow("power blanks") << "power" << " -20\t" << QStringList(2, "send 5 RF1; L1 -20 DM") << "RF1; L1 -20 DM";
    for (const QString& refused : {QString("0"), QString("-1"), QString("0;*RST")}) {
        QTest::newRow(qPrintable("period " + refused)) << "period" << refused << QStringList() << "";
        QTest::newRow(qPrintable("width " + refused)) << "width" << refused << QStringList() << "";
    }
    QTest::newRow("period") << "period" << "2 " << QStringList{"send 5 PER 2 MS"} << "PER 2 MS";
    QTest::newRow("width") << "width" << "0.5\t" << QStringList{"send 5 PW 0.5 MS"} << "PW 0.5 MS";
    QTest::newRow("depth over 100") << "depth" << "101" << QStringList() << "";
    QTest::newRow("depth 0") << "depth" << "0" << QStringList{"send 5 ADP1 0 PCT"} << "ADP1 0 PCT";
    QTest::newRow("rate 0") << "rate" << "0;*RST" << QStringList() << "";
}

void ProfileTest::entry_boxes_send_only_what_the_instruments_take()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QStringList, sent);
    QFETCH(QString, run);
    struct Box {
        QLineEdit* edit;
        void (graphtests::*enter)(int);
        QString head;  // in its command
    };
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    const QHash<QString, Box> boxes{
        {"level", {w->Level, &graphtests::Level_KeyPress, "TRGLVL"}},
        {"power", {w->Pwr_Setting, &graphtests::Pwr_Setting_KeyPress, "RF1; L1"}},
        {"period", {w->Pulse_Period, &graphtests::Pulse_Period_KeyPress, "PER "}},
        {"width", {w->Pulse_Width, &graphtests::Pulse_Width_KeyPress, "PW "}},
        {"depth", {w->Mod_Depth, &graphtests::Mod_Depth_KeyPress, "ADP1"}},
        {"rate", {w->Mod_Rate, &graphtests::Mod_Rate_KeyPress, "AMR"}},
    };
    const Box b = boxes.value(box);
    b.edit->setText(typed);
    (w.data()->*b.enter)(13);
    QCOMPARE(wire_traffic(tb), sent);
    QCOMPARE(tb.prompts.beeps(), sent.isEmpty() ? 1 : 0);
    QCOMPARE(b.edit->text(), typed);

    tb.clear_log();
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 1)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE((tb.meter_sent() + tb.generator_sent()).filter(b.head), run.isEmpty() ? QStringList() : QStringList{run});
    close_window(w);
}

void ProfileTest::generator_obeys_and_the_trace_shows_it()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    pulse_generator(w);
    QVERIFY(tb.generator().pulse_on);
    // Triggered on the pulse sync: 10 ms across, 50 us a point, pulses 0.5 ms wide every 2 ms.
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();
    w->menuRunOnce_Click();
    QVERIFY(w->trace_valid);
    int high = 0;
    for (int k = 0; k < 200; ++k)
        high += w->graph_trace[k] == float(-21 * 1024) ? 1 : 0;
    QCOMPARE(high, 5 * 10);
    QCOMPARE(w->graph_trace[1], float(-21 * 1024));
    QCOMPARE(w->graph_trace[40], float(-60 * 1024));
    QCOMPARE(w->graph_trace[41], float(-21 * 1024));
    QCOMPARE(w->graph_trace[12], float(-60 * 1024));
    close_window(w);
}

void ProfileTest::axis_boxes()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    w->top_y_axis->setText("30");
    w->top_y_axis_KeyPress(13);
    QCOMPARE(w->top_y_axis->text(), QString("20.00"));
    w->top_y_axis->setText("29.99");
    w->top_y_axis_KeyPress(13);
    QCOMPARE(w->top_y_axis->text(), QString("29.99"));
    QCOMPARE(w->y_top_label->text(), QString("29.99"));
    w->bottom_y_axis->setText("-50");
    w->bottom_y_axis_KeyPress(13);
    QCOMPARE(w->bottom_y_axis->text(), QString("-50.00"));
    w->right_x_axis->setText("0");  // the left edge
    w->right_x_axis_KeyPress(13);
    QCOMPARE(w->right_x_axis->text(), QString("10.00"));
    w->right_x_axis->setText("7000");
    w->right_x_axis_KeyPress(13);
    QCOMPARE(w->right_x_axis->text(), QString("7000.00"));
    QCOMPARE(tb.meter_sent(), QStringList({QString("GRYT  29.99;GRYB -50").leftJustified(50),
                                           QString("GRPRD  7").leftJustified(30)}));
    QCOMPARE(w->capture_period_s, 7.0f);
    const QRectF scale = w->graph_canvas().user_scale();
    QCOMPARE(scale.top(), 29.99f * 1024.0);
    close_window(w);
}

void ProfileTest::automatic_scale()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    w->auto_scale_y_Click();
    // The generator's 0 dBm less the path loss: a steady -1 dBm on sensor A.
    QCOMPARE(w->y_top, 5.0f);
    QCOMPARE(w->y_bottom, -10.0f);
    QCOMPARE(w->top_y_axis->text(), QString("5.00"));
    QCOMPARE(w->bottom_y_axis->text(), QString("-10.00"));
    QCOMPARE(tb.meter_sent(),
             QStringList({"GRAUTO", "GRAUTO", "GRYB?", "GRYT?", QString("GRYT  5;GRYB -10").leftJustified(50)}));
    close_window(w);
}

void ProfileTest::automatic_scale_with_failed_reads_changes_nothing()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    tb.bench.bus().always_timeout(13);
    w->auto_scale_y_Click();
    tb.bench.bus().always_timeout(13, false);
    QCOMPARE(w->y_top, 20.0f);
    QCOMPARE(w->y_bottom, -50.0f);
    QCOMPARE(tb.meter_sent().filter("GRYT ").size(), 0);
    QCOMPARE(tb.prompts.boxes().count("Timed out (EABO) on Get Y scale"), 2);
    close_window(w);
}

// ---- the graph ------------------------------------------------------------------------------------------

void ProfileTest::graph_drawing()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    const auto count = [&](Canvas::Op::Kind kind, Canvas::DrawStyle style) {
        int n = 0;
        for (const Canvas::Op& op : w->graph_canvas().ops())
            n += op.kind == kind && op.style == style ? 1 : 0;
        return n;
    };
    // No trace yet: the grid only.
    w->draw_graph();
    QCOMPARE(count(Canvas::Op::Line, Canvas::DrawStyle::Dot), 21 + 11);
    QCOMPARE(count(Canvas::Op::Line, Canvas::DrawStyle::Solid), 0);
    QCOMPARE(count(Canvas::Op::PSet, Canvas::DrawStyle::Solid), 0);

    // A steady -1 dBm under a top of -20 dBm: every point but the first pinned to the top edge.
    w->top_y_axis->setText("-20");
    w->top_y_axis_KeyPress(13);
    w->menuRunOnce_Click();
    const std::vector<Canvas::Op>& ops = w->graph_canvas().ops();
    QCOMPARE(count(Canvas::Op::PSet, Canvas::DrawStyle::Solid), 1);
    QCOMPARE(count(Canvas::Op::Line, Canvas::DrawStyle::Solid), 199);
    for (const Canvas::Op& op : ops) {
        if (op.kind == Canvas::Op::PSet)
            QCOMPARE(op.y1, -1.0 * 1024);
        if (op.kind == Canvas::Op::Line && op.style == Canvas::DrawStyle::Solid)
            QCOMPARE(op.y2, -20.0 * 1024);
    }
    QCOMPARE(ops.back().x2, 199.0);

    // Without grid lines.
    w->GraphLines->setChecked(false);
    w->GraphLines_Click();
    QCOMPARE(count(Canvas::Op::Line, Canvas::DrawStyle::Dot), 0);
    // The trace and the two cursor lines.
    QCOMPARE(int(w->graph_canvas().ops().size()), 200 + 2);
    QCOMPARE(count(Canvas::Op::Line, Canvas::DrawStyle::Dash), 2);

    // On the statistics tabs nothing is drawn on the profile graph, even by a run.
    w->SSTab1->setCurrentIndex(5);
    QVERIFY(!w->Pulse_Graph_Frame->isVisibleTo(w) && w->PDF_Graph_Frame->isVisibleTo(w));
    w->GraphLines->setChecked(true);
    w->GraphLines_Click();
    w->menuRunOnce_Click();
    QCOMPARE(int(w->graph_canvas().ops().size()), 200 + 2);
    QCOMPARE(count(Canvas::Op::Line, Canvas::DrawStyle::Dot), 0);
    w->SSTab1->setCurrentIndex(0);
    QVERIFY(w->Pulse_Graph_Frame->isVisibleTo(w));
    close_window(w);
}

QTEST_MAIN(ProfileTest)
#include "test_profile.moc"
