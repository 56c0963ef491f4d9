#pragma once
// The drawing surface: every picture of the plot (screen, printer, image
// export, tests) is drawn through this interface in plot units (65536 x 65536,
// origin top-left, Y downwards), with a small drawing state that stays set
// until changed, so the drawing code reads like a pen plotter's: a current
// drawing position, a drawing colour, a draw mode (copy 13,
// XOR 7), a line style and a pen width that stay set until changed.
//
// Implementations: PainterSurface (render/painter_surface.h) over any
// QPaintDevice, and RecordingSurface (render/recording_surface.h) for tests.

#include "core/curve_store.h"

#include <string>

namespace zov {

// Line styles of the surface.
enum LineStyle : int {
    kLineSolid = 0,
    kLineDash = 1,
    kLineDot = 2,
    kLineDashDot = 3,
    kLineDashDotDot = 4,
    kLineInvisible = 5,
    kLineInsideSolid = 6,
};

class Surface {
public:
    virtual ~Surface();

    // Clears the whole surface to the background (white) and puts the current
    // position at (0, 0). Attributes are kept.
    virtual void clear() = 0;

    // Line from (x1, y1) to (x2, y2) in the drawing colour, mode, style and pen
    // width; the current position becomes (x2, y2). A zero-length line is a dot
    // of the pen width. Lines that continue where the previous one ended are one
    // connected figure: their shared end is inked once, so a figure drawn twice
    // in XOR mode leaves no trace.
    virtual void line(double x1, double y1, double x2, double y2) = 0;

    // Single point at (x, y) in the drawing colour, pen width and mode; the
    // current position becomes (x, y).
    virtual void point(double x, double y) = 0;

    // Text at the current position (its top-left corner there) in the drawing
    // colour. Afterwards the current position is unspecified: callers that go on
    // drawing set it again.
    virtual void text(const std::string& text) = 0;

    // Extent of a text in the plot's font, in plot units (for centring).
    virtual double textWidth(const std::string& text) const = 0;
    virtual double textHeight(const std::string& text) const = 0;

    // Finishes any drawing still held back (connected lines are collected
    // into one figure before they are inked). Implementations over a device
    // must be flushed before the device is shown, copied or resized.
    virtual void flush() {}

    // Line from the current position to (x, y).
    void lineTo(double x, double y) { line(m_x, m_y, x, y); }

    void setCurrentPos(double x, double y)
    {
        m_x = x;
        m_y = y;
    }
    double currentX() const { return m_x; }
    double currentY() const { return m_y; }

    virtual void setColour(Colour colour) { m_colour = colour; }
    Colour colour() const { return m_colour; }
    virtual void setDrawMode(int mode) { m_drawMode = mode; }
    int drawMode() const { return m_drawMode; }
    virtual void setLineStyle(int style) { m_lineStyle = style; }  // LineStyle
    int lineStyle() const { return m_lineStyle; }
    virtual void setPenWidth(int width) { m_penWidth = width; }  // pixels
    int penWidth() const { return m_penWidth; }
    // Size of the text font in points; 0 is the surface's own size (the
    // plot's font). The printed page sets its sizes explicitly.
    virtual void setFontSize(double points) { m_fontSize = points; }
    double fontSize() const { return m_fontSize; }

protected:
    double m_x = 0.0;
    double m_y = 0.0;
    Colour m_colour = 0;  // black
    int m_drawMode = kDrawModeCopy;
    int m_lineStyle = kLineSolid;
    int m_penWidth = 1;
    double m_fontSize = 0.0;
};

// Puts back the colour, draw mode, line style and pen width a drawing
// routine changes, so that callers find the surface as they left it.
class SavedPen {
public:
    explicit SavedPen(Surface& surface)
        : m_surface(surface), m_colour(surface.colour()), m_mode(surface.drawMode()),
          m_style(surface.lineStyle()), m_width(surface.penWidth())
    {
    }
    ~SavedPen()
    {
        m_surface.setColour(m_colour);
        m_surface.setDrawMode(m_mode);
        m_surface.setLineStyle(m_style);
        m_surface.setPenWidth(m_width);
    }
    SavedPen(const SavedPen&) = delete;
    SavedPen& operator=(const SavedPen&) = delete;

private:
    Surface& m_surface;
    Colour m_colour;
    int m_mode;
    int m_style;
    int m_width;
};

}  // namespace zov
