#include "profile/profile_data_file.h"

#include "frame/data_file.h"
#include "graph/trace_graph.h"
#include "util/number_text.h"

namespace profile_data_file {

QString text(const Contents& c)
{
    data_file::Text t;
    t.append(data_file::comment_block(QStringLiteral("Profile Graph Data"), c.comment));
    t.append(data_file::date_time_lines(c.now));
    t.line();
    t.append(module1::identity_header(c.ids));
    t.fields({QStringLiteral("Period (ms): "), c.period_ms});
    t.line();
    t.fields({QStringLiteral("Cursor  1: "), c.cursor1});
    t.fields({QStringLiteral("Cursor  2: "), c.cursor2});
    t.fields({QStringLiteral("Delta Pwr: "), c.delta_power + QStringLiteral("dB")});
    t.fields({QStringLiteral("Delta time: "), c.delta_time + c.time_unit});
    t.line();
    t.fields({QStringLiteral("Point"), QStringLiteral("dBm")});
    for (int k = 0; k < trace_graph::kTracePoints; ++k) {
        const float v = c.points ? c.points[k] / 1024.0f : 0.0f;
        t.fields({QString::number(k), numtext::format_single(v, QStringLiteral("##0.00#"))});
    }
    return t.text();
}

}  // namespace profile_data_file
