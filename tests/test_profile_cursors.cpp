// The profile window's cursors, zoom, pulse analysis, automatic set-up and pulse definition on the
// simulated bench: the commands they send, the texts they show, and what they leave behind.
#include "frame/trace_block.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "profile/process_bar.h"
#include "profile/pulse_analysis.h"
#include "profile/pulse_define.h"
#include "sim/meter_profile.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/profile_window.h"
#include "support/test_bench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <cmath>

namespace {

graphtests* loaded(TestBench& tb) { return open_profile_window(tb); }

void close(QPointer<graphtests>& w)
{
    if (w)
        w->menuExit_Click();
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The generator's 1 ms train of 0.1 ms pulses (-1 dBm at sensor A over its -60 dBm floor), the meter
// triggered on its sync output, 5 ms across the graph: pulses on points 1..4, 41..44, ... 161..164.
void external_pulse_train(TestBench& tb, graphtests* w)
{
    tb.generator().receive_message("IP");
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();
    w->right_x_axis->setText("5");
    w->right_x_axis_KeyPress(13);
}

QString padded(const QString& text, int width) { return text.leftJustified(width, ' '); }

QStringList repeated(const QString& text, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << text;
    return out;
}

const QString ogbd = QStringLiteral("OGBD");

}  // namespace

class ProfileCursorsTest : public QObject {
    Q_OBJECT
private slots:
    void dragging_sends_the_gate_from_the_timer();
    void the_timer_waits_for_an_exchange_to_end();
    void step_buttons();
    void centring_and_zooms();
    void analysis_of_the_simulated_pulse_train();
    void automatic_set_up_finds_the_period();
    void automatic_set_up_ends_cleanly_every_other_way();
    void pulse_definition_window();
};

void ProfileCursorsTest::dragging_sends_the_gate_from_the_timer()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    w->graph_trace.fill(-20 * 1024);
    w->trace_valid = true;
    w->cursor1_index = 20;
    w->cursor2_index = 60;
    // Over cursor 1, press, move: only the index moves; the timer redraws and sends the gate.
    w->graph_MouseMove(false, 20.4);
    QCOMPARE(w->drag_target, 1);
    w->graph_MouseDown(Qt::LeftButton, 20.4);
    w->graph_MouseMove(true, 30.2);
    QCOMPARE(w->cursor1_index, 30);
    QVERIFY(tb.meter_sent().isEmpty());
    w->graph_MouseUp();
    w->Timer1_Timer();
    // 10 ms across the graph: 0.05 ms a point.
    QCOMPARE(tb.meter_sent(), QStringList({"GTDLY  1.5ms", "GTGW  1.5ms"}));
    QCOMPARE(w->cur1_data->text(), QString("-20.000 dBm @ 1.500ms"));
    QCOMPARE(w->cur2_data->text(), QString("-20.000 dBm @ 3.000ms"));
    QCOMPARE(w->Time_diff_Data->text() + w->time_label->text(), QString("1.500ms"));
    QVERIFY(!w->cursor_redraw_pending);
    // One redraw per move: the next tick has nothing to do.
    w->Timer1_Timer();
    QCOMPARE(tb.meter_sent().size(), 2);

    // Linked: cursor 2 drags cursor 1 along, which stops at 0.
    w->Link_cursors_check->setChecked(true);
    w->graph_MouseMove(false, 60);
    w->graph_MouseDown(Qt::LeftButton, 60);
    w->graph_MouseMove(true, 10);
    QCOMPARE(w->cursor1_index, 0);
    QCOMPARE(w->cursor2_index, 10);
    w->Form_MouseMove();  // leaving the graph ends the drag
    w->graph_MouseMove(true, 100);
    QCOMPARE(w->cursor2_index, 10);
    w->Timer1_Timer();

    // Locked to the extremes (Lock and Track both ticked): the mouse moves nothing; each trace puts the
    // cursors on its lowest and highest points.
    w->Track_min_max_check->setChecked(true);
    w->Track_min_max_check_Click();
    w->Lock_to_min_max->setChecked(true);
    tb.clear_log();
    w->graph_MouseMove(false, 10);
    w->graph_MouseDown(Qt::LeftButton, 10);
    w->graph_MouseMove(true, 50);
    w->graph_MouseUp();
    QCOMPARE(w->cursor2_index, 10);
    QVERIFY(!w->cursor_redraw_pending);
    tb.generator().receive_message("IP");
    w->menuRunOnce_Click();
    QCOMPARE(w->cursor1_index, w->trace_min_index);
    QCOMPARE(w->cursor2_index, w->trace_max_index);
    QVERIFY(w->graph_trace[std::size_t(w->cursor2_index)] > w->graph_trace[std::size_t(w->cursor1_index)]);
    close(w);
}

