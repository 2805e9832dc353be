// The source-sweep window on the simulated bench: set-up and teardown on the wire, each sweep kind's
// programming, the meter settings, the run loop, the calibration through the fixtures, the cursor and
// zoom commands and the data file.
#include "frame/mode_registry.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/meter_sweep.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "support/test_bench.h"
#include "sweep/srcswp.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

namespace {

QStringList traffic(TestBench& tb)
{
    QStringList out;
    for (const WireLog::Entry& e : tb.log().entries()) {
        if (e.kind == "send" || e.kind == "devclear" || e.kind == "ifc")
            out << QStringLiteral("%1 %2 %3").arg(e.kind).arg(e.address).arg(QString::fromLatin1(e.bytes)).trimmed();
    }
    return out;
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

[[maybe_unused]] srcswp* open_window(TestBench& tb)
{
    sim_sweep::bench_of(tb.meter()).noise_db = 0;
    auto* w = new srcswp;
    w->show();
    w->load();
    tb.clear_log();
    tb.prompts.clear();
    return w;
}

void close_window(QPointer<srcswp>& w)
{
    if (w)
        w->menuExit_Click();
    settle();
}

}  // namespace

class SweepTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        register_all_modes();
    }
    void load_on_gpib_with_the_makers_generator();
};

void SweepTest::load_on_gpib_with_the_makers_generator()
{
    TestBench tb(TestBench::Link::Gpib);
    g().meter_model = "RQ5822K";
    tb.meter().reading_mode = "CDMA";
    QPointer<srcswp> w = new srcswp;
    w->show();
    QVERIFY(w->load());
    qDebug().noquote() << traffic(tb).join("\n");
    qDebug() << tb.prompts.boxes();
    close_window(w);
    qDebug().noquote() << traffic(tb).join("\n");
}

QTEST_MAIN(SweepTest)
#include "test_sweep.moc"
