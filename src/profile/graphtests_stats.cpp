// The profile window's amplitude statistics, statistics graph, data file and printed page: the controls
// wired to the rules of profile_stats, stats_graph, profile_data_file and profile_page.
#include "frame/data_file.h"
#include "frame/meter_routines.h"
#include "frame/ui_scopes.h"
#include "graph/trace_graph.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "profile/graphtests.h"
#include "profile/graphtests_shared.h"
#include "profile/profile_data_file.h"
#include "profile/profile_page.h"
#include "stats/stats_painter.h"
#include "util/number_text.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace profile_window;

namespace {

// Runs an action on a double click of the watched widget (labels have no such signal).
class DoubleClick : public QObject {
public:
    DoubleClick(QWidget* watched, std::function<void()> action) : QObject(watched), action_(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            action_();
        return false;
    }

private:
    std::function<void()> action_;
};

QLabel* value_label(const QString& text)
{
    auto* l = new QLabel(text);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(80);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // One line high, whichever row of the summary it stands in.
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return l;
}

}  // namespace

// ============================================================================================== building

void graphtests::build_stats()
{

    // Tab 5: collection, graph kind, graph commands and the cursor readout.
    auto* l5 = qobject_cast<QVBoxLayout*>(SSTab1->widget(5)->layout());
    auto* row5 = new QHBoxLayout;
    l5->insertLayout(0, row5);
    auto* collect = new QVBoxLayout;
    collect->addWidget(do_pdf_check);
    collect->addWidget(stats_continuous_update_check);
    Reset_PDF_Button = new QPushButton(QStringLiteral("Restart"));
    Reset_PDF_Button->setToolTip(QStringLiteral("Restart the collection of data"));
    Bucket_size_button = new QPushButton(QStringLiteral("Bucket 0.1dB"));
    collect->addWidget(Reset_PDF_Button);
    collect->addWidget(Bucket_size_button);
    row5->addLayout(collect);

    auto* kind = new QGroupBox(QStringLiteral("Graph"));
    auto* kl = new QVBoxLayout(kind);
    const char* kinds[3][2] = {{"PDF Graph", "Show the Probability Distribution Graph"},
                               {"CDF Graph", "Show the Cumulative Distribution Graph"},
                               {"1-CDF Graph", "1-CDF (Upper tail area)"}};
    for (int i = 0; i < 3; ++i) {
        Stats_Graph_Display[i] = new QRadioButton(QLatin1String(kinds[i][0]));
        Stats_Graph_Display[i]->setToolTip(QLatin1String(kinds[i][1]));
        kl->addWidget(Stats_Graph_Display[i]);
        connect(Stats_Graph_Display[i], &QRadioButton::clicked, this, guarded_slot([this, i] { Stats_Graph_Display_Click(i); }));
    }
    Stats_Graph_Display[0]->setChecked(true);
    row5->addWidget(kind);

    auto* commands = new QGridLayout;
    Draw_PDF_Button = new QPushButton(QStringLiteral("Update"));
    Draw_PDF_Button->setToolTip(QStringLiteral("Redraw the graph"));
    pdf_peak_button = new QPushButton(QStringLiteral("Jump to Peak"));
    Reset_PDF_Graph_Scale = new QPushButton(QStringLiteral("Reset Scale"));
    commands->addWidget(Draw_PDF_Button, 0, 0);
    commands->addWidget(pdf_peak_button, 1, 0);
    commands->addWidget(Reset_PDF_Graph_Scale, 2, 0);
    row5->addLayout(commands);

    auto* readout = new QGroupBox(QStringLiteral("Cursor Readout"));
    auto* rl = new QHBoxLayout(readout);
    stats_X_readout = value_label(QStringLiteral("N/A"));
    above_or_below = new QLabel(QStringLiteral("are at"));
    Stats_Y_readout = value_label(QString());
    Stats_Y_readout->setMinimumWidth(100);
    rl->addWidget(stats_X_readout);
    rl->addWidget(above_or_below);
    rl->addWidget(Stats_Y_readout);
    auto* on_screen = new QGroupBox(QStringLiteral("% on screen"));
    auto* ol = new QHBoxLayout(on_screen);
    percentage_on_screen = value_label(QString());
    ol->addWidget(percentage_on_screen);
    auto* readouts = new QVBoxLayout;
    readouts->addWidget(readout);
    readouts->addWidget(on_screen);
    row5->addLayout(readouts);
    row5->addStretch(1);

    // Tab 6: the summary of the collection.
    auto* l6 = qobject_cast<QVBoxLayout*>(SSTab1->widget(6)->layout());
    auto* info = new QGridLayout;
    l6->insertLayout(0, info);
    PDF_Samples_Label = value_label(QStringLiteral("0"));
    Stats_Peak_Label = value_label(QStringLiteral("N/A"));
    Stats_Avg_Label = value_label(QStringLiteral("N/A"));
    Stats_PkAvg_Label = value_label(QStringLiteral("N/A"));
    Stats_Time_label = value_label(QStringLiteral("N/A"));
    auto* samples = new QGroupBox(QStringLiteral("Samples Taken"));
    (new QHBoxLayout(samples))->addWidget(PDF_Samples_Label);
    info->addWidget(samples, 0, 0, 3, 1, Qt::AlignTop);
    const std::pair<const char*, QLabel*> values[] = {
        {"Peak", Stats_Peak_Label}, {"Average", Stats_Avg_Label}, {"Pk/Avg ratio", Stats_PkAvg_Label}};
    for (int i = 0; i < 3; ++i) {
        info->addWidget(new QLabel(QLatin1String(values[i].first)), i, 1);
        info->addWidget(values[i].second, i, 2);
        info->addWidget(new QLabel(QStringLiteral("dBm")), i, 3);
    }
    info->addWidget(new QLabel(QStringLiteral("Time Taken")), 0, 4);
    info->addWidget(Stats_Time_label, 0, 5);
    info->addWidget(new QLabel(QStringLiteral("mins")), 0, 6);
    info->setColumnStretch(7, 1);

    // The graph's cursor bar and overlay.
    Stats_Cursor_Scroll = new QScrollBar(Qt::Vertical, PDF_Graph_Frame);
    stats_overlay = std::make_unique<StatsOverlay>(PDF_Graph);
    PDF_Graph->setFocusPolicy(Qt::ClickFocus);
    Label13->setToolTip(QStringLiteral("Double click here to zoom out of the Y axis scale"));

    connect(Reset_PDF_Button, &QPushButton::clicked, this, guarded_slot([this] { Reset_PDF_Button_Click(); }));
    connect(Bucket_size_button, &QPushButton::clicked, this, guarded_slot([this] { Bucket_size_button_Click(); }));
    connect(Draw_PDF_Button, &QPushButton::clicked, this, guarded_slot([this] {
        pdf_canvas().cls();
        Draw_Stats_Graph(pdf_canvas());
    }));
    connect(pdf_peak_button, &QPushButton::clicked, this, guarded_slot([this] { pdf_peak_button_Click(); }));
    connect(Reset_PDF_Graph_Scale, &QPushButton::clicked, this, guarded_slot([this] { Reset_PDF_Graph_Scale_Click(); }));
    for (QLineEdit* box : {Top_PDF_Scale, Bot_PDF_Scale, X_PDF_Start, X_PDF_Stop})
        connect(box, &QLineEdit::textChanged, this, guarded_slot([this] { scale_box_Change(); }));
    connect(Top_PDF_Scale, &QLineEdit::editingFinished, this, guarded_slot([this] { Top_PDF_Scale_LostFocus(); }));
    connect(Bot_PDF_Scale, &QLineEdit::editingFinished, this, guarded_slot([this] { Bot_PDF_Scale_LostFocus(); }));
    connect(Shift_up_button, &QPushButton::clicked, this, guarded_slot([this] { Shift_up_button_Click(); }));
    connect(Shift_down_button, &QPushButton::clicked, this, guarded_slot([this] { Shift_down_button_Click(); }));
    connect(Increase_PDF_X_Scale, &QPushButton::clicked, this, guarded_slot([this] { Increase_PDF_X_Scale_Click(); }));
    connect(Decrease_PDF_X_Scale, &QPushButton::clicked, this, guarded_slot([this] { Decrease_PDF_X_Scale_Click(); }));
    new DoubleClick(Label13, guarded_slot([this] { Label13_DblClick(); }));
    connect(Stats_Cursor_Scroll, &QScrollBar::valueChanged, this, guarded_slot([this] { update_stats_cursor_readout(); }));
    connect(PDF_Graph, &CanvasWidget::mouse_down, this,
            [this](double x, double y, Qt::MouseButton b) { guarded([=, this] { PDF_Graph_MouseDown(x, y, b); }); });
    connect(PDF_Graph, &CanvasWidget::mouse_move, this,
            [this](double x, double y, Qt::MouseButtons) { guarded([=, this] { PDF_Graph_MouseMove(x, y); }); });
    connect(PDF_Graph, &CanvasWidget::mouse_up, this,
            [this](double, double, Qt::MouseButton) { guarded([this] { PDF_Graph_MouseUp(); }); });
}

