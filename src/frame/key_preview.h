#pragma once
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// Lets a window see every key typed into it before the control with the focus does, whichever control
// that is (an entry box takes the space bar for itself otherwise). The key still goes on to the control.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    KeyPreview(QWidget* window, std::function<void(int key_code)> on_key);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void(int)> on_key_;
    // A key the control does not take travels up to its parents as the same event: seen once.
    const QEvent* last_event_ = nullptr;
    quint64 last_timestamp_ = 0;
    QPointer<QWidget> last_receiver_;
};
