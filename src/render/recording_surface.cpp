#include "render/recording_surface.h"

namespace zov {

void RecordingSurface::record(RecordedPrimitive::Kind kind, double x1, double y1, double x2,
                              double y2, const std::string& text)
{
    RecordedPrimitive p;
    p.kind = kind;
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
    p.text = text;
    p.colour = m_colour;
    p.drawMode = m_drawMode;
    p.lineStyle = m_lineStyle;
    p.penWidth = m_penWidth;
    p.fontSize = m_fontSize;
    m_primitives.push_back(std::move(p));
}

void RecordingSurface::clear()
{
    ++m_clearCount;
    m_primitives.clear();
    m_x = 0.0;
    m_y = 0.0;
}

void RecordingSurface::line(double x1, double y1, double x2, double y2)
{
    record(RecordedPrimitive::Kind::Line, x1, y1, x2, y2);
    m_x = x2;
    m_y = y2;
}

void RecordingSurface::point(double x, double y)
{
    record(RecordedPrimitive::Kind::Point, x, y, x, y);
    m_x = x;
    m_y = y;
}

void RecordingSurface::text(const std::string& text)
{
    record(RecordedPrimitive::Kind::Text, m_x, m_y, m_x, m_y, text);
}

double RecordingSurface::textWidth(const std::string& text) const
{
    return kCharWidthUnits * static_cast<double>(text.size());
}

double RecordingSurface::textHeight(const std::string& /*text*/) const
{
    return kTextHeightUnits;
}

namespace {

std::vector<RecordedPrimitive> ofKind(const std::vector<RecordedPrimitive>& all,
                                      RecordedPrimitive::Kind kind)
{
    std::vector<RecordedPrimitive> out;
    for (const auto& p : all) {
        if (p.kind == kind)
            out.push_back(p);
    }
    return out;
}

}  // namespace

std::vector<RecordedPrimitive> RecordingSurface::lines() const
{
    return ofKind(m_primitives, RecordedPrimitive::Kind::Line);
}

std::vector<RecordedPrimitive> RecordingSurface::points() const
{
    return ofKind(m_primitives, RecordedPrimitive::Kind::Point);
}

std::vector<RecordedPrimitive> RecordingSurface::texts() const
{
    return ofKind(m_primitives, RecordedPrimitive::Kind::Text);
}

std::optional<RecordedPrimitive> RecordingSurface::findText(const std::string& text) const
{
    for (const auto& p : m_primitives) {
        if (p.kind == RecordedPrimitive::Kind::Text && p.text == text)
            return p;
    }
    return std::nullopt;
}

void RecordingSurface::reset()
{
    m_primitives.clear();
    m_clearCount = 0;
}

}  // namespace zov
