#pragma once
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// Shows the help text file named by the main window's Tag.
class Help_Window : public QDialog {
    Q_OBJECT
public:
    explicit Help_Window(QWidget* parent = nullptr);

    // The program's folder, where the help files lie (another folder may be set, e.g. by tests).
    static QString program_folder();
    static void set_program_folder(const QString& folder);

    void Form_Load();
    void OK_Click() { accept(); }

    // What the box holds, each line ended by CR LF.
    QString text;
    QPlainTextEdit* Text1;
    QPushButton* OK;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
