#pragma once
#include "platform/frame_pacer.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <vector>

class QPainter;
class QPrinter;

// The picture-box drawing model: a user coordinate system set by scale(), points, lines, filled
// circles and text at the current position, a draw style and a fore colour. What is drawn is kept as a
// list of operations in user units, so it can be shown on screen (and survives repaint and resize),
// replayed onto a printer page, or inspected by a test.
class Canvas {
public:
    enum class DrawStyle { Solid, Dash, Dot };

    struct Op {
        enum Kind { Cls, PSet, Line, Box, Circle, Print } kind;
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // user units (Circle: centre and radius in x1, y1, x2)
        QColor color;
        DrawStyle style = DrawStyle::Solid;
        int width = 1;
        bool filled = false;
        QString text;
        QFont font;
        // The user scale in force when the op was drawn.
        QRectF scale;

        bool operator==(const Op&) const = default;
    };

    Canvas();
    virtual ~Canvas() = default;
    // A copy (say, of the screen's drawing for a printer page) takes the drawing but not the change hook,
    // which belongs to the back end that set it; assignment keeps the target's hook and calls it.
    Canvas(const Canvas& other);
    Canvas& operator=(const Canvas& other);

    // User coordinates: (left, top) to (right, bottom); top may be greater than bottom.
    void scale(double left, double top, double right, double bottom);
    QRectF user_scale() const { return d_.scale; }
    void cls();
    void pset(double x, double y, const QColor& color);
    void pset(double x, double y) { pset(x, y, d_.fore_color); }
    void line(double x1, double y1, double x2, double y2, const QColor& color);
    void line(double x1, double y1, double x2, double y2) { line(x1, y1, x2, y2, d_.fore_color); }
    // A line from the current position; pset, line and line_to leave the current position at their end.
    void line_to(double x, double y, const QColor& color) { line(d_.current_x, d_.current_y, x, y, color); }
    void line_to(double x, double y) { line_to(x, y, d_.fore_color); }
    void box(double x1, double y1, double x2, double y2, const QColor& color, bool filled);
    void circle(double x, double y, double radius, const QColor& color, bool filled = true);
    // Text with its top-left corner at the current position, which then moves to the start of the next
    // line (x to the scale's left edge, y one text height further down the screen). Tabs are expanded.
    void print(const QString& text);
    void set_current(double x, double y)
    {
        d_.current_x = x;
        d_.current_y = y;
    }
    double current_x() const { return d_.current_x; }
    double current_y() const { return d_.current_y; }
    // Size of a text in user units, for the device the canvas is shown on; always positive, whatever the
    // direction of the scale.
    double text_width(const QString& text) const;
    double text_height(const QString& text = QStringLiteral("X")) const;
    // +1 when user y grows down the screen, -1 when it grows upwards (top greater than bottom).
    double y_down() const { return d_.scale.height() < 0 ? -1.0 : 1.0; }
    void set_draw_style(DrawStyle style) { d_.style = style; }
    DrawStyle draw_style() const { return d_.style; }
    void set_fore_color(const QColor& color) { d_.fore_color = color; }
    QColor fore_color() const { return d_.fore_color; }
    void set_draw_width(int width) { d_.width = width; }
    int draw_width() const { return d_.width; }
    void set_font(const QFont& font) { d_.font = font; }
    QFont font() const { return d_.font; }
    void set_back_color(const QColor& color) { d_.back_color = color; }
    QColor back_color() const { return d_.back_color; }

    // The device the canvas is shown on: its size in pixels and resolution (text metrics depend on it).
    void set_device(const QSizeF& pixels, double dpi = 96);
    QSizeF device_size() const { return d_.device; }
    double device_dpi() const { return d_.dpi; }

    // Everything drawn since the last cls().
    const std::vector<Op>& ops() const { return d_.ops; }
    // Fills target (device pixels) with the back colour and draws the list into it, clipped to it.
    void replay(QPainter& painter, const QRectF& target) const;
    // Draws ops [first, last) into target without filling it first, clipped to it; pen widths as for
    // a device of dpi dots per inch (a printer's pens are widened to the same width on paper).
    void replay_ops(QPainter& painter, const QRectF& target, size_t first, size_t last, double dpi) const;

    // Marks what has been drawn since cls() (a background grid, say) as the static layer: drawing that
    // stays the same from pass to pass. The on-screen back end keeps it as a picture and draws it again
    // only when it changes (size, scale, colours, the ops themselves). Without a mark everything is
    // drawn afresh each frame; the ops and their order are the same either way.
    void mark_static_layer() { d_.static_ops = d_.ops.size(); }
    size_t static_layer_ops() const { return std::min(d_.static_ops, d_.ops.size()); }

    // Optional hook: called after each change (the on-screen back end repaints from it).
    std::function<void()> changed;

private:
    // A new op in the current style and scale, at the given user coordinates.
    Op& add(Op::Kind kind, const QColor& color, double x1, double y1, double x2 = 0, double y2 = 0);
    // The pen is left at (x, y) after drawing; the back end hears of the change.
    void drawn(double x, double y);
    double user_per_pixel_x() const;
    double user_per_pixel_y() const;
    // The drawing and what it is drawn with: all that a copy takes.
    struct Drawing {
        // Copied for each new op: cheaper than building its font afresh.
        Op proto{};
        QRectF scale{0, 0, 1, 1};
        QSizeF device{640, 480};
        double dpi = 96;
        std::vector<Op> ops;
        size_t static_ops = 0;
        double current_x = 0, current_y = 0;
        DrawStyle style = DrawStyle::Solid;
        QColor fore_color = Qt::black;
        QColor back_color = Qt::white;
        int width = 1;
        QFont font;
    };
    Drawing d_;
};

// The on-screen back end: a widget that shows a canvas and keeps it across repaint and resize. It is
// painted at the screen's pace, and keeps the canvas's static layer as a picture.
class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    explicit CanvasWidget(QWidget* parent = nullptr);
    Canvas& canvas() { return canvas_; }
    // Work done just before each frame of the graph is drawn; request_frame() asks for one although the
    // canvas has not changed.
    void set_before_frame(std::function<void()> work);
    void request_frame();

signals:
    void mouse_down(double x, double y, Qt::MouseButton button);
    void mouse_move(double x, double y, Qt::MouseButtons buttons);
    void mouse_up(double x, double y, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointF to_user(const QPointF& p) const;
    void paint_static_layer(size_t ops);
    Canvas canvas_;
    // Drawing reaches the screen at most once a screen refresh, however many traces arrive meanwhile.
    FramePacer* pacer_;
    // The static layer as last drawn, and the ops it was drawn from.
    QPixmap static_picture_;
    std::vector<Canvas::Op> static_ops_;
    QColor static_back_;
};

// The printer back end: a page of the printer, or a PDF file where the machine has no printer.
namespace canvas_printer {
// A printer set to the system's default, or to PDF output at pdf_path when no printer exists.
void prepare(QPrinter& printer, const QString& pdf_path);
// Makes canvas measure text for the printer's page (its size in device pixels and resolution).
void attach(Canvas& canvas, const QPrinter& printer);
// Draws the canvas on one page and ends the document; false when the printer could not be started or
// reports an error after the page.
bool print(const Canvas& canvas, QPrinter& printer);
// The canvas as a one-page PDF document laid out as printer's page, in memory; empty when it could not be
// drawn.
QByteArray pdf(const Canvas& canvas, const QPrinter& printer);
}
