// Grabs the profile window offscreen with a pulse train on its graph, for a person to look at.
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "sim/meter_profile.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"
#include "support/screen_shots.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

namespace {

// Share of the graph's pixels that are neither its background nor the grid: the trace is there.
double trace_share(const QImage& image, const QRect& r) { return pixel_share(image, r, trace_colour); }

// Layout requests that reach a window or any widget in it that has a layout: each one lays out (and
// repaints) a whole panel.
class LayoutRequests : public QObject {
public:
    explicit LayoutRequests(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~LayoutRequests() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        const auto* widget = qobject_cast<QWidget*>(o);
        if (e->type() == QEvent::LayoutRequest && widget && widget->layout() &&
            (widget == window_ || window_->isAncestorOf(widget)))
            ++count;
        return false;
    }
    int count = 0;

private:
    QWidget* window_;
};

// A loaded profile window on the screen, the meter's readings made noisy by 0.5 dB; null if it did not load.
graphtests* shown_noisy_window(TestBench& tb)
{
    auto* w = new graphtests;
    w->resize(1000, 720);
    w->show();
    if (!w->load())
        return nullptr;
    tb.meter().numbers[sim_profile::kNoiseDb] = 0.5;
    return w;
}

}  // namespace

class ScreensProfileTest : public QObject {
    Q_OBJECT
private slots:
    void pulse_train_on_the_graph();
    void resized_window();
    void statistics_graphs();
    void new_cursor_figures_lay_out_nothing();
};

void ScreensProfileTest::pulse_train_on_the_graph()
{
    TestBench tb(TestBench::Link::Gpib);
    g().instruments_ok = true;
    g().meter_model = "RQ5822K";
    sorvdemo main(all_modes());
    main.resize(1000, 760);
    main.show();
    main.enter_mode(Mode::Profile);
    auto* w = qobject_cast<graphtests*>(main.open_mode_window());
    QVERIFY(w);
    w->parentWidget()->showMaximized();
    // A pulse train from the generator: 1 ms period, 0.25 ms wide, at -5 dBm.
    w->SSTab1->setCurrentIndex(3);
    w->Pwr_Setting->setText("-5");
    w->Pulse_Width->setText("0.25");
    w->Pulse_Width_KeyPress(13);
    w->Pulse_check->setChecked(true);
    w->Pulse_check_Click();
    w->menuRunOnce_Click();
    QVERIFY(w->trace_valid);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTest::qWait(50);
    const QImage shot = main.grab().toImage();
    QVERIFY(shot.save(output_path("screen_profile_window.png")));
    const QImage graph = w->graph->grab().toImage();
    QVERIFY(trace_share(graph, graph.rect()) > 0.002);
    w->menuExit_Click();
}

void ScreensProfileTest::resized_window()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    w->Track_min_max_check->setChecked(true);
    w->menuRunOnce_Click();
    w->resize(300, 200);  // below the minimum: held at 640 by 480
    QCOMPARE(w->size(), QSize(640, 480));
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::qWait(50);
    QVERIFY(w->grab().toImage().save(output_path("screen_profile_small.png")));
    for (int tab : {1, 2, 4, 5}) {
        w->SSTab1->setCurrentIndex(tab);
        QTest::qWait(20);
        QVERIFY(w->grab().toImage().save(output_path(QString("screen_profile_tab%1.png").arg(tab))));
    }
    w->SSTab1->setCurrentIndex(0);
    w->resize(1100, 760);
    QTest::qWait(50);
    QVERIFY(w->grab().toImage().save(output_path("screen_profile_large.png")));
    QCOMPARE(w->windowTitle(), QString("Graphical display screen"));
    w->menuExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w);
}

void ScreensProfileTest::statistics_graphs()
{
    TestBench tb(TestBench::Link::Gpib);
    // A deep AM on a noisy carrier spreads the levels over some 15 dB.
    QPointer<graphtests> w = shown_noisy_window(tb);
    QVERIFY(w);
    w->Pwr_Setting->setText("-20");
    w->AM_mod_check->setChecked(true);
    w->AM_mod_check_Click();
    w->Mod_Depth->setText("80");
    w->Mod_Depth_KeyPress(13);
    w->Mod_Rate->setText("0.35");
    w->Mod_Rate_KeyPress(13);
    w->SSTab1->setCurrentIndex(5);
    w->do_pdf_check->setChecked(true);
    for (int i = 0; i < 20; ++i)
        w->menuRunOnce_Click();
    QVERIFY(w->statistics.sample_count() >= 6000);
    w->Top_PDF_Scale->setText("-5");
    w->Bot_PDF_Scale->setText("-70");
    QVERIFY(w->Bot_PDF_Scale->text() == "-70" && w->stats_graph.window().bottom == -50);  // below the limit
    w->Bot_PDF_Scale->setText("-50");
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const char* names[] = {"pdf", "cdf", "1cdf"};
    for (int kind = 0; kind < 3; ++kind) {
        w->Stats_Graph_Display[kind]->click();
        if (kind == 0)
            w->X_PDF_Stop->setText("5");
        w->Stats_Cursor_Scroll->setValue(330);
        if (kind == 0)
            w->pdf_peak_button->click();
        QTest::qWait(30);
        QVERIFY(!w->pdf_canvas().ops().empty());
        QVERIFY(w->stats_overlay->Stats_Cursor->isVisible());
        QVERIFY(w->grab().toImage().save(output_path(QString("screen_profile_stats_%1.png").arg(names[kind]))));
    }
    w->SSTab1->setCurrentIndex(6);
    QTest::qWait(30);
    QVERIFY(w->grab().toImage().save(output_path("screen_profile_stats_info.png")));
    w->menuExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The cursor readout is rewritten on every trace of a run: new figures must not lay the window out again
// (which repainted the whole tab panel each trace and cut the run's rate twentyfold).
void ScreensProfileTest::new_cursor_figures_lay_out_nothing()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = shown_noisy_window(tb);
    QVERIFY(w);
    w->SSTab1->setCurrentIndex(2);
    w->cursor1_index = 20;
    w->cursor2_index = 120;
    w->menuRunOnce_Click();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::qWait(20);
    QStringList shown;
    LayoutRequests requests(w);
    for (int i = 0; i < 5; ++i) {
        w->menuRunOnce_Click();
        QCoreApplication::processEvents();
        shown << w->cursor1_data->text();
    }
    QCOMPARE(shown.removeDuplicates(), 0);  // the figures did change
    QCOMPARE(requests.count, 0);
    w->menuExit_Click();
}

QTEST_MAIN(ScreensProfileTest)
#include "test_screens_profile.moc"
