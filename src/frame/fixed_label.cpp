#include "frame/fixed_label.h"

#include "platform/frame_pacer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyleOptionFrame>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace {
// An entry box's gap between its panel's contents and its text.
constexpr int kBoxMargin = 2;

// The label as a screen reader sees it: static text, or a read-only text box with the box look, whose
// name and value are the text shown.
class FixedLabelAccessible : public QAccessibleWidget {
public:
    explicit FixedLabelAccessible(FixedLabel* label) : QAccessibleWidget(label) {}
    QAccessible::Role role() const override
    {
        return label()->box_look() ? QAccessible::EditableText : QAccessible::StaticText;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value || (t == QAccessible::Name && label()->accessibleName().isEmpty()))
            return label()->text();
        return QAccessibleWidget::text(t);
    }

private:
    const FixedLabel* label() const { return static_cast<const FixedLabel*>(widget()); }
};

QAccessibleInterface* accessible_fixed_label(const QString&, QObject* object)
{
    if (auto* label = dynamic_cast<FixedLabel*>(object))
        return new FixedLabelAccessible(label);
    return nullptr;
}

}  // namespace

FixedLabel::FixedLabel(const QString& text, const QString& widest, QWidget* parent)
    : QFrame(parent), text_(text), widest_(widest), pacer_(new FramePacer(this))
{
    [[maybe_unused]] static const bool factory_installed = [] {
        QAccessible::installFactory(accessible_fixed_label);
        return true;
    }();
    fitted_width_ = std::max(text_width(widest_), text_width(text_));
    // One line of figures: a taller row of its layout does not stretch it.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
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
    // Only a listening screen reader pays for the news.
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void FixedLabel::setAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void FixedLabel::set_box_look(bool box)
{
    box_ = box;
    if (box_) {
        QLineEdit probe;
        probe.setFont(font());
        box_hint_ = probe.sizeHint();
        box_min_hint_ = probe.minimumSizeHint();
        setSizePolicy(probe.sizePolicy());
    }
    updateGeometry();
    update();
}

QSize FixedLabel::sizeHint() const
{
    if (box_)
        return box_hint_.expandedTo(QSize(fitted_width_ + 2 * (kBoxMargin + 2), box_hint_.height()));
    const QMargins m = contentsMargins();
    const QFontMetrics fm = fontMetrics();
    const int in = alignment_ & (Qt::AlignLeft | Qt::AlignRight) ? indent() : 0;
    return {fitted_width_ + in + m.left() + m.right(), fm.height() + m.top() + m.bottom()};
}

// An entry box's panel, and its text placed as the box places it.
void FixedLabel::paint_box(QPainter& painter)
{
    QStyleOptionFrame panel;
    panel.initFrom(this);
    panel.rect = contentsRect();
    panel.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, this);
    panel.midLineWidth = 0;
    panel.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
    panel.features = QStyleOptionFrame::None;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    painter.setClipRect(r);
    const QFontMetrics fm = fontMetrics();
    int top = r.y() + (r.height() - fm.height() + 1) / 2;
    if (alignment_ & Qt::AlignTop)
        top = r.y() + 1;
    else if (alignment_ & Qt::AlignBottom)
        top = r.bottom() + 1 - fm.height() - 1;
    const QRect line(r.x() + kBoxMargin, top, r.width() - 2 * kBoxMargin, fm.height());
    const int used = fm.horizontalAdvance(text_) + 1;
    int x = line.x();
    if (used <= line.width()) {
        if (alignment_ & Qt::AlignRight)
            x = line.x() + line.width() - used - 1;
        else if (alignment_ & Qt::AlignHCenter)
            x = line.x() + (line.width() - used) / 2;
    }
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(QPoint(x, line.y() + fm.ascent()), text_);
}

QSize FixedLabel::minimumSizeHint() const { return box_ ? box_min_hint_ : sizeHint(); }

void FixedLabel::paintEvent(QPaintEvent* event)
{
    pacer_->painted();
    if (box_) {
        QPainter painter(this);
        paint_box(painter);
        return;
    }
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
