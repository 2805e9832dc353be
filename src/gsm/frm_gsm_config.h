#pragma once
#include "gsm/gsm_slots.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// The TDMA configuration window: the number of slots, the slot width and the shares of each slot left
// out at its start and end. OK stores them only when the GSM window can split a trace with them.
class frmGSMconfig : public QDialog {
    Q_OBJECT
public:
    explicit frmGSMconfig(const gsm::FrameDescription& frame, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click() { reject(); }

    // The frame as confirmed (unchanged unless OK accepted the texts).
    gsm::FrameDescription frame() const { return frame_; }

    QLineEdit* txtSlots;
    QLineEdit* txtWidth;
    QLineEdit* txtEin;
    QLineEdit* txtEout;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    gsm::FrameDescription frame_;
};
