// The QPainter surface: pixel mapping, colours at computed positions, XOR
// figures that restore the image bit for bit, and the image export.
#include "curve_text_builder.h"
#include "display/collecting_label_sink.h"
#include "display/painter_surface.h"
#include "display/plot_colours.h"
#include "display/scales.h"
#include "display/scene.h"
#include "display/scene_export.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace zov {
namespace {

// 801 x 601 pixels: one division is exactly 100 x 75 pixels.
constexpr int kW = 801;
constexpr int kH = 601;

QImage whiteImage(int w = kW, int h = kH)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QRgb at(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

QRgb qrgbOf(Colour c)
{
    return qRgb(redOf(c), greenOf(c), blueOf(c)) & 0xFFFFFF;
}

// The pixel column/row of a plot position on a w x h target.
int px(double x, int w = kW) { return static_cast<int>(std::lround(x * (w - 1) / 65536.0)); }
int py(double y, int h = kH) { return static_cast<int>(std::lround(y * (h - 1) / 65536.0)); }

// True when the colour appears within `radius` pixels of (x, y).
bool colourNear(const QImage& image, int x, int y, Colour c, int radius = 1)
{
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const int xx = x + dx;
            const int yy = y + dy;
            if (xx >= 0 && yy >= 0 && xx < image.width() && yy < image.height()
                && at(image, xx, yy) == qrgbOf(c))
                return true;
        }
    }
    return false;
}

TEST(PainterSurface, EdgesMapOntoTheLastPixels)
{
    QImage image = whiteImage();
    {
        PainterSurface s(&image);
        s.setColour(rgb(255, 0, 0));
        s.point(65536.0, 65536.0);
        s.point(0.0, 0.0);
        s.point(32768.0, 32768.0);
    }
    EXPECT_EQ(at(image, kW - 1, kH - 1), qrgbOf(rgb(255, 0, 0)));
    EXPECT_EQ(at(image, 0, 0), qrgbOf(rgb(255, 0, 0)));
    EXPECT_EQ(at(image, 400, 300), qrgbOf(rgb(255, 0, 0)));
    EXPECT_EQ(at(image, 401, 300), qrgbOf(kWhite));
}

TEST(PainterSurface, GridAndCurvePixelsAtComputedPositions)
{
    QImage image = whiteImage();
    Workspace ws;
    // One curve along 2.5 mA from 10 V to 150 V at 20 V/div, 1 mA/div.
    for (int ua = 10; ua <= 150; ua += 10)
        ws.CurveText += testing::tdfLine(ua, 0.0025, "-1");
    PainterSurface s(&image);
    CollectingLabelSink labels;
    composeScene(s, ws, SceneOptions{}, labels);

    // Grid line 4 (32768 units) at row 300, away from the vertical lines.
    EXPECT_EQ(at(image, 150, 300), qrgbOf(kGridColour));
    EXPECT_EQ(at(image, 400, 150), qrgbOf(kGridColour));  // vertical line 4
    EXPECT_EQ(at(image, kW - 1, 150), qrgbOf(kGridColour));  // line at 8 divisions
    EXPECT_EQ(at(image, 150, 299), qrgbOf(kWhite));
    // No grid line at X = 0.
    EXPECT_EQ(at(image, 0, 160), qrgbOf(kWhite));
    // The curve at 90 V (x = 36864 units) and 2.5 mA.
    const int cx = px(90 * 409.6);
    const int cy = py(65536.0 - 2.5 * 8192.0);
    EXPECT_TRUE(colourNear(image, cx, cy, kCurrentCurveColour)) << cx << "," << cy;
    EXPECT_FALSE(colourNear(image, cx, cy - 6, kCurrentCurveColour));
}

struct XorCase {
    const char* name;
    int width;
    bool dot;
};

TEST(PainterSurface, XorFigureDrawnTwiceRestoresTheImageBitForBit)
{
    const XorCase cases[] = {{"polyline width 1", 1, false},
                             {"polyline width 2", 2, false},
                             {"polyline width 3", 3, false},
                             {"dot width 12", 12, true}};
    for (const auto& c : cases) {
        QImage image = whiteImage();
        Workspace ws;
        ws.CurveText = testing::familyText(6, 32, 150.0, 0.007);
        PainterSurface s(&image);
        CollectingLabelSink labels;
        composeScene(s, ws, SceneOptions{}, labels);
        const QImage before = image.copy();

        const auto figure = [&] {
            s.setDrawMode(kDrawModeXor);
            s.setPenWidth(c.width);
            s.setColour(rgb(255, 255, 255));
            if (c.dot) {
                s.point(20000.0, 30000.0);
                s.point(20100.0, 30050.0);  // overlapping dots
            } else {
                // A load line through a pivot and on to the top margin, then a
                // second segment from the junction: connected lines.
                s.setCurrentPos(65500.0, 50000.0);
                s.lineTo(30000.0, 30000.0);
                s.lineTo(36.0, 20000.0);
                s.lineTo(5000.0, 36.0);
                s.lineTo(5000.0, 36.0);  // zero-length repeat
                s.line(100.0, 65500.0, 65500.0, 36.0);
            }
            s.setDrawMode(kDrawModeCopy);
            s.setPenWidth(1);
            s.flush();
        };
        figure();
        EXPECT_NE(image, before) << c.name;
        figure();
        EXPECT_EQ(image, before) << c.name;
    }
}

