// The source-sweep window on the simulated bench: set-up and teardown on the wire, each sweep kind's
// programming, the meter settings, the run loop, the calibration through the fixtures, the cursor and
// zoom commands and the data file.
#include "app/modes.h"
#include "frame/about_window.h"
#include "frame/data_file.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/meter_sweep.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"
#include "support/window_fixture.h"
#include "sweep/srcswp.h"
#include "util/number_text.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

namespace {

srcswp* open_window(TestBench& tb)
{
    sim_sweep::bench_of(tb.meter()).noise_db = 0;
    g().meter_model = tb.bench.description().model;
    return open_loaded<srcswp>(tb);
}

// An analog sweep from start to stop GHz, typed into the boxes, set up and the RF switched on.
void analog_sweep(srcswp* w, const QString& start, const QString& stop)
{
    w->SSTab1->setCurrentIndex(1);
    w->Freq_analog_start->setText(start);
    w->freq_analog_stop->setText(stop);
    w->freq_analog_time->setText(".01");
    w->RF_Output_Check->setChecked(true);
    w->RF_Output_Check_Click();
    w->Sweep_Type[0]->click();
}

}  // namespace

class SweepTest : public QObject {
    Q_OBJECT
private slots:
    void load_on_gpib_with_the_makers_generator();
    void load_without_generator_and_on_the_serial_link();
    void sweep_kinds_program_the_generator_and_the_meter();
    void settings_reach_the_meter();
    void axis_boxes();
    void refused_axis_entries_and_zooms_send_nothing();
    void run_once_continuous_and_stop();
    void a_meter_that_returns_nothing();
    void calibration_after_a_failed_run_makes_all_its_passes();
    void closing_is_refused_during_a_run();
    void main_window_closing_waits_for_the_run();
    void band_pass_recovered_after_a_calibration_through_the_through_fixture();
    void cursors_zoom_and_centring_in_frequency_and_level_sweeps();
    void pointer_off_the_graph_and_the_graph_pieces();
    void amplifier_tab();
    void data_file_lines();
};

void SweepTest::load_on_gpib_with_the_makers_generator()
{
    TestBench tb(TestBench::Link::Gpib);
    tb.meter().reading_mode = "CDMA";
    g().meter_model = "RQ5822K";
    QPointer<srcswp> w = new srcswp;
    w->show();
    QVERIFY(w->load());
    // The please-wait notice has left the screen when the set-up ends.
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<PleaseWait*>(top) || !top->isVisible());
    QCOMPARE(wire_traffic(tb), QStringList({
                              "devclear 13",
                              "devclear 5",
                              "ifc -1",
                              "send 13 RDMODE?",
                              "send 13 RDMODE STAND",
                              "send 13 *CLS;*ESE 0;*SRE 0",
                              "send 13 *CLS;*ESE 49;*SRE 48;DISP ON;OPMD SRCSWP;SRCMOD FREQ;*OPC",
                              "send 13 *ESR?",
                              "send 13 *CLS;*ESE 0;*SRE 0",
                              "send 13 *IDN?",
                              "send 5 RF0",
                              "send 5 SF1 SWP",
                              "send 5 SWTSEC",
                              "send 5 F1 GH",
                              "send 5 F2 GH",
                              "send 5 L1 0.00DM",
                              "send 5 RF0",
                              "send 13 SRCMOD FREQ",
                              "send 13 CFSRC A, VGHZ; CFSRC B, VGHZ",
                              "send 13 SRCSTFRQ GHz;SRCSPFRQ GHz",
                              "send 13 GTDLY  .005",
                              "send 13 GTGW  .0017",
                              "send 13 GRSWS OFF",
                              "send 13 GRSWS OFF",
                              "send 13 CHCFG 1, A",
                          }));
    QCOMPARE(tb.log().sent(5).first(), QString("RF0"));
    QCOMPARE(tb.meter().operating_mode(), QString("SRCSWP"));
    // The set-up waited with the 10 s time-out, which stays for the sweep's reads.
    QCOMPARE(tb.bench.bus().timeout_code(), 13);
    QCOMPARE(tb.meter().reading_mode, QString("STAND"));
    QCOMPARE(tb.generator().sweep_mode, QString("SWP"));
    QVERIFY(!tb.generator().rf_on);
    QVERIFY(tb.prompts.calls.empty());
    QVERIFY(w->SSTab1->isTabEnabled(1) && w->SSTab1->isTabEnabled(5) && w->SSTab1->isTabEnabled(2));
    QCOMPARE(w->top_y_axis->text(), QString("20.00"));
    QCOMPARE(w->bottom_y_axis->text(), QString("-50.00"));
    QCOMPARE(w->left_x_axis->text(), QString("0.000"));
    QCOMPARE(w->x_lh_label->text(), QString("GHz"));
    QCOMPARE(w->cursor1_index, 100);
    QCOMPARE(w->cursor2_index, 134);
    QVERIFY(w->menuDisplay->isEnabled() && w->menuDisplay->isChecked());
    QVERIFY(w->menuRunOnce->isEnabled() && w->menuRunCont->isEnabled() && !w->menuStop->isEnabled());
    QVERIFY(w->stop_requested && !w->data_valid && w->apply_cal_data->isHidden());
    QCOMPARE(w->Chan_Config_combo->count(), 4);
    // Shrunk below the tab's limits: a beep for each dimension, and the window grows back to room for the tab
    // and a graph beside it as wide.
    QCOMPARE(w->windowTitle(), QString("Graphical display screen"));
    const QSize tab = w->SSTab1->size();
    w->resize(200, 100);
    QCOMPARE(tb.prompts.beeps(), 2);
    QCOMPARE(w->SSTab1->size(), tab);
    QVERIFY(w->Sweep_Graph_Frame->x() + w->graph->geometry().right() > w->SSTab1->width() * 2 - 60);
    QVERIFY(w->SSTab1->geometry().bottom() < w->Sweep_Graph_Frame->height());
    QCOMPARE(w->windowTitle(), QString("Graphical display screen"));
    tb.clear_log();
    close_window(w);
    QVERIFY(!w);
    QCOMPARE(wire_traffic(tb), QStringList({"send 13 *RST;DISP ON;opmd srcswp"}));
    QVERIFY(tb.clock.now_us() - tb.log().entries().back().t_us >= 2'000'000);
}

