#include "cdma/cdma_page.h"

#include "platform/canvas.h"
#include "stats/stats_painter.h"
#include "util/number_text.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace cdma {
namespace {

// Prints a line whose TABs move on to the next print zone (fourteen character widths from where the
// line starts), as printed reports lay them out on any printer's resolution.
void print_zoned(Canvas& page, double x, double y, const QString& text)
{
    const double zone = page.text_width(QStringLiteral("00000000000000"));
    const double gap = page.text_width(QStringLiteral("0"));
    double at = x;
    const QStringList fields = text.split(QLatin1Char('\t'));
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            at = x + std::ceil((at - x + gap) / zone) * zone;
        page.set_current(at, y);
        page.print(fields[i]);
        at += page.text_width(fields[i]);
    }
}

// Width of a zoned line, for centring it.
double zoned_width(const Canvas& page, const QString& text)
{
    const double zone = page.text_width(QStringLiteral("00000000000000"));
    const double gap = page.text_width(QStringLiteral("0"));
    double at = 0;
    const QStringList fields = text.split(QLatin1Char('\t'));
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            at = std::ceil((at + gap) / zone) * zone;
        at += page.text_width(fields[i]);
    }
    return at;
}

}  // namespace

QString page_title(int kind, const QString& comment)
{
    static const char* const kinds[3] = {"PDF", "CDF", "1-CDF"};
    const QString title = QLatin1String(kinds[kind >= 0 && kind < 3 ? kind : 0]);
    return comment.isEmpty() ? title : title + QStringLiteral(" - ") + comment;
}

void draw_page(Canvas& page, const stats::Histogram& histogram, const stats::StatsGraph& graph, const PageTexts& texts)
{
    const QRectF g = graph.coordinates();
    const double left = g.left(), right = g.right(), top = g.top(), bottom = g.bottom();
    const double w = right - left, h = bottom - top;
    page.scale(left - w / 8, top - h / 8, right + w / 8, bottom + h / 8);
    page.set_fore_color(Qt::black);

    // Frame, and the power axis in ten steps with its labels right-aligned left of the graph.
    page.box(left, top, right, bottom, Qt::black, false);
    const double tick_x = w / 60;
    const double gap_x = page.text_width(QStringLiteral("X")) / 2;
    const float b = graph.bucket_size();
    double widest = 0;
    for (int k = 0; k <= 10; ++k) {
        const double y = top + h * k / 10;
        page.line(left - tick_x, y, left, y);
        page.line(right, y, right + tick_x, y);
        const QString label = numtext::format(20.0 - y * double(b), QStringLiteral("##0.00"));
        const double tw = page.text_width(label);
        widest = std::max(widest, tw);
        page.set_current(left - tick_x - gap_x - tw, y - page.text_height(label) / 2);
        page.print(label);
    }
    const QString unit = QStringLiteral("dBm");
    page.set_current(left - tick_x - gap_x - widest / 2 - page.text_width(unit) / 2, top - 2 * page.text_height(unit));
    page.print(unit);

    // Share axis: ticks every tenth, its two ends labelled. The ticks stay above the first summary line,
    // half a text height under the graph.
    const double tick_y = std::min(h / 60, page.text_height(QStringLiteral("XX")) / 4);
    for (int k = 0; k <= 10; ++k) {
        const double x = left + w * k / 10;
        page.line(x, bottom, x, bottom + tick_y);
    }
    const QString start = texts.start + QLatin1Char('%');
    const QString stop = texts.stop + QLatin1Char('%');
    page.set_current(left - page.text_width(start) / 2, bottom + tick_y);
    page.print(start);
    page.set_current(right - page.text_width(stop) / 2, bottom + tick_y);
    page.print(stop);

    stats::draw_graph(page, histogram, graph);

    // The summary under the graph.
    const QString line1 = texts.samples + QStringLiteral(" samples collected\t") + texts.on_screen +
                          QStringLiteral(" are shown here.");
    print_zoned(page, (left + right) / 2 - zoned_width(page, line1) / 2,
                bottom + page.text_height(QStringLiteral("XX")) / 2, line1);
    const double row = page.text_height(QStringLiteral("XXX"));
    const QString lines[3] = {
        texts.cursor_share + QLatin1Char(' ') + texts.above_or_below + QLatin1Char(' ') + texts.cursor_power,
        QStringLiteral("Time Taken: \t") + texts.time + QStringLiteral("mins\t\tAverage of Peaks: \t") + texts.peak +
            QStringLiteral("dBm"),
        QStringLiteral("Average: \t") + texts.average + QStringLiteral("dBm\t\tCreset Factor: \t") + texts.crest +
            QStringLiteral("dB"),
    };
    for (int k = 0; k < 3; ++k)
        print_zoned(page, left, bottom + row * (k + 2), lines[k]);

    // The title last, at two and a half times the size, across the top of the page.
    const QFont normal = page.font();
    QFont big = normal;
    big.setPointSizeF(normal.pointSizeF() * 2.5);
    page.set_font(big);
    const QRectF area = page.user_scale();
    page.set_current(area.left() + area.width() / 2 - page.text_width(texts.title) / 2, area.top());
    page.print(texts.title);
    page.set_font(normal);
}

}  // namespace cdma