// ============================================================================================== collection

void graphtests::Calculate_Stats()
{
    statistics.add_trace(graph_trace.data(), trace_graph::kTracePoints, trace_max, platform().clock->now_us());
    PDF_Samples_Label->setText(statistics.samples_text());
    Update_Stats_Values();
}

void graphtests::Update_Stats_Values()
{
    Stats_Peak_Label->setText(statistics.peak_text());
    Stats_Avg_Label->setText(statistics.mean_text());
    Stats_PkAvg_Label->setText(statistics.peak_to_mean_text());
    Stats_Time_label->setText(statistics.time_text(platform().clock->now_us()));
}

void graphtests::Reset_PDF_Button_Click()
{
    {
        const Hourglass hourglass;
        statistics.restart();
        PDF_Samples_Label->setText(statistics.samples_text());
        Update_Stats_Values();
    }
    pdf_canvas().cls();
    Draw_Stats_Graph(pdf_canvas());
}

void graphtests::Bucket_size_button_Click()
{
    for (;;) {
        const QString answer = prompts().input_box(QStringLiteral("Enter new bucket size"),
                                                   QStringLiteral("Change bucket size"),
                                                   numtext::cstr_single(statistics.histogram.bucket_size()));
        const profile_stats::BucketAnswer a = profile_stats::read_bucket_answer(answer);
        if (a.kind == profile_stats::BucketAnswer::Empty)
            return;
        if (a.kind == profile_stats::BucketAnswer::Refused) {
            prompts().message_box(QStringLiteral("Bucket size must be between 0.01 and 1dB"));
            continue;
        }
        statistics.set_bucket_size(a.size);
        stats_graph.set_bucket_size(a.size);
        update_Stats_Scale();
        Reset_PDF_Button_Click();
        Bucket_size_button->setText(profile_stats::bucket_caption(a.size));
        return;
    }
}

