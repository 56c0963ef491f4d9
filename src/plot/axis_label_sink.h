#pragma once
// Value labels beside the plot (the grid's axis values, the cursor tags, the
// operating-point tags) live outside the plot surface. Drawing code reports
// each pair of labels to a sink: the main window moves its labels there, the
// image export draws the captions in a margin around the plot, tests record.

#include "core/curve_store.h"

#include <string>

namespace zov {

// Which pair of labels is placed.
enum class AxisLabelPair {
    Grid,       // LbGrid(index) under the plot and LbGrid(index + 9) left of it, index 0..8
    Cursor,     // SlideUa / SlideIa, the tags that follow the mouse pointer
    Operating,  // Ua0 / Ia0, the operating-point tags
};

struct AxisLabelPlacement {
    AxisLabelPair pair = AxisLabelPair::Grid;
    int index = 0;            // element of the pair (Grid: 0..8); 0 otherwise
    std::string captionU;     // voltage caption, already formatted ("##0.0")
    std::string captionI;     // current caption, already formatted
    float xUnits = 0.0F;      // plot X the voltage label is centred under
    float yUnits = 0.0F;      // plot Y the current label is centred beside
    Colour colour = 0;        // text colour of both labels
};

class AxisLabelSink {
public:
    virtual ~AxisLabelSink();
    // Shows both labels of the pair with these captions at these positions.
    virtual void placeAxisLabels(const AxisLabelPlacement& placement) = 0;
};

}  // namespace zov
