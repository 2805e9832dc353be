// Readout mode on the virtual clock: set-up, run loop, fastest set-up, settings, closing, and the
// simulated meter's readout behaviour.
#include "frame/about_window.h"
#include "frame/mode_registry.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "readout/readout_spd.h"
#include "sim/meter_readout.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/mode_session.h"
#include "support/test_bench.h"

#include <QAction>
#include <QCheckBox>
#include <QMenuBar>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

BenchDescription bench_with(const QString& model, bool sensor_b = true)
{
    BenchDescription d;
    d.model = model;
    d.sensor_b_fitted = sensor_b;
    return d;
}

// A quiet, exactly timed meter: no noise, no bus transfer time, the given query time.
void exact_timing(TestBench& tb, double query_ms = 2.5)
{
    tb.bench.bus().us_per_byte = 0;
    tb.meter().numbers[sim_readout::kNoiseDb] = 0;
    tb.meter().numbers[sim_readout::kQueryMs] = query_ms;
}

// The main window with the readout mode entered through its menu.
struct Session : ModeSession<readout_spd> {
    explicit Session(TestBench::Link link = TestBench::Link::Gpib, const BenchDescription& d = {})
        : ModeSession(Mode::Readout, link, d)
    {
    }
    int requests() const { return int(tb.meter_sent().count("O 1")); }
    int reads() const
    {
        int n = 0;
        for (const WireLog::Entry& e : tb.bench.log().entries())
            n += e.kind == QLatin1String("receive") && e.address == 13;
        return n;
    }
    // Link traffic other than the bytes read back, as "kind address text".
    QStringList traffic(qint64 from_entry = 0) const
    {
        QStringList out;
        const auto& entries = tb.bench.log().entries();
        for (size_t i = size_t(from_entry); i < entries.size(); ++i) {
            const WireLog::Entry& e = entries[i];
            if (e.kind == QLatin1String("receive") || e.kind == QLatin1String("register") ||
                e.kind == QLatin1String("poll"))
                continue;
            out << QStringLiteral("%1 %2 %3").arg(e.kind).arg(e.address).arg(QString::fromLatin1(e.bytes)).trimmed();
        }
        return out;
    }
    qint64 log_size() const { return qint64(tb.bench.log().entries().size()); }
};

const QString esr_query = QString("*ESR?").leftJustified(20, ' ');

}  // namespace

class ReadoutTest : public QObject {
    Q_OBJECT
private slots:
    void setup_two_input_in_cdma_reading_mode();
    void setup_model_without_reading_mode_is_not_asked();
    void setup_on_serial_link();
    void single_input_layout();
    void setup_failure_hands_menus_back();
    void plain_run_exact_figures();
    void display_update_count_paces_the_pass();
    void fast_run_reads_only();
    void rates_order_plain_fast_fastest();
    void no_data_read_keeps_last_reading();
    void exit_and_close_box_during_run();
    void main_window_closed_during_run();
    void exit_while_idle_closes_at_once();
    void fastest_setup_success_and_failure();
    void averaging_and_range_hold();
    void trigger_handlers();
    void trigger_boxes_send_only_what_the_meter_takes_data();
    void trigger_boxes_send_only_what_the_meter_takes();
    void zero_switches_maker_generator_around_it();
    void measurement_channels_show_their_values();
    void fast_mode_toggle_and_reset();
    void sim_trigger_sources_and_averaging();
};

void ReadoutTest::setup_two_input_in_cdma_reading_mode()
{
    Session s;
    s.tb.meter().reading_mode = "CDMA";
    readout_spd* w = s.enter();
    QVERIFY(w);
    QVERIFY(!w->unloaded());
    QCOMPARE(s.traffic(), QStringList({
                              "ifc -1",
                              "devclear 13",
                              "send 13 *IDN?",
                              "send 13 RDMODE?",
                              "send 13 RDMODE STAND",
                              "send 13 *CLS;*ESE 0;*SRE 0",
                              "send 13 *CLS;*ESE 49;*SRE 48;*RST; OPMD DIGIT;DISP ON; FAST OFF;*OPC",
                              "tmo -1 13",
                              "wait -1 SRQI",
                              "send 13 " + esr_query.trimmed(),
                              "send 13 *CLS;*ESE 0;*SRE 0",
                              "send 13 RGH A, 0",
                              "send 13 RGH B, 0",
                              "send 13 GRSWS OFF",
                              "send 13 GRSWS OFF",
                              "send 13 TRGSRC 1, CONT",
                              "tmo -1 12",
                          }));
    // The reading mode settles for 12 s before the set-up goes on.
    const auto& entries = s.tb.bench.log().entries();
    qint64 stand_at = -1, next_at = -1;
    for (const auto& e : entries) {
        if (stand_at >= 0 && next_at < 0 && e.kind == "send")
            next_at = e.t_us;
        if (e.bytes == "RDMODE STAND")
            stand_at = e.t_us;
    }
    QVERIFY(next_at - stand_at >= 12'000'000);
    QVERIFY(next_at - stand_at < 12'500'000);
    QCOMPARE(s.tb.meter().reading_mode, QString("STAND"));

    QVERIFY(s.tb.prompts.boxes().isEmpty());
    QVERIFY(w->display_on);
    QVERIFY(!w->fast_mode);
    QVERIFY(w->two_input);
    QVERIFY(w->menuDisplay->isChecked());
    QVERIFY(!w->menuFastMode->isChecked());
    QVERIFY(w->menuRun->isEnabled());
    QVERIFY(!w->menuStop->isEnabled());
    QVERIFY(w->menuBar()->isEnabled());
    QVERIFY(w->menuDisplayUpdate[2]->isChecked());
    QCOMPARE(w->update_count, 50);
    QCOMPARE(w->readings->text(), QString("A --.--- dBm"));
    QVERIFY(!w->InternalType[0]->isEnabled());
    QVERIFY(w->Custom_frame->isHidden());
    QVERIFY(!w->Frame4->isHidden());
    QVERIFY(s.main->menuReadout->isChecked());
    QVERIFY(!s.main->menuModeBar->isEnabled());
    QCOMPARE(s.tb.bench.bus().timeout_code(), 12);
    // The please-wait window is gone.
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<PleaseWait*>(top) || !top->isVisible());
}