void SweepTest::load_without_generator_and_on_the_serial_link()
{
    const struct {
        TestBench::Link link;
        BenchDescription bench;
        QString setup;
        bool display_menu;
    } cases[] = {
        {TestBench::Link::Gpib, without_generator(), "*CLS;*ESE 49;*SRE 48;DISP ON;OPMD SRCSWP;SRCMOD FREQ;*OPC", true},
        {TestBench::Link::Serial, BenchDescription{}, "*CLS;*ESE 49;*SRE 48;OPMD SRCSWP;SRCMOD FREQ;*OPC", false},
    };
    for (const auto& c : cases) {
        TestBench tb(c.link, c.bench);
        QPointer<srcswp> w = new srcswp;
        w->show();
        QVERIFY(w->load());
        QVERIFY(tb.meter_sent().contains(c.setup));
        QVERIFY(tb.generator_sent().isEmpty());
        QVERIFY(!w->SSTab1->isTabEnabled(1));
        QVERIFY(!w->SSTab1->isTabEnabled(5));
        QCOMPARE(w->menuDisplay->isEnabled(), c.display_menu);
        // Without the maker's generator the amplifier tab stays disabled after a run.
        tb.clock.on_yield = [&] {
            if (trace_requests(tb) == 2)
                w->menuStop_Click();
        };
        w->menuRunCont_Click();
        tb.clock.on_yield = nullptr;
        QVERIFY(!w->SSTab1->isTabEnabled(5));
        close_window(w);
        QCOMPARE(tb.meter_sent().last(), QString("*RST;DISP ON;opmd srcswp"));
    }
}

