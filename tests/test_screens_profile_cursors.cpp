// Grabs the profile window with its cursors, level lines and pulse figures, and the progress window of
// an automatic set-up, offscreen, for a person to look at.
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "profile/cursor_model.h"
#include "profile/graphtests.h"
#include "profile/process_bar.h"
#include "sim/sim_generator.h"
#include "support/test_bench.h"
#include "support/screen_shots.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

// The main window with the profile window maximised in it, the generator pulsing (1 ms period,
// 0.25 ms wide, -5 dBm) and the meter triggered on its sync output, 5 ms across the graph.
graphtests* pulsing_window(sorvdemo& main, TestBench& tb)
{
    g().instruments_ok = true;
    g().meter_model = "RQ5822K";
    main.resize(1000, 760);
    main.show();
    main.enter_mode(Mode::Profile);
    auto* w = qobject_cast<graphtests*>(main.open_mode_window());
    if (!w)
        return nullptr;
    w->parentWidget()->showMaximized();
    tb.generator().receive_message("RF1; L1 -5 DM; PW 0.25 MS; IP");
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();
    w->right_x_axis->setText("5");
    w->right_x_axis_KeyPress(13);
    return w;
}

}  // namespace

class ScreensProfileCursorsTest : public QObject {
    Q_OBJECT
private slots:
    void cursors_level_lines_and_figures();
    void progress_of_an_automatic_set_up();
    void floating_labels_follow_the_graph();
};

void ScreensProfileCursorsTest::cursors_level_lines_and_figures()
{
    TestBench tb(TestBench::Link::Gpib);
    sorvdemo main(all_modes());
    QPointer<graphtests> w = pulsing_window(main, tb);
    QVERIFY(w);
    w->menuRunOnce_Click();
    w->auto_scale_y_Click();
    w->Auto_cursors_Click();
    w->Show_Lines_Check->setChecked(true);
    w->Show_Lines_Check_Click();
    w->SSTab1->setCurrentIndex(4);
    w->refresh_pulse_info();
    QCOMPARE(w->Pulse_Rep->text(), QString("1.0000"));
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTest::qWait(50);
    QVERIFY(main.grab().toImage().save(output_path("screen_profile_pulse_analysis.png")));
    // The cursor tab, the cursors linked.
    w->Link_cursors_check->setChecked(true);
    w->SSTab1->setCurrentIndex(2);
    w->Link_cursors_check_Click();
    w->cursor_readout();
    QTest::qWait(50);
    QVERIFY(main.grab().toImage().save(output_path("screen_profile_cursors.png")));
    w->menuExit_Click();
}

void ScreensProfileCursorsTest::progress_of_an_automatic_set_up()
{
    TestBench tb(TestBench::Link::Gpib);
    sorvdemo main(all_modes());
    QPointer<graphtests> w = pulsing_window(main, tb);
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    tb.prompts.answers = {Prompts::Answer::Yes};
    bool grabbed = false;
    tb.clock.on_yield = [&] {
        auto* bar = w ? w->findChild<Process_bar*>() : nullptr;
        if (grabbed || !bar || !bar->isVisible() || bar->ProgressBar1->value() < 25)
            return;
        grabbed = true;
        // The progress window over the main window, where the screen shows it.
        QImage shot = main.grab().toImage();
        const QImage over = bar->grab().toImage();
        QPainter p(&shot);
        p.drawImage(QPoint((shot.width() - over.width()) / 2, (shot.height() - over.height()) / 2), over);
        p.end();
        QVERIFY(shot.save(output_path("screen_profile_auto_setup.png")));
    };
    w->Auto_Setup->click();
    tb.clock.on_yield = nullptr;
    QVERIFY(grabbed);
    QCOMPARE(w->capture_span_ms, 5.0f);
    w->menuExit_Click();
}

void ScreensProfileCursorsTest::floating_labels_follow_the_graph()
{
    // Placed on the graph as laid out when the window opens, and again at every size after.
    TestBench tb(TestBench::Link::Gpib);
    sorvdemo main(all_modes());
    QPointer<graphtests> w = pulsing_window(main, tb);
    QVERIFY(w && QTest::qWaitForWindowExposed(&main));
    QWidget* sub = w->parentWidget();
    const std::function<void()> steps[] = {
        [] {},
        [&] { sub->showNormal(), sub->resize(700, 560); },
        [&] { w->cursor2_index = 196, w->update_cursor_data(); },
        [&] { sub->resize(980, 700); },
    };
    for (int step = 0; step < 4; ++step) {
        steps[step]();
        QTest::qWait(20);
        const int gw = w->graph->width();
        for (auto [label, index, row] : {std::tuple{w->cur1_data, w->cursor1_index, 0},
                                         std::tuple{w->cur2_data, w->cursor2_index, 2}}) {
            const double left = profile_cursors::label_left(index, label->width() * 200.0 / gw);
            QVERIFY2(std::abs(label->x() - left * gw / 200) <= 1 && label->y() == row * label->height(),
                     qPrintable(QString::number(step)));
            QVERIFY(label->x() >= 0 && label->x() + label->width() <= gw);
        }
        QVERIFY(main.grab().toImage().save(output_path(QString("screen_profile_labels_%1.png").arg(step))));
    }
    w->menuExit_Click();
}

QTEST_MAIN(ScreensProfileCursorsTest)
#include "test_screens_profile_cursors.moc"
