#include "stats/stats_graph.h"

#include "util/number_text.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace stats {

namespace {

constexpr double kTop = kScaleTopDbm;
constexpr double kTopLimit = 20.0;
constexpr double kBottomLimit = -50.0;

QString plain(double v)
{
    return numtext::cstr_double(v);
}

}  // namespace

bool ScaleWindow::valid() const
{
    const bool finite = std::isfinite(top) && std::isfinite(bottom) && std::isfinite(start) && std::isfinite(stop);
    return finite && top <= kTopLimit && bottom >= kBottomLimit && top > bottom && start >= 0 && start < stop &&
           stop <= 100;
}

StatsGraph::StatsGraph(GraphRules rules) : rules_(rules)
{
    cursor_ = cursor_first();
}

void StatsGraph::set_bucket_size(float size)
{
    bucket_size_ = size;
    set_cursor(cursor_);
}

bool StatsGraph::apply(const ScaleWindow& w)
{
    if (!w.valid())
        return false;
    window_ = w;
    shares_[std::size_t(kind_)] = {w.start, w.stop};
    set_cursor(cursor_);
    return true;
}

std::optional<double> StatsGraph::box_number(const QString& text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool StatsGraph::apply_texts(const QString& top, const QString& bottom, const QString& start, const QString& stop)
{
    const auto t = box_number(top), b = box_number(bottom), s = box_number(start), e = box_number(stop);
    if (!t || !b || !s || !e)
        return false;
    return apply(ScaleWindow{*t, *b, *s, *e});
}

BoxWrites StatsGraph::set_kind(GraphKind kind)
{
    kind_ = kind;
    const auto [start, stop] = shares_[std::size_t(kind)];
    return {{BoxWrite::Stop, plain(stop)}, {BoxWrite::Start, plain(start)}};
}

QString StatsGraph::above_or_below(GraphKind kind)
{
    switch (kind) {
    case GraphKind::Pdf:
        return QStringLiteral("are at");
    case GraphKind::Cdf:
        return QStringLiteral("are below");
    case GraphKind::OneMinusCdf:
        break;
    }
    return QStringLiteral("are above");
}

double StatsGraph::top_row() const
{
    return (kTop - window_.top) / double(bucket_size_);
}

double StatsGraph::bottom_row() const
{
    const double rows = (kTop - window_.bottom) / double(bucket_size_);
    return double(round_even(rules_.whole_bottom_row ? rows + 1 : rows));
}

QRectF StatsGraph::coordinates() const
{
    return QRectF(QPointF(window_.start / 100.0, top_row()), QPointF(window_.stop / 100.0, bottom_row()));
}

int StatsGraph::cursor_first() const
{
    return clamp_bucket(top_row());
}

int StatsGraph::cursor_last() const
{
    return clamp_bucket((kTop - window_.bottom) / double(bucket_size_));
}

void StatsGraph::set_cursor(int bucket)
{
    cursor_ = std::clamp(bucket, cursor_first(), std::max(cursor_first(), cursor_last()));
}

QString StatsGraph::power_text() const
{
    return numtext::format_single(bucket_power(cursor_, bucket_size_), QStringLiteral("##0.000 dBm"));
}

double StatsGraph::cursor_share(const Histogram& h) const
{
    switch (kind_) {
    case GraphKind::Pdf:
        return h.share(h.count(cursor_));
    case GraphKind::Cdf:
        return h.share(h.at_or_below(cursor_));
    case GraphKind::OneMinusCdf:
        break;
    }
    return h.share(h.above(cursor_));
}

QString StatsGraph::share_text(const Histogram& h) const
{
    if (h.total() == 0)
        return QStringLiteral("N/A");
    return numtext::format(cursor_share(h), QStringLiteral("##0.00##%"));
}

double StatsGraph::on_screen_share(const Histogram& h) const
{
    const int lo = cursor_first(), hi = cursor_last();
    if (kind_ != GraphKind::Pdf && rules_.on_screen_cdf_difference)
        return h.share(std::abs(h.at_or_below(lo) - h.at_or_below(hi)));
    return h.share(h.sum(lo, hi));
}

std::optional<QString> StatsGraph::on_screen_text(const Histogram& h) const
{
    if (h.total() < 1)
        return std::nullopt;
    return numtext::format(on_screen_share(h), QStringLiteral("##0.00##%"));
}

bool StatsGraph::jump_to_peak(const Histogram& h)
{
    const int best = h.fullest(cursor_first(), cursor_last());
    if (best < 0)
        return false;
    set_cursor(best);
    return true;
}

BoxWrites StatsGraph::reset_scale()
{
    for (auto& s : shares_)
        s = {0, 100};
    return {{BoxWrite::Bottom, QStringLiteral("-50")},
            {BoxWrite::Top, QStringLiteral("20")},
            {BoxWrite::Stop, QStringLiteral("100")},
            {BoxWrite::Start, QStringLiteral("0")}};
}

BoxWrites StatsGraph::zoom_out_power() const
{
    const double s = window_.top - window_.bottom;
    const double top = std::min(window_.top + s / 2, kTopLimit);
    const double bottom = std::max(window_.bottom - s / 2, kBottomLimit);
    return {{BoxWrite::Top, plain(top)}, {BoxWrite::Bottom, plain(bottom)}};
}

BoxWrites StatsGraph::shift_down() const
{
    const double s = (window_.top - window_.bottom) / 10;
    if (window_.top + s <= kTopLimit)
        return {{BoxWrite::Top, plain(window_.top + s)}, {BoxWrite::Bottom, plain(window_.bottom + s)}};
    return {{BoxWrite::Top, QStringLiteral("20")}};
}

BoxWrites StatsGraph::shift_up() const
{
    const double s = (window_.top - window_.bottom) / 10;
    if (window_.bottom - s >= kBottomLimit)
        return {{BoxWrite::Bottom, plain(window_.bottom - s)}, {BoxWrite::Top, plain(window_.top - s)}};
    return {{BoxWrite::Bottom, QStringLiteral("-50")}};
}

StatsGraph::ShareStep StatsGraph::widen_share() const
{
    const float span = float(window_.stop - window_.start);
    double step = 0;
    if (span < 0.1)
        step = 0.01;
    else if (span < 1)
        step = 0.1;
    else if (span < 10)
        step = 1;
    else if (span <= 90)
        step = 10;
    else if (rules_.widen_to_whole && span != 100.0f)
        return {BoxWrite{BoxWrite::Stop, QStringLiteral("100")}, false};
    else
        return {std::nullopt, true};
    return {BoxWrite{BoxWrite::Stop, plain(window_.stop + step)}, false};
}

StatsGraph::ShareStep StatsGraph::narrow_share() const
{
    const float span = float(window_.stop - window_.start);
    double step = 0;
    if (span >= 20)
        step = 10;
    else if (span >= 2)
        step = 1;
    else if (span >= 0.2f)
        step = 0.1;
    else if (span >= 0.02f)
        step = 0.01;
    else
        return {std::nullopt, true};
    return {BoxWrite{BoxWrite::Stop, plain(window_.stop - step)}, false};
}

bool StatsGraph::near_cursor(double y) const
{
    const double t = (cursor_last() - cursor_first()) / 50.0;
    return std::abs(y - cursor_row()) < t;
}

std::optional<int> StatsGraph::drag_target(double y) const
{
    const long long r = round_even(y);
    if (r < cursor_first() || r > cursor_last())
        return std::nullopt;
    return std::clamp(int(round_even(y - 0.5)), cursor_first(), cursor_last());
}

QPointF StatsGraph::clamp_zoom_point(double x, double y) const
{
    x = std::clamp(x, window_.start / 100.0, window_.stop / 100.0);
    y = std::clamp(y, top_row(), (kTop - window_.bottom) / double(bucket_size_));
    return {std::clamp(x, 0.0, 1.0), std::clamp(y, 0.0, 10000.0)};
}

std::optional<BoxWrites> StatsGraph::zoom_to(const QRectF& box, const QSizeF& pixel) const
{
    const QRectF r = box.normalized();
    if (r.width() < pixel.width() || r.height() < pixel.height())
        return std::nullopt;
    const float b = bucket_size_;
    const QString stop = numtext::cstr_single(float((r.left() + r.width()) * 100));
    const QString start = numtext::cstr_single(float(r.left() * 100));
    const QString bottom = numtext::format(kTop - (r.top() + r.height()) * b, QStringLiteral("##0.000"));
    const QString top = numtext::format(kTop - r.top() * b, QStringLiteral("##0.000"));
    const ScaleWindow w{*box_number(top), *box_number(bottom), *box_number(start), *box_number(stop)};
    if (!w.valid())
        return std::nullopt;
    return BoxWrites{{BoxWrite::Stop, stop}, {BoxWrite::Start, start}, {BoxWrite::Bottom, bottom}, {BoxWrite::Top, top}};
}

}  // namespace stats
