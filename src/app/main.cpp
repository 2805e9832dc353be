// Pelmora: drives an RQ58xxK peak power meter (and optionally a signal generator) over GPIB or a
// serial line. The GPIB driver is the system's 488.2 library when it loads, otherwise the simulated
// bench, so every mode runs without an instrument; --gpib=system|simulated chooses.
#include "app/modes.h"
#include "frame/sorvdemo.h"
#include "platform/clock.h"
#include "platform/gpib_choice.h"
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

    GpibChoice gpib = choose_gpib(gpib_request(QCoreApplication::arguments(), &settings));
    GpibDriver& driver = gpib.driver ? *gpib.driver : static_cast<GpibDriver&>(bench.bus());
    std::fprintf(stderr, "Pelmora: GPIB driver: %s\n", qPrintable(gpib.description));

    Platform p = Platform::of(clock, prompts, settings, driver, serial);
    p.gpib_description = gpib.description;
    p.end_system = [] {
        std::fflush(nullptr);
        ::_exit(0);
    };
    install_platform(p);
    if (!gpib.problem.isEmpty())
        prompts.message_box(gpib.problem, Prompts::Buttons::Ok, Prompts::Icon::Exclamation, QStringLiteral("Pelmora"));

    auto* main_window = new sorvdemo(all_modes());
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
