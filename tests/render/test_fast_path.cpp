// The pixel fast path against QPainter: the same random figures drawn both
// ways on 32-bit images must ink the same pixels.

#include "render/painter_surface.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace zov;

// The ink of one segment drawn on a white image, fast path on or off.
QImage inkOf(QPointF from, QPointF to, int width, bool fastPath, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    PainterSurface surface(&image);
    surface.setPixelFastPath(fastPath);
    surface.setPenWidth(width);
    surface.line(from.x(), from.y(), to.x(), to.y());
    surface.flush();
    return image;
}

bool inked(const QImage& image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() && image.pixel(x, y) != qRgb(255, 255, 255);
}

// Largest distance (in whole pixels, either axis) from a pixel inked in `a`
// to the nearest pixel inked in `b`; 99 when `b` has none near.
int farthestInk(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!inked(a, x, y))
                continue;
            int d = 0;
            while (d < 99) {
                bool found = false;
                for (int dy = -d; dy <= d && !found; ++dy)
                    for (int dx = -d; dx <= d && !found; ++dx)
                        found = inked(b, x + dx, y + dy);
                if (found)
                    break;
                ++d;
            }
            worst = std::max(worst, d);
        }
    }
    return worst;
}

// The fast path inks the exact line between the rounded ends, rounded half
// up across its major axis, one pixel per step, also where the plot's edge
// cuts it. The paint engine's cosmetic stroker samples differently: on lines
// inside the plot it stays within one pixel of the fast path (for every pen
// width), with one pixel per major step over the same span for 1-pixel pens.
// Lines cut by the plot's edge it re-rasterizes from the cut ends, which can
// move them several pixels near the edge: those are compared with the exact
// line only. Texts come from the same aliased glyphs and are identical.
TEST(PixelFastPath, LinesAreExactAndWithinOnePixelOfThePaintEngine)
{
    std::mt19937 rng(11);
    const QSize size(181, 137);
    std::uniform_real_distribution<double> inside(0.0, 65536.0);
    std::uniform_real_distribution<double> wide(-30000.0, 95000.0);
    QImage scratch(size, QImage::Format_RGB32);
    const PainterSurface mapping(&scratch);
    for (int k = 0; k < 400; ++k) {
        const bool cut = k % 4 == 3;
        const QPointF a = cut ? QPointF(wide(rng), wide(rng)) : QPointF(inside(rng), inside(rng));
        const QPointF b = cut ? QPointF(wide(rng), wide(rng)) : QPointF(inside(rng), inside(rng));
        const int width = 1 + k % 3;
        const QImage fast = inkOf(a, b, width, true, size);
        const QImage engine = inkOf(a, b, width, false, size);
        SCOPED_TRACE(testing::Message() << "segment " << k << " width " << width);
        if (!cut) {
            EXPECT_LE(farthestInk(fast, engine), 1);
            EXPECT_LE(farthestInk(engine, fast), 1);
        }
        if (width != 1)
            continue;
        const QPoint pa = mapping.toPixel(a.x(), a.y());
        const QPoint pb = mapping.toPixel(b.x(), b.y());
        const bool xMajor = std::abs(pb.x() - pa.x()) >= std::abs(pb.y() - pa.y());
        const int majorA = xMajor ? pa.x() : pa.y();
        const int minorA = xMajor ? pa.y() : pa.x();
        const int dMajor = (xMajor ? pb.x() : pb.y()) - majorA;
        const int dMinor = (xMajor ? pb.y() : pb.x()) - minorA;
        const int majorCount = xMajor ? size.width() : size.height();
        const int minorCount = xMajor ? size.height() : size.width();
        for (int major = 0; major < majorCount; ++major) {
            std::vector<int> inFast, inEngine;
            for (int minor = 0; minor < minorCount; ++minor) {
                const int x = xMajor ? major : minor;
                const int y = xMajor ? minor : major;
                if (inked(fast, x, y))
                    inFast.push_back(minor);
                if (inked(engine, x, y))
                    inEngine.push_back(minor);
            }
            // The exact line, walked from its first end: steps * dMinor / |dMajor|, rounded half up.
            const long long steps = std::abs(major - majorA);
            const bool onLine = dMajor == 0 ? major == majorA
                                            : (dMajor > 0 ? major >= majorA && major <= majorA + dMajor
                                                          : major <= majorA && major >= majorA + dMajor);
            std::vector<int> exact;
            if (onLine) {
                const long long n = std::max(1, std::abs(dMajor));
                const long long num = 2 * steps * dMinor + n;
                const long long q = num >= 0 ? num / (2 * n) : -((-num + 2 * n - 1) / (2 * n));
                const long long minor = minorA + q;
                if (minor >= 0 && minor < minorCount)
                    exact.push_back(static_cast<int>(minor));
            }
            ASSERT_EQ(inFast, exact) << "fast path at " << major;
            if (cut)
                continue;
            ASSERT_EQ(inFast.size(), inEngine.size()) << "engine at " << major;
            if (!inFast.empty()) {
                EXPECT_LE(std::abs(inFast[0] - inEngine[0]), 1) << "engine at " << major;
            }
        }
    }
}

TEST(PixelFastPath, TextsInkTheSamePixelsAsThePaintEngine)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> pos(-2000.0, 66000.0);
    const char* texts[] = {"-12.5", "Vg1= -3", "250", "0.5", "W", "1.220703E-02", "Ia0", "x"};
    for (const int mode : {kDrawModeCopy, kDrawModeXor}) {
        QImage a(640, 400, QImage::Format_RGB32);
        QImage b = a;
        for (QImage* image : {&a, &b}) {
            image->fill(Qt::white);
            PainterSurface surface(image);
            surface.setPixelFastPath(image == &a);
            surface.setDrawMode(mode);
            std::mt19937 local = rng;
            for (int k = 0; k < 200; ++k) {
                surface.setColour(rgb(k % 200, 40, 255 - k % 100));
                { const double x = pos(local); surface.setCurrentPos(x, pos(local)); }
                surface.text(texts[k % 8]);
            }
            surface.flush();
        }
        int differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                differing += a.pixel(x, y) != b.pixel(x, y);
        EXPECT_EQ(differing, 0) << (mode == kDrawModeXor ? "xor" : "copy");
    }
}

}  // namespace
