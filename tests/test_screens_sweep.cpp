// Grabs the source-sweep window offscreen, a frequency sweep of the band-pass filter with its cursors
// and a level sweep, for a person to look at.
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/meter_sweep.h"
#include "sim/sim_meter.h"
#include "support/sweep_window.h"
#include "support/test_bench.h"
#include "support/screen_shots.h"
#include "sim/sweep_amplifier.h"
#include "sweep/gaincomp.h"
#include "sweep/srcswp.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

// Share of the graph's pixels in the trace's colour.
double trace_share(const QImage& image) { return pixel_share(image, image.rect(), trace_colour); }

void enter(QLineEdit* box, const QString& text)
{
    box->setText(text);
    emit box->returnPressed();
}

}  // namespace

class ScreensSweepTest : public QObject {
    Q_OBJECT
private slots:
    void band_pass_frequency_sweep_with_cursors();
    void level_sweep();
    void amplifier_tab_after_a_frequency_run_and_the_offset_window();
};

void ScreensSweepTest::band_pass_frequency_sweep_with_cursors()
{
    BenchDescription d;
    d.sweep_fixture = "band-pass";
    TestBench tb(TestBench::Link::Gpib, d);
    g().instruments_ok = true;
    g().meter_model = "RQ5822K";
    sorvdemo main(all_modes());
    main.resize(1280, 800);
    main.show();
    main.enter_mode(Mode::SourceSweep);
    auto* w = qobject_cast<srcswp*>(main.open_mode_window());
    QVERIFY(w);
    w->parentWidget()->showMaximized();
    w->SSTab1->setCurrentIndex(1);
    w->Freq_analog_start->setText("1");
    w->freq_analog_stop->setText("3");
    w->freq_analog_time->setText(".01");
    w->RF_Output_Check->setChecked(true);
    w->RF_Output_Check_Click();
    w->Sweep_Type[0]->click();
    enter(w->bottom_y_axis, "-60");
    enter(w->top_y_axis, "5");
    w->cursor1_index = 80;
    w->cursor2_index = 100;
    w->menuRunOnce_Click();
    QVERIFY(w->data_valid);
    w->SSTab1->setCurrentIndex(4);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTest::qWait(50);
    QVERIFY(main.grab().toImage().save(output_path("screen_sweep_band_pass.png")));
    QVERIFY(trace_share(w->graph->grab().toImage()) > 0.001);
    QVERIFY(w->cur1_data->isVisible() && w->cur2_data->isVisible() && w->diff_data->isVisible());
    w->menuExit_Click();
}

void ScreensSweepTest::level_sweep()
{
    TestBench tb(TestBench::Link::Gpib);
    g().meter_model = "RQ5822K";
    QPointer<srcswp> w = new srcswp;
    w->resize(960, 700);
    w->show();
    QVERIFY(w->load());
    w->SSTab1->setCurrentIndex(1);
    w->RF_Output_Check->setChecked(true);
    w->Level_type[1]->click();
    enter(w->bottom_y_axis, "-20");
    w->display_readout->click();
    w->menuRunOnce_Click();
    w->SSTab1->setCurrentIndex(3);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::qWait(50);
    QVERIFY(w->grab().toImage().save(output_path("screen_sweep_level.png")));
    QVERIFY(trace_share(w->graph->grab().toImage()) > 0.001);
    QCOMPARE(w->time_label->text(), QString("dBm"));
    w->SSTab1->setCurrentIndex(5);
    QTest::qWait(20);
    QVERIFY(w->grab().toImage().save(output_path("screen_sweep_amp_tab.png")));
    w->menuExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w);
}

void ScreensSweepTest::amplifier_tab_after_a_frequency_run_and_the_offset_window()
{
    TestBench tb(TestBench::Link::Gpib);
    g().meter_model = "RQ5822K";
    auto amp = std::make_shared<sim_sweep::AmplifierPath>();
    amp->gain_slope_db_per_ghz = -0.4;
    amp->p1_slope_db_per_ghz = 0.8;
    amp->no_compression_low_ghz = 3.3;
    amp->no_compression_high_ghz = 3.6;
    sim_sweep::bench_of(tb.meter()).path = amp;
    QPointer<srcswp> w = new srcswp;
    w->resize(960, 700);
    w->show();
    QVERIFY(w->load());
    amplifier_level_sweep(w);
    w->Amp_Freq_Sweep_Check->setChecked(true);
    w->Amp_Freq_Sweep_Check_Click();
    w->Amp_Freq_Start->setText("1");
    w->Amp_Freq_Stop->setText("6");
    w->Amp_Freq_Step->setText("0.1");
    w->Run_amp_test->click();
    QCOMPARE(w->amp_results.count(), 51);
    w->Show_CompFreq_Graph_Check->click();
    w->Amp_Cursor_Scrollbar->setValue(20);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::qWait(50);
    QVERIFY(w->grab().toImage().save(output_path("screen_sweep_amp_run.png")));
    GainComp offsets;
    offsets.show();
    QVERIFY(QTest::qWaitForWindowExposed(&offsets));
    QTest::qWait(50);
    QVERIFY(offsets.grab().toImage().save(output_path("screen_sweep_offsets.png")));
    offsets.close();
    w->menuExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(ScreensSweepTest)
#include "test_screens_sweep.moc"
