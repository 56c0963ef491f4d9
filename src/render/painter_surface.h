#pragma once
// The drawing surface over QPainter: the screen's persistent QImage, a PNG
// image, an SVG generator, a PDF writer or a printer.
//
// Plot units 0..65536 map onto the pixels 0..w-1 and 0..h-1 of a target
// rectangle, so figures on the right and bottom edges stay visible. Pen widths
// are in device pixels. Drawing is aliased (antialiasing off): with the XOR
// draw mode (QPainter::RasterOp_SourceXorDestination) a figure drawn twice
// restores the image bit for bit.
//
// Connected lines (each starting at the pixel where the previous one ended,
// with unchanged attributes) are collected and inked as one polyline when the
// figure ends: shared end pixels are then inked once, which keeps XOR figures
// free of holes. Anything else (a point, a text, an attribute change, flush())
// ends the figure. Call flush() before showing, copying or resizing the device.
//
// On a 32-bit QImage drawn through the surface's own painter (the screen),
// solid lines of 1 to 3 pixels and texts are set pixel by pixel (copy, or XOR
// keeping the alpha byte); wide XOR lines, dots and other styles go through
// QPainter, which writes to the same memory at once. Vector devices get the
// figures cut to the target rectangle, since SVG output does not clip.
//
// Typical screen use (one surface for the life of the plot, so attributes and
// the current position persist between handlers as on a plot control):
//     PainterSurface surface(&image);      // image: QImage::Format_RGB32
//     composeScene(surface, ...);           // flushes at its end
//     ...                                   // XOR figures in a mouse handler
//     surface.flush(); widget->update();
// After the image is reallocated (window resize) call setDevice(&image) again.

#include "render/raster_ink.h"
#include "render/surface.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <QStaticText>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QPaintDevice;

namespace zov {

class PainterSurface : public Surface {
public:
    // Draws on `device` (the whole device is the target). The surface opens
    // its own QPainter when it draws and closes it in flush(), so the device
    // is free (readable, resizable) after every flush().
    explicit PainterSurface(QPaintDevice* device);

    // Draws with a painter the caller owns (a printer page, an export with
    // margins) into `target`, in the painter's device coordinates. flush()
    // inks pending figures but leaves the painter open. Drawing is clipped
    // to the target.
    PainterSurface(QPainter* painter, const QRect& target);

    ~PainterSurface() override;

    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    // Switches to another device (or target rectangle); pending drawing goes
    // to the old one first. An empty target means the whole device.
    void setDevice(QPaintDevice* device, const QRect& target = QRect());

    QRect targetRect() const { return m_target; }

    // Whether solid thin lines and texts on a 32-bit image are set pixel by
    // pixel (on, the default) or all drawing goes through QPainter (off).
    void setPixelFastPath(bool on) { m_fastPath = on; }

    // The plot's font: a small sans font (8 pt DejaVu Sans by default).
    void setFont(const QFont& font);
    QFont font() const { return m_font; }
    static QFont defaultPlotFont();

    // Plot units -> device pixel (rounded to whole pixels so that the same
    // figure always hits the same pixels).
    QPoint toPixel(double x, double y) const;

    void clear() override;
    void line(double x1, double y1, double x2, double y2) override;
    void point(double x, double y) override;
    void text(const std::string& text) override;
    double textWidth(const std::string& text) const override;
    double textHeight(const std::string& text) const override;
    void flush() override;

    void setColour(Colour colour) override;
    void setDrawMode(int mode) override;
    void setLineStyle(int style) override;
    void setPenWidth(int width) override;
    void setFontSize(double points) override;  // 0: the size of the font set last

private:
    QPainter* painter();        // opens the owned painter when needed
    void applyState(QPainter& p) const;
    QPen currentPen() const;
    void inkFigure();           // draws the collected polyline, if any
    QImage* rasterImage() const;  // the device, when pixels can be set directly
    bool inkFigureDirectly();

    RasterTarget rasterTarget(QImage& image) const;
    void endOwnedPainter();
    const QStaticText& staticText(const std::string& text);

    bool m_fastPath = true;
    QPaintDevice* m_device = nullptr;
    QPainter* m_borrowed = nullptr;
    std::unique_ptr<QPainter> m_owned;
    QRect m_target;
    QFont m_font;
    double m_baseFontPoints = 0.0;  // size of the font given to setFont
    QPolygon m_figure;  // pending connected lines, in device pixels
    double m_figureEndX = 0.0;  // plot position of the figure's last vertex
    double m_figureEndY = 0.0;
    std::unordered_map<std::string, QStaticText> m_textCache;
    TextStamps m_stamps;
};

}  // namespace zov
