#pragma once
// A page in page units on a device surface: the report's page is 65536 units
// wide and `pageHeightUnits` high, while a device surface (PainterSurface)
// maps 65536 units onto each side of its target. PageSurface stretches the
// page's y onto the device's, so the target rectangle is the whole page, and
// scales pen widths, which the report gives in pixels of a 600 dpi printer,
// to the device's resolution.

#include "render/surface.h"

namespace zov {

class PageSurface : public Surface {
public:
    // The resolution the report's pen widths are meant for.
    static constexpr double kPenDpi = 600.0;

    // `device` draws over the whole printable page; `deviceDpi` is its
    // resolution (pen widths are scaled by deviceDpi / 600, at least 1).
    PageSurface(Surface& device, double pageHeightUnits, double deviceDpi);

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
    void setFontSize(double points) override;

    // A pen width in pixels of a 600 dpi printer as device pixels.
    int devicePenWidth(int width) const;

private:
    double deviceY(double y) const { return y * m_yScale; }

    Surface& m_device;
    double m_yScale;    // device units per page unit, vertically
    double m_penScale;  // device pixels per 600 dpi pixel
};

}  // namespace zov
