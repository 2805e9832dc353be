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

QString with_extension(const QString& name, const QString& extension)
{
    if (name.right(extension.size()).compare(extension, Qt::CaseInsensitive) == 0)
        return name;
    return name + extension;
}

QString with_txt(const QString& name)
{
    return with_extension(name, QStringLiteral(".TXT"));
}

QString ask_save_name(const QString& title, const QString& filter, const QString& extension,
                      const QString& initial_name)
{
    Prompts& prompts = *platform().prompts;
    const QString chosen = prompts.save_as(title, filter, initial_name);
    if (chosen.isEmpty())
        return QString();
    const QString name = with_extension(chosen, extension);
    // A folder of that name is no file to replace: the trial refuses it.
    if (name != chosen && QFileInfo::exists(name) && !QFileInfo(name).isDir()) {
        const QString question = QFileInfo(name).fileName() + QStringLiteral(" already exists.\r\nDo you want to replace it?");
        if (prompts.message_box(question, Prompts::Buttons::YesNo, Prompts::Icon::Exclamation, title) !=
            Prompts::Answer::Yes)
            return QString();
    }
    return name;
}

namespace {
const QString kTextFilter = QStringLiteral("Text files (*.txt)");
const QString kTextExtension = QStringLiteral(".TXT");
}  // namespace

QString ask_file_name(const QString& title)
{
    return ask_save_name(title, kTextFilter, kTextExtension);
}

QString ask_target(const QString& title, const QString& filter, const QString& extension,
                   const QString& initial_name, const QString& error_title)
{
    const QString name = ask_save_name(title, filter, extension, initial_name);
    if (name.isEmpty())
        return QString();
    const QString reason = cannot_write(name);
    if (reason.isEmpty())
        return name;
    show_error(reason, error_title);
    return QString();
}

QString ask_target(const QString& title, const QString& error_title)
{
    return ask_target(title, kTextFilter, kTextExtension, QString(), error_title);
}

namespace {

// Never empty: an empty reason would read as success.
QString reason_of(const QSaveFile& file)
{
    const QString reason = file.errorString();
    return reason.isEmpty() ? QStringLiteral("the file could not be written.") : reason;
}

}  // namespace

QString cannot_write(const QString& path)
{
    QSaveFile trial(path);
    trial.setDirectWriteFallback(false);
    if (!trial.open(QIODevice::WriteOnly))
        return reason_of(trial);
    // Never committed: its temporary file goes with it.
    trial.cancelWriting();
    return QString();
}

QString write_whole_quiet(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Never fall back to writing the target in place: a failure must leave it as it was.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return reason_of(file);
    // A small text only sits in the buffer after write(), and commit() does not see a failed flush of it
    // (a full disk would then replace the file with an empty one): flush and check before committing.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        const QString reason = reason_of(file);
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return reason_of(file);
    return QString();
}

QString write_whole_quiet(const QString& path, const QString& text)
{
    return write_whole_quiet(path, text.toUtf8());
}

bool write_whole(const QString& path, const QString& text, const QString& error_title)
{
    const QString reason = write_whole_quiet(path, text);
    if (reason.isEmpty())
        return true;
    show_error(reason, error_title);
    return false;
}

void show_error(const QString& reason, const QString& title)
{
    platform().prompts->message_box(QStringLiteral("Error: ") + reason, Prompts::Buttons::Ok, Prompts::Icon::None,
                                    title);
}

}  // namespace data_file