void SweepTest::sweep_kinds_program_the_generator_and_the_meter()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    tb.generator().syntax_errors.clear();
    // Typing into the analog boxes: each change reaches the generator; the range also reaches the meter.
    w->Freq_analog_start->setText("2");
    w->freq_analog_stop->setText("4");
    w->freq_analog_time->setText("0");
    w->freq_analog_time->setText(".05");
    QCOMPARE(wire_traffic(tb), QStringList({"send 5 F1 2GH", "send 5 F2 4GH", "send 13 SRCSTFRQ 2GHz;SRCSPFRQ 4GHz",
                                       "send 5 SWT .05SEC"}));
    QCOMPARE(w->left_x_axis->text(), QString("2"));
    QCOMPARE(w->right_x_axis->text(), QString("4"));
    tb.clear_log();
    // Step sweep.
    w->freq_step_start->setText("1");
    w->freq_step_stop->setText("3");
    w->freq_step_steps->setText("0");
    w->freq_step_steps->setText("100");
    w->freq_step_dwell->setText(".001");
    tb.clear_log();
    w->Sweep_Type[2]->click();
    QCOMPARE(wire_traffic(tb), QStringList({"send 5 RF0", "send 5 SF1 SSP", "send 5 SNS 100SPS", "send 5 SDT .001SEC",
                                       "send 5 F1 1GH", "send 5 F2 3GH", "send 5 L1 0.00DM", "send 5 RF0",
                                       "send 13 SRCMOD FREQ", "send 13 CFSRC A, VGHZ; CFSRC B, VGHZ",
                                       "send 13 SRCSTFRQ 1GHz;SRCSPFRQ 3GHz"}));
    QCOMPARE(tb.generator().sweep_mode, QString("SSP"));
    QCOMPARE(w->left_x_axis->text(), QString("1.000"));
    tb.clear_log();
    // Level sweep with the RF box checked: the generator ends with "RF1".
    w->RF_Output_Check->setChecked(true);
    w->Level_type[1]->click();
    const QStringList level_programming{"send 5 RF0", "send 5 CF1", "send 5 F1 2.0GH", "send 5 PDT 0.002SEC",
                                        "send 5 RF0 L1 -10.00DM", "send 5 L2 10.00DM", "send 5 PNS 50SPS LSP",
                                        "send 5 RF1", "send 13 SRCMOD POWER", "send 13 CFSRC A, FREQ; CFSRC B, FREQ",
                                        "send 13 CFFRQ A,2.0GHZ", "send 13 CFFRQ B,2.0GHZ",
                                        "send 13 SRCSTPWR -10.00; SRCSPPWR 10.00"};
    // The CW option's own set-up is skipped during a level sweep; the level choice's follows.
    QCOMPARE(wire_traffic(tb), level_programming);
    QCOMPARE(tb.generator().sweep_mode, QString("LSP"));
    QVERIFY(tb.generator().rf_on);
    QCOMPARE(tb.generator().frequency_hz, 2.0e9);
    QVERIFY(w->Sweep_Type[1]->isChecked() && !w->Sweep_Type[0]->isEnabled() && !w->Sweep_Type[2]->isEnabled());
    QCOMPARE(w->left_x_axis->text(), QString("-10.000"));
    QCOMPARE(w->x_rh_label->text(), QString("dBm"));
    QCOMPARE(w->x1_label->text(), QString("C1 PWR"));
    tb.clear_log();
    w->level_sweep_stop->setText("5");
    w->freq_cw_freq->setText("3");
    QCOMPARE(wire_traffic(tb), QStringList({"send 5 L2 5DM  LSP", "send 13 SRCSTPWR -10.00; SRCSPPWR 5", "send 5 CF1 3GH"}));
    QCOMPARE(tb.generator().frequency_hz, 3.0e9);
    QCOMPARE(w->sweep_stop_level, 5.0f);
    QVERIFY(tb.generator().syntax_errors.isEmpty());
    close_window(w);
}

void SweepTest::settings_reach_the_meter()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    w->Averaging_combo->setCurrentIndex(4);
    w->Averaging_combo_Click();
    w->Chan_Config_combo->setCurrentIndex(2);
    w->Chan_Config_combo_Click();
    w->display_readout_Click();
    QVERIFY(!w->cursor_info_on);
    w->display_readout_Click();
    w->menuDisplay_Click();
    QVERIFY(!w->menuDisplay->isChecked() && !w->cursor1_data->isEnabled());
    w->menuDisplay_Click();
    w->seq_sync_check->click();
    w->seq_sync_check->click();
    w->RF_Output_Check->click();
    QCOMPARE(wire_traffic(tb), QStringList({"send 13 GRSWS ON", "send 13 Avg A, MOV, 8", "send 13 GRSWP A, 8",
                                       "send 13 GRSWS ON", "send 13 Avg B, MOV, 8", "send 13 GRSWP B, 8",
                                       "send 13 CHCFG 1, A-B", "send 13 GRDATA OFF", "send 13 GRDATA ON",
                                       "send 13 DISP OFF", "send 13 DISP ON", "send 13 IBBLP NEG", "send 13 IBBLP POS",
                                       "send 5 RF1"}));
    QVERIFY(w->menuDisplay->isChecked() && w->sweeper_seq_sync);
    QVERIFY(tb.prompts.calls.empty());
    close_window(w);

    // A single-input meter offers and sends sensor A only.
    BenchDescription single;
    single.model = "RQ5811K";
    single.sensor_b_fitted = false;
    TestBench tb1(TestBench::Link::Gpib, single);
    g().meter_model = "RQ5811K";
    QPointer<srcswp> w1 = new srcswp;
    w1->show();
    QVERIFY(w1->load());
    QCOMPARE(w1->Chan_Config_combo->count(), 1);
    QCOMPARE(tb1.meter_sent().last(), QString("CHCFG 1, A"));
    QVERIFY(w1->single_channel);
    close_window(w1);
}

