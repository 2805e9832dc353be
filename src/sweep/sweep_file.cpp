#include "sweep/sweep_file.h"

#include "frame/data_file.h"
#include "frame/meter_routines.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "sweep/sweep_rules.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {

// The saving caption and the hourglass for as long as the save lasts, both back on every way out.
class SavingScope {
public:
    explicit SavingScope(QWidget* window) : window_(window), caption_(window->windowTitle())
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        window->setWindowTitle(QStringLiteral("Please Wait....Saving Graph Data"));
        // Let the caption show before the meter is asked for its identity.
        platform().clock->yield(true);
    }
    ~SavingScope()
    {
        if (window_)
            window_->setWindowTitle(caption_);
        QApplication::restoreOverrideCursor();
    }
    SavingScope(const SavingScope&) = delete;
    SavingScope& operator=(const SavingScope&) = delete;

private:
    QPointer<QWidget> window_;
    QString caption_;
};

}  // namespace

void save_sweep_graph(QWidget* window, bool level_sweep, double left, double right, const float* trace)
{
    const QString path = data_file::ask_target(QStringLiteral("Save graph"), QStringLiteral("Sorry..."));
    if (path.isEmpty())
        return;
    const SavingScope saving(window);
    module1::SensorTypes ids;
    module1::get_sensor_types(ids);
    const QString text = data_file::short_date_time_line(platform().clock->date_time()) +
                         sweep_rules::data_file_body(module1::identity_header(ids), level_sweep, left, right, trace);
    data_file::write_whole(path, text, QStringLiteral("Sorry..."));
}
