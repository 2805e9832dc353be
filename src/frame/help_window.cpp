#include "frame/help_window.h"

#include "frame/sorvdemo.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextStream>
#include <algorithm>
#include <cmath>

static QString g_program_folder;

// The widest line of a help text, in characters.
static constexpr int kColumns = 80;

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
    // The texts line up their columns with spaces, in lines of up to kColumns characters: a fixed-pitch
    // font, and a box wide enough for such a line beside the scroll bar.
    Text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int line = QFontMetrics(Text1->font()).horizontalAdvance(QString(kColumns, QLatin1Char('x')));
    const int room = line + 2 * (int(std::ceil(Text1->document()->documentMargin())) + Text1->frameWidth()) +
                     Text1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Text1);
    Text1->setGeometry(8, 8, std::max(560, room), 360);
    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->resize(90, 28);
    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
    resize(Text1->width() + 3 * Text1->x(), 430);
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
