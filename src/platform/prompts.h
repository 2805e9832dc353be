#pragma once
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QWidget;
class QPrinter;

// Message and input boxes, the beep, and the file and printer dialogs.
class Prompts {
public:
    enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
    enum class Icon { None, Critical, Question, Exclamation, Information };
    enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

    static QString default_title() { return QStringLiteral("Pelmora"); }

    virtual ~Prompts() = default;
    // Multi-line texts are joined with CR LF, as the program builds them.
    virtual Answer message_box(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                               const QString& title = default_title()) = 0;
    // Returns the typed text, or an empty text when cancelled.
    virtual QString input_box(const QString& prompt, const QString& title = default_title(),
                              const QString& default_text = QString()) = 0;
    virtual void beep() = 0;
    // Returns the chosen file name, or an empty text when cancelled.
    virtual QString save_as(const QString& title, const QString& filter, const QString& initial_name) = 0;
    // Lets the user choose the printer; false when cancelled.
    virtual bool printer_setup(QPrinter& printer) = 0;
};

// Real boxes on the desktop.
class QtPrompts : public Prompts {
public:
    Answer message_box(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
    QString input_box(const QString& prompt, const QString& title, const QString& default_text) override;
    void beep() override;
    QString save_as(const QString& title, const QString& filter, const QString& initial_name) override;
    bool printer_setup(QPrinter& printer) override;
};

// Test double: records every call and answers from a script.
class RecordingPrompts : public Prompts {
public:
    struct Call {
        QString kind;  // "box", "input", "beep", "save_as", "printer"
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
    };

    Answer message_box(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
    QString input_box(const QString& prompt, const QString& title, const QString& default_text) override;
    void beep() override;
    QString save_as(const QString& title, const QString& filter, const QString& initial_name) override;
    bool printer_setup(QPrinter& printer) override;

    // Scripted answers, used in order; without one a box answers its first button, an input box its
    // default text, Save As cancels and printer set-up proceeds.
    std::deque<Answer> answers;
    std::deque<QString> inputs;
    std::deque<QString> file_names;
    std::deque<bool> printer_answers;
    // Called as each box opens (a box is modal: tests act "inside" it from here).
    std::function<void(const Call&)> on_call;

    std::vector<Call> calls;
    // The texts of the message boxes only, in order.
    QStringList boxes() const;
    int beeps() const;
    void clear() { calls.clear(); }

private:
    void record(const Call& call);
};