void ReadoutTest::setup_model_without_reading_mode_is_not_asked()
{
    for (const QString model : {"RQ5812K", "RQ5811K"}) {
        Session s(TestBench::Link::Gpib, bench_with(model, model == "RQ5812K"));
        s.tb.meter().reading_mode = "CDMA";
        QVERIFY(s.enter());
        const QStringList sent = s.tb.meter_sent();
        QVERIFY(!sent.join('|').contains("RDMODE"));
        QCOMPARE(sent.at(1), QString("*CLS;*ESE 0;*SRE 0"));
        QCOMPARE(s.tb.meter().reading_mode, QString("CDMA"));
    }
}

void ReadoutTest::setup_on_serial_link()
{
    Session s(TestBench::Link::Serial);
    exact_timing(s.tb, 1.0);
    readout_spd* w = s.enter();
    QVERIFY(w);
    QVERIFY(s.tb.prompts.boxes().isEmpty());
    const QStringList sent = s.tb.meter_sent();
    QVERIFY(sent.contains("*CLS;*ESE 49;*SRE 48;*RST; OPMD DIGIT;*OPC"));
    QCOMPARE(sent.last(), QString("TRGSRC 1, CONT"));
    QVERIFY(!w->menuFastest->isVisible());
    QVERIFY(!w->menuFastMode->isVisible());
    QVERIFY(!w->menuDisplay->isVisible());
    QVERIFY(w->menuRun->isVisible());
    QVERIFY(w->menuReset->isVisible());

    // A run reads by request on the serial line too; reset and leaving never mention DISP or FAST.
    s.at_yield([&] { return s.requests() >= 1; }, [w] { w->menuStop_Click(); });
    w->menuRun_Click();
    QCOMPARE(s.requests(), 50);
    QVERIFY(w->readings->text().startsWith("A -10.000 dBm"));
    w->menuReset_Click();
    w->menuExit_Click();
    settle_events();
    QVERIFY(!s.window);
    const QString all = s.tb.meter_sent().join('|');
    QVERIFY(!all.contains("DISP"));
    QVERIFY(!all.contains("FAST"));
    QVERIFY(s.tb.meter_sent().contains("*CLS;*ESE 49;*SRE 48;OPMD DIGIT"));
    for (const auto& e : s.tb.bench.log().entries())
        QVERIFY(e.channel != "gpib");
    QVERIFY(s.tb.prompts.boxes().isEmpty());
}

void ReadoutTest::single_input_layout()
{
    Session s(TestBench::Link::Gpib, bench_with("RQ5811K", false));
    readout_spd* w = s.enter();
    QVERIFY(w);
    QVERIFY(!w->two_input);
    QVERIFY(w->Frame4->isHidden());
    QVERIFY(!w->Frame3->isHidden());
    QVERIFY(w->menuMeas[0]->isEnabled());
    for (int i = 1; i < 6; ++i)
        QVERIFY(!w->menuMeas[i]->isEnabled());
    // The fastest set-up has no sensor B group on a one-input meter.
    w->menuFastest_Click();
    QVERIFY(s.tb.meter_sent().contains("*OPC"));
    QVERIFY(!s.tb.meter_sent().join('|').contains("AVG B,OFF"));
    QVERIFY(w->fast_mode);
}

