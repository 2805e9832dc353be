#pragma once
#include <QFrame>
#include <QString>

class FramePacer;
class QPainter;

// A label for a figure that changes many times a second (a rate, a reading). Its size comes from the
// widest text it is expected to show, not from the text of the moment, so a new text neither moves the
// layout around it nor makes its parents repaint: only the label itself is redrawn, at the screen's pace.
// A text wider than expected widens it once. A screen reader reads it as a label (or read-only box) with
// its text.
class FixedLabel : public QFrame {
public:
    // widest: a sample of the widest text the label will show.
    explicit FixedLabel(const QString& text, const QString& widest, QWidget* parent = nullptr);
    QString text() const { return text_; }
    void setText(const QString& text);
    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    // Drawn as a read-only entry box (for figures shown in boxes) rather than as a label.
    void set_box_look(bool box);
    bool box_look() const { return box_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int text_width(const QString& text) const;
    int indent() const;
    void paint_box(QPainter& painter);
    QString text_;
    QString widest_;
    int fitted_width_ = 0;  // width of the widest text so far
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    bool box_ = false;
    QSize box_hint_, box_min_hint_;  // an entry box's own sizes for this font and style
    FramePacer* pacer_;
};
