#pragma once
// A set-up the source-sweep window's tests share.
#include "sweep/srcswp.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

// A level sweep from -30 to 0 dBm with the RF on, the amplifier tab shown.
inline void amplifier_level_sweep(srcswp* w)
{
    w->RF_Output_Check->setChecked(true);
    w->Level_type[1]->click();
    w->Level_sweep_start->setText("-30");
    w->level_sweep_stop->setText("0");
    w->update_screen_x_axis();
    w->SSTab1->setCurrentIndex(5);
}