void ProfileCursorsTest::the_timer_waits_for_an_exchange_to_end()
{
    // The timer fires while the meter is still working on a trace request (a link wait lets timers in):
    // the cursor redraw's gate must not go out between the request and its reply, and must not be lost.
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    // Only the ticks below: the window's own timer would also redraw between passes, which is allowed.
    w->Timer1->stop();
    std::array<qint32, trace_block::kPoints> values{};
    values.fill(-20 * 1024);
    tb.meter().on("OGBD", [&](SimMeter& m, const SimMeter::Command&) {
        w->cursor_redraw_pending = true;
        w->Timer1_Timer();
        m.reply_raw(make_trace_block(values), 1.0);
    });
    w->menuRunOnce_Click();
    QCOMPARE(tb.meter_sent(), QStringList({"SENTYP A", "DISP ON"}) + repeated(ogbd, 3));
    QVERIFY(w->cursor_redraw_pending);
    w->Timer1_Timer();
    QCOMPARE(tb.meter_sent().mid(5), QStringList({"GTDLY  0ms", "GTGW  0ms"}));
    close(w);
}

void ProfileCursorsTest::step_buttons()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    // 0 dBm on points 51..60 over -20 dBm; 10 ms across: 0.05 ms a point.
    w->graph_trace.fill(-20 * 1024);
    for (int i = 51; i <= 60; ++i)
        w->graph_trace[std::size_t(i)] = 0;
    w->trace_valid = true;
    w->cursor1_index = 10;
    w->cursor2_index = 100;
    w->C1TPLR_Click();
    w->C2TPRL_Click();
    QCOMPARE(w->cursor1_index, 50);
    QCOMPARE(w->cursor2_index, 61);
    QCOMPARE(tb.meter_sent(), QStringList({"GTDLY  2.5ms", "GTGW  2.5ms", "GTDLY  2.5ms", "GTGW  .55ms"}));
    // A step bigger than "Difference needed" only; none found: nothing moves, the gate still goes out.
    tb.clear_log();
    w->Difference_Needed->setText("25");
    w->C1TPRL_Click();
    QCOMPARE(w->cursor1_index, 50);
    QCOMPARE(tb.meter_sent(), QStringList({"GTDLY  2.5ms", "GTGW  .55ms"}));
    // Linked: cursor 2 keeps its distance.
    w->Difference_Needed->setText("10");
    w->Link_cursors_check->setChecked(true);
    w->C1TPLR_Click();
    QCOMPARE(w->cursor1_index, 60);
    QCOMPARE(w->cursor2_index, 71);
    close(w);
}

