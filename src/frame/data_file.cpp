#include "frame/data_file.h"

#include "platform/platform.h"
#include "platform/prompts.h"

#include <QFileInfo>
#include <QSaveFile>
#include <array>

namespace data_file {

void Text::line(const QString& text)
{
    text_ += text;
    text_ += QStringLiteral("\r\n");
}

void Text::fields(const QStringList& values)
{
    line(values.join(QLatin1Char('\t')));
}

QString comment_block(const QString& heading, const QString& comment)
{
    const QString stars(qMax(22, int(comment.size()) + 4), QLatin1Char('*'));
    Text t;
    t.line(stars);
    t.line(QStringLiteral("* ") + heading);
    t.line(QStringLiteral("* ") + comment);
    t.line(stars);
    return t.text();
}

QString long_date(const QDate& date)
{
    static const std::array<const char*, 12> months = {"January", "February", "March",     "April",
                                                       "May",     "June",     "July",      "August",
                                                       "September", "October", "November", "December"};
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1 %2 %3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(months[std::size_t(date.month() - 1)]))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString date_time_lines(const QDateTime& now)
{
    Text t;
    t.line(QStringLiteral("Date: ") + long_date(now.date()));
    t.line(QStringLiteral("Time: ") + now.time().toString(QStringLiteral("HH:mm")));
    return t.text();
}

QString short_date_time_line(const QDateTime& now)
{
    const QLocale locale = QLocale::system();
    Text t;
    t.fields({locale.toString(now.date(), QLocale::ShortFormat), locale.toString(now.time(), QLocale::ShortFormat)});
    return t.text();
}

QString with_txt(const QString& name)
{
    if (name.right(4).toUpper() == QLatin1String(".TXT"))
        return name;
    return name + QStringLiteral(".TXT");
}

QString ask_file_name(const QString& title)
{
    Prompts& prompts = *platform().prompts;
    const QString chosen = prompts.save_as(title, QStringLiteral("Text files (*.txt)"), QString());
    if (chosen.isEmpty())
        return QString();
    const QString name = with_txt(chosen);
    if (name != chosen && QFileInfo::exists(name)) {
        const QString question = QFileInfo(name).fileName() + QStringLiteral(" already exists.\r\nDo you want to replace it?");
        if (prompts.message_box(question, Prompts::Buttons::YesNo, Prompts::Icon::Exclamation, title) !=
            Prompts::Answer::Yes)
            return QString();
    }
    return name;
}

QString write_whole_quiet(const QString& path, const QString& text)
{
    QSaveFile file(path);
    // Never fall back to writing the target in place: a failure must leave it as it was.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

bool write_whole(const QString& path, const QString& text, const QString& error_title)
{
    const QString reason = write_whole_quiet(path, text);
    if (reason.isEmpty())
        return true;
    platform().prompts->message_box(QStringLiteral("Error: ") + reason, Prompts::Buttons::Ok, Prompts::Icon::None,
                                    error_title);
    return false;
}

}  // namespace data_file