TEST(PainterSurface, XorPolylineHasNoHolesAtItsJoints)
{
    for (int width : {1, 2}) {
        QImage image = whiteImage();
        PainterSurface s(&image);
        s.setDrawMode(kDrawModeXor);
        s.setPenWidth(width);
        s.setColour(rgb(255, 255, 255));  // white XOR white = black
        const double xs[] = {8192.0, 16384.0, 24576.0, 32768.0, 40960.0};
        const double ys[] = {8192.0, 24576.0, 16384.0, 40960.0, 8192.0};
        s.setCurrentPos(xs[0], ys[0]);
        for (int i = 0; i < 5; ++i)
            s.lineTo(xs[i], ys[i]);
        s.flush();
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(at(image, px(xs[i]), py(ys[i])), 0U)
                << "width " << width << " vertex " << i;
        }
    }
}

TEST(PainterSurface, LinesInkOnePixelPerStepTimesThePenWidth)
{
    const struct {
        const char* name;
        double x1, y1, x2, y2;
        bool flat;  // one pixel per column (else per row)
    } cases[] = {
        {"flat", 2000.0, 3000.0, 63000.0, 16384.0, true},
        {"steep", 40000.0, 2000.0, 10000.0, 63000.0, false},
        {"leaves the top", 20000.0, 60000.0, 40000.0, -400000.0, false},
        {"flat beyond the right", 60000.0, 30000.0, 2.0e6, 40000.0, true},
    };
    for (const auto& c : cases) {
        for (int width : {1, 2, 3}) {
            QImage image = whiteImage();
            PainterSurface s(&image);
            s.setPenWidth(width);
            s.setColour(rgb(0, 0, 128));
            s.line(c.x1, c.y1, c.x2, c.y2);
            s.flush();
            // Count inked pixels per column (flat) or row (steep), over the
            // stretch where the line crosses the image.
            const int lines = c.flat ? kW : kH;
            const int across = c.flat ? kH : kW;
            int crossed = 0;
            for (int i = 1; i < lines - 1; ++i) {
                int inked = 0;
                for (int j = 0; j < across; ++j) {
                    const QRgb v = c.flat ? at(image, i, j) : at(image, j, i);
                    if (v == qrgbOf(rgb(0, 0, 128)))
                        ++inked;
                }
                if (inked == 0)
                    continue;
                ++crossed;
                EXPECT_EQ(inked, width) << c.name << " width " << width << " at " << i;
            }
            EXPECT_GT(crossed, 20) << c.name;
        }
    }
}

TEST(PainterSurface, BorrowedPainterDrawsIntoItsTargetOnly)
{
    QImage image = whiteImage(500, 400);
    {
        QPainter painter(&image);
        PainterSurface s(&painter, QRect(50, 20, 401, 301));
        s.setColour(rgb(0, 0, 255));
        s.point(65536.0, 65536.0);
        s.point(0.0, 0.0);
        s.line(0.0, 32768.0, 90000.0, 32768.0);  // runs past the right edge
        s.line(0.0, 0.0, 1e30, -1e30);           // absurd values must not hurt
        s.line(0.0, 0.0, std::nan(""), 5.0);
        s.flush();
    }
    EXPECT_EQ(at(image, 450, 320), qrgbOf(rgb(0, 0, 255)));
    EXPECT_EQ(at(image, 50, 20), qrgbOf(rgb(0, 0, 255)));
    EXPECT_EQ(at(image, 450, 170), qrgbOf(rgb(0, 0, 255)));
    EXPECT_EQ(at(image, 451, 170), qrgbOf(kWhite));  // clipped at the target
    EXPECT_EQ(at(image, 49, 20), qrgbOf(kWhite));
}