void ReadoutTest::setup_failure_hands_menus_back()
{
    // The meter stops listening after the check: an application error ends the set-up.
    {
        Session s;
        s.tb.bench.bus().no_listener(13);
        readout_spd* w = s.enter();
        QVERIFY(w);
        settle_events();
        QVERIFY(!s.window);
        QCOMPARE(s.tb.prompts.boxes(), QStringList({
                                           "No listeners error (ENOL) on Type ",
                                           "Timed out (EABO) on ID ",
                                           "No listeners error (ENOL) on Start configure clear events",
                                           "Quiting Readout Mode",
                                           "No listeners error (ENOL) on Put in readout mode and clearout",
                                           "No listeners error (ENOL) on Clear events",
                                       }));
        const auto quit = s.tb.prompts.calls[3];
        QCOMPARE(quit.icon, Prompts::Icon::Critical);
        QCOMPARE(quit.title, QString("Pelmora"));
        QVERIFY(s.main->menuModeBar->isEnabled());
        QVERIFY(s.main->menuConfBar->isEnabled());
        QVERIFY(!s.main->menuReadout->isChecked());
        QVERIFY(!s.main->open_mode_window());
        QVERIFY(!s.tb.end_system_called);
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<PleaseWait*>(top));
    }
    // The meter never completes the set-up: the completion-checked set-up fails.
    {
        Session s;
        s.tb.meter().silent = true;
        QVERIFY(s.enter());
        settle_events();
        QVERIFY(!s.window);
        const QStringList boxes = s.tb.prompts.boxes();
        QVERIFY(boxes.indexOf("Could not setup device") >= 0);
        QCOMPARE(boxes.indexOf("Quiting Readout Mode"), boxes.indexOf("Could not setup device") + 1);
        QVERIFY(s.main->menuModeBar->isEnabled());
        // The leaving commands still went out.
        QCOMPARE(s.tb.meter_sent().last(), QString("*CLS;*ESE 0;*SRE 0"));
        QCOMPARE(s.tb.meter_sent().at(s.tb.meter_sent().size() - 2),
                 QString("*CLS;*ESE 49;*SRE 48;OPMD DIGIT;DISP ON;FAST OFF"));
    }
}

void ReadoutTest::plain_run_exact_figures()
{
    Session s;
    exact_timing(s.tb, 2.5);
    readout_spd* w = s.enter();
    const qint64 from = s.log_size();
    s.at_yield([&] { return s.requests() >= 1; }, [w] { w->menuStop_Click(); });
    bool running_seen = false;
    QTimer::singleShot(0, [&] { running_seen = g().test_running && w->menuStop->isEnabled() && !w->menuRun->isEnabled(); });
    w->menuRun_Click();
    QVERIFY(running_seen);
    QCOMPARE(s.requests(), 50);
    QCOMPARE(w->avg_time->text(), QString("2.50"));
    QCOMPARE(w->rdgs_per_sec->text(), QString("400"));
    QCOMPARE(w->readings->text(), QString("A -10.000 dBm"));
    QVERIFY(!g().test_running);
    QVERIFY(w->menuRun->isEnabled());
    QVERIFY(!w->menuStop->isEnabled());
    QVERIFY(w->menuFastMode->isEnabled());
    // Plain path: a request and a read for every reading, nothing else.
    const QStringList t = s.traffic(from);
    QCOMPARE(t.size(), 50);
    QCOMPARE(t.count("send 13 O 1"), 50);
    QVERIFY(s.tb.prompts.boxes().isEmpty());
}

void ReadoutTest::display_update_count_paces_the_pass()
{
    Session s;
    exact_timing(s.tb, 1.0);
    readout_spd* w = s.enter();
    w->menuDisplayUpdate_Click(6);
    QCOMPARE(w->update_count, 1);
    QVERIFY(w->menuDisplayUpdate[6]->isChecked());
    QVERIFY(!w->menuDisplayUpdate[2]->isChecked());
    // With 1 the display updates after every reading: Stop after the third ends the run there.
    s.at_yield([&] { return s.requests() >= 3; }, [w] { w->menuStop_Click(); });
    w->menuRun_Click();
    QCOMPARE(s.requests(), 3);
    // With 500, Stop takes effect only after the whole pass.
    w->menuDisplayUpdate_Click(0);
    s.at_yield([&] { return s.requests() >= 10; }, [w] { w->menuStop_Click(); });
    w->menuRun_Click();
    QCOMPARE(s.requests(), 503);
    QCOMPARE(w->avg_time->text(), QString("1.00"));
    QCOMPARE(w->rdgs_per_sec->text(), QString("1000"));
}

void ReadoutTest::fast_run_reads_only()
{
    Session s;
    exact_timing(s.tb);
    s.tb.meter().numbers[sim_readout::kFastestMs] = 0.25;
    readout_spd* w = s.enter();
    w->menuFastest_Click();
    QVERIFY(w->fast_mode);
    const qint64 from = s.log_size();
    const int reads_before = s.reads();
    s.at_yield([&] { return s.reads() > reads_before; }, [w] { w->menuStop_Click(); });
    w->menuRun_Click();
    const QStringList t = s.traffic(from);
    QCOMPARE(t, QStringList({"send 13 FAST ON", "setup 13"}));
    QCOMPARE(s.reads() - reads_before, 50);
    QCOMPARE(s.requests(), 0);
    QCOMPARE(w->avg_time->text(), QString("0.25"));
    QCOMPARE(w->rdgs_per_sec->text(), QString("4000"));
    QCOMPARE(w->readings->text(), QString("A -10.000 dBm"));
    // Fast mode stays on in the meter after the run.
    QCOMPARE(s.tb.meter().value("FAST"), QString("ON"));
}

