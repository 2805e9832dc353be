// Grabs the main window and the configuration window offscreen, for a person to look at.
#include "frame/configure_form.h"
#include "app/modes.h"
#include "frame/mode_window.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "support/test_bench.h"
#include "support/screen_shots.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QtTest>

class ScreensMainTest : public QObject {
    Q_OBJECT
private slots:
    void main_window();
    void configuration_window();
    void mode_window_larger_than_the_frame_is_reached_by_scrolling();
};

void ScreensMainTest::main_window()
{
    TestBench tb(TestBench::Link::Gpib);
    sorvdemo w;
    w.resize(900, 640);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage shot = w.grab().toImage();
    QVERIFY(shot.save(output_path("screen_main_window.png")));
    // The picture is in the middle of the frame, not a blank area.
    const QColor centre = shot.pixelColor(shot.width() / 2, shot.height() / 2);
    QVERIFY(centre != QColor(Qt::white));
}

void ScreensMainTest::configuration_window()
{
    TestBench tb(TestBench::Link::Gpib);
    g().meter_address = 13;
    g().synth_address = 5;
    g().maker_synth = true;
    sorvdemo main;
    Configure_Form f(&main);
    f.Baud_Rate_combo->setCurrentIndex(3);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(f.grab().toImage().save(output_path("screen_configure_form.png")));
    f.Cancel_button_Click();
}

void ScreensMainTest::mode_window_larger_than_the_frame_is_reached_by_scrolling()
{
    // At the frame's own size the source-sweep window is wider than it, the readout window is not.
    for (const auto& [mode, wider] : {std::pair{Mode::SourceSweep, true}, std::pair{Mode::Readout, false}}) {
        TestBench tb(TestBench::Link::Gpib);
        g().instruments_ok = true;
        sorvdemo main(all_modes());
        main.show();
        main.enter_mode(mode);
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::qWait(20);
        QMdiArea* area = main.mdi_area();
        QScrollBar* bar = area->horizontalScrollBar();
        QCOMPARE(bar->isVisible(), wider);
        bar->setValue(bar->maximum());
        QVERIFY(area->subWindowList().front()->geometry().right() < area->viewport()->width());
        if (wider)
            QVERIFY(main.grab().toImage().save(output_path("screen_main_sweep_scrolled.png")));
        main.open_mode_window()->request_close();
    }
}

QTEST_MAIN(ScreensMainTest)
#include "test_screens_main.moc"
