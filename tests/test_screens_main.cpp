// Grabs the main window and the configuration window offscreen, for a person to look at.
#include "frame/configure_form.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "support/test_bench.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
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

QTEST_MAIN(ScreensMainTest)
#include "test_screens_main.moc"
