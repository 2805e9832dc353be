// Time to record one profile trace with its grid on a canvas and replay it onto an 800 x 400 image,
// as the profile window does on every pass.
#include "graph/trace_graph.h"
#include "platform/canvas.h"
#include "profile/profile_graph.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    constexpr int kTraces = 5000;
    std::array<float, 211> points{};
    Canvas canvas;
    canvas.set_device({800, 400}, 96);
    profile_graph::set_graph_scale(canvas, 20, -50);
    QImage image(800, 400, QImage::Format_RGB32);
    QPainter painter(&image);
    const QRectF target(0, 0, 800, 400);

    using Clock = std::chrono::steady_clock;
    double record_s = 0, replay_s = 0;
    for (int n = 0; n < kTraces; ++n) {
        // A pulse train that moves a little from trace to trace, dipping below the scale now and then.
        for (int k = 0; k < 200; ++k)
            points[k] = static_cast<float>((((k + n) / 20) % 2 ? -5 : -40) * 1024 + 300 * std::sin(k * 0.7 + n));
        points[(n * 7) % 200] = -60 * 1024;
        const auto t0 = Clock::now();
        canvas.cls();
        trace_graph::draw_graph_lines(canvas);
        trace_graph::draw_trace(canvas, points.data(), 20, -50);
        const auto t1 = Clock::now();
        canvas.replay(painter, target);
        const auto t2 = Clock::now();
        record_s += std::chrono::duration<double>(t1 - t0).count();
        replay_s += std::chrono::duration<double>(t2 - t1).count();
    }
    std::printf("canvas: %d traces (grid + 200 points, 800x400 image): record %.1f us, replay %.1f us, "
                "total %.1f us per trace\n",
                kTraces, record_s / kTraces * 1e6, replay_s / kTraces * 1e6, (record_s + replay_s) / kTraces * 1e6);
    return 0;
}