void ReadoutTest::rates_order_plain_fast_fastest()
{
    // The bench's own timing, bus transfer included.
    Session s;
    readout_spd* w = s.enter();
    const auto one_pass = [&] {
        const int before = s.reads();
        s.at_yield([&, before] { return s.reads() > before; }, [w] { w->menuStop_Click(); });
        w->menuRun_Click();
        return w->last_ms_per_reading;
    };
    const float plain = one_pass();
    w->menuFastMode_Click();
    const float fast = one_pass();
    w->menuFastMode_Click();
    w->menuFastest_Click();
    const float fastest = one_pass();
    QVERIFY2(plain > fast && fast > fastest, qPrintable(QString("%1 %2 %3").arg(plain).arg(fast).arg(fastest)));
    QVERIFY(fastest > 0);
}

void ReadoutTest::no_data_read_keeps_last_reading()
{
    Session s;
    exact_timing(s.tb, 2.5);
    readout_spd* w = s.enter();
    // Pass 1 reads; in pass 2 the trigger source becomes external with no trigger coming.
    s.at_yield([&] { return s.requests() >= 60; }, [&, w] {
        w->TrigSource->setCurrentIndex(1);
        w->TrigSource_Click();
    });
    w->menuRun_Click();
    QCOMPARE(s.tb.prompts.boxes(), QStringList({"No data read"}));
    QCOMPARE(s.tb.prompts.calls[0].icon, Prompts::Icon::Critical);
    QCOMPARE(s.requests(), 61);
    // The figures cover the ten readings that came; the time-out is not a reading.
    QCOMPARE(w->avg_time->text(), QString("2.50"));
    QCOMPARE(w->rdgs_per_sec->text(), QString("400"));
    QCOMPARE(w->readings->text(), QString("A -10.000 dBm"));
    QVERIFY(!g().test_running);
    QVERIFY(w->menuRun->isEnabled());

    // A first reading that never comes: nothing to compute, nothing shown as a reading.
    s.tb.prompts.clear();
    w->menuMeas_Click(1);
    w->menuRun_Click();
    QCOMPARE(s.tb.prompts.boxes(), QStringList({"No data read"}));
    QCOMPARE(w->avg_time->text(), QString("N/A"));
    QCOMPARE(w->rdgs_per_sec->text(), QString("N/A"));
    QCOMPARE(w->readings->text(), QString("B --.--- dBm"));
}

void ReadoutTest::exit_and_close_box_during_run()
{
    for (const bool close_box : {false, true}) {
        Session s;
        exact_timing(s.tb, 1.0);
        readout_spd* w = s.enter();
        QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        QVERIFY(sub);
        s.at_yield([&] { return s.requests() >= 10; }, [&, w, sub] {
            if (close_box)
                sub->close();
            else
                w->menuExit_Click();
        });
        w->menuRun_Click();
        // The pass in progress ends whole; then the window closes through its unload.
        QCOMPARE(s.requests(), 50);
        settle_events();
        QVERIFY(!s.window);
        QVERIFY(!g().test_running);
        const QStringList sent = s.tb.meter_sent();
        QCOMPARE(sent.mid(sent.size() - 2), QStringList({"*CLS;*ESE 49;*SRE 48;OPMD DIGIT;DISP ON;FAST OFF",
                                                         "*CLS;*ESE 0;*SRE 0"}));
        QVERIFY(s.main->menuModeBar->isEnabled());
        QVERIFY(!s.main->menuReadout->isChecked());
        QVERIFY(s.tb.prompts.boxes().isEmpty());
    }
}

void ReadoutTest::main_window_closed_during_run()
{
    Session s;
    exact_timing(s.tb, 1.0);
    readout_spd* w = s.enter();
    s.at_yield([&] { return s.requests() >= 10; }, [&] { s.main->close(); });
    w->menuRun_Click();
    QCOMPARE(s.requests(), 50);
    settle_events();
    QVERIFY(!s.window);
    QVERIFY(s.main->closed());
    // The meter got the mode's leaving commands before the board went back to local.
    const QStringList t = s.traffic();
    const int leave = int(t.indexOf("send 13 *CLS;*ESE 49;*SRE 48;OPMD DIGIT;DISP ON;FAST OFF"));
    QVERIFY(leave > 0);
    QVERIFY(t.indexOf("sre -1 0") > leave);
}