TEST(PainterSurface, TextIsDrawnBelowAndRightOfTheCurrentPosition)
{
    QImage image = whiteImage();
    PainterSurface s(&image);
    s.setColour(rgb(0, 0, 128));
    s.setCurrentPos(32768.0, 32768.0);
    s.text("-2.5");
    s.flush();
    int inked = 0;
    int outside = 0;
    for (int y = 280; y < 330; ++y) {
        for (int x = 380; x < 460; ++x) {
            if (at(image, x, y) != qrgbOf(kWhite)) {
                if (x >= 400 && y >= 300)
                    ++inked;
                else
                    ++outside;
            }
        }
    }
    EXPECT_GT(inked, 5);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(s.textWidth("-2.5"), 0.0);
    EXPECT_GT(s.textHeight("-2.5"), 0.0);
}

TEST(PainterSurface, DeviceIsFreeAfterFlushAndCanBeReplaced)
{
    QImage image = whiteImage(100, 100);
    PainterSurface s(&image);
    s.setColour(rgb(255, 0, 0));
    s.point(0.0, 0.0);
    s.flush();
    EXPECT_FALSE(image.paintingActive());
    image = whiteImage(201, 201);  // the window was resized
    s.setDevice(&image);
    s.point(65536.0, 65536.0);
    s.flush();
    EXPECT_EQ(at(image, 200, 200), qrgbOf(rgb(255, 0, 0)));
}

// ---- export ------------------------------------------------------------------------

TEST(SceneExport, WritesPngSvgAndPdf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Workspace ws;
    ws.CurveText = testing::familyText(5, 64, 300.0, 0.008);
    ws.BackgroundText = testing::familyText(5, 64, 280.0, 0.007);
    SceneOptions options;
    options.voltsPerDivText = "50";
    const QSize size(640, 480);
    for (const char* name : {"a.png", "a.svg", "a.PDF"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QString error;
        EXPECT_TRUE(exportScene(path, size, ws, options, &error)) << name << " " << error.toStdString();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray head = f.read(64);
        EXPECT_GT(f.size(), 1000) << name;
        if (QByteArray(name).endsWith("svg")) {
            EXPECT_TRUE(head.contains("<?xml") || head.contains("<svg"));
        }
        if (QByteArray(name).endsWith("PDF")) {
            EXPECT_TRUE(head.startsWith("%PDF"));
        }
    }
    const QImage png(dir.filePath(QStringLiteral("a.png")));
    ASSERT_EQ(png.size(), size);
    const QRect plot = exportPlotRect(QRect(QPoint(0, 0), size));
    // Grid line 4 of the plot area, between two vertical lines.
    const int row = plot.top() + py(32768.0, plot.height());
    const int col = plot.left() + px(4096.0, plot.width());
    EXPECT_EQ(png.pixel(col, row) & 0xFFFFFF, qrgbOf(kGridColour));

    QString error;
    EXPECT_FALSE(exportScene(dir.filePath(QStringLiteral("a.bmp")), size, ws, options, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(exportScene(dir.filePath(QStringLiteral("no/such/dir/a.svg")), size, ws, options, &error));
    EXPECT_FALSE(exportScene(dir.filePath(QStringLiteral("no/such/dir/a.png")), size, ws, options, &error));
}

TEST(SceneExport, SvgCurvesStayInsideThePlot)
{
    // SVG output has no clipping of its own: curves that run above the top
    // must be cut at the plot's edge, not drawn into the margin.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Workspace ws;
    ws.CurveText = testing::familyText(5, 64, 300.0, 0.030);  // far above 8 mA
    const QSize size(640, 480);
    const QString path = dir.filePath(QStringLiteral("top.svg"));
    QString error;
    ASSERT_TRUE(exportScene(path, size, ws, SceneOptions{}, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(f.readAll());
    const QRectF plot = QRectF(exportPlotRect(QRect(QPoint(0, 0), size))).adjusted(-0.01, -0.01, 0.01, 0.01);
    int points = 0;
    qsizetype from = 0;
    while ((from = svg.indexOf(QLatin1String("points=\""), from)) >= 0) {
        from += 8;
        const qsizetype end = svg.indexOf(QLatin1Char('"'), from);
        const auto pairs = svg.mid(from, end - from).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& pair : pairs) {
            const auto xy = pair.split(QLatin1Char(','));
            ASSERT_EQ(xy.size(), 2);
            const QPointF pt(xy[0].toDouble(), xy[1].toDouble());
            EXPECT_TRUE(plot.contains(pt)) << pt.x() << "," << pt.y();
            ++points;
        }
    }
    EXPECT_GT(points, 100);
}

}  // namespace
}  // namespace zov