void ProfileCursorsTest::centring_and_zooms()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    w->display_delay_ms = 20;
    w->sample_delay_ms = 3;
    w->gate_width_ms = 1;
    // Centre the gate's start: the display starts half a span before it; then one burst of three traces.
    w->COC_Click(0);
    // A burst checks the sensor and sets the display, then asks for three traces.
    const QStringList burst = QStringList({"SENTYP A", "DISP ON"}) + repeated(ogbd, 3);
    QCOMPARE(tb.meter_sent(), QStringList({"DTRGD  18ms", "GTDLY  5ms"}) + burst);
    QCOMPARE(w->DDP->text(), QString(" 18"));
    QCOMPARE(w->sample_delay_data->text(), QString(" 5"));
    QVERIFY(w->COC[0]->isEnabled());
    // Zoom to the gate: it fills the display.
    tb.clear_log();
    w->Zoom_Between_Click();
    QCOMPARE(tb.meter_sent(),
             QStringList({"DTRGD  23ms", "GTDLY  0ms", padded("GRPRD  .001", 30)}) + burst);
    QCOMPARE(w->right_x_axis->text(), QString(" 1"));
    QCOMPARE(w->sample_delay_data->text(), QString("0"));
    QCOMPARE(w->cursor1_index, 0);
    QCOMPARE(w->cursor2_index, 199);
    // Zoom out: twice the span, the gate where it was.
    tb.clear_log();
    w->Zoom_out_Click();
    QCOMPARE(tb.meter_sent(),
             QStringList({"DTRGD  22.5ms", "GTDLY  .5ms", padded("GRPRD  .002", 30)}) + burst);
    QCOMPARE(w->DDP->text(), QString("22.5"));
    QCOMPARE(w->right_x_axis->text(), QString(" 2"));
    QCOMPARE(w->cursor1_index, 50);
    QCOMPARE(w->cursor2_index, 150);
    // Past the longest span, or to a gate of no width: a beep and nothing else.
    tb.clear_log();
    w->capture_span_ms = 4000;
    w->Zoom_out_Click();
    w->gate_width_ms = 0;
    w->Zoom_Between_Click();
    QVERIFY(tb.meter_sent().isEmpty());
    QCOMPARE(tb.prompts.beeps(), 2);
    QVERIFY(w->Zoom_out->isEnabled() && w->Zoom_Between->isEnabled());

    // During a run a zoom only changes the settings: the run goes on, no burst is started.
    w->capture_span_ms = 10;
    w->update_collection_period();
    tb.clear_log();
    int yields = 0;
    tb.clock.on_yield = [&] {
        ++yields;
        if (yields == 4)
            w->Zoom_out_Click();
        if (tb.meter_sent().count(ogbd) == 6)
            w->menuStop_Click();
    };
    w->menuRunCont_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(tb.meter_sent().count(ogbd), 6);
    QCOMPARE(tb.meter_sent().filter("GRPRD").size(), 2);  // the run's set-up, then the zoom's
    close(w);
}

void ProfileCursorsTest::analysis_of_the_simulated_pulse_train()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    external_pulse_train(tb, w);
    w->SSTab1->setCurrentIndex(4);
    w->menuRunOnce_Click();
    // The load's gate puts both cursors on point 0: no pulse between them.
    QVERIFY(!w->Pulse_label->isHidden());
    QCOMPARE(w->Pulse_label->text(), pulse_analysis::hint_text());
    QVERIFY(w->Time_frame->isHidden() && !w->Define_pulse_button->isEnabled());
    QCOMPARE(w->Pulse_Rep->text(), QString("N/A"));

    // Cursors around the first pulse. Edges between two points: -60 dBm at 0, -1 at 1..4, -60 at 5.
    w->cursor1_index = 0;
    w->cursor2_index = 20;
    w->Show_Lines_Check->setChecked(true);
    w->Show_Lines_Check_Click();
    w->refresh_pulse_info();
    QVERIFY(w->Pulse_label->isHidden() && !w->Time_frame->isHidden() && w->Define_pulse_button->isEnabled());
    const QStringList shown = {w->top_line_Value->text(),  w->bottom_line_Value->text(),   w->Rise_Time_Value->text(),
                               w->Fall_Time_Value->text(), w->Pulse_duration_value->text(), w->Pulse_power->text(),
                               w->Peak_Power->text(),      w->Overshoot->text(),            w->Pulse_Rep->text(),
                               w->Rep_Freq->text(),        w->Duty_cycle_Value->text(),     w->Off_time->text()};
    QCOMPARE(shown, QStringList({"-1.000", "-60.000", "0.0200", "0.0200", "0.100", "-1.000", "-1.000", "0.000",
                                 "1.0000", "1.00KHz", "10.00%", "0.9000"}));
    // Over the first period, points 1..41: five at -1 dBm, the rest at the floor, divided by 40.
    const double average = 10 * std::log10((5 * std::pow(10, -0.1) + 36 * 1e-6) / 40);
    QCOMPARE(w->Average_power->text(), QString::number(average, 'f', 3));
    // The level lines: top, base, three levels and six edges.
    const auto lines = [&] {
        int n = 0;
        for (const Canvas::Op& op : w->graph_canvas().ops())
            n += op.color == pulse_analysis::kLevelColor || op.color == pulse_analysis::kEdgeColor ? 1 : 0;
        return n;
    };
    QCOMPARE(lines(), 11);

    // Two pulses between the cursors: the hint again, every figure N/A, no lines.
    w->cursor2_index = 60;
    w->refresh_pulse_info();
    QVERIFY(!w->Pulse_label->isHidden());
    QCOMPARE(w->Rise_Time_Value->text(), QString("N/A"));
    QCOMPARE(lines(), 0);

    // Auto Cursors: ten points either side of the first pulse, sent as the gate.
    tb.clear_log();
    w->Auto_cursors_Click();
    QCOMPARE(tb.meter_sent(), QStringList({"GTDLY  0ms", "GTGW  .375ms"}));
    QCOMPARE(w->cursor1_index, 0);
    QCOMPARE(w->cursor2_index, 15);
    // ... and the figures are those between them, not the two-pulse hint left from before.
    QVERIFY(w->Pulse_label->isHidden());
    QCOMPARE(w->Pulse_duration_value->text(), QString("0.100"));
    QCOMPARE(w->Time_diff_Data->text() + w->time_label->text(), QString("375.000us"));
    close(w);
}

