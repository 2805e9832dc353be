#include "platform/canvas.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QLineF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextDontClip;

// A device with the canvas's resolution, so text is measured as it will be drawn.
const QImage& metrics_device(double dpi)
{
    thread_local QImage image(1, 1, QImage::Format_RGB32);
    const int dots_per_metre = static_cast<int>(std::lround(dpi / 0.0254));
    if (image.dotsPerMeterX() != dots_per_metre) {
        image.setDotsPerMeterX(dots_per_metre);
        image.setDotsPerMeterY(dots_per_metre);
    }
    return image;
}

QSizeF text_pixels(const QFont& font, double dpi, const QString& text)
{
    const QFontMetricsF metrics(font, &metrics_device(dpi));
    return metrics.size(Qt::TextExpandTabs, text);
}

// User units to device pixels for one scale and target.
struct Mapping {
    double sx = 1, sy = 1, ox = 0, oy = 0;
    bool ok = false;

    Mapping() = default;
    Mapping(const QRectF& scale, const QRectF& target)
    {
        sx = target.width() / scale.width();
        sy = target.height() / scale.height();
        ox = target.left() - scale.left() * sx;
        oy = target.top() - scale.top() * sy;
        ok = std::isfinite(sx) && std::isfinite(sy) && std::isfinite(ox) && std::isfinite(oy);
    }
    QPointF operator()(double x, double y) const { return {ox + x * sx, oy + y * sy}; }
};

// Liang-Barsky: cuts the segment to the rectangle; false when nothing of it is inside. Keeps the far-off
// points of an unclamped trace away from the rasteriser's coordinate limits.
bool clip_segment(QPointF& a, QPointF& b, const QRectF& r)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
    }
    if (!std::isfinite(t0) || !std::isfinite(t1))
        return false;
    const QPointF start = a;
    if (t1 < 1)
        b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    if (t0 > 0)
        a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    return true;
}

Qt::PenStyle pen_style(Canvas::DrawStyle style)
{
    switch (style) {
    case Canvas::DrawStyle::Dash:
        return Qt::DashLine;
    case Canvas::DrawStyle::Dot:
        return Qt::DotLine;
    case Canvas::DrawStyle::Solid:
        break;
    }
    return Qt::SolidLine;
}

// Consecutive lines with one pen are drawn together: joined ones as a polyline, the others in one batch.
class LineBatcher {
public:
    explicit LineBatcher(QPainter& painter) : painter_(painter)
    {
        poly_.clear();
        lines_.clear();
    }
    void add(const QPointF& a, const QPointF& b)
    {
        if (!poly_.empty() && poly_.back() == a) {
            poly_.push_back(b);
            return;
        }
        end_polyline();
        poly_.push_back(a);
        poly_.push_back(b);
    }
    void end_polyline()
    {
        if (poly_.size() == 2)
            lines_.emplace_back(poly_[0], poly_[1]);
        else if (poly_.size() > 2)
            painter_.drawPolyline(poly_.data(), static_cast<int>(poly_.size()));
        poly_.clear();
    }
    void flush()
    {
        end_polyline();
        if (!lines_.empty())
            painter_.drawLines(lines_.data(), static_cast<int>(lines_.size()));
        lines_.clear();
    }

private:
    QPainter& painter_;
    // Reused from replay to replay, so a trace allocates nothing.
    static thread_local std::vector<QPointF> poly_;
    static thread_local std::vector<QLineF> lines_;
};
thread_local std::vector<QPointF> LineBatcher::poly_;
thread_local std::vector<QLineF> LineBatcher::lines_;

bool same_pen(const Canvas::Op& a, const Canvas::Op& b)
{
    return a.color == b.color && a.style == b.style && a.width == b.width;
}

}  // namespace

// ---------------------------------------------------------------------------------------------- Canvas

Canvas::Canvas()
{
    d_.ops.reserve(512);
}

Canvas::Canvas(const Canvas& other) : Canvas()
{
    *this = other;
}

Canvas& Canvas::operator=(const Canvas& other)
{
    if (this == &other)
        return *this;
    d_ = other.d_;
    if (changed)
        changed();
    return *this;
}

void Canvas::scale(double left, double top, double right, double bottom)
{
    d_.scale = QRectF(left, top, right - left, bottom - top);
}

void Canvas::cls()
{
    d_.ops.clear();
    d_.static_ops = 0;
    d_.current_x = 0;
    d_.current_y = 0;
    if (changed)
        changed();
}

Canvas::Op& Canvas::add(Op::Kind kind, const QColor& color, double x1, double y1, double x2, double y2)
{
    Op& op = d_.ops.emplace_back(d_.proto);
    op.kind = kind;
    op.color = color;
    op.style = d_.style;
    op.width = d_.width;
    op.scale = d_.scale;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    return op;
}

void Canvas::drawn(double x, double y)
{
    d_.current_x = x;
    d_.current_y = y;
    if (changed)
        changed();
}

void Canvas::pset(double x, double y, const QColor& color)
{
    add(Op::PSet, color, x, y);
    drawn(x, y);
}

