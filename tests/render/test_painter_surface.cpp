// The QPainter surface (pixel mapping, XOR figures that restore the image bit
// for bit, pen widths) and the image export through zov-cli render, run as a
// separate process.
#include "cli_runner.h"
#include "display_fixtures.h"
#include "plot/collecting_label_sink.h"
#include "render/display_messages.h"
#include "render/painter_surface.h"
#include "render/plot_colours.h"
#include "render/scene.h"
#include "render/scene_export.h"

#include <QFileInfo>
#include <QImage>

#include <cmath>

namespace zov {
namespace {

using namespace zov::testing;

// 801 x 601 pixels: one division is exactly 100 x 75 pixels.
constexpr int kW = 801;
constexpr int kH = 601;

QImage whiteImage(int w = kW, int h = kH)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
QRgb q(Colour c) { return qRgb(redOf(c), greenOf(c), blueOf(c)) & 0xFFFFFF; }
// The pixel column/row of a plot position on a w x h target.
int px(double x, int w = kW) { return static_cast<int>(std::lround(x * (w - 1) / 65536.0)); }
int py(double y, int h = kH) { return static_cast<int>(std::lround(y * (h - 1) / 65536.0)); }

TEST(PainterSurface, PlotEdgesMapOntoTheTargetsLastPixels)
{
    QImage image = whiteImage(101, 101);
    PainterSurface s(&image);
    for (double p : {0.0, 32768.0, 65536.0})
        s.point(p, p);
    s.flush();
    EXPECT_FALSE(image.paintingActive());  // the device is free after flush()
    for (int p : {0, 50, 100})
        EXPECT_EQ(at(image, p, p), 0U) << p;
    EXPECT_EQ(at(image, 51, 50), q(kWhite));
    image = whiteImage(201, 201);  // the window was resized
    s.setDevice(&image);
    s.point(65536.0, 65536.0);
    s.flush();
    EXPECT_EQ(at(image, 200, 200), 0U);

    // A borrowed painter draws into its target rectangle only.
    QImage page = whiteImage(500, 400);
    {
        QPainter painter(&page);
        PainterSurface b(&painter, QRect(50, 20, 401, 301));
        b.setColour(rgb(0, 0, 255));
        b.point(65536.0, 65536.0);
        b.point(0.0, 0.0);
        b.line(0.0, 32768.0, 90000.0, 32768.0);  // runs past the right edge
        b.line(0.0, 0.0, 1e30, -1e30);           // absurd values must not hurt
        b.line(0.0, 0.0, std::nan(""), 5.0);
        b.flush();
    }
    for (const QPoint p : {QPoint(450, 320), QPoint(50, 20), QPoint(450, 170)})
        EXPECT_EQ(at(page, p.x(), p.y()), q(rgb(0, 0, 255))) << p.x() << "," << p.y();
    EXPECT_EQ(at(page, 451, 170), q(kWhite));
    EXPECT_EQ(at(page, 49, 20), q(kWhite));
}

TEST(PainterSurface, XorFigureDrawnTwiceRestoresTheImageBitForBit)
{
    const double xs[] = {65500.0, 30000.0, 36.0, 5000.0};
    const double ys[] = {50000.0, 30000.0, 20000.0, 36.0};
    for (int width : {1, 2, 3, 12}) {  // 12: a dot
        QImage image = whiteImage();
        Workspace ws;  // a whole picture below the figure
        ws.CurveText = familyText(6, 32, 150.0, 0.007);
        PainterSurface s(&image);
        composeScene(s, sceneInputs(ws));
        const QImage before = image.copy();
        const auto figure = [&] {
            s.setDrawMode(kDrawModeXor);
            s.setPenWidth(width);
            s.setColour(rgb(255, 255, 255));
            if (width > 3) {
                s.point(20000.0, 30000.0);
                s.point(20100.0, 30050.0);  // overlapping dots
            } else {  // a load line through a pivot to the top margin, then a second line
                s.setCurrentPos(xs[0], ys[0]);
                for (int i = 1; i < 4; ++i)
                    s.lineTo(xs[i], ys[i]);
                s.lineTo(xs[3], ys[3]);  // zero-length repeat
                s.line(100.0, 65500.0, 65500.0, 36.0);
            }
            s.setDrawMode(kDrawModeCopy);
            s.setPenWidth(1);
            s.flush();
        };
        figure();
        EXPECT_NE(image, before) << width;
        for (int i = 0; i < 4 && width <= 3; ++i) {  // XOR inks a joint once: no hole
            EXPECT_NE(at(image, px(xs[i]), py(ys[i])), at(before, px(xs[i]), py(ys[i])))
                << "width " << width << " vertex " << i;
        }
        figure();
        EXPECT_EQ(image, before) << width;
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
        {"steep, leaving the top", 20000.0, 60000.0, 40000.0, -400000.0, false},
        {"flat beyond the right", 60000.0, 30000.0, 2.0e6, 40000.0, true},
    };
    for (const auto& c : cases) {
        for (int width : {1, 2, 3}) {
            QImage image = whiteImage();
            PainterSurface s(&image);
            s.setPenWidth(width);
            s.setColour(kCurrentCurveColour);
            s.line(c.x1, c.y1, c.x2, c.y2);
            s.flush();
            int crossed = 0;  // columns (flat) or rows (steep) the line crosses
            for (int i = 1; i < (c.flat ? kW : kH) - 1; ++i) {
                int inked = 0;
                for (int j = 0; j < (c.flat ? kH : kW); ++j)
                    inked += (c.flat ? at(image, i, j) : at(image, j, i)) == q(kCurrentCurveColour);
                if (inked > 0) {
                    ++crossed;
                    EXPECT_EQ(inked, width) << c.name << " width " << width << " at " << i;
                }
            }
            EXPECT_GT(crossed, 20) << c.name;
        }
    }
}

TEST(PainterSurface, TextIsDrawnBelowAndRightOfTheCurrentPosition)
{
    QImage image = whiteImage();
    PainterSurface s(&image);
    s.setCurrentPos(32768.0, 32768.0);  // pixel (400, 300)
    s.text("-2.5");
    s.flush();
    int inked[2] = {0, 0};  // below right of the position, elsewhere
    for (int y = 280; y < 330; ++y)
        for (int x = 380; x < 460; ++x)
            inked[x >= 400 && y >= 300 ? 0 : 1] += at(image, x, y) != q(kWhite);
    EXPECT_GT(inked[0], 5);
    EXPECT_EQ(inked[1], 0);
    EXPECT_GT(s.textWidth("-2.5") * s.textHeight("-2.5"), 0.0);
}

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(cliPath()))
            GTEST_SKIP() << "zov-cli not built at " << cliPath().toStdString();
        ASSERT_TRUE(m_dir.isValid());
        // Peaks of 12 mA: above the plot's top at the default 1 mA/div.
        m_fam = writeTempFile(m_dir, "fam.tdf", QByteArray::fromStdString(familyText(31, 64, 300, 0.012)));
        m_bg = writeTempFile(m_dir, "bg.tdf", QByteArray::fromStdString(familyText(31, 64, 280, 0.01)));
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    CliRun render(const QStringList& args) const { return runCli(QStringList{"render"} + args, 60000); }

