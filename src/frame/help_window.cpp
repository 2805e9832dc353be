#include "frame/help_window.h"

#include "frame/sorvdemo.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextStream>

static QString g_program_folder;

QString Help_Window::program_folder()
{
    if (!g_program_folder.isEmpty())
        return g_program_folder;
    return QCoreApplication::applicationDirPath();
}

void Help_Window::set_program_folder(const QString& folder) { g_program_folder = folder; }

Help_Window::Help_Window(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Help Note Pad"));
    Text1 = new QPlainTextEdit(this);
    Text1->setReadOnly(true);
    Text1->setGeometry(8, 8, 560, 360);
    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->resize(90, 28);
    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
    resize(584, 430);
    Form_Load();
}

void Help_Window::Form_Load()
{
    const sorvdemo* main = sorvdemo::instance();
    const QString name = main ? main->Tag : QString();
    const QString path = program_folder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.exists()) {
        text = QStringLiteral("The file: ") + path + QStringLiteral(" was not found.");
        Text1->setPlainText(text);
        return;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        platform().prompts->message_box(QStringLiteral("Error: ") + file.errorString(), Prompts::Buttons::Ok,
                                        Prompts::Icon::None, QStringLiteral("Pelmora"));
        return;
    }
    QTextStream in(&file);
    text.clear();
    while (!in.atEnd())
        text += in.readLine() + QStringLiteral("\r\n");
    Text1->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void Help_Window::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QSize outer = frameGeometry().size();
    Text1->resize(outer.width() - 3 * Text1->x(), Text1->height());
    const int h = outer.height() - Text1->y() - 3 * OK->height();
    if (h > 0)
        Text1->resize(Text1->width(), h);
    OK->move(outer.width() / 2 - OK->width() / 2, Text1->y() + Text1->height() + OK->height() / 2);
}
