#include "frame/fixed_label.h"

#include "platform/frame_pacer.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <algorithm>

FixedLabel::FixedLabel(const QString& text, const QString& widest, QWidget* parent)
    : QFrame(parent), text_(text), widest_(widest), pacer_(new FramePacer(this))
{
    fitted_width_ = std::max(text_width(widest_), text_width(text_));
}

int FixedLabel::text_width(const QString& text) const { return fontMetrics().horizontalAdvance(text); }

// As a framed label: half an "x" between the frame and the text on the side it is aligned to.
int FixedLabel::indent() const { return frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0; }

void FixedLabel::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    const int width = text_width(text_);
    if (width > fitted_width_) {
        fitted_width_ = width;
        updateGeometry();
    }
    pacer_->request();
}

void FixedLabel::setAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

QSize FixedLabel::sizeHint() const
{
    const QMargins m = contentsMargins();
    const QFontMetrics fm = fontMetrics();
    const int in = alignment_ & (Qt::AlignLeft | Qt::AlignRight) ? indent() : 0;
    return {fitted_width_ + in + m.left() + m.right(), fm.height() + m.top() + m.bottom()};
}

void FixedLabel::paintEvent(QPaintEvent* event)
{
    pacer_->painted();
    QFrame::paintEvent(event);
    QPainter painter(this);
    QRect r = contentsRect();
    const int in = indent();
    if (alignment_ & Qt::AlignLeft)
        r.setLeft(r.left() + in);
    if (alignment_ & Qt::AlignRight)
        r.setRight(r.right() - in);
    style()->drawItemText(&painter, r, int(alignment_), palette(), isEnabled(), text_, foregroundRole());
}

void FixedLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        fitted_width_ = std::max(text_width(widest_), text_width(text_));
        updateGeometry();
    }
    QFrame::changeEvent(event);
}
