#pragma once
#include <QDialog>

class QLabel;
class QProgressBar;

// The small window that shows the automatic set-up is still searching. Modeless; its owner moves the
// bar along.
class Process_bar : public QDialog {
    Q_OBJECT
public:
    explicit Process_bar(QWidget* parent = nullptr);
    // Centres the window on the screen.
    void Form_Load();

    QProgressBar* ProgressBar1;
    QLabel* Label1;
};
