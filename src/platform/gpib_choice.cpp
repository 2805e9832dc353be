#include "platform/gpib_choice.h"

#include "platform/settings_store.h"

namespace {

const QString system_name = QStringLiteral("system");
const QString simulated_name = QStringLiteral("simulated");

QString option_value(const QStringList& arguments, const QString& option, bool* given)
{
    const QString prefix = option + QLatin1Char('=');
    QString value;
    *given = false;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(prefix)) {
            value = arguments[i].mid(prefix.size());
            *given = true;
        } else if (arguments[i] == option && i + 1 < arguments.size()) {
            value = arguments[++i];
            *given = true;
        }
    }
    return value;
}

}  // namespace

GpibRequest gpib_request(const QStringList& arguments, const SettingsStore* settings)
{
    GpibRequest r;
    bool driver_given = false;
    bool library_given = false;
    r.driver = option_value(arguments, QStringLiteral("--gpib"), &driver_given).trimmed().toLower();
    r.library = option_value(arguments, QStringLiteral("--gpib-library"), &library_given).trimmed();
    if (settings && !driver_given)
        r.driver = settings->read(QStringLiteral("GPIB"), QStringLiteral("Driver")).value_or(QString()).trimmed().toLower();
    if (settings && !library_given)
        r.library = settings->read(QStringLiteral("GPIB"), QStringLiteral("Library")).value_or(QString()).trimmed();
    if (!r.driver.isEmpty() && r.driver != system_name && r.driver != simulated_name) {
        r.problem = QStringLiteral("Unknown GPIB driver \"%1\": it must be \"system\" or \"simulated\".\r\n"
                                   "Pelmora uses the system GPIB library when it loads, otherwise the simulated bench.")
                        .arg(r.driver);
        r.driver.clear();
    }
    return r;
}

GpibChoice choose_gpib(const GpibRequest& request, const GpibLoader& loader)
{
    GpibChoice c;
    c.problem = request.problem;
    if (request.driver == simulated_name) {
        c.kind = GpibChoice::Kind::Simulated;
        c.description = QStringLiteral("simulated bench");
        return c;
    }
    const QString library =
        request.library.isEmpty() ? QString::fromLatin1(SystemGpibDriver::default_library) : request.library;
    SystemGpibDriver::Loaded loaded = loader(library);
    if (loaded.driver) {
        c.kind = GpibChoice::Kind::System;
        c.driver = std::move(loaded.driver);
        c.description = QStringLiteral("system library %1").arg(library);
        return c;
    }
    const bool asked = request.driver == system_name;
    const QString outcome = asked ? QStringLiteral("Pelmora goes on without GPIB.")
                                  : QStringLiteral("Pelmora goes on with the simulated bench.");
    QString why;
    if (!loaded.missing_call.isEmpty()) {
        why = QStringLiteral("The GPIB library \"%1\" lacks the call \"%2\".").arg(library, loaded.missing_call);
    } else if (asked || !request.library.isEmpty()) {
        // A library that is simply not installed is no surprise unless it was asked for.
        why = QStringLiteral("The GPIB library \"%1\" could not be loaded:\r\n%2").arg(library, loaded.error);
    }
    if (!why.isEmpty())
        c.problem = c.problem.isEmpty() ? why + QStringLiteral("\r\n") + outcome
                                        : c.problem + QStringLiteral("\r\n") + why + QStringLiteral("\r\n") + outcome;
    if (asked) {
        c.kind = GpibChoice::Kind::None;
        c.driver = std::make_unique<NoGpibDriver>();
        c.description = QStringLiteral("none (the system library %1 did not load)").arg(library);
    } else {
        c.kind = GpibChoice::Kind::Simulated;
        c.description = QStringLiteral("simulated bench");
    }
    return c;
}
