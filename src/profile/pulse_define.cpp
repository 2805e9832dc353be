#include "profile/pulse_define.h"

#include "link/globals.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "profile/pulse_analysis.h"
#include "util/number_text.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

pulse_define::pulse_define(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Change Pulse Definition"));
    setModal(true);
    D_user = new QLineEdit;
    M_user = new QLineEdit;
    p_user = new QLineEdit;
    OK_button = new QPushButton(QStringLiteral("OK"));
    Cancel_button = new QPushButton(QStringLiteral("Cancel"));
    OK_button->setDefault(true);
    auto* grid = new QGridLayout(this);
    QLineEdit* boxes[] = {D_user, M_user, p_user};
    const char* names[] = {"Distal %", "Mesial %", "Proximal %"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString::fromLatin1(names[i])), i, 0);
        grid->addWidget(boxes[i], i, 1);
    }
    grid->addWidget(OK_button, 3, 0);
    grid->addWidget(Cancel_button, 3, 1);
    connect(OK_button, &QPushButton::clicked, this, [this] { OK_button_Click(); });
    connect(Cancel_button, &QPushButton::clicked, this, [this] { Cancel_button_Click(); });
    Form_Load();
}

void pulse_define::Form_Load()
{
    const Globals& gs = g();
    D_user->setText(numtext::str_single(float(gs.pulse_distal * 100)));
    M_user->setText(numtext::str_single(float(gs.pulse_mesial * 100)));
    p_user->setText(numtext::str_single(float(gs.pulse_proximal * 100)));
}

void pulse_define::OK_button_Click()
{
    const double d = numtext::val(D_user->text());
    const double m = numtext::val(M_user->text());
    const double p = numtext::val(p_user->text());
    if (const auto error = pulse_analysis::definition_error(d, m, p)) {
        platform().prompts->message_box(*error, Prompts::Buttons::Ok, Prompts::Icon::None, Prompts::default_title());
        return;
    }
    Globals& gs = g();
    gs.pulse_distal = d / 100;
    gs.pulse_mesial = m / 100;
    gs.pulse_proximal = p / 100;
    accept();
}

void pulse_define::Cancel_button_Click() { reject(); }
