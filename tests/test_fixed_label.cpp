#include "frame/fixed_label.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

// Counts the events of one type a widget receives.
class EventCounter : public QObject {
public:
    EventCounter(QWidget* widget, QEvent::Type type) : type_(type) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type_)
            ++count;
        return false;
    }
    int count = 0;

private:
    QEvent::Type type_;
};

}  // namespace

class TestFixedLabel : public QObject {
    Q_OBJECT

private slots:
    void looks_like_a_label()
    {
        // Same frame, alignment, size and text as a plain label: the same pixels.
        for (const Qt::Alignment align : {Qt::AlignRight | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignVCenter,
                                          Qt::Alignment(Qt::AlignCenter)}) {
            QWidget page;
            auto* plain = new QLabel(QStringLiteral("12345.67"), &page);
            auto* fixed = new FixedLabel(QStringLiteral("12345.67"), QStringLiteral("00000.00"), &page);
            for (QFrame* f : {static_cast<QFrame*>(plain), static_cast<QFrame*>(fixed)}) {
                f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
                f->resize(90, 26);
            }
            plain->setAlignment(align);
            fixed->setAlignment(align);
            QCOMPARE(fixed->grab().toImage(), plain->grab().toImage());
        }
        // And as a read-only entry box, the same pixels as one.
        for (const Qt::Alignment align : {Qt::Alignment(Qt::AlignRight), Qt::Alignment(Qt::AlignLeft)}) {
            QWidget page;
            auto* box = new QLineEdit(QStringLiteral("0.25"), &page);
            box->setReadOnly(true);
            box->setAlignment(align);
            auto* fixed = new FixedLabel(QStringLiteral("0.25"), QStringLiteral("0000000.00"), &page);
            fixed->set_box_look(true);
            fixed->setAlignment(align);
            box->resize(86, box->sizeHint().height());
            fixed->resize(box->size());
            QCOMPARE(fixed->sizeHint().height(), box->sizeHint().height());
            QCOMPARE(fixed->grab().toImage(), box->grab().toImage());
        }
    }

    void new_texts_leave_the_layout_alone()
    {
        QWidget page;
        auto* row = new QHBoxLayout(&page);
        auto* rate = new FixedLabel(QStringLiteral("0.00"), QStringLiteral("00000.00"));
        rate->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        auto* unit = new QLabel(QStringLiteral("graphs/sec"));
        auto* tall = new QWidget;
        tall->setMinimumHeight(200);
        row->addWidget(rate);
        row->addWidget(unit);
        row->addWidget(tall);
        row->addStretch(1);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const QSize hint = rate->sizeHint();
        // A taller neighbour does not stretch a line of figures.
        QCOMPARE(rate->height(), hint.height());
        const QPoint unit_at = unit->pos();
        EventCounter layout_requests(&page, QEvent::LayoutRequest);
        EventCounter paints(rate, QEvent::Paint);
        EventCounter unit_paints(unit, QEvent::Paint);

        // Texts as wide as the sample at most: same size, nothing moves, only the label repaints, at
        // most once a screen refresh, and the latest text is the one shown.
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 0; i < 3000; ++i) {
            rate->setText(QString::number(i * 3.7, 'f', 2));
            QCoreApplication::processEvents();
        }
        const qint64 ms = elapsed.elapsed();
        QCOMPARE(rate->sizeHint(), hint);
        QCOMPARE(unit->pos(), unit_at);
        QCOMPARE(layout_requests.count, 0);
        QCOMPARE(unit_paints.count, 0);
        QVERIFY2(paints.count <= ms / 15 + 2, qPrintable(QString("%1 paints in %2 ms").arg(paints.count).arg(ms)));
        QCOMPARE(rate->text(), QString("11096.30"));
        const int before = paints.count;
        rate->setText(QStringLiteral("1.00"));
        QTRY_VERIFY(paints.count > before);

        // The same text again is no change.
        const int settled = paints.count;
        rate->setText(QStringLiteral("1.00"));
        QTest::qWait(40);
        QCOMPARE(paints.count, settled);

        // A text wider than expected widens the label once, and the layout makes room.
        rate->setText(QStringLiteral("123456789.00"));
        QVERIFY(rate->sizeHint().width() > hint.width());
        QTRY_VERIFY(unit->pos().x() > unit_at.x());
        QVERIFY(rate->width() >= rate->sizeHint().width());
    }

    void read_by_a_screen_reader()
    {
        // As a label, or as a read-only box with the box look: the text shown is its name and value.
        for (const bool box : {false, true}) {
            QWidget page;
            auto* label = new FixedLabel(QStringLiteral("0.00"), QStringLiteral("00000.00"), &page);
            label->set_box_look(box);
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
            QVERIFY(iface);
            label->setText(QStringLiteral("-12.345dBm"));
            QCOMPARE(iface->role(), box ? QAccessible::EditableText : QAccessible::StaticText);
            QVERIFY(iface->state().readOnly);
            QCOMPARE(iface->text(QAccessible::Name), QString("-12.345dBm"));
            QCOMPARE(iface->text(QAccessible::Value), QString("-12.345dBm"));
        }
    }
};

QTEST_MAIN(TestFixedLabel)
#include "test_fixed_label.moc"