void Canvas::line(double x1, double y1, double x2, double y2, const QColor& color)
{
    add(Op::Line, color, x1, y1, x2, y2);
    drawn(x2, y2);
}

void Canvas::box(double x1, double y1, double x2, double y2, const QColor& color, bool filled)
{
    add(Op::Box, color, x1, y1, x2, y2).filled = filled;
    drawn(x2, y2);
}

void Canvas::circle(double x, double y, double radius, const QColor& color, bool filled)
{
    add(Op::Circle, color, x, y, radius).filled = filled;
    drawn(x, y);
}

void Canvas::print(const QString& text)
{
    Op& op = add(Op::Print, d_.fore_color, d_.current_x, d_.current_y);
    op.text = text;
    op.font = d_.font;
    drawn(d_.scale.left(), d_.current_y + y_down() * text_height(text.isEmpty() ? QStringLiteral("X") : text));
}

double Canvas::user_per_pixel_x() const
{
    return d_.device.width() > 0 ? std::abs(d_.scale.width()) / d_.device.width() : 0.0;
}

double Canvas::user_per_pixel_y() const
{
    return d_.device.height() > 0 ? std::abs(d_.scale.height()) / d_.device.height() : 0.0;
}

double Canvas::text_width(const QString& text) const
{
    return text_pixels(d_.font, d_.dpi, text).width() * user_per_pixel_x();
}

double Canvas::text_height(const QString& text) const
{
    return text_pixels(d_.font, d_.dpi, text).height() * user_per_pixel_y();
}

void Canvas::set_device(const QSizeF& pixels, double dpi)
{
    d_.device = pixels;
    if (dpi > 0)
        d_.dpi = dpi;
}

void Canvas::replay(QPainter& painter, const QRectF& target) const
{
    painter.fillRect(target, d_.back_color);
    replay_ops(painter, target, 0, d_.ops.size(), painter.device() ? painter.device()->logicalDpiY() : 96.0);
}

void Canvas::replay_ops(QPainter& painter, const QRectF& target, size_t first, size_t last, double dpi) const
{
    last = std::min(last, d_.ops.size());
    if (first >= last)
        return;
    painter.save();
    painter.setClipRect(target);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Pen widths are screen pixels; a printer gets the same width on paper.
    const double width_factor = std::max(1.0, dpi / 96.0);
    // Drawing is cut a little outside the target (more than a pen's width) so the clip, not the cut,
    // makes the visible edge.
    QRectF bounds;
    auto set_bounds = [&](int width) {
        const double margin = 4 + std::abs(width) * width_factor;
        bounds = target.adjusted(-margin, -margin, margin, margin);
    };
    set_bounds(1);

    LineBatcher batch(painter);
    const Op* pen_of = nullptr;  // the op whose pen the painter holds
    auto use_pen = [&](const Op& op) {
        if (pen_of && same_pen(*pen_of, op))
            return;
        batch.flush();
        painter.setPen(QPen(op.color, op.width * width_factor, pen_style(op.style)));
        set_bounds(op.width);
        pen_of = &op;
    };

    const QRectF* mapped_scale = nullptr;
    Mapping map;
    for (size_t i = first; i < last; ++i) {
        const Op& op = d_.ops[i];
        if (!mapped_scale || op.scale != *mapped_scale) {
            map = Mapping(op.scale, target);
            mapped_scale = &op.scale;
        }
        if (!map.ok)
            continue;
        switch (op.kind) {
        case Op::Line: {
            use_pen(op);
            QPointF a = map(op.x1, op.y1);
            QPointF b = map(op.x2, op.y2);
            if (clip_segment(a, b, bounds))
                batch.add(a, b);
            else
                batch.end_polyline();
            break;
        }
        case Op::PSet: {
            use_pen(op);
            const QPointF p = map(op.x1, op.y1);
            if (!bounds.contains(p))
                break;
            batch.flush();
            painter.drawPoint(p);
            break;
        }
        case Op::Box: {
            use_pen(op);
            batch.flush();
            const QPointF a = map(op.x1, op.y1), b = map(op.x2, op.y2);
            const double left = std::min(a.x(), b.x()), right = std::max(a.x(), b.x());
            const double top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y());
            if (right < bounds.left() || left > bounds.right() || bottom < bounds.top() || top > bounds.bottom())
                break;
            // Edges cut here lie in the margin outside the clip, so they are never seen.
            const QRectF r(QPointF(std::max(left, bounds.left()), std::max(top, bounds.top())),
                           QPointF(std::min(right, bounds.right()), std::min(bottom, bounds.bottom())));
            painter.setBrush(op.filled ? QBrush(op.color) : QBrush(Qt::NoBrush));
            painter.drawRect(r);
            painter.setBrush(Qt::NoBrush);
            break;
        }
        case Op::Circle: {
            use_pen(op);
            const QPointF c = map(op.x1, op.y1);
            const double r = std::abs(op.x2 * map.sx);
            if (!std::isfinite(r) || !bounds.adjusted(-r, -r, r, r).contains(c))
                break;
            batch.flush();
            painter.setBrush(op.filled ? QBrush(op.color) : QBrush(Qt::NoBrush));
            painter.drawEllipse(c, r, r);
            painter.setBrush(Qt::NoBrush);
            break;
        }
        case Op::Print: {
            const QPointF p = map(op.x1, op.y1);
            // Text starts at p and runs right and down: only a start far off can be skipped.
            if (p.x() > bounds.right() || p.y() > bounds.bottom() || p.x() < -1e6 || p.y() < -1e6)
                break;
            batch.flush();
            pen_of = nullptr;
            painter.setPen(op.color);
            painter.setFont(op.font);
            painter.drawText(QRectF(p, QSizeF(0, 0)), kTextFlags, op.text);
            break;
        }
        case Op::Cls:
            break;
        }
    }
    batch.flush();
    painter.restore();
}

