// Grabs the readout window offscreen during a run, for a person to look at.
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "readout/readout_spd.h"
#include "sim/meter_readout.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"
#include "support/screen_shots.h"

#include <QComboBox>
#include <QDir>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QtTest>

class ScreensReadoutTest : public QObject {
    Q_OBJECT
private slots:
    void readout_window_during_run();
};

void ScreensReadoutTest::readout_window_during_run()
{
    TestBench tb(TestBench::Link::Gpib);
    Globals& gs = g();
    gs.instruments_ok = true;
    gs.meter_model = tb.bench.description().model;
    gs.gpib_board_ud = 0;
    gs.gpib_board_ud_valid = true;
    tb.meter().numbers[sim_readout::kQueryMs] = 2.5;

    sorvdemo main(all_modes());
    main.resize(900, 640);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.menuReadout_Click();
    auto* w = qobject_cast<readout_spd*>(main.open_mode_window());
    QVERIFY(w);
    w->menuMeas_Click(2);
    w->SSTab1->setCurrentIndex(2);

    // Shots of the timings during the run and of the sensor set-up, taken on the second pass.
    QImage timings, sensors, custom, calibrator;
    int yields = 0;
    bool taken = false;
    tb.clock.on_yield = [&] {
        if (taken || w->avg_time->text().isEmpty() || ++yields < 120)
            return;
        taken = true;
        timings = main.grab().toImage();
        w->SSTab1->setCurrentIndex(0);
        sensors = main.grab().toImage();
        w->Sensor_Mode_opt[2]->setChecked(true);
        w->Sensor_Mode_opt_Click(2);
        w->TrigSource->setCurrentIndex(2);
        w->TrigSource_Click();
        custom = main.grab().toImage();
        w->SSTab1->setCurrentIndex(1);
        calibrator = main.grab().toImage();
        w->SSTab1->setCurrentIndex(2);
        w->menuStop_Click();
    };
    w->menuRun_Click();
    tb.clock.on_yield = nullptr;
    QVERIFY(!timings.isNull());
    QVERIFY(timings.save(output_path("screen_readout_run.png")));
    QVERIFY(sensors.save(output_path("screen_readout_sensors.png")));
    QVERIFY(custom.save(output_path("screen_readout_custom.png")));
    QVERIFY(calibrator.save(output_path("screen_readout_calibrator.png")));
    QVERIFY(w->readings->text().startsWith("A-B "));
    QVERIFY(w->readings->text().endsWith(" dBm"));
    QVERIFY(w->avg_time->text().toDouble() >= 2.5);
    w->menuExit_Click();
}

QTEST_MAIN(ScreensReadoutTest)
#include "test_screens_readout.moc"
