#pragma once
#include <QWidget>
#include <functional>

// A window's client area that lays its controls out on every size change.
class FormArea : public QWidget {
public:
    explicit FormArea(QWidget* parent) : QWidget(parent) {}
    std::function<void()> on_resize;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (on_resize)
            on_resize();
    }
};
