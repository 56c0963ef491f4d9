#include "render/raster_ink.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QStaticText>

#include <algorithm>
#include <cstdlib>

namespace zov {

namespace {

// The state of one segment walk (inkSegment).
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

// Floor of a / b for b > 0.
qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

void RasterTarget::plot(int x, int y) const
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

void inkSegment(const RasterTarget& t, QPoint a, QPoint b, bool skipFirst, int thickness)
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

const std::vector<QPoint>& TextStamps::stamp(const std::string& text, const QFont& font, const QPaintDevice* device)
{
    // The inked pixels of a text drawn aliased in the plot's font, relative
    // to its top-left corner; made once per text (labels repeat at every
    // refresh) at the resolution of the device.
    constexpr std::size_t kCacheLimit = 1024;
    if (m_stamps.size() > kCacheLimit)
        m_stamps.clear();
    auto it = m_stamps.find(text);
    if (it != m_stamps.end())
        return it->second;
    constexpr int kMargin = 4;  // room for glyphs that reach left of the pen
    const QFontMetrics metrics(font, device);
    const QString qtext = QString::fromStdString(text);
    QImage stamp(metrics.horizontalAdvance(qtext) + 3 * kMargin, metrics.height() + 2 * kMargin,
                 QImage::Format_ARGB32_Premultiplied);
    if (device != nullptr && device->devType() == QInternal::Image) {
        const auto* image = static_cast<const QImage*>(device);
        stamp.setDotsPerMeterX(image->dotsPerMeterX());
        stamp.setDotsPerMeterY(image->dotsPerMeterY());
    }
    stamp.fill(Qt::transparent);
    {
        QPainter p(&stamp);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font);
        p.setPen(Qt::black);
        QStaticText laidOut(qtext);  // laid out as the paint engine's own text path does
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), font);
        p.drawStaticText(QPoint(kMargin, kMargin), laidOut);
    }
    std::vector<QPoint> pixels;
    for (int y = 0; y < stamp.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(stamp.constScanLine(y));
        for (int x = 0; x < stamp.width(); ++x) {
            if (qAlpha(line[x]) >= 128)
                pixels.emplace_back(x - kMargin, y - kMargin);
        }
    }
    return m_stamps.emplace(text, std::move(pixels)).first->second;
}


}  // namespace zov
