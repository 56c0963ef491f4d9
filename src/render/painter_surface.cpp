#include "render/painter_surface.h"

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

QColor toQColor(Colour c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

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

// Liang-Barsky clipping of a segment to the square |x|, |y| <= kPixelLimit.
bool clipToLimit(double& x1, double& y1, double& x2, double& y2)
{
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 + kPixelLimit, kPixelLimit - x1, y1 + kPixelLimit, kPixelLimit - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double nx1 = x1 + t0 * dx;
    const double ny1 = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = nx1;
    y1 = ny1;
    return true;
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

// The state of one segment walk (PainterSurface::rasterSegment).
struct SegmentWalk {
    uchar* bits = nullptr;
    qint64 offset = 0;  // byte offset of the current pixel; may lie outside while clipped
    qint64 count = 0;   // steps along the major axis
    qsizetype majorStride = 0;
    qsizetype minorStride = 0;
    qint64 twoN = 0;
    qint64 increment = 0;
    qint64 remainder = 0;
    qint64 minor = 0;
    qint64 minorLo = 0;
    qint64 minorHi = 0;
    qint64 across0 = 0;
    quint32 colour = 0;  // 0x00RRGGBB
};

// The pixel loop, specialised so the common case (a copy-mode segment wholly
// inside the clip) carries no test per pixel.
template <int Thickness, bool Xor, bool Checked>
void walkSegment(SegmentWalk w)
{
    const quint32 opaque = 0xFF000000U | w.colour;
    for (qint64 i = 0; i < w.count; ++i) {
        for (int k = 0; k < Thickness; ++k) {
            const qint64 across = w.across0 + k;
            if (Checked && (w.minor + across < w.minorLo || w.minor + across > w.minorHi))
                continue;
            auto* p = reinterpret_cast<quint32*>(w.bits + w.offset + across * w.minorStride);
            // XOR keeps the alpha byte, as the paint engine's raster
            // operation does.
            *p = Xor ? (*p ^ w.colour) : opaque;
        }
        w.offset += w.majorStride;
        w.remainder += w.increment;
        if (w.remainder >= w.twoN) {
            w.remainder -= w.twoN;
            ++w.minor;
            w.offset += w.minorStride;
        } else if (w.remainder < 0) {
            w.remainder += w.twoN;
            --w.minor;
            w.offset -= w.minorStride;
        }
    }
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
        // Liang-Barsky against the rectangle.
        double t0 = 0.0;
        double t1 = 1.0;
        const double dx = x2 - x1;
        const double dy = y2 - y1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x1 - left, right - x1, y1 - top, bottom - y1};
        bool visible = true;
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0.0) {
                visible = q[k] >= 0.0;
                continue;
            }
            const double t = q[k] / p[k];
            if (p[k] < 0.0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            visible = t0 <= t1;
        }
        if (!visible) {
            if (run.size() > 1)
                runs.push_back(run);
            run.clear();
            continue;
        }
        const QPointF a(x1 + t0 * dx, y1 + t0 * dy);
        const QPointF b(x1 + t1 * dx, y1 + t1 * dy);
        if (run.isEmpty() || run.constLast() != a) {
            if (run.size() > 1)
                runs.push_back(run);
            run.clear();
            run << a;
        }
        run << b;
        if (t1 < 1.0) {  // leaves the rectangle: the run ends here
            runs.push_back(run);
            run.clear();
        }
    }
    if (run.size() > 1)
        runs.push_back(run);
    return runs;
}

// Floor of a / b for b > 0.
qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

void PainterSurface::RasterTarget::plot(int x, int y) const
{
    if (x < clip.left() || x > clip.right() || y < clip.top() || y > clip.bottom())
        return;
    auto* pixel = reinterpret_cast<quint32*>(bits + static_cast<qsizetype>(y) * bytesPerLine) + x;
    // XOR keeps the alpha byte, as the paint engine's raster operation does.
    if (xorMode)
        *pixel ^= colour;
    else
        *pixel = 0xFF000000U | colour;
}

