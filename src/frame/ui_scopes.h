#pragma once
#include <QApplication>
#include <QPointer>
#include <QWidget>

// A caption for as long as a step lasts, the earlier one back on every way out.
class CaptionScope {
public:
    CaptionScope(QWidget* window, const QString& caption) : window_(window), saved_(window->windowTitle())
    {
        window->setWindowTitle(caption);
    }
    ~CaptionScope()
    {
        if (window_)
            window_->setWindowTitle(saved_);
    }
    CaptionScope(const CaptionScope&) = delete;
    CaptionScope& operator=(const CaptionScope&) = delete;

private:
    QPointer<QWidget> window_;
    QString saved_;
};

// The hourglass while a handler works, the arrow back on every way out.
class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};
