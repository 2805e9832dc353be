// Grabs the Peak CDF/PDF window offscreen during a run, once with each graph kind, for a person to look at.
#include "cdma/cdma_form.h"
#include "platform/canvas.h"
#include "sim/meter_cdma.h"
#include "sim/sim_meter.h"
#include "support/mode_session.h"
#include "support/screen_shots.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QtTest>

namespace {

// Share of the graph's pixels drawn dark: the curve is there.
double ink_share(const QImage& image)
{
    return pixel_share(image, image.rect(), [](const QColor& c) { return qGray(c.rgb()) < 100; });
}

}  // namespace

class ScreensCdmaTest : public QObject {
    Q_OBJECT
private slots:
    void each_graph_kind_during_a_run();
};

void ScreensCdmaTest::each_graph_kind_during_a_run()
{
    ModeSession<CDMA_Form> s(Mode::Cdma);
    s.main->resize(1100, 800);
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    w->parentWidget()->showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(s.main.get()));
    // Peak hold off: each peak is the envelope's peak over one reading, a few dB over the -10 dBm average.
    s.tb.prompts.inputs.push_back("0.05");
    w->menuChangeBucket_Click();
    w->menuContDisplay_Click();
    w->Top_PDF_Scale->setText("4");
    w->Bot_PDF_Scale->setText("-14");
    w->X_PDF_Stop->setText("30");
    const char* names[3] = {"pdf", "cdf", "1cdf"};
    int kind = 0;
    QStringList grabbed;
    std::function<void()> next;
    next = [&] {
        w->menuStatsDisplay_Click(kind);
        if (kind == 0)
            w->menuJumpPeak_Click();
        QTest::qWait(20);
        const QImage shot = s.main->grab().toImage();
        const QString path = output_path(QString("screen_cdma_%1.png").arg(names[kind]));
        if (shot.save(path))
            grabbed << path;
        QVERIFY(ink_share(w->PDF_Graph->grab().toImage()) > 0.002);
        QVERIFY(w->menuStop->isEnabled());
        if (++kind == 3) {
            w->menuStop_Click();
            return;
        }
        const qint64 more = w->collection.sample_count() + 100;
        s.at_yield([w, more] { return w->collection.sample_count() >= more; }, next);
    };
    s.at_yield([w] { return w->collection.sample_count() >= 400; }, next);
    w->menuRun_Click();
    QCOMPARE(grabbed.size(), 3);
    QCOMPARE(w->collection.sample_count(), qint64(400 + 200));
    w->menuExit_Click();
}

QTEST_MAIN(ScreensCdmaTest)
#include "test_screens_cdma.moc"
