#pragma once
// The floating read-out `FlyingFrame` inside the plot: the anode voltage,
// current and dissipation at the pointer (FlyingUa, FlyingIa, FlyingPd) and,
// while an operating point is placed in SE or PP, the output power of a swing
// from it to the pointer (FlyingPo). It follows the pointer, flipping to the
// other side near the right and top edges; it is filled and moved on every
// move even while hidden, so it shows current values the moment it appears.

#include "plot/cursor_readout.h"

#include <QFrame>

class QLabel;

namespace zov::gui {

class FlyingFrame : public QFrame {
    Q_OBJECT
public:
    // `plot`: the plot widget the frame floats in (its parent).
    explicit FlyingFrame(QWidget* plot);

    // Shows the read-out's texts and puts the frame beside the pointer at
    // plot position (x, y).
    void follow(const CursorReadout& readout, float x, float y);

    QString uaText() const;
    QString iaText() const;
    QString pdText() const;
    QString poText() const;
    bool poShown() const;

private:
    QLabel* m_ua = nullptr;
    QLabel* m_ia = nullptr;
    QLabel* m_pd = nullptr;
    QLabel* m_po = nullptr;
};

}  // namespace zov::gui
