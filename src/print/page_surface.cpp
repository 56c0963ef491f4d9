#include "print/page_surface.h"

#include <algorithm>
#include <cmath>

namespace zov {

PageSurface::PageSurface(Surface& device, double pageHeightUnits, double deviceDpi)
    : m_device(device),
      m_yScale(pageHeightUnits > 0.0 ? 65536.0 / pageHeightUnits : 1.0),
      m_penScale(deviceDpi > 0.0 ? deviceDpi / kPenDpi : 1.0)
{
    m_device.setColour(colour());
    m_device.setDrawMode(drawMode());
    m_device.setLineStyle(lineStyle());
    m_device.setPenWidth(devicePenWidth(penWidth()));
}

int PageSurface::devicePenWidth(int width) const
{
    return std::max(1, static_cast<int>(std::lround(width * m_penScale)));
}

void PageSurface::clear()
{
    m_device.clear();
    m_x = 0.0;
    m_y = 0.0;
}

void PageSurface::line(double x1, double y1, double x2, double y2)
{
    m_x = x2;
    m_y = y2;
    m_device.line(x1, deviceY(y1), x2, deviceY(y2));
}

void PageSurface::point(double x, double y)
{
    m_x = x;
    m_y = y;
    m_device.point(x, deviceY(y));
}

void PageSurface::text(const std::string& text)
{
    m_device.setCurrentPos(m_x, deviceY(m_y));
    m_device.text(text);
}

double PageSurface::textWidth(const std::string& text) const
{
    return m_device.textWidth(text);
}

double PageSurface::textHeight(const std::string& text) const
{
    return m_device.textHeight(text) / m_yScale;
}

void PageSurface::flush()
{
    m_device.flush();
}

void PageSurface::setColour(Colour colour)
{
    Surface::setColour(colour);
    m_device.setColour(colour);
}

void PageSurface::setDrawMode(int mode)
{
    Surface::setDrawMode(mode);
    m_device.setDrawMode(mode);
}

void PageSurface::setLineStyle(int style)
{
    Surface::setLineStyle(style);
    m_device.setLineStyle(style);
}

void PageSurface::setPenWidth(int width)
{
    Surface::setPenWidth(width);
    m_device.setPenWidth(devicePenWidth(width));
}

void PageSurface::setFontSize(double points)
{
    Surface::setFontSize(points);
    m_device.setFontSize(points);
}

}  // namespace zov
