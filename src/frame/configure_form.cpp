#include "frame/configure_form.h"

#include "frame/sorvdemo.h"
#include "frame/stored_config.h"
#include "link/globals.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const char* const baud_rates[] = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
}

QString Configure_Form::baud_text(int index)
{
    if (index < 0 || index > 7)
        return QString();
    return QString::fromLatin1(baud_rates[index]);
}

Configure_Form::Configure_Form(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Pelmora Setup"));
    setModal(true);

    Frame1 = new QGroupBox(QStringLiteral("RQ58xxK Comms"));
    Comms_choice[0] = new QRadioButton(QStringLiteral("GPIB"));
    Comms_choice[0]->setToolTip(QStringLiteral("Change to GPIB communications"));
    Comms_choice[1] = new QRadioButton(QStringLiteral("Serial"));
    Comms_choice[1]->setToolTip(QStringLiteral("Change to Serial Communications"));
    auto* comms_layout = new QHBoxLayout(Frame1);
    comms_layout->addWidget(Comms_choice[0]);
    comms_layout->addWidget(Comms_choice[1]);

    GPIB_frame = new QGroupBox(QStringLiteral("GPIB setup"));
    Label2 = new QLabel(QStringLiteral("RQ58xxK Address"));
    GPIB_address_box = new QLineEdit;
    GPIB_address_box->setToolTip(QStringLiteral("The GPIB address that the RQ58xxK Device is at"));
    Synth_type_option[0] = new QRadioButton(QStringLiteral("Tolmare Synth Generator"));
    Synth_type_option[0]->setToolTip(QStringLiteral(
        "select this item if you are using an Tolmare Synth Generator (46, 47 or 48 series)"));
    Synth_type_option[1] = new QRadioButton(QStringLiteral("Non-Tolmaer Synth Gen"));
    Synth_type_option[1]->setToolTip(QStringLiteral(
        "Select this option if you are using a non-tolmaer synth generator with a ramp output"));
    Synth_type_option[2] = new QRadioButton(QStringLiteral("No Synth Generator"));
    Synth_type_option[2]->setToolTip(QStringLiteral("Select this option if you are not using any sweepers."));
    synth_addr_box = new QLineEdit;
    synth_addr_box->setToolTip(QStringLiteral("Address of the Tolmare Synth Generator"));
    auto* gpib_layout = new QGridLayout(GPIB_frame);
    gpib_layout->addWidget(Label2, 0, 0);
    gpib_layout->addWidget(GPIB_address_box, 0, 1);
    gpib_layout->addWidget(Synth_type_option[0], 1, 0);
    gpib_layout->addWidget(synth_addr_box, 1, 1);
    gpib_layout->addWidget(Synth_type_option[1], 2, 0, 1, 2);
    gpib_layout->addWidget(Synth_type_option[2], 3, 0, 1, 2);

    Serial_frame = new QGroupBox(QStringLiteral("Serial Setup"));
    Port_Choice[0] = new QRadioButton(QStringLiteral("Port 1"));
    Port_Choice[1] = new QRadioButton(QStringLiteral("Port 2"));
    for (QRadioButton* b : Port_Choice)
        b->setToolTip(QStringLiteral("Select the port you are communicating through"));
    Baud_Rate_combo = new QComboBox;
    Baud_Rate_combo->setPlaceholderText(QStringLiteral("Choose Baud Rate"));
    for (int i = 0; i < 6; ++i)
        Baud_Rate_combo->addItem(baud_text(i));
    Baud_Rate_combo->setCurrentIndex(-1);
    Baud_Rate_combo->setToolTip(QStringLiteral("Select the buad rate for the serial communications"));
    Modem_connection_check = new QCheckBox(QStringLiteral("Modem Connection"));
    Label1 = new QLabel(QStringLiteral("Phone Number of Power Meter"));
    Phone_Number_Box = new QLineEdit;
    auto* serial_layout = new QGridLayout(Serial_frame);
    serial_layout->addWidget(Port_Choice[0], 0, 0);
    serial_layout->addWidget(Port_Choice[1], 0, 1);
    serial_layout->addWidget(Baud_Rate_combo, 1, 0, 1, 2);
    serial_layout->addWidget(Modem_connection_check, 2, 0, 1, 2);
    serial_layout->addWidget(Label1, 3, 0, 1, 2);
    serial_layout->addWidget(Phone_Number_Box, 4, 0, 1, 2);

    OK_button = new QPushButton(QStringLiteral("OK"));
    OK_button->setToolTip(QStringLiteral("Save the configuration"));
    OK_button->setDefault(true);
    Cancel_button = new QPushButton(QStringLiteral("Cancel"));
    Cancel_button->setToolTip(QStringLiteral("Cancel any changes you have made"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OK_button);
    buttons->addWidget(Cancel_button);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(Frame1);
    left->addWidget(GPIB_frame);
    left->addStretch();
    columns->addLayout(left);
    columns->addWidget(Serial_frame, 0, Qt::AlignTop);
    auto* main_layout = new QVBoxLayout(this);
    main_layout->addLayout(columns);
    main_layout->addLayout(buttons);

    // Runs when a choice becomes selected (also from code), not on a click at the choice already made:
    // that must not throw away the generator option picked since.
    connect(Comms_choice[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Comms_choice_Click(0);
    });
    connect(Comms_choice[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Comms_choice_Click(1);
    });
    connect(OK_button, &QPushButton::clicked, this, [this] { OK_button_Click(); });
    connect(Cancel_button, &QPushButton::clicked, this, [this] { Cancel_button_Click(); });

    Form_Load();
}

void Configure_Form::set_tag(const QString& answer)
{
    if (sorvdemo* main = sorvdemo::instance())
        main->Tag = answer;
}

void Configure_Form::Form_Load()
{
    const Globals& gs = g();
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 2);
    }
    const int comms = gs.comms_type == 1 ? 1 : 0;
    Comms_choice[comms]->setChecked(true);
    GPIB_address_box->setText(QString::number(gs.meter_address));
    const SerialPort* port = platform().serial;
    const int port_number = port ? port->port() : 1;
    Port_Choice[port_number == 1 ? 0 : 1]->setChecked(true);
    const QString baud = port ? port->settings().section(QLatin1Char(','), 0, 0) : QString();
    Baud_Rate_combo->setCurrentIndex(-1);
    for (int i = 0; i < 6; ++i)
        if (baud == baud_text(i))
            Baud_Rate_combo->setCurrentIndex(i);
    Modem_connection_check->setChecked(gs.modem_in_use);
    Phone_Number_Box->setText(gs.phone_number);
    if (gs.maker_synth)
        Synth_type_option[0]->setChecked(true);
    else if (!gs.other_synth)
        Synth_type_option[2]->setChecked(true);
    else
        Synth_type_option[1]->setChecked(true);
    if (gs.synth_address != -1)
        synth_addr_box->setText(QString::number(gs.synth_address));
}