void PainterSurface::rasterSegment(const RasterTarget& t, QPoint a, QPoint b, bool skipFirst,
                                   int thickness)
{
    // One pixel per step along the major axis; the minor coordinate is the
    // exact line rounded (half up), kept as a quotient and remainder so each
    // step costs an addition. Only steps whose major coordinate lies in the
    // clip are walked, so far-away segments cost nothing.
    const qint64 dx = qint64(b.x()) - a.x();
    const qint64 dy = qint64(b.y()) - a.y();
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const qint64 dMajor = xMajor ? dx : dy;
    const qint64 dMinor = xMajor ? dy : dx;
    const qint64 n = std::abs(dMajor);
    const qint64 majorStart = xMajor ? a.x() : a.y();
    const qint64 minorStart = xMajor ? a.y() : a.x();
    if (n == 0) {
        if (!skipFirst)
            t.plot(a.x(), a.y());
        return;
    }
    thickness = std::clamp(thickness, 1, 3);
    const qint64 step = dMajor > 0 ? 1 : -1;
    const qint64 lo = xMajor ? t.clip.left() : t.clip.top();
    const qint64 hi = xMajor ? t.clip.right() : t.clip.bottom();
    qint64 first = skipFirst ? 1 : 0;
    qint64 last = n;
    if (step > 0) {
        first = std::max(first, lo - majorStart);
        last = std::min(last, hi - majorStart);
    } else {
        first = std::max(first, majorStart - hi);
        last = std::min(last, majorStart - lo);
    }
    if (first > last)
        return;
    const qint64 twoN = 2 * n;
    const qint64 increment = 2 * dMinor;  // |increment| <= twoN
    const qint64 numerator = first * increment + n;
    // Unclipped segments start at step 0 or 1, where the quotient is -1, 0 or
    // 1: no division for the common case (curves are many short segments).
    const qint64 quotient = first <= 1 ? (numerator >= twoN ? 1 : (numerator < 0 ? -1 : 0))
                                       : floorDiv(numerator, twoN);
    qint64 remainder = numerator - quotient * twoN;
    const qint64 minorLo = xMajor ? t.clip.top() : t.clip.left();
    const qint64 minorHi = xMajor ? t.clip.bottom() : t.clip.right();
    // Pixel addressing: a step along the major axis moves by majorStride
    // bytes, one along the minor axis by minorStride bytes.
    const qsizetype pixel = sizeof(quint32);
    const qsizetype majorStride = (xMajor ? pixel : t.bytesPerLine) * step;
    const qsizetype minorStride = xMajor ? t.bytesPerLine : pixel;
    const qint64 major0 = majorStart + step * first;
    qint64 minor = minorStart + quotient;
    // A byte offset, not a pointer: it may point outside the image while the
    // line runs outside the clip, and is dereferenced only inside it.
    qint64 offset = xMajor ? (minor * t.bytesPerLine + major0 * pixel) : (major0 * t.bytesPerLine + minor * pixel);
    // Pens of 2 or 3 pixels (copy mode only) ink neighbours across the minor
    // axis: one column of pixels per step of a flat segment, one row per step
    // of a steep one, so a curve is as thick whichever way it runs.
    const qint64 across0 = thickness > 1 ? -(thickness - 1) / 2 : 0;  // 2: 0, 1; 3: -1, 0, 1
    SegmentWalk w;
    w.bits = t.bits;
    w.offset = offset;
    w.count = last - first + 1;
    w.majorStride = majorStride;
    w.minorStride = minorStride;
    w.twoN = twoN;
    w.increment = increment;
    w.remainder = remainder;
    w.minor = minor;
    w.minorLo = minorLo;
    w.minorHi = minorHi;
    w.across0 = across0;
    w.colour = t.colour;
    // The minor coordinate moves monotonically: when both ends of the walk
    // (with the pen's neighbours) lie inside the clip, every pixel does.
    const qint64 minorEnd = minorStart + (last == n ? dMinor : floorDiv(last * increment + n, twoN));
    const bool inside = std::min(minor, minorEnd) + across0 >= minorLo
                        && std::max(minor, minorEnd) + across0 + thickness - 1 <= minorHi;
    if (t.xorMode)
        walkSegment<1, true, true>(w);  // XOR figures are one pixel wide
    else if (thickness == 1)
        inside ? walkSegment<1, false, false>(w) : walkSegment<1, false, true>(w);
    else if (thickness == 2)
        inside ? walkSegment<2, false, false>(w) : walkSegment<2, false, true>(w);
    else
        inside ? walkSegment<3, false, false>(w) : walkSegment<3, false, true>(w);
}

PainterSurface::PainterSurface(QPaintDevice* device)
    : m_font(defaultPlotFont())
{
    setDevice(device);
}

PainterSurface::PainterSurface(QPainter* painter, const QRect& target)
    : m_device(painter->device()), m_borrowed(painter), m_target(target), m_font(defaultPlotFont())
{
}

PainterSurface::~PainterSurface()
{
    flush();
}

void PainterSurface::setDevice(QPaintDevice* device, const QRect& target)
{
    flush();
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
    m_textCache.clear();
    m_stampCache.clear();
}

QFont PainterSurface::defaultPlotFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
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
    if (m_lineStyle != kLineSolid || m_penWidth > 3)
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
        rasterSegment(target, m_figure.at(i - 1), m_figure.at(i), width == 1 && i > 1, width);
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
    if (QImage* image = rasterImage()) {
        // On a 32-bit image the text is set pixel by pixel from its stamp:
        // the tags of five families are a hundred and more texts per picture.
        RasterTarget target = rasterTarget(*image);
        for (const QPoint& offset : textStamp(text))
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

const std::vector<QPoint>& PainterSurface::textStamp(const std::string& text)
{
    // The inked pixels of a text drawn aliased in the plot's font, relative
    // to its top-left corner; made once per text (labels repeat at every
    // refresh) at the resolution of the device.
    constexpr std::size_t kCacheLimit = 1024;
    if (m_stampCache.size() > kCacheLimit)
        m_stampCache.clear();
    auto it = m_stampCache.find(text);
    if (it != m_stampCache.end())
        return it->second;
    constexpr int kMargin = 4;  // room for glyphs that reach left of the pen
    const QFontMetrics metrics(m_font, m_device);
    const QString qtext = QString::fromStdString(text);
    QImage stamp(metrics.horizontalAdvance(qtext) + 3 * kMargin, metrics.height() + 2 * kMargin,
                 QImage::Format_ARGB32_Premultiplied);
    if (m_device != nullptr && m_device->devType() == QInternal::Image) {
        const auto* image = static_cast<const QImage*>(m_device);
        stamp.setDotsPerMeterX(image->dotsPerMeterX());
        stamp.setDotsPerMeterY(image->dotsPerMeterY());
    }
    stamp.fill(Qt::transparent);
    {
        QPainter p(&stamp);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(m_font);
        p.setPen(Qt::black);
        p.drawStaticText(QPoint(kMargin, kMargin), staticText(text));
    }
    std::vector<QPoint> pixels;
    for (int y = 0; y < stamp.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(stamp.constScanLine(y));
        for (int x = 0; x < stamp.width(); ++x) {
            if (qAlpha(line[x]) >= 128)
                pixels.emplace_back(x - kMargin, y - kMargin);
        }
    }
    return m_stampCache.emplace(text, std::move(pixels)).first->second;
}

PainterSurface::RasterTarget PainterSurface::rasterTarget(QImage& image) const
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

}  // namespace zov