void SweepTest::axis_boxes()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    const struct {
        QLineEdit* box;
        QString typed;
        QString shown;
        QString sent;  // empty: nothing
    } cases[] = {
        {w->bottom_y_axis, "-80", "-50.00", ""},
        {w->bottom_y_axis, "-79.99", "-79.99", "GRYT  20;GRYB -79.99"},
        {w->top_y_axis, "30", "20.00", ""},
        {w->top_y_axis, "29.99", "29.99", "GRYT  29.99;GRYB -79.99"},
        {w->top_y_axis, "abc", "29.99", ""},
        {w->top_y_axis, " 25\t", "25.00", "GRYT  25;GRYB -79.99"},
        {w->bottom_y_axis, "35", "-79.99", ""},
    };
    for (const auto& c : cases) {
        tb.clear_log();
        c.box->setText(c.typed);
        emit c.box->returnPressed();
        QCOMPARE(c.box->text(), c.shown);
        const QStringList sent = tb.meter_sent();
        QCOMPARE(sent.isEmpty() ? QString() : sent.first().trimmed(), c.sent);
    }
    QCOMPARE(tb.meter_sent().isEmpty(), true);
    // x boxes send the meter's range; the boxes are rewritten from the sweep set-up.
    w->Freq_analog_start->setText("2");
    w->freq_analog_stop->setText("4");
    w->update_screen_x_axis();
    tb.clear_log();
    w->left_x_axis->setText("2.5");
    emit w->left_x_axis->returnPressed();
    QCOMPARE(tb.meter_sent(), QStringList({"SRCSTFRQ  2.5GHZ"}));
    QCOMPARE(w->left_x_axis->text(), QString("2.000"));
    close_window(w);
}

void SweepTest::refused_axis_entries_and_zooms_send_nothing()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    analog_sweep(w, "2", "4");
    const struct {
        bool level;
        bool left;
        QString typed;
        QString sent;  // empty: nothing, and the boxes show the axis again
        QString other_sweep_end = "2";  // typed into the start box first; a refused one never reached the meter
    } cases[] = {
        {false, true, "abc", ""}, {false, true, "nan", ""}, {false, true, QString(QChar(0xFF11)), ""},
        {false, true, "-5", ""}, {false, true, "1e999", ""}, {false, false, "1", ""}, {false, true, "4", ""},
        {false, true, " 2.5\t", "send 13 SRCSTFRQ  2.5GHZ"},
        {false, false, "1", "", ""}, {false, false, "1", "", "nan"}, {false, false, "1.5", "", "1;*RST"},
        {false, false, "1", "", "-5"}, {false, false, "3", "send 13 SRCSPFRQ  3GHZ", " 2 "},
        {true, true, "1e999", ""}, {true, true, "1e39", ""}, {true, false, "-20", ""}, {true, false, "5 ", "send 13 SRCSPPWR  5"},
        {true, false, "-20", "", "nan"},
    };
    for (const auto& c : cases) {
        if (c.level && !w->Level_type[1]->isChecked())
            w->Level_type[1]->click();
        QLineEdit* start_box = c.level ? w->Level_sweep_start : w->Freq_analog_start;
        start_box->setText(c.other_sweep_end);
        w->update_screen_x_axis();
        tb.clear_log();
        QLineEdit* box = c.left ? w->left_x_axis : w->right_x_axis;
        box->setText(c.typed);
        emit box->returnPressed();
        QCOMPARE(wire_traffic(tb), c.sent.isEmpty() ? QStringList() : QStringList({c.sent}));
        start_box->setText(c.level ? "-10.00" : "2");
        w->update_screen_x_axis();
        tb.clear_log();
        QCOMPARE(w->left_x_axis->text(), QString(c.level ? "-10.000" : "2.000"));
        QCOMPARE(w->right_x_axis->text(), QString(c.level ? "10.000" : "4.000"));
        if (c.level)
            continue;
        // Zoom to Cursors with both cursors on the same rounded frequency: no range to send.
        w->cur1_data->setText("C1: 0.000 dB @ 0.001GHz");
        w->cur2_data->setText("C2: -1.000 dB @ 0.001GHz");
        tb.prompts.clear();
        w->Zoom_Between_Click();
        QCOMPARE(tb.prompts.beeps(), 1);
        QCOMPARE(wire_traffic(tb), QStringList());
        QCOMPARE(w->Freq_analog_start->text(), QString("2"));
    }
    close_window(w);
}

