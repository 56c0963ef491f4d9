#pragma once
// The one segment clipper of the drawing code (Liang-Barsky): it keeps far
// segments away from the paint engine's integer arithmetic and cuts figures
// for vector devices, which do not clip.

#include <algorithm>

namespace zov {

struct ClipBox {
    double left, top, right, bottom;
};

// Cuts the segment (x1, y1)-(x2, y2) to the box, in place; false when no
// part of it lies inside. Ends already inside are left exactly as they were.
inline bool clipSegment(double& x1, double& y1, double& x2, double& y2, const ClipBox& box)
{
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - box.left, box.right - x1, y1 - box.top, box.bottom - y1};
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
    if (t1 < 1.0) {
        x2 = x1 + t1 * dx;
        y2 = y1 + t1 * dy;
    }
    if (t0 > 0.0) {
        x1 += t0 * dx;
        y1 += t0 * dy;
    }
    return true;
}

}  // namespace zov