void ProfileCursorsTest::automatic_set_up_finds_the_period()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    tb.generator().receive_message("IP");
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();
    tb.clear_log();
    tb.prompts.answers = {Prompts::Answer::Yes};
    int bar_seen = 0;
    bool input_taken = false;
    int timeout_code = 0;
    tb.clock.on_yield = [&] {
        if (auto* bar = w->findChild<Process_bar*>(); bar && bar->isVisible()) {
            bar_seen = std::max(bar_seen, bar->ProgressBar1->value());
            QCOMPARE(bar->windowTitle(), QString("Processing data...."));
            input_taken |= w->menuBar()->isEnabled() || w->Auto_Setup->isEnabled() || w->right_x_axis->isEnabled();
            timeout_code = tb.bench.bus().timeout_code();
        }
    };
    w->Auto_Setup_Click();
    tb.clock.on_yield = nullptr;
    QCOMPARE(tb.prompts.calls.front().title, QString("Auto-Setup"));
    QCOMPARE(tb.prompts.boxes().size(), 1);
    // Five pulses first show at 5 ms: the spans before it were tried and left.
    QStringList periods;
    for (const char* p : {" .0002", " .0005", " .001", " .002", " .005"})
        periods << padded(QStringLiteral("GRPRD ") + p, 30);
    QCOMPARE(tb.meter_sent().filter("GRPRD"), periods);
    QCOMPARE(tb.meter_sent().first(), QString("DTRGD  0ms"));
    QCOMPARE(tb.meter_sent().count(ogbd), 5);
    QCOMPARE(tb.meter_sent().mid(tb.meter_sent().size() - 2), QStringList({"GTDLY  0ms", "GTGW  .375ms"}));
    QVERIFY(tb.meter_sent().contains("GRAUTO"));
    QCOMPARE(w->capture_span_ms, 5.0f);
    QCOMPARE(w->right_x_axis->text(), QString("5.00"));
    QVERIFY(bar_seen >= 6 * 5 && bar_seen <= 77);
    QCOMPARE(timeout_code, 11);
    QVERIFY(!input_taken);
    // Everything back: the time-out, the controls, no progress window; the pulse analysed between the
    // cursors placed around it.
    QCOMPARE(tb.bench.bus().timeout_code(), 13);
    QVERIFY(w->menuBar()->isEnabled() && w->right_x_axis->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w->findChild<Process_bar*>());
    QVERIFY(w->trace_valid);
    QCOMPARE(w->Pulse_duration_value->text(), QString("0.100"));
    QCOMPARE(w->Pulse_Rep->text(), QString("1.0000"));
    close(w);
}

