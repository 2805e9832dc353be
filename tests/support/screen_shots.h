#pragma once
// What the screen tests share: where a grab is written for a person to look at, and how much of a grab
// is drawn in a colour.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QRect>
#include <QString>

// A grab's file: in PELMORA_TEST_OUTPUT when set, else in the tests' build folder (never in the
// sources, wherever a test is started from).
inline QString output_path(const QString& name)
{
    const QString dir = qEnvironmentVariable("PELMORA_TEST_OUTPUT", QStringLiteral(PELMORA_TEST_BUILD_DIR));
    return dir + "/" + name;
}

// Share of the pixels of r whose colour passes hit.
template <typename Hit>
double pixel_share(const QImage& image, const QRect& r, Hit hit)
{
    int hits = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            hits += hit(image.pixelColor(x, y)) ? 1 : 0;
    return double(hits) / (r.width() * r.height());
}

// The graphs' trace colour.
inline bool trace_colour(const QColor& c) { return c.red() > 200 && c.green() > 180 && c.blue() < 100; }
