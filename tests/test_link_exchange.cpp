// One exchange at a time on the link: work that would send while another exchange is in progress (a
// timer firing inside the link's waits) waits for that exchange to end.
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/link_exchange.h"
#include "profile/graphtests.h"
#include "support/event_loop.h"
#include "support/test_bench.h"

#include <QPointer>
#include <QTimer>
#include <QtTest>

class LinkExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void work_waits_for_the_exchange_data();
    void work_waits_for_the_exchange();
    void profile_timer_inside_a_service_request_wait();
};

void LinkExchangeTest::work_waits_for_the_exchange_data()
{
    // Steps, in order: '(' opens an exchange, ')' closes one, 'r' requests the work, 'e' runs the event
    // loop, 'x' destroys the work's context.
    QTest::addColumn<QString>("steps");
    // Times the work has run after each step.
    QTest::addColumn<QString>("runs");
    QTest::newRow("link free: at once") << "r" << "1";
    QTest::newRow("inside an exchange: once it has ended") << "(ree)e" << "000001";
    QTest::newRow("asked for three times: runs once") << "(rrr)e" << "000001";
    QTest::newRow("nested exchanges: after the outer one") << "((r)e)e" << "0000001";
    QTest::newRow("another exchange by the time the loop runs") << "(r)(e)e" << "0000001";
    QTest::newRow("context gone meanwhile: never") << "(rx)e" << "00000";
    QTest::newRow("again after it ran") << "(r)e(r)e" << "00011112";
}

void LinkExchangeTest::work_waits_for_the_exchange()
{
    QFETCH(QString, steps);
    QFETCH(QString, runs);
    auto* context = new QObject;
    QPointer<QObject> guard(context);
    int count = 0;
    auto work = std::make_unique<vbib32::LinkWork>(context, [&count] { ++count; });
    std::vector<std::unique_ptr<vbib32::Exchange>> open;
    QString seen;
    for (QChar step : steps) {
        switch (step.toLatin1()) {
        case '(': open.push_back(std::make_unique<vbib32::Exchange>()); break;
        case ')': open.pop_back(); break;
        case 'r': work->request(); break;
        case 'e': run_event_loop(); break;
        case 'x': delete context; break;
        }
        QCOMPARE(vbib32::exchange_in_progress(), !open.empty());
        seen += QString::number(count);
    }
    QCOMPARE(seen, runs);
    delete guard.data();
}

void LinkExchangeTest::profile_timer_inside_a_service_request_wait()
{
    // The cursor redraw sends the gate from the timer; the timer comes due while the set-up waits for
    // its service request, which yields.
    TestBench tb(TestBench::Link::Serial);
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    w->Timer1->stop();
    w->cursor_redraw_pending = true;
    tb.clear_log();
    int ticks = 0;
    tb.clock.on_yield = [&] {
        if (w && vbib32::exchange_in_progress() && ticks < 3) {
            ++ticks;
            QMetaObject::invokeMethod(w->Timer1, "timeout", Qt::DirectConnection);
        }
    };
    const bool ok = gpibgen::configure_with_opc("GRDATA OFF", 13, g().gpib_board, g().meter_address);
    tb.clock.on_yield = nullptr;
    QVERIFY(ok);
    QVERIFY(ticks > 0);
    // Nothing went out inside the exchange.
    const QStringList inside = tb.meter_sent();
    QVERIFY2(inside.last() == "*CLS;*ESE 0;*SRE 0", qPrintable(inside.join(" | ")));
    QVERIFY(!inside.join('|').contains("GT"));

    // Once it has ended, the redraw goes out, once.
    run_event_loop();
    const QStringList after = tb.meter_sent().mid(inside.size());
    QCOMPARE(after.size(), 2);
    QVERIFY(after[0].startsWith("GTDLY"));
    QVERIFY(after[1].startsWith("GTGW"));
    QVERIFY(!w->cursor_redraw_pending);

    w->menuExit_Click();
    run_event_loop();
}

QTEST_MAIN(LinkExchangeTest)
#include "test_link_exchange.moc"
