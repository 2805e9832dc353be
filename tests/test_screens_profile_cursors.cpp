// Grabs the profile window with its cursors, level lines and pulse figures, and the progress window of
// an automatic set-up, offscreen, for a person to look at.
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "profile/graphtests.h"
#include "profile/process_bar.h"
#include "sim/sim_generator.h"
#include "support/test_bench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

QString output_path(const QString& name)
{
    const QString dir = qEnvironmentVariable("PELMORA_TEST_OUTPUT", QDir::currentPath());
    return dir + "/" + name;
}

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

QTEST_MAIN(ScreensProfileCursorsTest)
#include "test_screens_profile_cursors.moc"
