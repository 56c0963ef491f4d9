#pragma once
// The inputs of a stage design and their defaults.

#include "design/load_line.h"
#include "core/curve_store.h"

#include <string>

namespace zov {

struct DesignInputs {
    Topology topology = Topology::SingleEnded;
    float loadKOhm = 10.0F;  // R (single-ended) or the anode-to-anode Zaa (push-pull)
    float vinVpp = 0.0F;     // input swing on grid 1, volts peak to peak
};

// The load field holds 0.01 ... 100000 kOhm, so a slope is never zero.
constexpr float kMinLoadKOhm = 0.01F;
constexpr float kMaxLoadKOhm = 100000.0F;
float clampLoadKOhm(float loadKOhm);

// The input swing a refresh sets: twice the family's grid-1 spacing, written
// as text and read back as the swing field does.
float defaultInputSwing(const CurveSet& set);

// A grid voltage as the series selection writes it into a list (up to seven
// significant digits, trailing zeros dropped), without the trailing ",".
std::string selectionEntry(float voltage);

// Every grid-1 voltage of the family (ascending, each once) and its lowest
// grid-2 voltage.
SeriesSelection defaultSelection(const CurveSet& set);

}  // namespace zov
