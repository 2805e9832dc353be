// Pelmora: drives an RQ58xxK peak power meter (and optionally a signal generator) over GPIB or a
// serial line. The GPIB driver is the simulated bench, so every mode runs without an instrument.
#include "frame/mode_registry.h"
#include "frame/sorvdemo.h"
#include "platform/clock.h"
#include "platform/gpib_driver.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "sim/sim_bench.h"
#include "sim/sim_gpib_bus.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pelmora"));
    QApplication::setApplicationName(QStringLiteral("Pelmora"));

    RealClock clock;
    QtPrompts prompts;
    QtSettingsStore settings;
    BenchDescription description;
    description.tdma_frame = true;
    SimBench bench(clock, description);
    QtSerialPort serial(clock);

    Platform p = Platform::of(clock, prompts, settings, bench.bus(), serial);
    p.end_system = [] {
        std::fflush(nullptr);
        ::_exit(0);
    };
    install_platform(p);
    register_all_modes();

    auto* main_window = new sorvdemo;
    main_window->setAttribute(Qt::WA_DeleteOnClose);
    if (!main_window->MDIForm_Load()) {
        delete main_window;
        install_platform(Platform());
        return 0;
    }
    const int rc = app.exec();
    install_platform(Platform());
    return rc;
}
