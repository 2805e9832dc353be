// Speed of the profile and readout windows as a user sees them: opened from the main window, both windows
// maximised on the screen (or set to a given size), on the real clock, so the rate labels change on
// every pass as they do at a desk. The profile window's continuous run is timed on each of its tabs,
// the readout window on its readings tab. The meter is simulated and takes no time.
//
//   bench_screen [--size WxH] [--seconds S] [--tab N] [--only profile|readout] [--shot DIR]
//
// --shot saves what the screen shows after each run (profile_tabN.png, readout.png) for a person to look at.
//
// bench/run_on_xvfb.sh runs it on an X display of 1920 x 1080 with the xcb platform; without a display it
// runs offscreen (give --size there: the offscreen screen is small).
#include "app/modes.h"
#include "bench_report.h"
#include "frame/sorvdemo.h"
#include "gpib_bench_world.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "readout/readout_rules.h"
#include "readout/readout_spd.h"
#include "sim/meter_readout.h"
#include "sim/sim_generator.h"
#include "sim/wire_log.h"

#include <QApplication>
#include <QEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// The real clock, except that a pause costs no time: the simulated meter's own time (the capture period,
// the wait for a trigger) is skipped, so what is timed is the program. A hook on every yield lets the
// benchmark count passes and press Stop.
class BenchClock : public RealClock {
public:
    qint64 now_us() const override { return RealClock::now_us() + skipped_us_; }
    void sleep_ms(double ms) override { skipped_us_ += qint64(ms * 1000.0 + 0.5); }
    void yield(bool exclude_user_input = false) override
    {
        RealClock::yield(exclude_user_input);
        if (on_yield)
            on_yield();
    }
    std::function<void()> on_yield;

private:
    qint64 skipped_us_ = 0;
};

// Counts a widget's paint events: how often it reaches the screen.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

