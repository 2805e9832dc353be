#include "frame/about_window.h"

#include "frame/sorvdemo.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

about_window::about_window(QWidget* parent) : QDialog(parent)
{
    picIcon = new QLabel;
    picIcon->setPixmap(sorvdemo::background_picture().scaled(128, 91, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    lblTitle = new QLabel;
    QFont title_font = lblTitle->font();
    title_font.setPointSize(title_font.pointSize() + 6);
    title_font.setBold(true);
    lblTitle->setFont(title_font);
    lblVersion = new QLabel;
    lblDescription = new QLabel;
    lblDescription->setWordWrap(true);
    lblDisclaimer = new QLabel;
    lblGpibDriver = new QLabel;
    lblGpibDriver->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."));
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(lblGpibDriver, 3, 1);
    grid->addWidget(lblDisclaimer, 4, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    grid->addLayout(buttons, 5, 1, Qt::AlignRight);
    // The texts take the width the picture does not need.
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(16);
    Form_Load();
    setFixedWidth(470);
}

QString about_window::version_text()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(PELMORA_VERSION_MAJOR)
        .arg(PELMORA_VERSION_MINOR)
        .arg(PELMORA_VERSION_PATCH);
}

void about_window::Form_Load()
{
    setWindowTitle(QStringLiteral("About Pelmora"));
    lblVersion->setText(version_text());
    lblTitle->setText(QStringLiteral("Pelmora"));
    lblDescription->setText(QStringLiteral(
        "This program demostrates some of the special features of the Tolmare RQ5810K Series Power meter.\r\n"));
    const QString driver = platform().gpib_description;
    lblGpibDriver->setText(driver.isEmpty() ? QString() : QStringLiteral("GPIB driver: ") + driver);
}

QString about_window::find_sysinfo_program()
{
    for (const char* name : {"hardinfo2", "hardinfo", "kinfocenter", "lshw-gtk"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void about_window::StartSysInfo()
{
    const QString path = find_sysinfo_program();
    if (path.isEmpty() || !QProcess::startDetached(path, {})) {
        platform().prompts->message_box(QStringLiteral("System Information Is Unavailable At This Time"),
                                        Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Pelmora"));
    }
}

PleaseWait::PleaseWait(QWidget* main_window)
    : QWidget(main_window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), main_window_(main_window)
{
    Label1 = new QLabel(QStringLiteral("Please Wait....Loading...."), this);
    QFont f = Label1->font();
    f.setPointSize(f.pointSize() + 8);
    f.setBold(true);
    Label1->setFont(f);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMargin(24);
    Label1->setStyleSheet(QStringLiteral("QLabel { background: #fff8d0; border: 2px solid #806000; }"));
    Label1->adjustSize();
    Form_Load();
}

void PleaseWait::dismiss(QPointer<PleaseWait>& notice)
{
    if (!notice)
        return;
    notice->hide();
    notice->deleteLater();
    notice = nullptr;
}

void PleaseWait::Form_Load()
{
    resize(Label1->size());
    // Centred on the main window's size, measured from the screen's corner.
    const QSize main = main_window_ ? main_window_->frameGeometry().size() : QSize(640, 480);
    move((main.width() - width()) / 2, (main.height() - height()) / 2);
    show();
    // Painted now: the caller blocks right after.
    repaint();
    platform().clock->yield(true);
}