void SweepTest::run_once_continuous_and_stop()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    analog_sweep(w, "1", "3");
    tb.clear_log();
    w->menuRunOnce_Click();
    QCOMPARE(trace_requests(tb), 2);
    QVERIFY(w->data_valid && !w->run_once && w->stop_requested && !g().test_running);
    QVERIFY(w->menuRunOnce->isEnabled() && w->menuRunCont->isEnabled() && !w->menuStop->isEnabled());
    QCOMPARE(w->Cal_label->text(), QString("Can`t Calibrate System when the demo is running. Stop the Demo first."));
    QVERIFY(w->do_calibration->isEnabled());
    // Sweep time 10 ms, 1 ms processing and the block's bytes on the bus.
    QCOMPARE(w->graph_get_time->text(), QString("11.82"));
    QVERIFY(w->cur1_data->isVisible());
    QVERIFY(w->cur1_data->text().endsWith("@ 2.000GHz"));
    // The trace is on the graph, with the two dashed cursor lines in the same foreground colour.
    int lines = 0;
    for (const Canvas::Op& op : w->graph_canvas().ops())
        lines += op.kind == Canvas::Op::Line && op.color == QColor(255, 230, 0) ? 1 : 0;
    QCOMPARE(lines, 199 + 2);

    // Run Continuous, stopped during the fifth pass; during the run the tab and menus are held.
    tb.clear_log();
    w->SSTab1->setCurrentIndex(2);
    bool held = false;
    tb.clock.on_yield = [&] {
        held = held || (!w->SSTab1->isTabEnabled(5) && w->menuStop->isEnabled() && !w->menuRunOnce->isEnabled() &&
                        w->SSTab1->currentIndex() == 0 && !w->do_calibration->isEnabled());
        if (trace_requests(tb) == 5)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(trace_requests(tb), 5);
    QVERIFY(held);
    QVERIFY(w->SSTab1->isTabEnabled(5) && !w->menuStop->isEnabled() && w->menuRunCont->isEnabled());

    // A Run Once cut short by a second Run command leaves Run Continuous continuous.
    tb.clear_log();
    bool second_call = false;
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 1 && !second_call) {
            second_call = true;
            w->run_sweep();  // a second call is a stop
        }
    };
    w->menuRunOnce_Click();
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 6)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(trace_requests(tb), 6);
    QVERIFY(tb.prompts.calls.empty());
    close_window(w);
}

void SweepTest::a_meter_that_returns_nothing()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    tb.meter().silent = true;
    w->menuRunCont_Click();
    QCOMPARE(trace_requests(tb), 1);
    QCOMPARE(tb.prompts.boxes().count("There is was no graph data returned."), 1);
    QCOMPARE(tb.prompts.calls.back().title, QString(" Problem"));
    QVERIFY(!w->data_valid && w->stop_requested && !g().test_running);
    QVERIFY(w->menuRunCont->isEnabled());
    tb.meter().silent = false;
    analog_sweep(w, "1", "3");
    w->menuRunOnce_Click();
    const TracePoints good = w->graph_trace;
    sim_sweep::bench_of(tb.meter()).fixture = sim_sweep::Fixture::BandPass;
    // A reply that is not a whole block (cut to so many bytes, or noise: -1) is no data either.
    for (const int bytes : {3, 300, 810, -1}) {
        tb.meter().short_block_bytes = bytes;
        tb.meter().garble_next = bytes < 0;
        tb.prompts.clear();
        tb.clear_log();
        w->menuRunOnce_Click();
        QCOMPARE(trace_requests(tb), 1);
        QCOMPARE(tb.prompts.boxes(), QStringList({"There is was no graph data returned."}));
        QVERIFY(w->graph_trace == good && w->stop_requested);
    }
    close_window(w);
}

void SweepTest::calibration_after_a_failed_run_makes_all_its_passes()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    analog_sweep(w, "1", "3");
    // A Run Once that fails at its first or its second pass.
    for (const int good_passes : {0, 1}) {
        tb.clear_log();
        tb.meter().silent = good_passes == 0;
        tb.clock.on_yield = [&] {
            if (trace_requests(tb) == 1 && w->data_valid)
                tb.meter().silent = true;
        };
        w->data_valid = false;
        w->menuRunOnce_Click();
        tb.clock.on_yield = nullptr;
        tb.meter().silent = false;
        QCOMPARE(trace_requests(tb), good_passes + 1);
        tb.clear_log();
        w->do_calibration_Click();
        QCOMPARE(trace_requests(tb), 3);
        QVERIFY(w->cal.valid() && !w->run_once);
    }
    close_window(w);
}