// ============================================================================================== graph

void graphtests::Draw_Stats_Graph(Canvas& target)
{
    if (SSTab1->currentIndex() < 5 || scale_busy)
        return;
    stats::draw_graph(target, statistics.histogram, stats_graph);
    update_on_screen();
    update_stats_cursor_readout();
}

void graphtests::update_Stats_Scale()
{
    stats::apply_scale(pdf_canvas(), stats_graph);
    {
        const QSignalBlocker block(Stats_Cursor_Scroll);
        Stats_Cursor_Scroll->setRange(stats_graph.cursor_first(), stats_graph.cursor_last());
        Stats_Cursor_Scroll->setPageStep(std::max(1, (stats_graph.cursor_last() - stats_graph.cursor_first()) / 10));
        Stats_Cursor_Scroll->setValue(stats_graph.cursor());
    }
    if (scale_busy)
        return;
    pdf_canvas().cls();
    Draw_Stats_Graph(pdf_canvas());
}

void graphtests::reset_stats_cursor()
{
    update_Stats_Scale();
}

void graphtests::update_stats_cursor_readout()
{
    stats_graph.set_cursor(Stats_Cursor_Scroll->value());
    if (Stats_Cursor_Scroll->value() != stats_graph.cursor()) {
        const QSignalBlocker block(Stats_Cursor_Scroll);
        Stats_Cursor_Scroll->setValue(stats_graph.cursor());
    }
    stats_overlay->place_cursor(stats_graph.cursor_row());
    Stats_Y_readout->setText(stats_graph.power_text());
    stats_X_readout->setText(stats_graph.share_text(statistics.histogram));
}

void graphtests::update_on_screen()
{
    if (scale_busy)
        return;
    if (const auto text = stats_graph.on_screen_text(statistics.histogram))
        percentage_on_screen->setText(*text);
}

void graphtests::scale_box_Change()
{
    if (!stats_graph.apply_texts(Top_PDF_Scale->text(), Bot_PDF_Scale->text(), X_PDF_Start->text(), X_PDF_Stop->text()))
        return;
    update_Stats_Scale();
}

void graphtests::Top_PDF_Scale_LostFocus()
{
    if (stats::StatsGraph::box_number(Top_PDF_Scale->text()).value_or(0) > 20)
        Top_PDF_Scale->setText(QStringLiteral("20"));
}

void graphtests::Bot_PDF_Scale_LostFocus()
{
    if (stats::StatsGraph::box_number(Bot_PDF_Scale->text()).value_or(0) < -50)
        Bot_PDF_Scale->setText(QStringLiteral("-50"));
}

void graphtests::write_scale_boxes(const stats::BoxWrites& writes)
{
    QLineEdit* const boxes[] = {Top_PDF_Scale, Bot_PDF_Scale, X_PDF_Start, X_PDF_Stop};
    scale_busy = true;
    for (const stats::BoxWrite& w : writes)
        boxes[w.box]->setText(w.text);
    scale_busy = false;
    // One redraw for the whole change, when the boxes now hold a window.
    scale_box_Change();
}

void graphtests::Stats_Graph_Display_Click(int index)
{
    const auto kind = stats::GraphKind(index);
    above_or_below->setText(stats::StatsGraph::above_or_below(kind));
    write_scale_boxes(stats_graph.set_kind(kind));
}

