#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

// The text data files the mode windows save: built line by line (TAB between fields, CR LF after each
// line), named through the Save As box and written whole or not at all.
namespace data_file {

// Text of a data file under construction.
class Text {
public:
    // One line; the line end is added.
    void line(const QString& text = QString());
    // Fields joined by one TAB, as one line.
    void fields(const QStringList& values);
    void append(const QString& block) { text_ += block; }
    const QString& text() const { return text_; }

private:
    QString text_;
};

// The boxed comment that heads a file: a row of asterisks (the comment's length + 4, at least 22),
// "* " heading, "* " comment, the row again.
QString comment_block(const QString& heading, const QString& comment);
// "09 December 2026": English month names whatever the desktop's language.
QString long_date(const QDate& date);
// "Date: 09 December 2026" and "Time: 08:54", each a line.
QString date_time_lines(const QDateTime& now);
// The desktop's short date TAB its short time, as one line.
QString short_date_time_line(const QDateTime& now);

// extension is appended unless the name already ends in it, in any case of letters.
QString with_extension(const QString& name, const QString& extension);
// ".TXT" is appended unless the name already ends in it, in any case of letters.
QString with_txt(const QString& name);

// Asks for a file to write: the Save As box with title, filter and initial name. The name gets extension
// when it lacks it; when that longer name names an existing file (which the box could not know), the
// user is asked before it is replaced (a folder is left to the caller's trial). Empty when the user cancels either box.
QString ask_save_name(const QString& title, const QString& filter, const QString& extension,
                      const QString& initial_name = QString());
// The same for a data file: offering "*.txt", the name gets ".TXT".
QString ask_file_name(const QString& title);
// ask_save_name, then makes sure the file can be made there before anything more is asked or computed:
// when it cannot, shows the error box titled error_title and gives an empty name.
QString ask_target(const QString& title, const QString& filter, const QString& extension,
                   const QString& initial_name, const QString& error_title);
// The same for a data file, as ask_file_name names it.
QString ask_target(const QString& title, const QString& error_title);
// Why a file cannot be made at path (nothing is left behind by the trial); empty when it can.
QString cannot_write(const QString& path);

// Writes text (UTF-8) to path whole or not at all: an earlier file of that name stays untouched when
// anything fails. On failure shows "Error: " and the reason in a box titled error_title; false then.
bool write_whole(const QString& path, const QString& text, const QString& error_title);
// The same without the box: the reason of a failure, empty on success.
QString write_whole_quiet(const QString& path, const QString& text);
QString write_whole_quiet(const QString& path, const QByteArray& bytes);
// The "Error: " box: "Error: " and reason, titled title.
void show_error(const QString& reason, const QString& title);

}  // namespace data_file
