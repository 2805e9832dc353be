// Grabs the GSM slot window offscreen during a run, resized, and its configuration window, for a person
// to look at; checks that the bars and labels are where the layout puts them.
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "gsm/frm_gsm.h"
#include "gsm/frm_gsm_config.h"
#include "gsm/gsm_layout.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"
#include "support/window_fixture.h"
#include "support/screen_shots.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QLineEdit>
#include <QtTest>

namespace {

BenchDescription with_frame()
{
    BenchDescription d;
    d.tdma_frame = true;
    return d;
}

// Share of a column of the graph in the bars' colour.
double bar_share(const QImage& image, int x)
{
    int hits = 0;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixelColor(x, y) == QColor(0, 128, 128))
            ++hits;
    return double(hits) / image.height();
}

// The slot labels span the graph: the first starts at its left edge, the last ends at its right edge.
// The widest value on the graph's scale fits each, so neighbouring values never run together.
void check_labels(const frmGSM* w)
{
    const QRect graph = w->Slot_graph->geometry();
    QVERIFY(qAbs(w->lblslotavg.front()->x() - graph.left()) <= 1);
    QVERIFY(qAbs(w->lblslotavg.back()->geometry().right() - graph.right()) <= 1);
    QVERIFY(qAbs(w->lblslotavg.front()->y() - (graph.bottom() + 1)) <= 1);
    for (const QLabel* label : w->lblslotavg)
        QVERIFY(QFontMetrics(label->font()).horizontalAdvance(gsm::kWidestLabelText) < label->width());
}

}  // namespace

class ScreensGsmTest : public QObject {
    Q_OBJECT
private slots:
    void window_during_a_run();
    void resized_window_and_configuration();
};

void ScreensGsmTest::window_during_a_run()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    g().instruments_ok = true;
    sorvdemo main(all_modes());
    main.resize(900, 640);
    main.show();
    main.enter_mode(Mode::Gsm);
    QPointer<frmGSM> w = qobject_cast<frmGSM*>(main.open_mode_window());
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // Opened at the designed size.
    QCOMPARE(w->centralWidget()->size(), QSize(qRound(gsm::kClientWidth * w->logicalDpiX() / 1440),
                                               qRound(gsm::kClientHeight * w->logicalDpiY() / 1440)));
    QImage shot, graph;
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) == 3 && shot.isNull()) {
            w->Slot_graph_MouseMove(3.5);
            QTest::qWait(30);
            shot = main.grab().toImage();
            graph = w->Slot_graph->grab().toImage();
        }
        if (trace_requests(tb) >= 4)
            w->menuStop_Click();
    };
    w->menuRun_Click();
    tb.clock.on_yield = nullptr;
    QVERIFY(shot.save(output_path("screen_gsm_run.png")));
    // Slot 1 (-5 dBm) fills 45 of 70 dB of the graph, slot 4 (-20 dBm) 30; idle slots show no bar.
    QVERIFY(qAbs(bar_share(graph, graph.width() / 16) - 45.0 / 70) < 0.03);
    QVERIFY(qAbs(bar_share(graph, graph.width() * 7 / 16) - 30.0 / 70) < 0.03);
    QCOMPARE(bar_share(graph, graph.width() * 3 / 16), 0.0);
    check_labels(w);
    w->menuExit_Click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ScreensGsmTest::resized_window_and_configuration()
{
    TestBench tb(TestBench::Link::Gpib, with_frame());
    QPointer<frmGSM> w = new frmGSM;
    w->show();
    QVERIFY(w->load());
    tb.clock.on_yield = [&] {
        if (trace_requests(tb) >= 1)
            w->menuStop_Click();
    };
    w->menuRun_Click();
    // Below the minimum: held there, still laid out.
    w->resize(150, 100);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::qWait(30);
    QVERIFY(w->centralWidget()->width() >= 524 && w->centralWidget()->height() >= 257);
    QVERIFY(w->grab().toImage().save(output_path("screen_gsm_small.png")));
    check_labels(w);
    w->resize(1100, 700);
    QTest::qWait(30);
    QVERIFY(w->grab().toImage().save(output_path("screen_gsm_large.png")));
    check_labels(w);
    QCOMPARE(w->Slot_graph->canvas().user_scale(), QRectF(QPointF(0, 20), QPointF(8, -50)));

    // The configuration window, then three slots.
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<frmGSMconfig*>(QApplication::activeModalWidget());
        QVERIFY(d);
        QTest::qWait(30);
        QVERIFY(d->grab().toImage().save(output_path("screen_gsm_config.png")));
        d->txtSlots->setText("3");
        d->cmdOK->click();
    });
    w->menuconfig_Click();
    tb.clear_log();
    w->menuRun_Click();
    QTest::qWait(30);
    QVERIFY(w->grab().toImage().save(output_path("screen_gsm_three_slots.png")));
    QCOMPARE(int(w->lblslotavg.size()), 3);
    check_labels(w);
    tb.clock.on_yield = nullptr;
    w->menuExit_Click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w);
}

QTEST_MAIN(ScreensGsmTest)
#include "test_screens_gsm.moc"
