// Grabs the main window and the configuration window offscreen, for a person to look at.
#include "frame/configure_form.h"
#include "frame/mode_registry.h"
#include "frame/mode_window.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "support/test_bench.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QtTest>

static QString output_path(const QString& name)
{
    const QString dir = qEnvironmentVariable("PELMORA_TEST_OUTPUT", QDir::currentPath());
    return dir + "/" + name;
}

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
    struct Case {
        const char* name;
        Mode mode;
        bool wider;  // wider than the frame at its own size
    };
    const Case cases[] = {{"sweep", Mode::SourceSweep, true},
                          {"profile", Mode::Profile, false},
                          {"cdma", Mode::Cdma, false},
                          {"gsm", Mode::Gsm, false},
                          {"readout", Mode::Readout, false}};
    for (const Case& c : cases) {
        TestBench tb(TestBench::Link::Gpib);
        g().instruments_ok = true;
        g().meter_model = "RQ5822K";
        register_all_modes();
        sorvdemo main;  // at its own size
        main.show();
        main.enter_mode(c.mode);
        QPointer<ModeWindow> w = main.open_mode_window();
        QVERIFY2(w, c.name);
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::qWait(20);
        QMdiArea* area = main.mdi_area();
        auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        const QSize view = area->viewport()->size();
        if (c.mode == Mode::SourceSweep)
            QVERIFY(main.grab().toImage().save(output_path("screen_main_sweep.png")));
        // Every edge of the window can be scrolled into view.
        for (QScrollBar* bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) {
            const bool across = bar == area->horizontalScrollBar();
            const int over = across ? sub->geometry().right() + 1 - view.width()
                                    : sub->geometry().bottom() + 1 - view.height();
            QVERIFY2(!(across && c.wider) || over > 0, c.name);
            QVERIFY2(bar->isVisible() == (over > 0), c.name);
            if (over <= 0)
                continue;
            bar->setValue(bar->maximum());
            QTest::qWait(20);
            const int end = across ? sub->geometry().right() + 1 : sub->geometry().bottom() + 1;
            QVERIFY2(end <= (across ? view.width() : view.height()), c.name);
        }
        if (c.mode == Mode::SourceSweep)
            QVERIFY(main.grab().toImage().save(output_path("screen_main_sweep_scrolled.png")));
        w->request_close();
        QTest::qWait(20);
    }
}

QTEST_MAIN(ScreensMainTest)
#include "test_screens_main.moc"