void SweepTest::closing_is_refused_during_a_run()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 2 && tb.prompts.calls.empty())
            w->menuExit_Click();
        if (trace_requests(tb) == 4)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    settle_events();
    QVERIFY(w);
    QCOMPARE(trace_requests(tb), 4);
    QCOMPARE(tb.prompts.boxes(), QStringList({"please stop the demo first."}));
    QCOMPARE(tb.prompts.calls.front().title, QString("Exit Source Sweep mode"));
    QVERIFY(!tb.meter_sent().contains("*RST;DISP ON;opmd srcswp"));
    close_window(w);
    QVERIFY(!w);
}

void SweepTest::main_window_closing_waits_for_the_run()
{
    TestBench tb(TestBench::Link::Gpib);
    g().instruments_ok = true;
    QPointer<sorvdemo> main = new sorvdemo(all_modes());
    main->resize(1280, 800);  // room for the sweep window's smallest size
    main->show();
    main->enter_mode(Mode::SourceSweep);
    QPointer<srcswp> w = qobject_cast<srcswp*>(main->open_mode_window());
    QVERIFY(w);
    tb.clear_log();
    bool asked = false;
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 2 && !asked) {
            asked = true;
            main->close();
        }
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    settle_events();
    // The run ended after its pass, then the window closed with its leaving commands, then the main window.
    QCOMPARE(trace_requests(tb), 2);
    QVERIFY(!w);
    const QStringList sent = tb.meter_sent();
    QVERIFY(sent.indexOf("*RST;DISP ON;opmd srcswp") > sent.lastIndexOf("OGBD"));
    QVERIFY(!main || !main->isVisible());
    QVERIFY(tb.prompts.calls.empty());
    delete main.data();
}

void SweepTest::band_pass_recovered_after_a_calibration_through_the_through_fixture()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    analog_sweep(w, "1", "3");
    // Calibration through the through fixture: three passes, the raw reference kept.
    tb.clear_log();
    w->do_calibration_Click();
    QCOMPARE(trace_requests(tb), 3);
    QVERIFY(w->cal.valid() && !w->cal.capturing() && !w->apply_cal_data->isHidden());
    QCOMPARE(w->apply_cal_data->text(), QString("Cal data NOT included"));
    // The band-pass filter in place of the through connection.
    sim_sweep::bench_of(tb.meter()).fixture = sim_sweep::Fixture::BandPass;
    w->menuRunOnce_Click();
    double uncorrected_error = 0;
    for (int i = 0; i < 200; ++i) {
        const double f = 1e9 + i * 1e7;
        uncorrected_error = std::max(uncorrected_error, std::abs(w->graph_trace[std::size_t(i)] / 1024.0 - sim_sweep::band_pass_db(f)));
    }
    QVERIFY(uncorrected_error > 0.1);
    w->apply_cal_data_Click();
    QCOMPARE(w->apply_cal_data->text(), QString("Cal data included"));
    w->menuRunOnce_Click();
    for (int i = 0; i < 200; ++i) {
        const double f = 1e9 + i * 1e7;
        const double shown = w->graph_trace[std::size_t(i)] / 1024.0;
        QVERIFY2(std::abs(shown - sim_sweep::band_pass_db(f)) <= 0.01,
                 qPrintable(QString("point %1: %2 dB, filter %3 dB").arg(i).arg(shown).arg(sim_sweep::band_pass_db(f))));
    }
    // The filter's centre at point 100 reads its insertion loss.
    QVERIFY(w->cur1_data->text().startsWith("C1: -1.50"));
    QVERIFY(w->cur1_data->text().endsWith("@ 2.000GHz"));
    close_window(w);
}

