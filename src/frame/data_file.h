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

// ".TXT" is appended unless the name already ends in it, in any case of letters.
QString with_txt(const QString& name);

// Asks for the file to save: the Save As box with title, offering "*.txt". The name gets ".TXT" when it
// lacks it; when that longer name names an existing file (which the box could not know), the user is
// asked before it is replaced. Empty when the user cancels either box.
QString ask_file_name(const QString& title);

// Writes text (UTF-8) to path whole or not at all: an earlier file of that name stays untouched when
// anything fails. On failure shows "Error: " and the reason in a box titled error_title; false then.
bool write_whole(const QString& path, const QString& text, const QString& error_title);
// The same without the box: the reason of a failure, empty on success.
QString write_whole_quiet(const QString& path, const QString& text);

}  // namespace data_file