void ReadoutTest::exit_while_idle_closes_at_once()
{
    Session s;
    readout_spd* w = s.enter();
    w->menuExit_Click();
    QVERIFY(w->unloaded());
    settle_events();
    QVERIFY(!s.window);
    QVERIFY(s.main->menuConfBar->isEnabled());
    // The main window can enter the mode again.
    QVERIFY(s.enter());
}

void ReadoutTest::fastest_setup_success_and_failure()
{
    {
        Session s;
        readout_spd* w = s.enter();
        w->SSTab1->setCurrentIndex(0);
        const qint64 from = s.log_size();
        w->menuFastest_Click();
        QCOMPARE(s.traffic(from), QStringList({
                                      "devclear 13",
                                      "send 13 *CLS;*ESE 0;*SRE 0",
                                      "send 13 FAST OFF;DISP ON",
                                      "send 13 *CLS;*ESE 49;*SRE 48;AVG A,OFF,;AVGLL A,OFF;CFSRC A,MAN;SENSTL A,10.0;DISP OFF",
                                      "send 13 AVG B,OFF,;AVGLL B,OFF;CFSRC B,MAN;SENSTL B,10.0;*OPC",
                                      "tmo -1 13",
                                      "wait -1 SRQI",
                                      "send 13 " + esr_query.trimmed(),
                                      "send 13 *CLS;*ESE 0;*SRE 0",
                                      "send 13 FAST ON",
                                  }));
        QVERIFY(s.tb.prompts.boxes().isEmpty());
        QVERIFY(!w->display_on);
        QVERIFY(!w->menuDisplay->isChecked());
        QVERIFY(!w->menuDisplay->isEnabled());
        QVERIFY(w->fast_mode);
        QVERIFY(w->menuFastMode->isChecked());
        QVERIFY(!w->SSTab1->isTabEnabled(0));
        QVERIFY(!w->SSTab1->isTabEnabled(1));
        QCOMPARE(w->SSTab1->currentIndex(), 2);
        QVERIFY(!s.tb.meter().display_on);
        QCOMPARE(s.tb.meter().value("CFSRC B"), QString("MAN"));
        QVERIFY(w->menuControlBar->isEnabled());
    }
    {
        Session s;
        readout_spd* w = s.enter();
        s.tb.meter().silent = true;
        w->menuFastest_Click();
        QCOMPARE(s.tb.prompts.boxes(), QStringList({"Could not setup sorvane"}));
        QCOMPARE(s.tb.prompts.calls[0].title, QString("RQ5810 demo programme"));
        QCOMPARE(s.tb.prompts.calls[0].icon, Prompts::Icon::Critical);
        QVERIFY(!w->menuControlBar->isEnabled());
        QVERIFY(!w->fast_mode);
        QVERIFY(w->display_on);
        const QStringList sent = s.tb.meter_sent();
        QCOMPARE(sent.mid(sent.size() - 2), QStringList({"*CLS;*ESE 0;*SRE 0", "FAST ON"}));
        // The window stays open and can still be left.
        QVERIFY(!w->unloaded());
        w->menuExit_Click();
        settle_events();
        QVERIFY(!s.window);
    }
}

void ReadoutTest::averaging_and_range_hold()
{
    Session s;
    readout_spd* w = s.enter();
    s.tb.clear_log();
    w->Averaging_combo[1]->setCurrentIndex(1);  // AUTO
    w->Averaging_combo_Click(1);
    w->Averaging_combo[0]->setCurrentIndex(0);  // OFF
    w->Averaging_combo_Click(0);
    w->Averaging_combo[0]->setCurrentIndex(6);  // 16
    w->Averaging_combo_Click(0);
    w->range_hold_combo[0]->setCurrentIndex(0);
    w->range_hold_combo_Click(0);
    w->range_hold_combo[1]->setCurrentIndex(5);
    w->range_hold_combo_Click(1);
    QCOMPARE(s.tb.meter_sent(), QStringList({"AVG B, Auto,", "GRSWS OFF", "GRSWS ON", "Avg A, MOV, 16", "GRSWP A, 16",
                                             "RGH A, 0", "RGH B, 5"}));
    QCOMPARE(sim_readout::averages(s.tb.meter(), "A"), 16);
    QCOMPARE(sim_readout::averages(s.tb.meter(), "B"), 16);  // the automatic count
    QCOMPARE(sim_readout::held_range(s.tb.meter(), "B"), 5);

    // Sensor modes and the custom frame.
    s.tb.clear_log();
    w->Sensor_Mode_opt[2]->setChecked(true);
    w->Sensor_Mode_opt_Click(2);
    QVERIFY(!w->Custom_frame->isHidden());
    w->menuMeas_Click(1);
    QVERIFY(w->Custom_frame->isHidden());
    w->menuMeas_Click(2);
    QVERIFY(!w->Custom_frame->isHidden());
    w->Sensor_Mode_opt[4]->setChecked(true);
    w->Sensor_Mode_opt_Click(4);
    w->Sensor_Mode_opt[0]->setChecked(true);
    w->Sensor_Mode_opt_Click(0);
    QVERIFY(w->Custom_frame->isHidden());
    QCOMPARE(s.tb.meter_sent(),
             QStringList({"SENMM A, CUSTOM", "CHCFG 1, B", "CHCFG 1, A-B", "SENMM B, MOD", "SENMM A, DEFAULT"}));
    QVERIFY(w->menuMeas[2]->isChecked());
    QVERIFY(!w->menuMeas[1]->isChecked());
    QCOMPARE(w->readings->text(), QString("A-B --.--- dBm"));

    // RF calibrator.
    s.tb.clear_log();
    w->RFCal_check->setChecked(true);
    w->RFCal_check_Click();
    w->RFCal_check->setChecked(false);
    w->RFCal_check_Click();
    QCOMPARE(s.tb.meter_sent(), QStringList({"RFCAL ON", "RFCAL OFF"}));
}

