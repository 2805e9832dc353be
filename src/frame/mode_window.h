#pragma once
#include <QMainWindow>
#include <functional>

// Base of the measurement-mode windows: an MDI child with its own menu bar. A window whose run loop,
// wait or modal box is on the stack is never destroyed: a close during a run is remembered and carried
// out when the loop has ended; the window then goes away with deleteLater only.
class ModeWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ModeWindow(QWidget* parent = nullptr);
    ~ModeWindow() override;

    // Sets the meter up for the mode. May raise AppError; the caller then closes the window.
    virtual void Form_Load() = 0;
    // The mode's leaving commands; runs once, never under a running loop.
    virtual void Form_Unload() {}
    // Runs Form_Load inside the busy bracket. An application error raised there ends the load: false,
    // and the caller closes the window through its normal unload. The MDI frame around the window is
    // shown only when the load has ended well, never half set up behind the please-wait window.
    bool load();

    // A run loop (or any step that yields) is on the stack.
    bool busy() const { return busy_depth_ > 0; }
    bool close_pending() const { return close_pending_; }
    // The unload has begun (it may still be sending the leaving commands).
    bool unloaded() const { return unloaded_; }
    // The leaving commands are going out: Form_Unload is on the stack and may yield. The window still
    // counts as open, and nothing that owns it may go away.
    bool unloading() const { return unloading_; }
    // Close now when idle, else once the loop has ended.
    void request_close();

    // Set by the main window: hands its menus back once the window has unloaded.
    std::function<void()> on_unloaded;

protected:
    // Bracket every loop and every step that yields: a close in between waits for the matching leave.
    void enter_busy();
    void leave_busy();
    // A user's handler inside the busy bracket; nothing once the window has unloaded. An application
    // error ends only the handler (the link's box has said what failed); any other error is shown as
    // "Error: " and its text in a box titled error_title().
    void guarded(const std::function<void()>& handler);
    // The same for a menu item or button: the handler wrapped in guarded.
    std::function<void()> guarded_slot(std::function<void()> handler)
    {
        return [this, handler = std::move(handler)] { guarded(handler); };
    }
    // One step of Form_Load: an application error is reported by the link's box and the window opens in
    // any case; any other error is shown as guarded shows it.
    void load_step(const std::function<void()>& step);
    virtual QString error_title() const;
    // How an unexpected error is shown: "Error: " and its text in a box titled error_title().
    void show_error(const QString& text) const;
    // Raise the window's stop request; the loop reads it after its current pass.
    virtual void request_stop() {}
    // The source-sweep window refuses to close during a run instead of deferring it.
    virtual bool refuse_close_while_busy() { return false; }
    void closeEvent(QCloseEvent* event) override;

private:
    int busy_depth_ = 0;
    bool close_pending_ = false;
    bool unloaded_ = false;
    bool unloading_ = false;
};

// RAII bracket for ModeWindow::enter_busy / leave_busy.
class BusyScope {
public:
    explicit BusyScope(std::function<void()> enter, std::function<void()> leave) : leave_(std::move(leave))
    {
        enter();
    }
    ~BusyScope() { leave_(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::function<void()> leave_;
};