void SweepTest::cursors_zoom_and_centring_in_frequency_and_level_sweeps()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    analog_sweep(w, "2", "4");
    w->menuRunOnce_Click();
    QCOMPARE(w->cur1_data->text().mid(w->cur1_data->text().indexOf("@")), QString("@ 3.000GHz"));
    QCOMPARE(w->cur2_data->text().mid(w->cur2_data->text().indexOf("@")), QString("@ 3.340GHz"));
    tb.clear_log();
    w->Zoom_out_Click();
    // The boxes reprogram the generator and the meter; a single run follows.
    QCOMPARE(tb.generator_sent(), QStringList({"F1 1.5GH", "F2 4.5GH"}));
    QVERIFY(tb.meter_sent().contains("SRCSTFRQ 1.5GHz;SRCSPFRQ 4.5GHz"));
    QCOMPARE(trace_requests(tb), 2);
    QCOMPARE(w->left_x_axis->text(), QString("1.500"));
    QCOMPARE(w->right_x_axis->text(), QString("4.500"));
    tb.clear_log();
    w->Zoom_Between_Click();
    QCOMPARE(tb.generator_sent(), QStringList({"F1 3GH", "F2 3.51GH"}));
    w->cursor1_index = 50;
    w->update_cursor_data();
    tb.clear_log();
    w->COC_Click(0);
    QCOMPARE(w->cursor1_index, 100);
    QCOMPARE(tb.generator_sent(), QStringList({"F1 2.873GH", "F2 3.383GH"}));
    // Centring never starts a frequency sweep below 0.
    w->Freq_analog_start->setText("0.5");
    w->freq_analog_stop->setText("4.5");
    w->update_screen_x_axis();
    w->cursor2_index = 10;
    w->menuRunOnce_Click();
    tb.clear_log();
    w->COC_Click(1);
    // It starts at the lowest frequency the boxes send: the generator, the meter and the axis agree.
    QCOMPARE(tb.generator_sent(), QStringList({"F1 0.001GH", "F2 2.7GH"}));
    QVERIFY(tb.meter_sent().contains("SRCSTFRQ 0.001GHz;SRCSPFRQ 2.7GHz"));
    QCOMPARE(w->left_x_axis->text(), QString("0.001"));
    // A range with nothing to send is refused with a beep.
    tb.clear_log();
    w->cur2_data->setText("C2: 0.000 dB @ 0.000GHz");
    w->Zoom_Between_Click();
    QVERIFY(tb.prompts.beeps() == 1 && tb.generator_sent().isEmpty());

    // Level sweep: the cursors read the level boxes' values; Zoom Out goes below 0 dBm.
    w->Level_type[1]->click();
    w->cursor2_index = 134;
    w->menuRunOnce_Click();
    QCOMPARE(w->cur1_data->text().mid(w->cur1_data->text().indexOf("@")), QString("@ 0.000dBm"));
    QCOMPARE(w->cur2_data->text().mid(w->cur2_data->text().indexOf("@")), QString("@ 3.400dBm"));
    tb.clear_log();
    w->Zoom_out_Click();
    QCOMPARE(tb.generator_sent(), QStringList({"L1 -15DM LSP", "L2 15DM  LSP"}));
    QCOMPARE(w->left_x_axis->text(), QString("-15.000"));
    QCOMPARE(w->cur1_data->text().mid(w->cur1_data->text().indexOf("@")), QString("@ 0.000dBm"));
    tb.clear_log();
    w->cursor1_index = 20;
    w->update_cursor_data();
    w->COC_Click(0);
    QCOMPARE(tb.generator_sent(), QStringList({"L1 -27DM LSP", "L2 3DM  LSP"}));
    // The cursor information box follows the same values.
    w->display_readout_Click();
    w->cursor_readout();
    QCOMPARE(w->Time_diff_Data->text(), QString("-12.000"));
    QCOMPARE(w->time_label->text(), QString("dBm"));
    // Turning points on the trace as shown, and the drag limits.
    w->cursor_to_turning_point(1, true);
    QCOMPARE(w->cursor1_index, 100);
    w->graph_MouseMove(134, 0);
    QCOMPARE(w->grabbed_cursor, 2);
    w->graph_MouseDown(134, 0, Qt::LeftButton);
    w->graph_MouseMove(260, 0);
    QCOMPARE(w->cursor2_index, 199);
    QVERIFY(w->redraw_pending);
    w->graph_MouseUp();
    QVERIFY(!w->redraw_pending && !w->mouse_down && w->grabbed_cursor == 0);
    close_window(w);
}