void ReadoutTest::trigger_handlers()
{
    Session s;
    readout_spd* w = s.enter();
    s.tb.clear_log();
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();
    QVERIFY(w->InternalType[0]->isEnabled());
    QVERIFY(w->InternalType[1]->isEnabled());
    w->InternalType_Click(1);
    w->TrigSource->setCurrentIndex(0);
    w->TrigSource_Click();
    QVERIFY(!w->InternalType[0]->isEnabled());

    w->Level->setText("-50");
    w->Level_Enter();
    w->Level->setText("-51");
    w->Level_Enter();
    QCOMPARE(s.tb.prompts.beeps(), 1);
    QCOMPARE(w->Level->text(), QString("-51"));
    w->Level->setText("3");
    w->Level_Enter();

    w->Trigger_Delay_Box->setText("1.5");
    w->Trigger_Delay_Box_Done();
    w->Trigger_Width_Box->setText("20.00");
    w->Trigger_Width_Box_Done();
    QCOMPARE(s.tb.meter_sent(), QStringList({"TRGSRC 1, EXTTTL", "GTTYP FALL; GTXTTL FALL; TRGXTTL 1, FALL",
                                             "TRGSRC 1, CONT", "TRGLVL 1,-50", "TRGLVL 1, 3", "TRGDLY 1, 1.5",
                                             "TRGGW 1, 20.00"}));

    // Leaving a box for another control sends it as well.
    s.tb.clear_log();
    QApplication::setActiveWindow(s.main.get());
    QVERIFY(QTest::qWaitForWindowActive(s.main.get()));
    w->SSTab1->setCurrentIndex(0);
    w->Trigger_Delay_Box->setText("2.5");
    w->Trigger_Delay_Box->setFocus(Qt::MouseFocusReason);
    w->Trigger_Width_Box->setFocus(Qt::TabFocusReason);
    w->Trigger_Width_Box->setText("30");
    w->Level->setFocus(Qt::MouseFocusReason);
    QCOMPARE(s.tb.meter_sent(), QStringList({"TRGDLY 1, 2.5", "TRGGW 1, 30"}));

    // A link failure in a trigger handler shows its box and ends the handler; the window lives on.
    s.tb.prompts.clear();
    s.tb.bench.bus().fail_next("send", 2);
    w->TrigSource->setCurrentIndex(2);
    w->TrigSource_Click();
    s.tb.bench.bus().fail_next("send", 6);
    w->Level->setText("-20");
    w->Level_Enter();
    s.tb.bench.bus().fail_next("send", 2);
    w->InternalType_Click(0);
    QCOMPARE(s.tb.prompts.boxes(), QStringList({"No listeners error (ENOL) on Update trigger source",
                                                "Timed out (EABO) on Update internal trig level",
                                                "No listeners error (ENOL) on Update internal Trigger Type"}));
    QVERIFY(!w->unloaded());
    QVERIFY(!w->busy());
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
}

// Enter in a trigger box: a text the meter takes goes out trimmed; any other sends nothing and beeps,
// the delay and width boxes going back to what was last sent, the level box keeping the text.
void ReadoutTest::trigger_boxes_send_only_what_the_meter_takes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("shown");
    const QString digits(400, '9');
    for (const QString& refused : {QString("1;*RST"), QString("nan"), QString("-5"), QString("1e999"), QString(), digits})
        QTest::newRow(qPrintable("delay " + refused.left(8))) << "delay" << refused << "" << "1.00";
    QTest::newRow("delay 0") << "delay" << "0" << "TRGDLY 1, 0" << "0";
    QTest::newRow("delay blanks") << "delay" << " 2 " << "TRGDLY 1, 2" << " 2 ";
    QTest::newRow("delay tab") << "delay" << "0.5\t" << "TRGDLY 1, 0.5" << "0.5\t";
    for (const QString& refused : {QString("1;*RST"), QString("0"), QString("nan"), QString(), digits})
        QTest::newRow(qPrintable("width " + refused.left(8))) << "width" << refused << "" << "20.00";
    QTest::newRow("width") << "width" << "2 " << "TRGGW 1, 2" << "2 ";
    for (const QString& refused : {QString("1e999"), QString("1e39"), QString("20.01"), QString("-51"), QString("x"),
                                   QString("1;*RST"), QString(), digits})
        QTest::newRow(qPrintable("level " + refused.left(8))) << "level" << refused << "" << refused;
    QTest::newRow("level top") << "level" << "20" << "TRGLVL 1, 20" << "20";
    QTest::newRow("level blanks") << "level" << "\t-50 " << "TRGLVL 1,-50" << "\t-50 ";
}

