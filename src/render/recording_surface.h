#pragma once
// A drawing surface that keeps every primitive with the attributes it was
// drawn with, so tests can check a drawing exactly ("a label '-2.5' at
// (63000, y + 1500) in RGB(0, 0, 128)") without pixels or fonts.

#include "render/surface.h"

#include <optional>
#include <string>
#include <vector>

namespace zov {

struct RecordedPrimitive {
    enum class Kind { Line, Point, Text };
    Kind kind = Kind::Line;
    double x1 = 0.0;  // start of a line; position of a point or text
    double y1 = 0.0;
    double x2 = 0.0;  // end of a line (equal to the start for points and texts)
    double y2 = 0.0;
    std::string text;
    Colour colour = 0;
    int drawMode = kDrawModeCopy;
    int lineStyle = kLineSolid;
    int penWidth = 1;
    double fontSize = 0.0;  // points; 0: the surface's own size
};

class RecordingSurface : public Surface {
public:
    // A text's extent is reported as a fixed size per character, so layout
    // code can be tested without fonts.
    static constexpr double kCharWidthUnits = 600.0;
    static constexpr double kTextHeightUnits = 1200.0;

    void clear() override;
    void line(double x1, double y1, double x2, double y2) override;
    void point(double x, double y) override;
    void text(const std::string& text) override;
    double textWidth(const std::string& text) const override;
    double textHeight(const std::string& text) const override;

    const std::vector<RecordedPrimitive>& primitives() const { return m_primitives; }
    std::vector<RecordedPrimitive> lines() const;
    std::vector<RecordedPrimitive> points() const;
    std::vector<RecordedPrimitive> texts() const;
    // The first text primitive with exactly this text, if any.
    std::optional<RecordedPrimitive> findText(const std::string& text) const;
    int clearCount() const { return m_clearCount; }
    // Forgets the primitives (not the attributes).
    void reset();

private:
    void record(RecordedPrimitive::Kind kind, double x1, double y1, double x2, double y2,
                const std::string& text = std::string());

    std::vector<RecordedPrimitive> m_primitives;
    int m_clearCount = 0;
};

}  // namespace zov
