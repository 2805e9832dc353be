#include "gsm/frm_gsm_config.h"

#include "platform/platform.h"
#include "platform/prompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmGSMconfig::frmGSMconfig(const gsm::FrameDescription& frame, QWidget* parent) : QDialog(parent), frame_(frame)
{
    setWindowTitle(QStringLiteral("TDMA Configuration"));
    setModal(true);
    txtSlots = new QLineEdit(QStringLiteral("8"));
    txtWidth = new QLineEdit(QStringLiteral("556.00"));
    txtEin = new QLineEdit(QStringLiteral("20"));
    txtEout = new QLineEdit(QStringLiteral("10"));
    auto* grid = new QGridLayout;
    const struct {
        const char* label;
        QLineEdit* box;
        const char* unit;
    } rows[] = {{"Number of slots:", txtSlots, ""},
                {"Slot Width:", txtWidth, "us"},
                {"Exclude in:", txtEin, "%"},
                {"Exclude out:", txtEout, "%"}};
    int row = 0;
    for (const auto& r : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(r.label)), row, 0);
        r.box->setFixedWidth(80);
        grid->addWidget(r.box, row, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(r.unit)), row, 2);
        ++row;
    }
    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(grid);
    all->addLayout(buttons);
    Form_Load();
}

void frmGSMconfig::Form_Load()
{
    const gsm::ConfigTexts t = gsm::config_texts(frame_);
    txtSlots->setText(t.slot_count);
    txtWidth->setText(t.width);
    txtEin->setText(t.exclude_in);
    txtEout->setText(t.exclude_out);
}

void frmGSMconfig::cmdOK_Click()
{
    const auto parsed = gsm::parse_config({txtSlots->text(), txtWidth->text(), txtEin->text(), txtEout->text()});
    if (const auto* refusal = std::get_if<gsm::Refusal>(&parsed)) {
        // Nothing is stored; the dialog stays open on the box to correct.
        platform().prompts->message_box(refusal->text, Prompts::Buttons::Ok, Prompts::Icon::Exclamation,
                                        QStringLiteral("TDMA Configuration"));
        QLineEdit* boxes[] = {txtSlots, txtWidth, txtEin, txtEout};
        QLineEdit* box = boxes[std::clamp(refusal->field, 0, 3)];
        box->setFocus();
        box->selectAll();
        return;
    }
    frame_ = std::get<gsm::FrameDescription>(parsed);
    accept();
}
