#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The link set-up dialog: GPIB or serial (optionally through a modem), addresses, generator kind,
// port and speed. Its answer goes to the main window's Tag: "ok" or "cancled".
class Configure_Form : public QDialog {
    Q_OBJECT
public:
    explicit Configure_Form(QWidget* parent = nullptr);

    void Form_Load();
    void Comms_choice_Click(int index);
    void OK_button_Click();
    void Cancel_button_Click();

    QGroupBox* Frame1;
    QRadioButton* Comms_choice[2];
    QGroupBox* GPIB_frame;
    QLabel* Label2;
    QLineEdit* GPIB_address_box;
    QRadioButton* Synth_type_option[3];
    QLineEdit* synth_addr_box;
    QGroupBox* Serial_frame;
    QRadioButton* Port_Choice[2];
    QComboBox* Baud_Rate_combo;
    QCheckBox* Modem_connection_check;
    QLabel* Label1;
    QLineEdit* Phone_Number_Box;
    QPushButton* OK_button;
    QPushButton* Cancel_button;

    // The baud-rate texts for list positions 0 to 7.
    static QString baud_text(int index);

protected:
    void reject() override;  // the close box and Esc count as Cancel

private:
    void set_tag(const QString& answer);
};
