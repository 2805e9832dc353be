#include "sweep/gaincomp.h"

#include "link/globals.h"
#include "platform/canvas.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "util/entry_rule.h"
#include "util/number_text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

void choose_offset(const QString& sensor, bool frequency_run, int& kind, double& fixed_db, int& table)
{
    Prompts& p = *platform().prompts;
    if (frequency_run &&
        p.message_box(QStringLiteral("Do you wish to use an Offset Table with Sensor ") + sensor + QStringLiteral("?"),
                      Prompts::Buttons::YesNo, Prompts::Icon::Question,
                      QStringLiteral("Gain/Comp Test over frequency range")) == Prompts::Answer::Yes) {
        const QString answer = p.input_box(QStringLiteral("Enter Offset Table Number"),
                                           QStringLiteral("Offset Table Number for Sensor ") + sensor,
                                           numtext::str_int(table).trimmed());
        if (answer.trimmed().isEmpty())
            return;
        // The whole answer must be the number: "1;*RST" names no table.
        const auto number = entry::sendable(answer);
        const double v = number ? number->value : -1;
        if (v < -0.5 || v >= 32767.5) {
            p.message_box(QStringLiteral("Offset table numbers run from 0 to 32767."), Prompts::Buttons::Ok,
                          Prompts::Icon::Exclamation, QStringLiteral("Offset Table Number for Sensor ") + sensor);
            return;
        }
        kind = 2;
        table = numtext::cint(v);
        return;
    }
    const QString answer = p.input_box(QStringLiteral("Enter Fixed Offset Value in dBm"), QStringLiteral("Fixed offset value"),
                                       numtext::cstr_double(fixed_db));
    if (answer.trimmed().isEmpty())
        return;
    // The offset goes to the meter as a number: "1e999" would go as the largest double, "nan" as 0.
    const auto number = entry::sendable(answer);
    if (!number) {
        p.message_box(QStringLiteral("The fixed offset must be a number of dB."), Prompts::Buttons::Ok,
                      Prompts::Icon::Exclamation, QStringLiteral("Fixed offset value"));
        return;
    }
    kind = 1;
    fixed_db = number->value;
}

GainComp::GainComp(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Amplifier Gain and Compression Test"));
    Config = new QComboBox;
    Config->addItems({QStringLiteral("Configuration 1"), QStringLiteral("Configuration 2")});
    Offset_A = new QPushButton(QStringLiteral("Offset"));
    Offset_B = new QPushButton(QStringLiteral("Offset"));
    OK_button = new QPushButton(QStringLiteral("OK"));
    diagram = new CanvasWidget;
    diagram->setMinimumSize(420, 180);
    diagram->canvas().set_back_color(Qt::white);
    auto* l = new QGridLayout(this);
    l->addWidget(new QLabel(QStringLiteral("Select Config.")), 0, 0);
    l->addWidget(Config, 0, 1);
    l->addWidget(diagram, 1, 0, 1, 4);
    l->addWidget(new QLabel(QStringLiteral("Sensor A")), 2, 0);
    l->addWidget(Offset_A, 2, 1);
    l->addWidget(new QLabel(QStringLiteral("Sensor B")), 3, 0);
    l->addWidget(Offset_B, 3, 1);
    l->addWidget(OK_button, 3, 3);
    connect(Config, &QComboBox::currentIndexChanged, this, [this] { Config_Click(); });
    connect(Offset_A, &QPushButton::clicked, this, [this] { Offset_A_Click(); });
    connect(Offset_B, &QPushButton::clicked, this, [this] { Offset_B_Click(); });
    connect(OK_button, &QPushButton::clicked, this, [this] { OK_button_Click(); });
    Form_Load();
}

void GainComp::Form_Load()
{
    Globals& gs = g();
    const int index = gs.gaincomp_config_index;
    if (Config->currentIndex() == index)
        Config_Click();
    else
        Config->setCurrentIndex(index);
    gs.offset_mode_a = 1;
    gs.offset_mode_b = 1;
}

void GainComp::Config_Click()
{
    Globals& gs = g();
    gs.gaincomp_config_index = Config->currentIndex();
    const bool second = gs.gaincomp_config_index == 1;
    Offset_B->setVisible(!second);
    if (second)
        gs.offset_mode_b = 0;
    draw_diagram();
}

void GainComp::draw_diagram()
{
    // Generator -> coupler -> amplifier -> attenuator; sensor A on the coupler, sensor B after the attenuator
    // (configuration 1) or on the amplifier's output directly (configuration 2).
    Canvas& c = diagram->canvas();
    c.scale(0, 0, 100, 40);
    c.cls();
    const QColor ink(0, 0, 0);
    c.box(1, 14, 24, 24, ink, false);
    c.set_current(2, 16);
    c.print(QStringLiteral("Signal Generator"));
    c.line(24, 19, 30, 19, ink);
    c.box(30, 16, 38, 22, ink, false);  // coupler
    c.line(34, 22, 34, 32, ink);
    c.set_current(30, 33);
    c.print(QStringLiteral("Sensor A"));
    c.line(38, 19, 50, 19, ink);
    c.line(50, 13, 50, 25, ink);  // amplifier
    c.line(50, 13, 62, 19, ink);
    c.line(50, 25, 62, 19, ink);
    if (g().gaincomp_config_index == 0) {
        c.line(62, 19, 72, 19, ink);
        c.box(72, 16, 80, 22, ink, false);  // attenuator
        c.line(80, 19, 90, 19, ink);
        c.line(90, 19, 90, 32, ink);
        c.set_current(84, 33);
    } else {
        c.line(62, 19, 90, 19, ink);
        c.line(90, 19, 90, 32, ink);
        c.set_current(84, 33);
    }
    c.print(QStringLiteral("Sensor B"));
}

void GainComp::Offset_A_Click()
{
    Globals& gs = g();
    choose_offset(QStringLiteral("A"), gs.amp_freq_sweep, gs.offset_mode_a, gs.offset_fixed_a, gs.offset_table_a);
}

void GainComp::Offset_B_Click()
{
    Globals& gs = g();
    choose_offset(QStringLiteral("B"), gs.amp_freq_sweep, gs.offset_mode_b, gs.offset_fixed_b, gs.offset_table_b);
}

void GainComp::OK_button_Click() { accept(); }