    QTemporaryDir m_dir;
    QString m_fam;
    QString m_bg;
};

TEST_F(RenderCli, WritesPngSvgAndPdf)
{
    const struct {
        const char* name;
        QByteArray head;
        QStringList extra;
    } outputs[] = {{"plot.png", "\x89PNG", {}},  // the default size: 1200 x 900
                   {"small.PNG", "\x89PNG", {"--size", "640x480", "--madiv", "2"}},
                   {"plot.svg", "<?xml", {}},
                   {"plot.pdf", "%PDF", {}}};
    for (const auto& o : outputs) {
        const CliRun r = render(QStringList{m_fam, "--background", m_bg, "--vdiv", "50", "--pd", "2.5", "--out",
                                            path(o.name)} + o.extra);
        EXPECT_EQ(r.exitCode, 0) << o.name << " " << r.err.toStdString();
        QFile f(path(o.name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << o.name;
        EXPECT_TRUE(f.read(16).startsWith(o.head)) << o.name;
    }
    EXPECT_EQ(QImage(path("plot.png")).size(), QSize(1200, 900));
    const QImage png(path("small.PNG"));
    ASSERT_EQ(png.size(), QSize(640, 480));
    const QRect plot = exportPlotRect(png.rect());  // grid line 4, between two vertical lines
    EXPECT_EQ(at(png, plot.left() + px(4096.0, plot.width()), plot.top() + py(32768.0, plot.height())),
              q(kGridColour));

    // SVG does not clip: curves running above the top must be cut at the plot's edge.
    QFile f(path("plot.svg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(f.readAll());
    const QRectF inside = QRectF(exportPlotRect(QRect(0, 0, 1200, 900))).adjusted(-0.01, -0.01, 0.01, 0.01);
    int points = 0;
    for (qsizetype from = 0; (from = svg.indexOf(QLatin1String("points=\""), from)) >= 0;) {
        from += 8;
        const QString list = svg.mid(from, svg.indexOf(QLatin1Char('"'), from) - from);
        for (const QString& pair : list.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const auto xy = pair.split(QLatin1Char(','));
            ASSERT_EQ(xy.size(), 2);
            EXPECT_TRUE(inside.contains(QPointF(xy[0].toDouble(), xy[1].toDouble()))) << pair.toStdString();
            ++points;
        }
    }
    EXPECT_GT(points, 1000);
}

TEST_F(RenderCli, BadInputExitsWithTwoAndAClearMessage)
{
    namespace m = display_messages;
    const QString png = path("x.png");
    const QString none = path("none.tdf");
    const struct {
        const char* name;
        QStringList args;
        const char* message;
    } cases[] = {
        {"unknown extension", {m_fam, "--out", path("x.bmp")}, m::kUnknownExtension},
        {"no extension", {m_fam, "--out", path("x")}, m::kUnknownExtension},
        {"unreadable curves", {none, "--out", png}, m::kCannotRead},
        {"unreadable background", {m_fam, "--background", none, "--out", png}, m::kCannotRead},
        {"directory as input", {m_dir.path(), "--out", png}, m::kCannotRead},
        {"no output", {m_fam}, m::kMissingOutput},
        {"no input", {"--out", png}, m::kMissingInput},
        {"bad size", {m_fam, "--size", "12", "--out", png}, m::kBadSize},
        {"zero scale", {m_fam, "--vdiv", "0", "--out", png}, m::kNeedsPositive},
        {"text scale", {m_fam, "--madiv", "1mA", "--out", png}, m::kNeedsPositive},
        {"negative power", {m_fam, "--pd", "-1", "--out", png}, m::kNeedsNonNegative},
        {"missing value", {m_fam, "--out"}, m::kMissingValue},
    };
    for (const auto& c : cases) {
        const CliRun r = render(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.name;
        EXPECT_TRUE(r.err.contains(c.message)) << c.name << ": " << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(png)) << c.name;
    }
    for (const char* out : {"no/dir/x.svg", "no/dir/x.png", "no/dir/x.pdf"}) {  // unwritable output: exit 1
        const CliRun r = render({m_fam, "--out", path(out)});
        EXPECT_EQ(r.exitCode, 1) << out << " " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(m::kCannotWrite)) << out;
    }
}

}  // namespace
}  // namespace zov
