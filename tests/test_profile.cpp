#include "profile/graphtests.h"
#include "link/globals.h"
#include "support/test_bench.h"
#include "sim/sim_meter.h"
#include <QtTest>
#include <QPointer>
#include <QLabel>

class ProfileTest : public QObject {
    Q_OBJECT
private slots:
    void smoke();
};

void ProfileTest::smoke()
{
    TestBench tb(TestBench::Link::Gpib);
    tb.meter().reading_mode = "CDMA";
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    for (const QString& l : tb.log().lines()) qDebug().noquote() << l.left(120);
    for (const auto& c : tb.prompts.calls) qDebug() << c.kind << c.title << c.text;
    tb.clear_log();
    w->menuRunOnce_Click();
    for (const QString& l : tb.log().lines()) qDebug().noquote() << l.left(60);
    qDebug() << w->Graphs_Per_Second->text() << w->trace_min << w->trace_max << w->windowTitle();
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w);
}

QTEST_MAIN(ProfileTest)
#include "test_profile.moc"
