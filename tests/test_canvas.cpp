#include "platform/canvas.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

namespace {

QImage render(const Canvas& canvas, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::green);  // replay must paint its own background
    QPainter painter(&image);
    canvas.replay(painter, QRectF(QPointF(0, 0), size));
    return image;
}

bool is(const QImage& image, int x, int y, const QColor& color) { return image.pixelColor(x, y) == color; }

int count_in_row(const QImage& image, int y, const QColor& color)
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += is(image, x, y, color);
    return n;
}

int count_in_image(const QImage& image, const QColor& color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        n += count_in_row(image, y, color);
    return n;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget* widget, int& count) : count_(count) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count_;
        return false;
    }

private:
    int& count_;
};

}  // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void ops_are_kept_in_user_units()
    {
        Canvas c;
        c.scale(0, 20480, 200, -51200);
        QCOMPARE(c.user_scale(), QRectF(0, 20480, 200, -71680));
        QCOMPARE(c.y_down(), -1.0);
        c.set_fore_color(Qt::blue);
        c.set_draw_style(Canvas::DrawStyle::Dash);
        c.pset(0, 99999);
        c.line_to(1, -100);
        c.set_draw_style(Canvas::DrawStyle::Solid);
        c.line(5, 6, 7, 8, Qt::red);
        c.box(1, 2, 3, 4, Qt::cyan, true);
        c.circle(10, 0, 0.6, Qt::magenta);

        const auto& ops = c.ops();
        QCOMPARE(ops.size(), size_t(5));
        QCOMPARE(ops[0].kind, Canvas::Op::PSet);
        QCOMPARE(ops[0].y1, 99999.0);
        QCOMPARE(ops[0].color, QColor(Qt::blue));
        QCOMPARE(ops[1].kind, Canvas::Op::Line);
        QCOMPARE(QLineF(ops[1].x1, ops[1].y1, ops[1].x2, ops[1].y2), QLineF(0, 99999, 1, -100));
        QCOMPARE(ops[1].style, Canvas::DrawStyle::Dash);
        QCOMPARE(ops[1].scale, c.user_scale());
        QCOMPARE(ops[2].style, Canvas::DrawStyle::Solid);
        QCOMPARE(ops[2].color, QColor(Qt::red));
        QVERIFY(ops[3].filled);
        QCOMPARE(ops[4].x2, 0.6);
        // Each op keeps the scale it was drawn in.
        c.scale(0, 0, 1, 1);
        c.line(0, 0, 1, 1);
        QCOMPARE(c.ops().back().scale, QRectF(0, 0, 1, 1));
        QCOMPARE(c.ops().front().scale, QRectF(0, 20480, 200, -71680));

        int changes = 0;
        c.changed = [&] { ++changes; };
        // A copy (a printer page made from the screen's drawing) must not drive the screen's hook,
        // which may outlive neither the widget nor the copy.
        Canvas copy = c;
        QCOMPARE(copy.ops().size(), c.ops().size());
        copy.line(0, 0, 1, 1);
        QCOMPARE(changes, 0);
        QVERIFY(!copy.changed);
        c.cls();
        QVERIFY(c.ops().empty());
        QCOMPARE(changes, 1);
        QCOMPARE(c.current_x(), 0.0);
        c = copy;
        QCOMPARE(changes, 2);
        QCOMPARE(c.ops().size(), copy.ops().size());
    }

    void replay_maps_user_units_to_pixels()
    {
        // y grows upwards: (0, 100) is the top-left corner, (200, 0) the bottom-right.
        Canvas up;
        up.scale(0, 100, 200, 0);
        up.pset(50, 75);
        up.line(0, 10, 200, 10, Qt::red);
        QImage image = render(up, {200, 100});
        QVERIFY(is(image, 50, 25, Qt::black));
        QVERIFY(is(image, 120, 90, Qt::red));
        QVERIFY(is(image, 120, 50, Qt::white));
        QCOMPARE(count_in_image(image, Qt::green), 0);

        // The same drawing at twice the size lands at twice the pixels.
        image = render(up, {400, 200});
        QVERIFY(is(image, 100, 50, Qt::black));
        QVERIFY(is(image, 300, 180, Qt::red));

        // y down, offset origin.
        Canvas down;
        down.scale(-100, -50, 100, 50);
        down.box(-10, -10, 10, 10, Qt::blue, true);
        down.circle(-80, 30, 5, Qt::red);
        image = render(down, {200, 100});
        QVERIFY(is(image, 100, 50, Qt::blue));
        QVERIFY(is(image, 90, 40, Qt::blue));
        QVERIFY(is(image, 89, 39, Qt::white));
        QVERIFY(is(image, 20, 80, Qt::red));
        QVERIFY(is(image, 20, 74, Qt::white));
    }

    void drawing_off_the_scale_is_not_seen()
    {
        Canvas c;
        c.scale(0, 20480, 200, -51200);
        // A point far above the scale, then a line from it back into view.
        c.pset(0, 2147483647.0);
        c.line_to(100, -15360);
        c.line(150, -1e12, 150, 1e12, Qt::red);
        c.pset(50, -3e9);
        c.box(-1e10, -1e10, 1e10, -40960, Qt::blue, true);
        const QImage image = render(c, {200, 100});
        // -15 dBm is half way down the 70 dB scale.
        QVERIFY(is(image, 100, 50, Qt::black));
        // Its visible part comes almost straight down to that point.
        QVERIFY(count_in_row(image, 0, Qt::black) >= 1);
        QVERIFY(count_in_row(image, 25, Qt::black) >= 1);
        QVERIFY(is(image, 50, 25, Qt::white));
        QVERIFY(is(image, 150, 10, Qt::red));
        QVERIFY(is(image, 150, 80, Qt::red));
        QVERIFY(is(image, 100, 95, Qt::blue));
        QVERIFY(is(image, 100, 80, Qt::white));
    }

    void pens_and_order()
    {
        Canvas c;
        c.scale(0, 0, 200, 100);
        c.set_draw_style(Canvas::DrawStyle::Dot);
        c.line(0, 20, 200, 20);
        c.set_draw_style(Canvas::DrawStyle::Dash);
        c.line(0, 40, 200, 40);
        c.set_draw_style(Canvas::DrawStyle::Solid);
        c.line(0, 60, 200, 60);
        // Later drawing covers earlier drawing, whatever the pens.
        c.line(0, 80, 200, 80, Qt::red);
        c.line(0, 80, 100, 80, Qt::blue);
        c.line(0, 80, 50, 80, Qt::red);
        // A joined polyline reaches all its points.
        c.pset(0, 90);
        for (int x = 10; x <= 190; x += 10)
            c.line_to(x, x % 20 ? 90 : 95);
        const QImage image = render(c, {200, 100});

        const int dotted = count_in_row(image, 20, Qt::black);
        const int dashed = count_in_row(image, 40, Qt::black);
        const int solid = count_in_row(image, 60, Qt::black);
        QCOMPARE(solid, 200);
        QVERIFY2(dotted > 40 && dotted < 130, qPrintable(QString::number(dotted)));
        QVERIFY2(dashed > dotted && dashed < solid, qPrintable(QString::number(dashed)));
        QVERIFY(is(image, 25, 80, Qt::red));
        QVERIFY(is(image, 75, 80, Qt::blue));
        QVERIFY(is(image, 150, 80, Qt::red));
        for (int x = 10; x <= 190; x += 10)
            QVERIFY(is(image, x, x % 20 ? 90 : 95, Qt::black));
    }

    void text_size_in_user_units()
    {
        Canvas c;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(10);
        c.set_font(font);
        c.set_device({200, 100}, 96);
        c.scale(0, 0, 2000, 50);  // 10 units per pixel across, 0.5 down

        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(3780);  // 96 dpi
        device.setDotsPerMeterY(3780);
        const QFontMetricsF metrics(font, &device);
        const QString text = QStringLiteral("-12.345dBm");
        QVERIFY(qAbs(c.text_width(text) - metrics.horizontalAdvance(text) * 10) < 1e-6);
        QVERIFY(qAbs(c.text_height(text) - metrics.height() * 0.5) < 1e-6);
        QVERIFY(c.text_width(QStringLiteral("a\tb")) > c.text_width(QStringLiteral("a b")));

        // A scale running upwards gives the same sizes, and print steps downwards on the screen.
        c.scale(0, 50, 2000, 0);
        QVERIFY(qAbs(c.text_height(text) - metrics.height() * 0.5) < 1e-6);
        c.set_current(100, 40);
        c.print(text);
        QCOMPARE(c.current_x(), 0.0);
        QVERIFY(qAbs(c.current_y() - (40 - c.text_height(text))) < 1e-9);
        QCOMPARE(c.ops().back().text, text);
        QCOMPARE(c.ops().back().x1, 100.0);

        // At twice the resolution the text covers twice the pixels, and so twice the user units.
        c.set_device({200, 100}, 192);
        QVERIFY(c.text_height(text) > 1.8 * metrics.height() * 0.5);

        // Text is drawn below and right of the position it was printed at.
        c.set_device({200, 100}, 96);
        const QImage image = render(c, {200, 100});
        int inked_above = 0, inked_below = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                if (!is(image, x, y, Qt::white))
                    (y < 20 ? inked_above : inked_below) += 1;
        QCOMPARE(inked_above, 0);
        QVERIFY(inked_below > 20);
    }

    void widget_keeps_drawing_across_resize()
    {
        CanvasWidget widget;
        widget.resize(200, 100);
        Canvas& c = widget.canvas();
        c.scale(0, 20480, 200, -51200);
        c.line(0, -15360, 200, -15360, Qt::red);
        QImage before = widget.grab().toImage();
        QVERIFY(is(before, 100, 50, Qt::red));

        widget.resize(400, 300);
        QImage after = widget.grab().toImage();
        QCOMPARE(widget.canvas().device_size(), QSizeF(400, 300));
        QCOMPARE(after.size(), QSize(400, 300));
        QVERIFY(is(after, 300, 150, Qt::red));
        QVERIFY(is(after, 300, 100, Qt::white));
        QCOMPARE(c.ops().size(), size_t(1));
    }

    void widget_keeps_static_layer_and_paints_at_screen_pace()
    {
        CanvasWidget widget;
        widget.resize(300, 200);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        Canvas& c = widget.canvas();
        int paints = 0;
        PaintCounter counter(&widget, paints);
        // A grid kept as the static layer, a trace over it: what reaches the screen is the full replay.
        const auto draw = [&c](const QColor& grid, double level) {
            c.cls();
            c.scale(0, 100, 200, 0);
            c.set_draw_style(Canvas::DrawStyle::Dot);
            for (int x = 0; x <= 200; x += 20)
                c.line(x, 0, x, 100, grid);
            c.set_draw_style(Canvas::DrawStyle::Solid);
            c.mark_static_layer();
            c.pset(0, level);
            for (int x = 1; x < 200; ++x)
                c.line_to(x, level + (x % 20 < 10 ? 30 : 0), Qt::yellow);
        };
        draw(Qt::gray, 20);
        QCOMPARE(c.static_layer_ops(), size_t(11));
        QCOMPARE(c.ops().size(), size_t(11 + 200));
        QCOMPARE(widget.grab().toImage(), render(c, widget.size()));
        draw(Qt::gray, 50);  // same static layer, new trace
        QCOMPARE(widget.grab().toImage(), render(c, widget.size()));
        draw(Qt::red, 50);  // the static layer changed
        QCOMPARE(widget.grab().toImage(), render(c, widget.size()));
        widget.resize(420, 150);
        QCOMPARE(widget.grab().toImage(), render(c, widget.size()));
        // The mark goes with a copy and with cls().
        QCOMPARE(Canvas(c).static_layer_ops(), size_t(11));
        c.cls();
        QCOMPARE(c.static_layer_ops(), size_t(0));

        // Many passes a frame: the widget is painted at most once a screen refresh, and the last pass
        // still reaches the screen.
        QCoreApplication::processEvents();
        paints = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int pass = 0; pass < 2000; ++pass) {
            draw(Qt::gray, pass % 80);
            QCoreApplication::processEvents();
        }
        const qint64 ms = elapsed.elapsed();
        QVERIFY2(paints <= ms / 15 + 2, qPrintable(QString("%1 paints in %2 ms").arg(paints).arg(ms)));
        const int before = paints;
        draw(Qt::gray, 79.5);
        QTRY_VERIFY(paints > before);
        QCOMPARE(widget.grab().toImage(), render(c, widget.size()));
    }

    void widget_mouse_in_user_units()
    {
        CanvasWidget widget;
        widget.resize(200, 100);
        widget.canvas().scale(0, 20480, 200, -51200);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QSignalSpy down(&widget, &CanvasWidget::mouse_down);
        QSignalSpy up(&widget, &CanvasWidget::mouse_up);
        QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseRelease(&widget, Qt::LeftButton, {}, QPoint(150, 25));
        QCOMPARE(down.size(), 1);
        QCOMPARE(down.at(0).at(0).toDouble(), 50.0);
        QCOMPARE(down.at(0).at(1).toDouble(), -15360.0);
        QCOMPARE(down.at(0).at(2).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(up.size(), 1);
        QCOMPARE(up.at(0).at(0).toDouble(), 150.0);
        QCOMPARE(up.at(0).at(1).toDouble(), 2560.0);
    }

    void printing_without_printer_writes_pdf()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("page.pdf"));
        QPrinter printer;
        canvas_printer::prepare(printer, path);
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
            QCOMPARE(printer.outputFileName(), path);
        } else {
            // Never send a test page to a real printer.
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
        }

        Canvas c;
        canvas_printer::attach(c, printer);
        QCOMPARE(c.device_dpi(), double(printer.resolution()));
        QVERIFY(c.device_size().width() > 100);
        c.scale(-25, 20480 + 8960, 225, -51200 - 8960);
        c.line(0, -51200, 200, -51200);
        c.line(0, -51200, 0, 20480);
        c.set_current(0, -51200);
        c.print(QStringLiteral("Cursor  1: -10.000 dBm @ 1.000ms\tDelta Time: 2.000ms"));
        QVERIFY(canvas_printer::print(c, printer));
        QVERIFY(QFileInfo(path).size() > 0);
    }
};

QTEST_MAIN(TestCanvas)
#include "test_canvas.moc"