void settle(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Maximised, or the given size where asked (and where no window manager carries the maximising out).
void place(QWidget& w, QSize size)
{
    if (size.isValid()) {
        w.showNormal();
        w.resize(size);
        return;
    }
    w.showMaximized();
    settle(200);
    const QScreen* screen = w.screen();
    if (screen && w.frameGeometry().size() != screen->availableGeometry().size())
        w.setGeometry(screen->availableGeometry());
}

// What the screen shows of the main window, once the last frame has been drawn.
void shoot(QWidget& main, const QString& dir, const QString& name)
{
    if (dir.isEmpty())
        return;
    settle(100);
    if (QScreen* screen = main.screen())
        screen->grabWindow(main.winId()).save(dir + QLatin1Char('/') + name);
}

QString describe(const QWidget& main, const QWidget& mode)
{
    return QStringLiteral("main window %1 x %2, mode window %3 x %4")
        .arg(main.width())
        .arg(main.height())
        .arg(mode.width())
        .arg(mode.height());
}

// The mode's window entered through the main window's menu; null, said with the boxes met, if it did not open.
template <typename Window>
QPointer<Window> enter(sorvdemo& main, Mode mode, RecordingPrompts& prompts, const char* name)
{
    main.enter_mode(mode);
    // What the event loop would delete once the menu handler returned (the please-wait window).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QPointer<Window> w = qobject_cast<Window*>(main.open_mode_window());
    if (!w) {
        std::printf("%s: the window did not open\n", name);
        report_boxes(prompts, (std::string(name) + " set-up").c_str());
    }
    return w;
}

void run_profile(sorvdemo& main, SimBench& bench, BenchClock& clock, RecordingPrompts& prompts, double seconds, int only_tab,
                 const QString& shots)
{
    QPointer<graphtests> w = enter<graphtests>(main, Mode::Profile, prompts, "profile");
    if (!w)
        return;
    w->parentWidget()->showMaximized();
    // A pulse train, so the drawing has edges to draw.
    bench.generator().receive_message("IP");
    settle(300);
    report_boxes(prompts, "profile set-up");
    std::printf("profile continuous run, %s\n", qPrintable(describe(main, *w)));

    PaintCounter frames(w->graph);
    for (int tab = 0; tab < w->SSTab1->count() && w; ++tab) {
        if (only_tab >= 0 && tab != only_tab)
            continue;
        w->SSTab1->setCurrentIndex(tab);
        settle(100);
        int traces = 0;
        bool started = false;
        auto t0 = std::chrono::steady_clock::now();
        clock.on_yield = [&] {
            // Blocks of 811 bytes delivered: one a trace.
            for (const WireLog::Entry& e : bench.log().entries())
                if (e.kind == QLatin1String("receive") && e.bytes.size() == 811)
                    ++traces;
            bench.log().clear();
            // Timing starts at the first trace, past the run's set-up.
            if (!started && traces > 0) {
                started = true;
                traces = 0;
                t0 = std::chrono::steady_clock::now();
                frames.paints = 0;
            }
            if (started && std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() >= seconds && w)
                w->menuStop_Click();
        };
        w->menuRunCont_Click();
        const auto t1 = std::chrono::steady_clock::now();
        clock.on_yield = nullptr;
        const double s = std::chrono::duration<double>(t1 - t0).count();
        std::printf("  tab %d %-16s %8.0f traces/s  (%6.1f us a trace; graph drawn %3.0f times/s)\n", tab,
                    qPrintable(QStringLiteral("\"%1\"").arg(w->SSTab1->tabText(tab).replace(QStringLiteral("&&"), QStringLiteral("&")))),
                    traces / s, s / std::max(1, traces) * 1e6, frames.paints / s);
        report_boxes(prompts, "profile run");
        shoot(main, shots, QStringLiteral("profile_tab%1.png").arg(tab));
    }
    if (w)
        w->menuExit_Click();
    settle(200);
}

void run_readout(sorvdemo& main, SimBench& bench, BenchClock& clock, RecordingPrompts& prompts, double seconds,
                 const QString& shots)
{
    QPointer<readout_spd> w = enter<readout_spd>(main, Mode::Readout, prompts, "readout");
    if (!w)
        return;
    w->parentWidget()->showMaximized();
    w->SSTab1->setCurrentIndex(2);
    settle(300);
    report_boxes(prompts, "readout set-up");
    std::printf("readout, %s\n", qPrintable(describe(main, *w)));
    PaintCounter frames(w->readings);
    long readings = 0;
    clock.on_yield = [&] {
        for (const WireLog::Entry& e : bench.log().entries())
            if (e.kind == QLatin1String("receive"))
                ++readings;
        bench.log().clear();
    };
    for (const int count : {1, 50}) {
        for (const bool fast : {false, true}) {
            if (!w)
                break;
            if (fast && !w->fast_mode) {
                w->menuFastest_Click();
                report_boxes(prompts, "fastest set-up");
            }
            w->menuDisplayUpdate_Click(readout::update_item_for_count(count));
            // Stop is pressed after the given time; the pass in progress runs whole.
            QTimer::singleShot(int(seconds * 1000), w, [w] { w->menuStop_Click(); });
            bench.log().clear();
            readings = 0;
            frames.paints = 0;
            const auto t0 = std::chrono::steady_clock::now();
            w->menuRun_Click();
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            std::printf("  %-28s display every %2d: %8.0f readings/s  (%5.2f us a reading; reading drawn %3.0f times/s)\n",
                        fast ? "GPIB fast (talk-only reads)" : "GPIB plain (O 1 + read)", count, readings / s,
                        s / std::max(1L, readings) * 1e6, frames.paints / s);
            report_boxes(prompts, "readout run");
        }
        if (count == 1)
            shoot(main, shots, QStringLiteral("readout.png"));
        if (w && w->fast_mode)
            w->menuFastMode_Click();
    }
    clock.on_yield = nullptr;
    if (w)
        w->menuExit_Click();
    settle(200);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QSize size;
    double seconds = 2;
    int only_tab = -1;
    QByteArray only;
    QString shots;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--size")) {
            int wd = 0, ht = 0;
            if (std::sscanf(argv[i + 1], "%dx%d", &wd, &ht) == 2)
                size = QSize(wd, ht);
        } else if (!std::strcmp(argv[i], "--tab")) {
            only_tab = std::atoi(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--shot")) {
            shots = QString::fromLocal8Bit(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--only")) {
            only = argv[i + 1];
        } else if (!std::strcmp(argv[i], "--seconds")) {
            seconds = std::max(0.1, std::atof(argv[i + 1]));
        }
    }

    GpibBenchWorld<BenchClock> world;
    world.instant_traces();
    sim_readout::zero_latency(world.meter());
    world.system_checked();
    SimBench& bench = world.bench;
    BenchClock& clock = world.clock;
    RecordingPrompts& prompts = world.prompts;

    const QScreen* screen = QGuiApplication::primaryScreen();
    std::printf("screen benchmark: %u threads (nproc), CPU %s, Qt %s, platform plugin \"%s\", screen %d x %d at %.0f Hz\n",
                std::thread::hardware_concurrency(), qPrintable(cpu_model()), qVersion(),
                qPrintable(QGuiApplication::platformName()), screen ? screen->geometry().width() : 0,
                screen ? screen->geometry().height() : 0, screen ? screen->refreshRate() : 0.0);
    print_build();

    auto* main_window = new sorvdemo(all_modes());
    place(*main_window, size);
    settle(300);
    if (only.isEmpty() || only == "profile")
        run_profile(*main_window, bench, clock, prompts, seconds, only_tab, shots);
    if (only.isEmpty() || only == "readout")
        run_readout(*main_window, bench, clock, prompts, seconds, shots);
    delete main_window;
    QCoreApplication::processEvents();
    return 0;
}
