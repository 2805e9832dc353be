#include "frame/mode_window.h"

#include "link/app_error.h"

#include <QCloseEvent>
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
    leave_busy();
    return ok;
}

void ModeWindow::enter_busy() { ++busy_depth_; }

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
    unloaded_ = true;
    try {
        Form_Unload();
    } catch (...) {
        // The window goes away whatever its leaving commands met.
    }
    if (on_unloaded)
        on_unloaded();
    event->accept();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->deleteLater();
    else
        deleteLater();
}
