#include "platform/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

static QMessageBox::StandardButtons buttons_of(Prompts::Buttons b)
{
    using B = Prompts::Buttons;
    switch (b) {
    case B::Ok: return QMessageBox::Ok;
    case B::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case B::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case B::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case B::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case B::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

static Prompts::Answer answer_of(int button)
{
    using A = Prompts::Answer;
    switch (button) {
    case QMessageBox::Cancel: return A::Cancel;
    case QMessageBox::Abort: return A::Abort;
    case QMessageBox::Retry: return A::Retry;
    case QMessageBox::Ignore: return A::Ignore;
    case QMessageBox::Yes: return A::Yes;
    case QMessageBox::No: return A::No;
    default: return A::Ok;
    }
}

static Prompts::Answer first_button(Prompts::Buttons b)
{
    using B = Prompts::Buttons;
    using A = Prompts::Answer;
    switch (b) {
    case B::AbortRetryIgnore: return A::Abort;
    case B::YesNoCancel:
    case B::YesNo: return A::Yes;
    case B::RetryCancel: return A::Retry;
    default: return A::Ok;
    }
}

Prompts::Answer QtPrompts::message_box(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    box.setStandardButtons(buttons_of(buttons));
    switch (icon) {
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::None: break;
    }
    const int pressed = box.exec();
    if (box.clickedButton() == nullptr && (buttons == Buttons::OkCancel || buttons == Buttons::YesNoCancel ||
                                           buttons == Buttons::RetryCancel))
        return Answer::Cancel;  // Esc or the close box
    return answer_of(pressed);
}

QString QtPrompts::input_box(const QString& prompt, const QString& title, const QString& default_text)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), title, prompt, QLineEdit::Normal, default_text, &ok);
    return ok ? text : QString();
}

void QtPrompts::beep() { QApplication::beep(); }

QString QtPrompts::save_as(const QString& title, const QString& filter, const QString& initial_name)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, initial_name, filter);
}

bool QtPrompts::printer_setup(QPrinter& printer)
{
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

// The next scripted answer, or the fallback once the script has run out.
template <typename T>
static T next_or(std::deque<T>& script, T fallback)
{
    if (script.empty())
        return fallback;
    T next = std::move(script.front());
    script.pop_front();
    return next;
}

void RecordingPrompts::record(const Call& call)
{
    calls.push_back(call);
    if (on_call)
        on_call(call);
}

Prompts::Answer RecordingPrompts::message_box(const QString& text, Buttons buttons, Icon icon,
                                              const QString& title)
{
    record(Call{QStringLiteral("box"), text, title, buttons, icon});
    return next_or(answers, first_button(buttons));
}

QString RecordingPrompts::input_box(const QString& prompt, const QString& title, const QString& default_text)
{
    record(Call{QStringLiteral("input"), prompt, title});
    return next_or(inputs, default_text);
}

void RecordingPrompts::beep() { record(Call{QStringLiteral("beep"), QString(), QString()}); }

QString RecordingPrompts::save_as(const QString& title, const QString&, const QString& initial_name)
{
    record(Call{QStringLiteral("save_as"), initial_name, title});
    return next_or(file_names, QString());
}

bool RecordingPrompts::printer_setup(QPrinter&)
{
    record(Call{QStringLiteral("printer"), QString(), QString()});
    return next_or(printer_answers, true);
}

QStringList RecordingPrompts::boxes() const
{
    QStringList out;
    for (const Call& c : calls)
        if (c.kind == QLatin1String("box"))
            out << c.text;
    return out;
}

int RecordingPrompts::beeps() const
{
    int n = 0;
    for (const Call& c : calls)
        if (c.kind == QLatin1String("beep"))
            ++n;
    return n;
}