void ProfileCursorsTest::automatic_set_up_ends_cleanly_every_other_way()
{
    struct Case {
        const char* name;
        int trigger;
        bool pulses;
        int silent_after;  // requests answered before the meter goes silent; -1 never
        int requests;
        QStringList boxes;
        int cursor1, cursor2;  // the load's gate (0.005 ms, 0.0017 ms wide) in the span the search left
    };
    const QString none = "Auto Setup could not find any pulses";
    const Case cases[] = {
        // A steady signal gives the external trigger nothing: the first read times out.
        {"cw", 1, false, -1, 1, {"Timed out (EABO) on Grabbing Graph data"}, 5, 7},
        {"cw internal", 2, false, -1, 1, {"Timed out (EABO) on Grabbing Graph data"}, 5, 7},
        // The meter stops answering in the middle of the search.
        {"time-out", 1, true, 2, 3, {"Timed out (EABO) on Grabbing Graph data"}, 1, 1},
        // Internal triggering on sensor B is not searched.
        {"sensor B", 3, true, -1, 0, {none}, 0, 0},
    };
    for (const Case& c : cases) {
        TestBench tb(TestBench::Link::Gpib);
        QPointer<graphtests> w = loaded(tb);
        if (c.pulses)
            tb.generator().receive_message("IP");
        w->TrigSource->setCurrentIndex(c.trigger);
        w->TrigSource_Click();
        tb.clear_log();
        tb.prompts.answers = {Prompts::Answer::Yes};
        tb.clock.on_yield = [&] {
            if (c.silent_after >= 0 && tb.meter_sent().count(ogbd) >= c.silent_after)
                tb.meter().silent = true;
        };
        w->Auto_Setup->click();
        tb.clock.on_yield = nullptr;
        QStringList boxes = tb.prompts.boxes();
        boxes.removeFirst();  // the confirmation
        QVERIFY2(boxes == c.boxes, c.name);
        QVERIFY2(tb.meter_sent().value(0) == "DTRGD  0ms", c.name);
        QVERIFY2(tb.meter_sent().count(ogbd) == c.requests, c.name);
        QVERIFY2(tb.bench.bus().timeout_code() == 13, c.name);
        QVERIFY2(w->menuBar()->isEnabled() && w->Auto_Setup->isEnabled(), c.name);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(!w->findChild<Process_bar*>(), c.name);
        QVERIFY2(w->cursor1_index == c.cursor1 && w->cursor2_index == c.cursor2, c.name);
        close(w);
    }

    // Continuous triggering is refused; No to the confirmation does nothing.
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    w->TrigSource->setCurrentIndex(0);
    w->Auto_Setup_Click();
    QCOMPARE(tb.prompts.boxes(), QStringList({"Your trigger source must be set to either; External TTL or Internal"}));
    w->TrigSource->setCurrentIndex(1);
    tb.prompts.answers = {Prompts::Answer::No};
    w->Auto_Setup_Click();
    QVERIFY(tb.meter_sent().isEmpty());
    close(w);
}

void ProfileCursorsTest::pulse_definition_window()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = loaded(tb);
    {
        pulse_define window;
        QCOMPARE(QStringList({window.D_user->text(), window.M_user->text(), window.p_user->text()}),
                 QStringList({" 90", " 50", " 10"}));
        // Refused: the box, the window stays, nothing stored.
        window.D_user->setText("50");
        window.OK_button_Click();
        window.D_user->setText("96");
        window.OK_button_Click();
        window.D_user->setText("90");
        window.p_user->setText("0.5");
        window.OK_button_Click();
        QCOMPARE(tb.prompts.boxes(), QStringList({"Invalid values\r\nDistal > Mesial > Proximal",
                                                  "Values must be between 5 and 95 %",
                                                  "Values must be between 1 and 99 %"}));
        QCOMPARE(window.result(), 0);
        QCOMPARE(g().pulse_proximal, 0.1);
    }
    // Through the window's button: new levels, and the analysis runs again with them.
    external_pulse_train(tb, w);
    w->menuRunOnce_Click();
    w->cursor1_index = 0;
    w->cursor2_index = 20;
    w->refresh_pulse_info();
    QCOMPARE(w->Rise_Time_Value->text(), QString("0.0200"));
    const auto answer = [](const char* d, const char* m, const char* p, bool ok) {
        QTimer::singleShot(0, [=] {
            auto* window = qobject_cast<pulse_define*>(QApplication::activeModalWidget());
            QVERIFY(window);
            window->D_user->setText(d);
            window->M_user->setText(m);
            window->p_user->setText(p);
            (ok ? window->OK_button : window->Cancel_button)->click();
        });
    };
    answer("70", "40", "20", false);  // Cancel keeps the levels
    w->Define_pulse_button_Click();
    QCOMPARE(g().pulse_distal, 0.9);
    answer("80", "50", "20", true);
    w->Define_pulse_button_Click();
    QCOMPARE(g().pulse_distal, 0.8);
    QCOMPARE(g().pulse_proximal, 0.2);
    // From 20 % (-48.2 dBm) to 80 % (-12.8 dBm) of 59 dB: 0.6 of a 0.025 ms point.
    QCOMPARE(w->Rise_Time_Value->text(), QString("0.0150"));
    close(w);
}

QTEST_MAIN(ProfileCursorsTest)
#include "test_profile_cursors.moc"
