#pragma once
// The plot's 32-bit colours (red in the low byte) as Qt colours.

#include "core/curve_store.h"

#include <QColor>

namespace zov {

inline QColor toQColor(Colour c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

}  // namespace zov