void ReadoutTest::trigger_boxes_send_only_what_the_meter_takes()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QFETCH(QString, shown);
    Session s;
    readout_spd* w = s.enter();
    s.tb.clear_log();
    QLineEdit* edit = box == "delay" ? w->Trigger_Delay_Box : box == "width" ? w->Trigger_Width_Box : w->Level;
    edit->setText(typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(s.tb.meter_sent(), sent.isEmpty() ? QStringList() : QStringList{sent});
    QCOMPARE(s.tb.prompts.beeps(), sent.isEmpty() ? 1 : 0);
    QCOMPARE(edit->text(), shown);
}

void ReadoutTest::zero_switches_maker_generator_around_it()
{
    {
        Session s;
        QVERIFY(g().maker_synth);
        readout_spd* w = s.enter();
        s.tb.clear_log();
        w->Zero_but_Click(0);
        QStringList order;
        for (const auto& e : s.tb.bench.log().entries())
            if (e.kind == "send")
                order << QString("%1 %2").arg(e.address).arg(QString::fromLatin1(e.bytes));
        QCOMPARE(order.first(), QString("5 RF0"));
        QCOMPARE(order.at(1), QString("13 ZERO A; *OPC?"));
        QCOMPARE(order.last(), QString("5 RF1"));
        QVERIFY(s.tb.generator().rf_on);
        // Zeroed with the RF off: no offset.
        QCOMPARE(s.tb.meter().zero_offset_db("A"), 0.0);
        QCOMPARE(w->windowTitle(), QString("Readout mode"));
        QVERIFY(w->isEnabled());
        s.tb.clear_log();
        w->Cal_but_Click(1);
        QCOMPARE(s.tb.meter_sent().first(), QString("CAL B; *OPC?"));
        QVERIFY(s.tb.generator_sent().isEmpty());
    }
    {
        Session s;
        g().maker_synth = false;
        readout_spd* w = s.enter();
        s.tb.clear_log();
        w->Zero_but_Click(1);
        QVERIFY(s.tb.generator_sent().isEmpty());
        QCOMPARE(s.tb.meter_sent().first(), QString("ZERO B; *OPC?"));
    }
}

void ReadoutTest::measurement_channels_show_their_values()
{
    Session s;
    exact_timing(s.tb, 1.0);
    readout_spd* w = s.enter();
    w->menuDisplayUpdate_Click(6);
    // A is -10 dBm and B -13 dBm on the bench.
    const QString expected[6] = {"A -10.000 dBm", "B -13.000 dBm", "A-B 3.000 dBm",
                                 "B-A -3.000 dBm", "A/B 1.995 dBm", "B/A 0.501 dBm"};
    for (int ch = 0; ch < 6; ++ch) {
        w->menuMeas_Click(ch);
        const int before = s.requests();
        s.at_yield([&, before] { return s.requests() > before; }, [w] { w->menuStop_Click(); });
        w->menuRun_Click();
        QCOMPARE(w->readings->text(), expected[ch]);
    }
    // Range hold 2 (-50 to -30 dBm) holds sensor A's -10 dBm at the top of the range.
    w->menuMeas_Click(0);
    w->range_hold_combo[0]->setCurrentIndex(2);
    w->range_hold_combo_Click(0);
    s.at_yield([&] { return true; }, [w] { w->menuStop_Click(); });
    w->menuRun_Click();
    QCOMPARE(w->readings->text(), QString("A -30.000 dBm"));
}

