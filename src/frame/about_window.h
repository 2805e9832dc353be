#pragma once
#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

// The about box: title, version, description, and the system-information program.
class about_window : public QDialog {
    Q_OBJECT
public:
    explicit about_window(QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click() { accept(); }
    void cmdSysInfo_Click() { StartSysInfo(); }
    // Starts the system-information program, detached; a box when there is none.
    static void StartSysInfo();
    // The first system-information program found on the search path, or empty.
    static QString find_sysinfo_program();
    static QString version_text();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QLabel* lblGpibDriver;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;
};

// The notice shown while a mode window sets the meter up.
class PleaseWait : public QWidget {
    Q_OBJECT
public:
    explicit PleaseWait(QWidget* main_window);
    void Form_Load();
    // Hides the notice and lets it go from the event loop; nothing when there is none.
    static void dismiss(QPointer<PleaseWait>& notice);
    QLabel* Label1;

private:
    QWidget* main_window_;
};
