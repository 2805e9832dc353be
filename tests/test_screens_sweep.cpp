// Grabs the source-sweep window offscreen, a frequency sweep of the band-pass filter with its cursors
// and a level sweep, for a person to look at.
#include "frame/mode_registry.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/meter_sweep.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"
#include "sweep/srcswp.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

namespace {

QString output_path(const QString& name)
{
    const QString dir = qEnvironmentVariable("PELMORA_TEST_OUTPUT", QDir::currentPath());
    return dir + "/" + name;
}

// Share of the graph's pixels in the trace's colour.
double trace_share(const QImage& image)
{
    int hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 180 && c.blue() < 100)
                ++hits;
        }
    return double(hits) / (image.width() * image.height());
}

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
};

void ScreensSweepTest::band_pass_frequency_sweep_with_cursors()
{
    BenchDescription d;
    d.sweep_fixture = "band-pass";
    TestBench tb(TestBench::Link::Gpib, d);
    g().instruments_ok = true;
    g().meter_model = "RQ5822K";
    register_all_modes();
    sorvdemo main;
    main.resize(1000, 780);
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

QTEST_MAIN(ScreensSweepTest)
#include "test_screens_sweep.moc"
