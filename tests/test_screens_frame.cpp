// The about box and the please-wait notice: texts, placement, the system-information button, and
// pictures of both in the build folder for a look.
#include "frame/about_window.h"
#include "platform/platform.h"
#include "support/screen_shots.h"
#include "support/test_bench.h"
#include "support/screen_shots.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// PATH for the length of a scope.
class PathScope {
public:
    explicit PathScope(const QString& path) : saved_(qgetenv("PATH")) { qputenv("PATH", path.toLocal8Bit()); }
    ~PathScope() { qputenv("PATH", saved_); }

private:
    QByteArray saved_;
};

}  // namespace

class ScreensFrameTest : public QObject {
    Q_OBJECT
private slots:
    void about_box_texts_and_picture();
    void system_info_unavailable();
    void system_info_started_detached();
    void please_wait_placement_and_picture();
};

void ScreensFrameTest::about_box_texts_and_picture()
{
    TestBench tb(TestBench::Link::None);
    Platform p = platform();
    p.gpib_description = "simulated bench";
    install_platform(p);
    about_window box;
    QCOMPARE(box.windowTitle(), QString("About Pelmora"));
    QCOMPARE(box.lblGpibDriver->text(), QString("GPIB driver: simulated bench"));
    QCOMPARE(box.lblTitle->text(), QString("Pelmora"));
    QCOMPARE(box.lblVersion->text(), QStringLiteral("Version %1.%2.%3")
                                         .arg(PELMORA_VERSION_MAJOR)
                                         .arg(PELMORA_VERSION_MINOR)
                                         .arg(PELMORA_VERSION_PATCH));
    QVERIFY(box.lblDescription->text().startsWith(
        "This program demostrates some of the special features of the Tolmare RQ5810K Series Power meter."));
    QVERIFY(box.lblDisclaimer->text().isEmpty());
    QCOMPARE(box.cmdSysInfo->text(), QString("&System Info..."));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.grab().save(output_path("about_window.png")));
    box.cmdOK->click();
    QCOMPARE(box.result(), int(QDialog::Accepted));
    QVERIFY(!box.isVisible());
}

void ScreensFrameTest::system_info_unavailable()
{
    TestBench tb(TestBench::Link::None);
    QTemporaryDir empty;
    PathScope path(empty.path());
    about_window box;
    box.show();
    box.cmdSysInfo->click();
    QCOMPARE(tb.prompts.boxes(), QStringList({"System Information Is Unavailable At This Time"}));
    QCOMPARE(tb.prompts.calls[0].title, QString("Pelmora"));
    QVERIFY(box.isVisible());
}

void ScreensFrameTest::system_info_started_detached()
{
    TestBench tb(TestBench::Link::None);
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    QFile script(dir.filePath("hardinfo"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho started > '%1'\n").arg(marker).toLocal8Bit());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    PathScope path(dir.path());
    QCOMPARE(about_window::find_sysinfo_program(), script.fileName());
    about_window box;
    box.show();
    box.cmdSysInfo->click();
    QVERIFY(tb.prompts.calls.empty());
    QVERIFY(box.isVisible());  // the about box stays open
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
}

void ScreensFrameTest::please_wait_placement_and_picture()
{
    TestBench tb(TestBench::Link::None);
    QWidget main;
    main.resize(800, 600);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const int yields = tb.clock.yield_count();
    PleaseWait wait(&main);
    QCOMPARE(wait.Label1->text(), QString("Please Wait....Loading...."));
    QVERIFY(wait.isVisible());
    QVERIFY(tb.clock.yield_count() > yields);  // painted before the caller goes on
    QCOMPARE(wait.size(), wait.Label1->size());
    const QSize m = main.frameGeometry().size();
    QCOMPARE(wait.pos(), QPoint((m.width() - wait.width()) / 2, (m.height() - wait.height()) / 2));
    QVERIFY(wait.grab().save(output_path("please_wait.png")));
}

QTEST_MAIN(ScreensFrameTest)
#include "test_screens_frame.moc"
