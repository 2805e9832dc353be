#pragma once
#include "platform/gpib_driver.h"
#include "platform/system_gpib.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class SettingsStore;

// Which GPIB driver drives: the system's 488.2 library or the simulated bench. The command line
// (--gpib=system|simulated, --gpib-library=PATH) wins over the stored [GPIB] Driver and Library keys;
// with neither, the system library when it loads, otherwise the simulated bench.
struct GpibRequest {
    QString driver;   // "system", "simulated" or empty (either)
    QString library;  // empty: the default library
    QString problem;  // a request that could not be read
};

// Reads the request from the program's arguments, then fills what they leave open from the store.
GpibRequest gpib_request(const QStringList& arguments, const SettingsStore* settings);

struct GpibChoice {
    enum class Kind { System, Simulated, None };
    Kind kind = Kind::Simulated;
    std::unique_ptr<GpibDriver> driver;  // the system library's driver, or the no-GPIB one; null: simulated
    QString description;                 // one line naming the driver, for the about box and the log
    QString problem;                     // text of the box to show, empty when all went as asked
};

using GpibLoader = std::function<SystemGpibDriver::Loaded(const QString& library)>;

GpibChoice choose_gpib(const GpibRequest& request, const GpibLoader& loader = SystemGpibDriver::load);
