#pragma once
// The texts of a stage design as the Cooking frame and the plot show them:
// result labels, tube parameters and span tags, formatted from the engine's
// numbers. A label that is not shown is absent; a label that is shown empty
// (a gain without input swing, H2 in push-pull) holds an empty text.

#include "design/stage_analysis.h"

#include <array>
#include <optional>
#include <string>

namespace zov {

struct SpanTexts {
    std::string voltage;  // dU, "##0.0"
    std::string current;  // dI, "##0.0"
};

struct StageTexts {
    std::optional<std::string> pd0;   // LbPd0: "##0.0" W, once the point is placed
    std::optional<std::string> gm;    // Gm: mA/V, "#0.0"
    std::optional<std::string> rp;    // Req: kOhm, "##0.0" and "K"
    std::optional<std::string> mu;    // Mu: "##0.0"
    std::optional<std::string> vout;  // LbVout: "###.#" and "Vpp"
    std::optional<std::string> gain;  // LbGain: "x " and "###.#"
    std::optional<std::string> pout;  // LbApo: "##0.#" and "W"
    std::optional<std::string> h2;    // LbH2: "#0.#" and "%" (single-ended)
    std::optional<std::array<SpanTexts, 3>> spans;  // swing, down-swing end, up-swing end
};

StageTexts stageTexts(const StageDesign& design, Topology topology);

// One span tag's caption: "##0.0".
std::string spanCaption(float value);

}  // namespace zov