void Configure_Form::Comms_choice_Click(int index)
{
    const bool gpib = index == 0;
    if (gpib)
        Synth_type_option[0]->setChecked(true);
    else
        Synth_type_option[2]->setChecked(true);
    for (QWidget* w : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(GPIB_address_box),
                       static_cast<QWidget*>(Synth_type_option[0]), static_cast<QWidget*>(Synth_type_option[1]),
                       static_cast<QWidget*>(Synth_type_option[2]), static_cast<QWidget*>(synth_addr_box)})
        w->setEnabled(gpib);
}

void Configure_Form::OK_button_Click()
{
    Globals& gs = g();
    Prompts& prompts = *platform().prompts;
    SerialPort* port = platform().serial;
    const bool serial = Comms_choice[1]->isChecked();
    const int baud_index = Baud_Rate_combo->currentIndex();
    const QString baud = baud_text(baud_index);

    if (serial && baud_index < 0) {
        prompts.message_box(QStringLiteral("Please select a baud rate."), Prompts::Buttons::Ok, Prompts::Icon::None,
                            QStringLiteral("Require information missing"));
        return;
    }
    // Addresses that are not numbers, and phone numbers that are no dial string, are refused before
    // anything changes.
    int meter_address = 0;
    if (!module1::to_integer(GPIB_address_box->text(), &meter_address, nullptr)) {
        prompts.message_box(QStringLiteral("The RQ58xxK Address must be a number."), Prompts::Buttons::Ok,
                            Prompts::Icon::None, QStringLiteral("Pelmora"));
        return;
    }
    int synth_address = -1;
    if (Synth_type_option[0]->isChecked() &&
        !module1::to_integer(synth_addr_box->text(), &synth_address, nullptr)) {
        prompts.message_box(QStringLiteral("The address of the Tolmare Synth Generator must be a number."),
                            Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Pelmora"));
        return;
    }
    if (!module1::dialable(Phone_Number_Box->text())) {
        prompts.message_box(QStringLiteral("The Phone Number must not hold control characters."), Prompts::Buttons::Ok,
                            Prompts::Icon::None, QStringLiteral("Pelmora"));
        return;
    }

    gs.modem_in_use = Modem_connection_check->isChecked();
    gs.serial_format_suffix = QStringLiteral(",N,8,1");
    gs.phone_number = Phone_Number_Box->text();

    const int port_number = Port_Choice[0]->isChecked() ? 1 : 2;
    gs.meter_address = meter_address;
    QString error;
    if (port) {
        if (port->is_open())
            port->close();
        bool ok = port->set_port(port_number, &error);
        // With GPIB and no speed chosen the port keeps the settings it had.
        if (ok && baud_index >= 0)
            ok = port->set_settings(baud + gs.serial_format_suffix, &error);
        if (!ok) {
            prompts.message_box(QStringLiteral("Error: ") + error, Prompts::Buttons::Ok, Prompts::Icon::None,
                                QStringLiteral("Sorry..."));
            done(QDialog::Rejected);
            return;
        }
    }
    gs.comms_type = serial ? 1 : 2;
    gs.synth_address = -1;
    if (Synth_type_option[1]->isChecked()) {
        gs.other_synth = true;
        gs.maker_synth = false;
    } else if (Synth_type_option[2]->isChecked()) {
        gs.other_synth = false;
        gs.maker_synth = false;
    } else {
        gs.synth_address = synth_address;
        gs.maker_synth = true;
        gs.other_synth = false;
    }
    module1::save_config();

    // An error left by one link must not fail the other.
    gs.ibsta = 0;
    gs.iberr = 0;
    gs.ibcnt = 0;
    gs.ibcntl = 0;

    if (serial) {
        gs.serial_in_use = true;
        gs.gpib_in_use = false;
        gs.maker_synth = false;
        if (port) {
            int code = 0;
            if (!port->open(&error, &code)) {
                if (code == 8005) {
                    prompts.message_box(QStringLiteral("Port already in use...please choose the other port."),
                                        Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Pelmora"));
                    return;
                }
                prompts.message_box(QStringLiteral("Error: ") + error, Prompts::Buttons::Ok, Prompts::Icon::None,
                                    QStringLiteral("Sorry..."));
                done(QDialog::Rejected);
                return;
            }
        }
        if (gs.modem_in_use) {
            if (gs.phone_number.isEmpty()) {
                prompts.message_box(
                    QStringLiteral("You must supply a phone number if you are going to use the Modem Connection."),
                    Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Pelmora"));
                return;
            }
            prompts.message_box(QStringLiteral("You will be asked to connect to the Power Meter before you go into "
                                               "any of the modes first."),
                                Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Pelmora"));
        }
    } else {
        gs.serial_in_use = false;
        gs.gpib_in_use = true;
    }
    set_tag(QStringLiteral("ok"));
    done(QDialog::Accepted);
}

void Configure_Form::Cancel_button_Click()
{
    set_tag(QStringLiteral("cancled"));
    done(QDialog::Rejected);
}

void Configure_Form::reject() { Cancel_button_Click(); }
