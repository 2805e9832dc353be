#pragma once
#include "frame/mode_registry.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QMdiArea;
class QMenu;
#include "frame/mode_window.h"

// The main window: an MDI frame whose menus configure the link, run the system check and open one
// measurement mode at a time.
class sorvdemo : public QMainWindow {
    Q_OBJECT
public:
    // modes: the window class of each mode the mode menu enters (none given: its items enter nothing).
    explicit sorvdemo(ModeRegistry modes = {}, QWidget* parent = nullptr);
    ~sorvdemo() override;

    // The one main window of the program (null before it is made and after it is gone).
    static sorvdemo* instance();

    // Start-up. False when the user chose to end the program (no configuration, or cancelled).
    bool MDIForm_Load();

    // The one-slot message between windows: a help file name, or the configuration window's answer.
    QString Tag;

    // Menu handlers.
    void menuExit_Click();
    void menusetup_Click();
    void menuReset_Click();
    void menuGSMdemo_Click() { enter_mode(Mode::Gsm); }
    void menuCDMA_Click() { enter_mode(Mode::Cdma); }
    void menuProfile_Click() { enter_mode(Mode::Profile); }
    void menuReadout_Click() { enter_mode(Mode::Readout); }
    void menuSourceSweep_Click() { enter_mode(Mode::SourceSweep); }
    void menuAbout_Click();
    void memIntroHelp_Click() { show_help(QStringLiteral("Introhelp.txt")); }
    void menuModes_Click() { show_help(QStringLiteral("Modeshelp.txt")); }
    void menuConfigHelp_Click() { show_help(QStringLiteral("confighelp.txt")); }

    // Help protocol: the file name goes into Tag, then the help window is shown modally.
    void show_help(const QString& file_name);
    void enter_mode(Mode mode);
    ModeWindow* open_mode_window() const { return mode_window_; }
    QMdiArea* mdi_area() const { return mdi_; }

    QMenu* menuFileBar;
    QMenu* menuConfBar;
    QMenu* menuModeBar;
    QMenu* menuHelpBar;
    QAction* menuExit;
    QAction* menusetup;
    QAction* menuReset;
    QAction* menuGSMdemo;
    QAction* menuCDMA;
    QAction* menuProfile;
    QAction* menuReadout;
    QAction* menuSourceSweep;
    QAction* menuAbout;
    QAction* memIntroHelp;
    QAction* menuModes;
    QAction* menuConfigHelp;

    // The closing sequence has run (the program ends after it).
    bool closed() const { return closed_; }
    // A close was asked for and waits for a running check or the open mode window to finish.
    bool closing() const { return closing_; }
    // The system check is on the stack (its modem wait lets the event loop run).
    bool check_running() const { return check_depth_ > 0; }

    // The background picture, 640 x 455.
    static QPixmap background_picture();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QAction* mode_action(Mode mode) const;
    void mode_unloaded(Mode mode);
    void MDIForm_Unload();
    // check_instruments with this window; a close asked for meanwhile is carried out when it has ended.
    bool run_check();
    // What stands in the way of the closing sequence; a close is retried once it has gone.
    bool close_must_wait();

    ModeRegistry modes_;
    QMdiArea* mdi_;
    QPointer<ModeWindow> mode_window_;
    bool closing_ = false;
    bool closed_ = false;
    bool in_unload_ = false;
    int check_depth_ = 0;
    bool in_resize_ = false;
};
