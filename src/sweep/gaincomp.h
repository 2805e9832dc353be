#pragma once
#include <QDialog>

class CanvasWidget;
class QComboBox;
class QPushButton;

// Asks for a sensor's offset through the boxes: an offset table (only for a run over frequencies, when the
// user wants one) or a fixed value. A cancelled box leaves kind and value as they were; an answer that is
// not one number (the entry rule), or a table number outside 0..32767, is refused with a box.
void choose_offset(const QString& sensor, bool frequency_run, int& kind, double& fixed_db, int& table);

// The amplifier test's connection window: the set-up drawn, the configuration and each sensor's offset.
class GainComp : public QDialog {
    Q_OBJECT
public:
    explicit GainComp(QWidget* parent = nullptr);
    void Form_Load();
    void Config_Click();
    void Offset_A_Click();
    void Offset_B_Click();
    void OK_button_Click();

    QComboBox* Config;
    QPushButton* Offset_A;
    QPushButton* Offset_B;
    QPushButton* OK_button;
    CanvasWidget* diagram;

private:
    void draw_diagram();
};