void graphtests::Reset_PDF_Graph_Scale_Click() { write_scale_boxes(stats_graph.reset_scale()); }

void graphtests::Label13_DblClick() { write_scale_boxes(stats_graph.zoom_out_power()); }

void graphtests::Shift_up_button_Click() { write_scale_boxes(stats_graph.shift_up()); }

void graphtests::Shift_down_button_Click() { write_scale_boxes(stats_graph.shift_down()); }

void graphtests::Increase_PDF_X_Scale_Click() { share_step(stats_graph.widen_share()); }

void graphtests::Decrease_PDF_X_Scale_Click() { share_step(stats_graph.narrow_share()); }

void graphtests::share_step(const stats::StatsGraph::ShareStep& step)
{
    if (step.beep)
        prompts().beep();
    else
        write_scale_boxes({*step.write});
}

void graphtests::pdf_peak_button_Click()
{
    if (stats_graph.jump_to_peak(statistics.histogram))
        Stats_Cursor_Scroll->setValue(stats_graph.cursor());
}

// ============================================================================================== mouse

void graphtests::PDF_Graph_MouseDown(double x, double y, Qt::MouseButton button)
{
    const Press press_kind = press(x, y, button, PDF_Graph->cursor().shape() == Qt::SizeVerCursor);
    if (press_kind == Press::Drag) {
        PDF_Graph_MouseMove(x, y);
    } else if (press_kind == Press::Zoom) {
        stats_overlay->place_zoom(zoom_box);
        // The space bar that applies the box comes to this window.
        PDF_Graph->setFocus();
    }
}

void graphtests::PDF_Graph_MouseMove(double x, double y)
{
    if (dragging) {
        if (const auto target = stats_graph.drag_target(y)) {
            Stats_Cursor_Scroll->setValue(*target);
            return;
        }
    }
    if (stats_graph.near_cursor(y))
        PDF_Graph->setCursor(Qt::SizeVerCursor);
    else
        PDF_Graph->unsetCursor();
    if (stretch_zoom(stats_graph.clamp_zoom_point(x, y)))
        stats_overlay->place_zoom(zoom_box);
}

void graphtests::PDF_Graph_MouseUp()
{
    release();
    stats_overlay->hide_zoom();
}

void graphtests::Stats_Graph_Zoom()
{
    const auto writes = stats_graph.zoom_to(zoom_box, stats_overlay->pixel());
    if (!writes)
        return;
    // The box was drawn in the old scale: it is used up.
    zoom_pending = false;
    stats_overlay->hide_zoom();
    write_scale_boxes(*writes);
}

// ============================================================================================== file and page

void graphtests::SaveProfileGraph()
{
    const QString name = data_file::ask_target(QStringLiteral("Save Profile Data"), QStringLiteral("Sorry...."));
    if (name.isEmpty())
        return;
    const Hourglass hourglass;
    const CaptionScope caption(this, QStringLiteral("Please Wait....Saving Profile Graph Data"));
    profile_data_file::Contents c;
    c.comment = prompts().input_box(QStringLiteral("Enter comment for this graph.\r\nPress cancel for no comment"));
    c.now = platform().clock->date_time();
    module1::get_sensor_types(c.ids);
    c.period_ms = right_x_axis->text();
    c.cursor1 = cur1_data->text();
    c.cursor2 = cur2_data->text();
    c.delta_power = Pwr_diff_data->text();
    c.delta_time = Time_diff_Data->text();
    c.time_unit = time_label->text();
    c.points = graph_trace.data();
    data_file::write_whole(name, profile_data_file::text(c), QStringLiteral("Sorry...."));
}

void graphtests::PrintGraph()
{
    Canvas page;
    if (!page_setup.begin(page))
        return;
    profile_page::Inputs in;
    in.comment = prompts().input_box(QStringLiteral("Enter Comment below\r\nPress cancel for no comment"));
    const CaptionScope caption(this, windowTitle() + QStringLiteral(" - Printing....please wait"));
    in.points = graph_trace.data();
    in.top = numtext::val(top_y_axis->text());
    in.bottom = numtext::val(bottom_y_axis->text());
    in.period_ms = right_x_axis->text();
    in.grid = GraphLines->isChecked();
    in.cursor1 = cursor1_index;
    in.cursor2 = cursor2_index;
    in.cursor_top = y_top;
    in.cursor_bottom = y_bottom;
    in.cursor1_text = cur1_data->text();
    in.cursor2_text = cur2_data->text();
    in.delta_time = Time_diff_Data->text();
    in.time_unit = time_label->text();
    in.delta_power = Pwr_diff_data->text();
    if (const auto error = profile_page::draw(page, in)) {
        PageSetup::fail(*error);
        return;
    }
    page_setup.finish(page);
}
