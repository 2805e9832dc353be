#include "frame/mode_window.h"

#include "frame/data_file.h"

#include "link/app_error.h"
#include "link/link_exchange.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

ModeWindow::ModeWindow(QWidget* parent) : QMainWindow(parent) {}

ModeWindow::~ModeWindow() = default;

void ModeWindow::request_close()
{
    if (unloaded_)
        return;
    if (busy()) {
        close_pending_ = true;
        request_stop();
        return;
    }
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

bool ModeWindow::load()
{
    enter_busy();
    bool ok = true;
    try {
        Form_Load();
    } catch (const AppError&) {
        ok = false;
    }
    const bool staying = ok && !close_pending_ && !unloaded_;
    leave_busy();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && staying) {
        sub->show();
        // The window just opened is the one the keyboard works in.
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
    }
    return ok;
}

void ModeWindow::enter_busy() { ++busy_depth_; }

QString ModeWindow::error_title() const { return QStringLiteral("Sorry..."); }

void ModeWindow::show_error(const QString& text) const { data_file::show_error(text, error_title()); }

namespace {
void showing_errors(const std::function<void()>& step, const QString& title)
{
    try {
        step();
    } catch (const AppError&) {
        // The link's box has already said what failed; the error ends only this step.
    } catch (const std::exception& e) {
        data_file::show_error(QString::fromLocal8Bit(e.what()), title);
    }
}
}  // namespace

void ModeWindow::guarded(const std::function<void()>& handler)
{
    if (unloaded_)
        return;
    const BusyScope busy([this] { enter_busy(); }, [this] { leave_busy(); });
    showing_errors(handler, error_title());
}

void ModeWindow::load_step(const std::function<void()>& step) { showing_errors(step, error_title()); }

void ModeWindow::leave_busy()
{
    if (busy_depth_ > 0)
        --busy_depth_;
    if (busy_depth_ == 0 && close_pending_) {
        close_pending_ = false;
        // Close from the event loop, after the loop's handler has returned.
        QTimer::singleShot(0, this, [this] { request_close(); });
    }
}

void ModeWindow::closeEvent(QCloseEvent* event)
{
    if (unloading_) {
        // A second close while the leaving commands go out: the first one finishes the job.
        event->ignore();
        return;
    }
    if (unloaded_) {
        event->accept();
        return;
    }
    if (busy()) {
        event->ignore();
        if (refuse_close_while_busy())
            return;
        close_pending_ = true;
        request_stop();
        return;
    }
    if (vbib32::exchange_in_progress()) {
        // Come from inside another exchange's wait: the leaving commands go out once it has ended.
        event->ignore();
        vbib32::after_exchange(this, [this] { request_close(); });
        return;
    }
    unloaded_ = true;
    unloading_ = true;
    try {
        Form_Unload();
    } catch (...) {
        // The window goes away whatever its leaving commands met.
    }
    unloading_ = false;
    if (on_unloaded)
        on_unloaded();
    event->accept();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->deleteLater();
    else
        deleteLater();
}