void ReadoutTest::fast_mode_toggle_and_reset()
{
    Session s;
    readout_spd* w = s.enter();
    s.tb.clear_log();
    const qint64 t0 = s.tb.clock.now_us();
    w->menuFastMode_Click();
    QVERIFY(s.tb.clock.now_us() - t0 >= 2'000'000);
    QVERIFY(w->fast_mode);
    QVERIFY(w->menuFastMode->isChecked());
    QVERIFY(!w->menuDisplay->isEnabled());
    QVERIFY(!w->menuDisplay->isChecked());
    QCOMPARE(w->SSTab1->currentIndex(), 2);
    w->menuFastMode_Click();
    QVERIFY(!w->fast_mode);
    QVERIFY(w->menuDisplay->isEnabled());
    QVERIFY(w->menuDisplay->isChecked());
    QVERIFY(w->SSTab1->isTabEnabled(0));
    QCOMPARE(w->SSTab1->currentIndex(), 1);

    w->menuDisplay_Click();
    QVERIFY(!w->display_on);
    QVERIFY(!w->menuDisplay->isChecked());
    w->menuDisplay_Click();
    QVERIFY(w->display_on);
    QVERIFY(w->menuDisplay->isChecked());
    QCOMPARE(s.tb.meter_sent(), QStringList({"FAST ON", "FAST OFF", "DISP OFF", "DISP ON"}));

    w->menuFastest_Click();
    s.tb.clear_log();
    w->menuReset_Click();
    QCOMPARE(s.traffic(), QStringList({"devclear 13", "send 13 FAST OFF", "send 13 DISP ON", "send 13 *RST"}));
    QVERIFY(!w->fast_mode);
    QVERIFY(w->display_on);
    QVERIFY(w->menuDisplay->isChecked());
    QVERIFY(w->menuDisplay->isEnabled());
    QVERIFY(!w->menuFastMode->isChecked());
    QVERIFY(w->SSTab1->isTabEnabled(0));
    QVERIFY(w->SSTab1->isTabEnabled(1));
    QCOMPARE(s.tb.meter().value("FAST"), QString("OFF"));
    QVERIFY(s.tb.prompts.boxes().isEmpty());
}

void ReadoutTest::sim_trigger_sources_and_averaging()
{
    TestBench tb;
    SimMeter& m = tb.meter();
    SimGpibBus& bus = tb.bench.bus();
    bus.us_per_byte = 0;
    bus.ibtmo(0, 12);
    const auto read = [&](const QByteArray& request) -> std::optional<double> {
        if (!request.isEmpty())
            bus.send(0, 13, request, 1);
        QByteArray buffer(32, ' ');
        bus.receive(0, 13, buffer, 32, 256);
        if (bus.status().sta & GpibDriver::ERR)
            return std::nullopt;
        return buffer.left(bus.status().cnt).trimmed().toDouble();
    };

    QVERIFY(read("O 1").has_value());
    // External trigger: none comes, the read times out after 3 s; with a 100 Hz trigger it answers.
    bus.send(0, 13, "TRGSRC 1, EXTTTL", 1);
    qint64 t = tb.clock.now_us();
    QVERIFY(!read("O 1"));
    QCOMPARE(tb.clock.now_us() - t, qint64(3'000'000));
    m.numbers[sim_readout::kExtTriggerHz] = 100;
    t = tb.clock.now_us();
    QVERIFY(read("O 1"));
    QVERIFY(tb.clock.now_us() - t <= 10'000 + 2'000 + 100);
    // Internal on A: -10 dBm triggers at -20 dBm, not at -5 dBm.
    bus.send(0, 13, "TRGSRC 1, INTA;TRGLVL 1,-20", 1);
    QVERIFY(read("O 1"));
    bus.send(0, 13, "TRGLVL 1,-5", 1);
    QVERIFY(!read("O 1"));
    bus.send(0, 13, "TRGSRC 1, INTB;TRGLVL 1,-14", 1);
    QVERIFY(read("O 1"));
    bus.send(0, 13, "TRGSRC 1, CONT", 1);

    // Averaging narrows the spread of the seeded noise.
    const auto spread = [&] {
        double sum = 0, sum2 = 0;
        const int n = 200;
        for (int i = 0; i < n; ++i) {
            const double v = *read("O 1");
            sum += v;
            sum2 += v * v;
        }
        const double mean = sum / n;
        return std::sqrt(sum2 / n - mean * mean);
    };
    const double plain = spread();
    bus.send(0, 13, "GRSWS ON;Avg A, MOV, 64;GRSWP A, 64", 1);
    const double averaged = spread();
    QVERIFY2(plain > 0.03 && plain < 0.07, qPrintable(QString::number(plain)));
    QVERIFY2(averaged < plain / 5, qPrintable(QString("%1 %2").arg(plain).arg(averaged)));

    // The fast stream: after FAST ON and addressing the meter to talk, every read gets a fresh reading.
    bus.send(0, 13, "FAST ON;GRSWS OFF", 1);
    bus.receive_setup(0, 13);
    QSet<QByteArray> seen;
    for (int i = 0; i < 20; ++i) {
        QByteArray buffer(32, ' ');
        bus.rcv_resp_msg(0, buffer, 32, 256);
        QVERIFY(!(bus.status().sta & GpibDriver::ERR));
        seen.insert(buffer.left(bus.status().cnt));
    }
    QCOMPARE(seen.size(), 20);
    // Without fast mode a read with nothing asked times out.
    bus.send(0, 13, "FAST OFF", 1);
    QVERIFY(!read(QByteArray()));
}

QTEST_MAIN(ReadoutTest)
#include "test_readout.moc"