// ----------------------------------------------------------------------------------------- CanvasWidget

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent), pacer_(new FramePacer(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    canvas_.set_device(size(), logicalDpiY());
    // Many ops arrive per trace and many traces per frame; the screen shows the latest at its own pace.
    canvas_.changed = [this] { pacer_->request(); };
}

void CanvasWidget::set_before_frame(std::function<void()> work) { pacer_->before_frame = std::move(work); }

void CanvasWidget::request_frame() { pacer_->request(); }

void CanvasWidget::paint_static_layer(size_t ops)
{
    const std::vector<Canvas::Op>& all = canvas_.ops();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (static_picture_.size() == pixels && static_picture_.devicePixelRatio() == ratio &&
        static_back_ == canvas_.back_color() && static_ops_.size() == ops &&
        std::equal(static_ops_.begin(), static_ops_.end(), all.begin()))
        return;
    static_picture_ = QPixmap(pixels);
    static_picture_.setDevicePixelRatio(ratio);
    QPainter painter(&static_picture_);
    const QRectF target(rect());
    painter.fillRect(target, canvas_.back_color());
    canvas_.replay_ops(painter, target, 0, ops, logicalDpiY());
    static_ops_.assign(all.begin(), all.begin() + std::ptrdiff_t(ops));
    static_back_ = canvas_.back_color();
}

void CanvasWidget::paintEvent(QPaintEvent*)
{
    pacer_->painted();
    if (canvas_.device_size() != QSizeF(size()))
        canvas_.set_device(size(), logicalDpiY());
    QPainter painter(this);
    const QRectF target(rect());
    const size_t fixed = canvas_.static_layer_ops();
    if (fixed == 0) {
        static_picture_ = QPixmap();
        static_ops_.clear();
        canvas_.replay(painter, target);
        return;
    }
    paint_static_layer(fixed);
    painter.drawPixmap(0, 0, static_picture_);
    canvas_.replay_ops(painter, target, fixed, canvas_.ops().size(), logicalDpiY());
}

void CanvasWidget::resizeEvent(QResizeEvent* event)
{
    canvas_.set_device(event->size(), logicalDpiY());
    QWidget::resizeEvent(event);
    update();
}

QPointF CanvasWidget::to_user(const QPointF& p) const
{
    const QRectF s = canvas_.user_scale();
    const double w = width() > 0 ? width() : 1;
    const double h = height() > 0 ? height() : 1;
    return {s.left() + p.x() * s.width() / w, s.top() + p.y() * s.height() / h};
}

void CanvasWidget::mousePressEvent(QMouseEvent* event)
{
    const QPointF u = to_user(event->position());
    emit mouse_down(u.x(), u.y(), event->button());
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF u = to_user(event->position());
    emit mouse_move(u.x(), u.y(), event->buttons());
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF u = to_user(event->position());
    emit mouse_up(u.x(), u.y(), event->button());
}

// --------------------------------------------------------------------------------------------- printer

namespace canvas_printer {

void prepare(QPrinter& printer, const QString& pdf_path)
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf_path);
        return;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull())
        printer.setPrinterName(info.printerName());
}

void attach(Canvas& canvas, const QPrinter& printer)
{
    canvas.set_device(printer.pageRect(QPrinter::DevicePixel).size(), printer.resolution());
}

namespace {

bool draw_page(const Canvas& canvas, QPaintDevice& device, const QPrinter& layout)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    canvas.replay(painter, QRectF(QPointF(0, 0), layout.pageRect(QPrinter::DevicePixel).size()));
    return painter.end();
}

}  // namespace

bool print(const Canvas& canvas, QPrinter& printer)
{
    return draw_page(canvas, printer, printer) && printer.printerState() != QPrinter::Error;
}

QByteArray pdf(const Canvas& canvas, const QPrinter& printer)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(printer.resolution());
        writer.setPageLayout(printer.pageLayout());
        writer.setCreator(printer.creator());
        writer.setTitle(printer.docName());
        if (!draw_page(canvas, writer, printer))
            return QByteArray();
    }
    return buffer.data();
}

}  // namespace canvas_printer
