#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// "Change Pulse Definition": the distal, mesial and proximal levels of the pulse analysis, in percent
// of the way from the base line to the top line. Modal; OK stores them only when all three are good.
class pulse_define : public QDialog {
    Q_OBJECT
public:
    explicit pulse_define(QWidget* parent = nullptr);
    void Form_Load();
    void OK_button_Click();
    void Cancel_button_Click();

    QLineEdit* D_user;
    QLineEdit* M_user;
    QLineEdit* p_user;
    QPushButton* OK_button;
    QPushButton* Cancel_button;
};