void SweepTest::pointer_off_the_graph_and_the_graph_pieces()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    analog_sweep(w, "2", "4");
    w->menuRunOnce_Click();
    // The pointer's readout and a cursor's grab go when the pointer leaves the graph, whichever way.
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QEvent leave(QEvent::Leave);
    for (const auto& [target, event] : {std::pair<QWidget*, QEvent*>{w->centralWidget(), &move}, {w->Sweep_Graph_Frame, &move},
                                        {w->Frame1, &move}, {w->Frame2, &move}, {w->graph, &leave}}) {
        w->graph_MouseMove(134, -10240);
        QVERIFY(w->mouse_posn->isVisible() && w->grabbed_cursor == 2 && target->hasMouseTracking());
        QCoreApplication::sendEvent(target, event);
        QVERIFY(!w->mouse_posn->isVisible() && w->grabbed_cursor == 0);
    }
    w->page_setup.has_printer = [] { return true; };
    w->menuPrinterSetup->trigger();
    QCOMPARE(tb.prompts.calls.back().kind, QString("printer"));
    // The amplifier graph's cursor only where a compression range is drawn.
    for (const float comp : {4.0f, 4.0f, 4.0f, 5.0f}) {
        w->amp_results.add(w->amp_results.count() + 1.0, 10.0f + float(w->amp_results.count()), comp);
        w->Draw_Amp_Gaincomp_Graph();
        const auto& ops = w->amp_canvas().ops();
        const bool cursor = std::any_of(ops.begin(), ops.end(), [](const Canvas::Op& op) { return op.color == Qt::white; });
        QCOMPARE(cursor, comp == 5.0f);
    }
    close_window(w);
}

void SweepTest::amplifier_tab()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    w->SSTab1->setCurrentIndex(5);
    QVERIFY(w->Amp_Label->isVisible() && !w->AmpFrame->isVisible());
    // The amplifier graph in place of the sweep graph, and the sweep graph back on leaving the tab.
    w->Show_CompFreq_Graph_Check->setChecked(true);
    w->Show_CompFreq_Graph_Check_Click();
    QVERIFY(!w->Sweep_Graph_Frame->isVisible() && w->Amp_Graph_Frame->isVisible());
    w->SSTab1->setCurrentIndex(1);
    QVERIFY(w->Sweep_Graph_Frame->isVisible() && !w->Amp_Graph_Frame->isVisible());
    close_window(w);

    BenchDescription single;
    single.model = "RQ5811K";
    single.sensor_b_fitted = false;
    TestBench tb1(TestBench::Link::Gpib, single);
    QPointer<srcswp> w1 = open_window(tb1);
    w1->Level_type[1]->click();
    w1->SSTab1->setCurrentIndex(5);
    QVERIFY(w1->Single_label->isVisible() && !w1->AmpFrame->isVisible() && !w1->Amp_Label->isVisible());
    close_window(w1);
}

void SweepTest::data_file_lines()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<srcswp> w = open_window(tb);
    QTemporaryDir dir;
    const QString name = dir.filePath("sweep");
    // Nothing to save before a trace has come.
    w->menuSaveGraph_Click();
    QCOMPARE(tb.prompts.boxes(), QStringList({"You have no graph to save!"}));
    QCOMPARE(tb.prompts.calls.back().title, Prompts::default_title());
    analog_sweep(w, "2", "4");
    w->menuRunOnce_Click();
    // A cancelled dialog writes nothing.
    tb.prompts.clear();
    w->menuSaveGraph_Click();
    QCOMPARE(tb.prompts.calls.size(), std::size_t(1));
    QVERIFY(!QFile::exists(name + ".TXT"));
    const QString caption = w->windowTitle();
    QString caption_while_saving;
    tb.prompts.file_names.push_back(name);
    tb.clear_log();
    tb.clock.on_yield = [&] { caption_while_saving = w->windowTitle(); };
    w->menuSaveGraph_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(caption_while_saving, QString("Please Wait....Saving Graph Data"));
    QCOMPARE(w->windowTitle(), caption);
    QFile file(name + ".TXT");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
    QCOMPARE(lines.size(), 1 + 1 + 7 + 1 + 200 + 1);
    QCOMPARE(lines[0] + "\r\n", data_file::short_date_time_line(tb.clock.date_time()));
    QCOMPARE(lines.mid(1, 9), QStringList({"", "Power Meter Model: \tRQ5822K", "Serial Number: \t101507",
                                           "Software version: \t1.12", "Sensor A Type: \tRQ5531",
                                           "Sensor A Ser.  \t8841", "Sensor B Type: \tRQ5531", "Sensor B Ser.  \t8842",
                                           "Point\tFreq Start\tFreq End\tdBm Average"}));
    const auto row = [&](int i, const QString& start, const QString& end) {
        return QString(" %1 %2 %3 %4 ").arg(i).arg(start, end, numtext::str_single(w->graph_trace[std::size_t(i)] / 1024.0f));
    };
    QCOMPARE(lines[10], row(0, " 2", " 2.01"));
    QCOMPARE(lines[209], row(199, " 3.99", " 4"));
    QCOMPARE(lines[210], QString());
    close_window(w);
}

QTEST_MAIN(SweepTest)
#include "test_sweep.moc"
