#include "render/painter_surface.h"

#include "render/qt_colour.h"
#include "render/segment_clip.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zov {

namespace {

// Pixel coordinates beyond this are clipped away before rounding: far outside
// any device, and small enough that the paint engine's integer arithmetic is
// safe. Curves that leave the plot by a few divisions stay far inside it.
constexpr double kPixelLimit = 1.0e6;

Qt::PenStyle toPenStyle(int style)
{
    switch (style) {
    case kLineDash: return Qt::DashLine;
    case kLineDot: return Qt::DotLine;
    case kLineDashDot: return Qt::DashDotLine;
    case kLineDashDotDot: return Qt::DashDotDotLine;
    case kLineInvisible: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

QPainter::CompositionMode toCompositionMode(int mode)
{
    // Only the two modes the plot uses have a raster counterpart here; any
    // other value draws like the copy pen.
    return mode == kDrawModeXor ? QPainter::RasterOp_SourceXorDestination
                                : QPainter::CompositionMode_SourceOver;
}

// A segment cut to the square |x|, |y| <= kPixelLimit.
bool clipToLimit(double& x1, double& y1, double& x2, double& y2)
{
    return clipSegment(x1, y1, x2, y2, ClipBox{-kPixelLimit, -kPixelLimit, kPixelLimit, kPixelLimit});
}

bool inLimit(double v)
{
    return std::abs(v) <= kPixelLimit;  // false for NaN and infinities too
}

// Nearest pixel, halves away from zero (std::lround without the library call:
// every vertex of every curve passes here).
int roundToPixel(double v)
{
    const auto truncated = static_cast<qint64>(v);
    const double fraction = v - static_cast<double>(truncated);
    qint64 r = truncated;
    if (fraction >= 0.5)
        ++r;
    else if (fraction <= -0.5)
        --r;
    return static_cast<int>(r);
}

// The parts of a polyline inside a rectangle (pixel centres from left to
// right, top to bottom), as separate runs.
std::vector<QPolygonF> clippedRuns(const QPolygon& figure, const QRect& rect)
{
    const double left = rect.left();
    const double right = rect.right();
    const double top = rect.top();
    const double bottom = rect.bottom();
    std::vector<QPolygonF> runs;
    QPolygonF run;
    for (qsizetype i = 1; i < figure.size(); ++i) {
        double x1 = figure.at(i - 1).x();
        double y1 = figure.at(i - 1).y();
        double x2 = figure.at(i).x();
        double y2 = figure.at(i).y();
        const double x2Before = x2;
        const double y2Before = y2;
        if (!clipSegment(x1, y1, x2, y2, ClipBox{left, top, right, bottom})) {
            if (run.size() > 1)
                runs.push_back(run);
            run.clear();
            continue;
        }
        const QPointF a(x1, y1);
        const QPointF b(x2, y2);
        if (run.isEmpty() || run.constLast() != a) {
            if (run.size() > 1)
                runs.push_back(run);
            run.clear();
            run << a;
        }
        run << b;
        if (x2 != x2Before || y2 != y2Before) {  // leaves the rectangle: the run ends here
            runs.push_back(run);
            run.clear();
        }
    }
    if (run.size() > 1)
        runs.push_back(run);
    return runs;
}

}  // namespace

PainterSurface::PainterSurface(QPaintDevice* device)
    : m_font(defaultPlotFont()), m_baseFontPoints(m_font.pointSizeF())
{
    setDevice(device);
}

PainterSurface::PainterSurface(QPainter* painter, const QRect& target)
    : m_device(painter->device()), m_borrowed(painter), m_target(target), m_font(defaultPlotFont()),
      m_baseFontPoints(m_font.pointSizeF())
{
}

PainterSurface::~PainterSurface()
{
    flush();
}

void PainterSurface::setDevice(QPaintDevice* device, const QRect& target)
{
    flush();
    // Stamps are made at the old device's resolution; a printer or an image
    // of another resolution needs its own.
    m_stamps.clear();
    m_borrowed = nullptr;
    m_device = device;
    if (target.isEmpty() && device != nullptr)
        m_target = QRect(0, 0, device->width(), device->height());
    else
        m_target = target;
}

void PainterSurface::setFont(const QFont& font)
{
    inkFigure();
    m_font = font;
    m_baseFontPoints = font.pointSizeF();
    if (fontSize() > 0.0)
        m_font.setPointSizeF(fontSize());
    m_textCache.clear();
    m_stamps.clear();
}

void PainterSurface::setFontSize(double points)
{
    if (points == fontSize())
        return;
    inkFigure();
    Surface::setFontSize(points);
    m_font.setPointSizeF(points > 0.0 ? points : m_baseFontPoints);
    m_textCache.clear();
    m_stamps.clear();
}

QFont PainterSurface::defaultPlotFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    // Aliased glyphs everywhere: the screen sets texts pixel by pixel from
    // stamps of these glyphs, and XOR tags must come off without a trace.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

namespace {

// Plot units -> device pixels before rounding: 0..65536 onto 0..w-1.
constexpr double kPerUnit = 1.0 / 65536.0;  // exact: a power of two

double mapX(const QRect& target, double x)
{
    return target.left() + x * (target.width() - 1) * kPerUnit;
}

double mapY(const QRect& target, double y)
{
    return target.top() + y * (target.height() - 1) * kPerUnit;
}

}  // namespace

QPoint PainterSurface::toPixel(double x, double y) const
{
    const double px = std::clamp(mapX(m_target, x), -kPixelLimit, kPixelLimit);
    const double py = std::clamp(mapY(m_target, y), -kPixelLimit, kPixelLimit);
    return QPoint(roundToPixel(std::isfinite(px) ? px : 0.0),
                  roundToPixel(std::isfinite(py) ? py : 0.0));
}

QPainter* PainterSurface::painter()
{
    if (m_borrowed != nullptr)
        return m_borrowed;
    if (m_device == nullptr)
        return nullptr;
    if (!m_owned) {
        m_owned = std::make_unique<QPainter>();
        if (!m_owned->begin(m_device)) {
            m_owned.reset();
            return nullptr;
        }
        m_owned->setRenderHint(QPainter::Antialiasing, false);
        m_owned->setRenderHint(QPainter::TextAntialiasing, false);
    }
    return m_owned.get();
}

QPen PainterSurface::currentPen() const
{
    QPen pen(toQColor(m_colour));
    pen.setStyle(toPenStyle(m_lineStyle));
    if (m_penWidth <= 1) {
        // A cosmetic one-pixel line: the square cap inks the last pixel of an
        // open figure; joints of a polyline are inked once by the stroker.
        pen.setWidth(1);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::SquareCap);
        // A pattern of one-pixel dots is too fine to see on a printer or a
        // 600 dpi PDF page (a dotted grid looks solid): there it is
        // stretched to the length it has on a 96 dpi screen.
        const int dpi = m_device != nullptr ? m_device->logicalDpiX() : 0;
        if (dpi > 2 * 96 && pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen) {
            QList<qreal> pattern = pen.dashPattern();
            for (qreal& length : pattern)
                length *= dpi / 96.0;
            pen.setDashPattern(pattern);
        }
    } else {
        pen.setWidth(m_penWidth);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

void PainterSurface::applyState(QPainter& p) const
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(m_target);
    p.setCompositionMode(toCompositionMode(m_drawMode));
    p.setPen(currentPen());
    p.setBrush(Qt::NoBrush);
}

QImage* PainterSurface::rasterImage() const
{
    if (m_borrowed != nullptr || m_device == nullptr || m_device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(m_device);
    const QImage::Format f = image->format();
    const bool direct = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32
                        || f == QImage::Format_ARGB32_Premultiplied;
    return direct ? image : nullptr;
}

bool PainterSurface::inkFigureDirectly()
{
    // Solid lines of 1 to 3 pixels on a 32-bit image (the screen's plot and
    // the PNG export) are set pixel by pixel here: the families are the bulk
    // of every picture, and the paint engine's general path (one span per
    // pixel for thin lines, an outline with round joins for wide ones) costs
    // several times more. Everything else goes through QPainter, which writes
    // to the same memory at once, so the order of drawing is kept.
    if (!m_fastPath || m_lineStyle != kLineSolid || m_penWidth > 3)
        return false;
    const bool xorMode = m_drawMode == kDrawModeXor;
    // Wide XOR figures must ink every pixel once: the paint engine's outline
    // does that; side-by-side copies would overlap at the joints.
    if (xorMode && m_penWidth > 1)
        return false;
    if (m_figure.size() == 1 && m_penWidth > 1)
        return false;  // a dot of the pen width
    QImage* image = rasterImage();
    if (image == nullptr)
        return false;

    const RasterTarget target = rasterTarget(*image);
    if (m_figure.size() == 1) {
        target.plot(m_figure.constFirst().x(), m_figure.constFirst().y());
        return true;
    }
    const int width = std::max(1, m_penWidth);
    for (qsizetype i = 1; i < m_figure.size(); ++i) {
        // In a one-pixel figure the joint with the previous segment is that
        // segment's last pixel: inked once, so an XOR figure has no holes.
        inkSegment(target, m_figure.at(i - 1), m_figure.at(i), width == 1 && i > 1, width);
    }
    return true;
}

void PainterSurface::inkFigure()
{
    if (m_figure.isEmpty())
        return;
    if (inkFigureDirectly()) {
        m_figure.clear();
        return;
    }
    QPainter* p = painter();
    if (p != nullptr) {
        if (m_borrowed != nullptr)
            p->save();
        applyState(*p);
        if (m_figure.size() == 1) {
            if (m_target.contains(m_figure.constFirst()))
                p->drawPoint(m_figure.constFirst());
        } else if (m_device != nullptr && m_device->devType() == QInternal::Image) {
            p->drawPolyline(m_figure);  // clipped by the paint engine
        } else {
            // Vector devices may ignore the clip (SVG does): the parts of the
            // figure inside the target are cut out here.
            for (const QPolygonF& run : clippedRuns(m_figure, m_target))
                p->drawPolyline(run);
        }
        if (m_borrowed != nullptr)
            p->restore();
    }
    m_figure.clear();
}

void PainterSurface::endOwnedPainter()
{
    if (m_owned) {
        m_owned->end();
        m_owned.reset();
    }
}

void PainterSurface::flush()
{
    inkFigure();
    endOwnedPainter();
}

void PainterSurface::clear()
{
    m_figure.clear();
    QImage* image = rasterImage();
    if (image != nullptr && m_target == image->rect()) {
        image->fill(Qt::white);
        m_x = 0.0;
        m_y = 0.0;
        return;
    }
    if (QPainter* p = painter()) {
        p->save();
        p->setClipRect(m_target);
        p->setCompositionMode(QPainter::CompositionMode_Source);
        p->fillRect(m_target, Qt::white);
        p->restore();
    }
    m_x = 0.0;
    m_y = 0.0;
}

void PainterSurface::line(double x1, double y1, double x2, double y2)
{
    m_x = x2;
    m_y = y2;
    if (!m_figure.isEmpty() && x1 == m_figureEndX && y1 == m_figureEndY) {
        // The usual case: the next segment of a curve. Its start is the
        // figure's last vertex, already mapped.
        const double px2 = mapX(m_target, x2);
        const double py2 = mapY(m_target, y2);
        if (inLimit(px2) && inLimit(py2)) {
            const QPoint b(roundToPixel(px2), roundToPixel(py2));
            if (b != m_figure.constLast())
                m_figure << b;
            m_figureEndX = x2;
            m_figureEndY = y2;
            return;
        }
    }
    double px1 = mapX(m_target, x1);
    double py1 = mapY(m_target, y1);
    double px2 = mapX(m_target, x2);
    double py2 = mapY(m_target, y2);
    if (!(inLimit(px1) && inLimit(py1) && inLimit(px2) && inLimit(py2))) {
        // A segment reaching absurdly far out: drawn on its own, clipped.
        inkFigure();
        if (std::isnan(px1) || std::isnan(py1) || std::isnan(px2) || std::isnan(py2))
            return;
        if (!clipToLimit(px1, py1, px2, py2))
            return;
        m_figure << QPoint(roundToPixel(px1), roundToPixel(py1));
        const QPoint b(roundToPixel(px2), roundToPixel(py2));
        if (b != m_figure.constLast())
            m_figure << b;
        inkFigure();
        return;
    }
    const QPoint a(roundToPixel(px1), roundToPixel(py1));
    const QPoint b(roundToPixel(px2), roundToPixel(py2));
    if (m_figure.isEmpty() || m_figure.constLast() != a) {
        inkFigure();
        m_figure << a;
    }
    if (b != a)
        m_figure << b;
    m_figureEndX = x2;
    m_figureEndY = y2;
}

void PainterSurface::point(double x, double y)
{
    inkFigure();
    m_x = x;
    m_y = y;
    const double px = mapX(m_target, x);
    const double py = mapY(m_target, y);
    if (!inLimit(px) || !inLimit(py))
        return;
    QPainter* p = painter();
    if (p == nullptr)
        return;
    if (m_borrowed != nullptr)
        p->save();
    applyState(*p);
    QPen pen = p->pen();
    pen.setStyle(Qt::SolidLine);  // a dot is solid whatever the line style
    p->setPen(pen);
    p->drawPoint(toPixel(x, y));
    if (m_borrowed != nullptr)
        p->restore();
}

void PainterSurface::text(const std::string& text)
{
    inkFigure();
    const QPoint at = toPixel(m_x, m_y);
    // A text anchored on or beyond the last row or column of the plot (the
    // grid-1 value written below the plot before a family's first curve)
    // shows nothing on a clipped device; vector devices may not clip.
    if (text.empty() || at.x() >= m_target.right() || at.y() >= m_target.bottom())
        return;
    if (QImage* image = m_fastPath ? rasterImage() : nullptr) {
        // On a 32-bit image the text is set pixel by pixel from its stamp:
        // the tags of five families are a hundred and more texts per picture.
        RasterTarget target = rasterTarget(*image);
        for (const QPoint& offset : m_stamps.stamp(text, m_font, m_device))
            target.plot(at.x() + offset.x(), at.y() + offset.y());
        return;
    }
    QPainter* p = painter();
    if (p == nullptr)
        return;
    if (m_borrowed != nullptr)
        p->save();
    applyState(*p);
    p->setFont(m_font);
    p->drawStaticText(at, staticText(text));
    if (m_borrowed != nullptr)
        p->restore();
}

const QStaticText& PainterSurface::staticText(const std::string& text)
{
    // The same few labels (grid voltages, tags) come back at every refresh;
    // a laid-out text draws several times faster than a fresh layout.
    constexpr std::size_t kCacheLimit = 1024;
    if (m_textCache.size() > kCacheLimit)
        m_textCache.clear();
    auto it = m_textCache.find(text);
    if (it == m_textCache.end()) {
        QStaticText laidOut(QString::fromStdString(text));
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), m_font);
        it = m_textCache.emplace(text, std::move(laidOut)).first;
    }
    return it->second;
}

double PainterSurface::textWidth(const std::string& text) const
{
    if (m_device == nullptr)
        return 0.0;
    const QFontMetrics metrics(m_font, m_device);
    const int pixels = metrics.horizontalAdvance(QString::fromStdString(text));
    return m_target.width() > 1 ? pixels * 65536.0 / (m_target.width() - 1) : 0.0;
}

double PainterSurface::textHeight(const std::string& /*text*/) const
{
    if (m_device == nullptr)
        return 0.0;
    const QFontMetrics metrics(m_font, m_device);
    return m_target.height() > 1 ? metrics.height() * 65536.0 / (m_target.height() - 1) : 0.0;
}

void PainterSurface::setColour(Colour colour)
{
    if (colour != m_colour)
        inkFigure();
    Surface::setColour(colour);
}

void PainterSurface::setDrawMode(int mode)
{
    if (mode != m_drawMode)
        inkFigure();
    Surface::setDrawMode(mode);
}

void PainterSurface::setLineStyle(int style)
{
    if (style != m_lineStyle)
        inkFigure();
    Surface::setLineStyle(style);
}

void PainterSurface::setPenWidth(int width)
{
    if (width != m_penWidth)
        inkFigure();
    Surface::setPenWidth(width);
}

RasterTarget PainterSurface::rasterTarget(QImage& image) const
{
    RasterTarget target;
    target.bits = image.bits();
    target.bytesPerLine = image.bytesPerLine();
    target.clip = m_target.intersected(image.rect());
    target.colour = static_cast<quint32>(qRgb(redOf(m_colour), greenOf(m_colour), blueOf(m_colour)))
                    & 0x00FFFFFFU;
    target.xorMode = m_drawMode == kDrawModeXor;
    return target;
}

}  // namespace zov
