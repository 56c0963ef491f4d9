#pragma once
// The plot area: the plot `Scope`, its axis labels LbGrid(0..17), the cursor
// tags SlideUa/SlideIa, the operating-point tags Ua0/Ia0 and the span tags
// LbInScope(0..8) inside the plot. It creates and places these controls and
// is the window's AxisLabelSink, and it reports mouse presses and moves on
// the plot in plot units (0..65536 both ways, Y down), so no handler ever
// sees a pixel.
//
// It is not a container widget: the labels stand on the client area beside
// the plot, and the bare client area between them stays the window's own (a
// click there redraws).

#include "app/gui/plot_view.h"
#include "plot/axis_label_sink.h"

#include <QObject>
#include <QRect>

#include <array>
#include <memory>

class QLabel;
class QWidget;

namespace zov {
class PainterSurface;
}

namespace zov::gui {

class FlyingFrame;
class GridLabelSink;
class ScopeWidget;

class PlotArea : public QObject, public PlotView {
    Q_OBJECT
public:
    // Width of the current tags left of the plot (SlideIa and the current
    // axis labels); the resize rule leaves this much room beside the plot.
    static constexpr int kCurrentTagWidthPx = 44;
    static constexpr int kVoltageTagWidthPx = 36;  // SlideUa and the voltage axis labels

    // The controls become children of `client`; LbInScope of the plot.
    explicit PlotArea(QWidget* client);
    ~PlotArea() override;

    ScopeWidget* scope() const { return m_scope; }
    // Width of SlideIa as placed.
    int currentTagWidth() const;
    void setScopeGeometry(const QRect& rect);
    AxisLabelSink& labelSink() override;

    // The one surface over the plot's picture, for the life of the plot, so
    // drawing attributes persist between handlers as they do on a plot
    // control. Bound to the picture as it is now (a resize replaces it).
    PainterSurface& surface();
    Surface& plotSurface() override;
    void showPicture() override;

    void followCursor(const CursorReadout& readout, float x, float y) override;
    void toggleCursorFrame() override;
    void hideCursorFrame() override;
    FlyingFrame& flyingFrame() const { return *m_flyingFrame; }

    // Read-outs of a placed operating point, hidden by every refresh until
    // the design places the point again.
    void hideOperatingTags() override;
    void hideSpanTags();

    // Pixel of the plot -> plot units: pixel 0 is 0, the last pixel 65536.
    static float toPlotUnits(int pixel, int extentPx);

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void moved(float x, float y);

private:
    ScopeWidget* m_scope = nullptr;
    std::array<QLabel*, 18> m_lbGrid{};
    QLabel* m_slideUa = nullptr;
    QLabel* m_slideIa = nullptr;
    QLabel* m_ua0 = nullptr;
    QLabel* m_ia0 = nullptr;
    std::array<QLabel*, 9> m_lbInScope{};
    std::unique_ptr<GridLabelSink> m_labels;
    std::unique_ptr<PainterSurface> m_surface;
    FlyingFrame* m_flyingFrame = nullptr;
};

}  // namespace zov::gui
