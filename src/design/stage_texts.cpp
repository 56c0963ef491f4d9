#include "design/stage_texts.h"

#include "core/text.h"

namespace zov {

std::string spanCaption(float value)
{
    return formatPattern(value, "##0.0");
}

StageTexts stageTexts(const StageDesign& design, Topology topology)
{
    StageTexts t;
    if (!design.placement.placed)
        return t;
    t.pd0 = formatPattern(design.placement.pdW, "##0.0") + "W";

    if (design.parameters && design.parameters->found) {
        const TubeParameterResult& p = *design.parameters;
        t.gm = formatPattern(p.gmMaPerV, "#0.0");
        // A flat segment leaves rp and mu undefined: their labels show empty
        // rather than a number made up from a division by zero.
        t.rp = p.rpKOhm ? formatPattern(*p.rpKOhm, "##0.0") + "K" : std::string();
        t.mu = p.mu ? formatPattern(*p.mu, "##0.0") : std::string();
    }

    if (const std::optional<StageResults>& r = design.analysis.results) {
        t.vout = formatPattern(r->voutVpp, "###.#") + "Vpp";
        t.gain = r->gain ? "x " + formatPattern(*r->gain, "###.#") : std::string();
        t.pout = formatPattern(r->poutW, "##0.#") + "W";
        if (topology == Topology::SingleEnded && r->h2Percent)
            t.h2 = formatPattern(*r->h2Percent, "#0.#") + "%";
        else
            t.h2 = std::string();
        std::array<SpanTexts, 3> spans;
        for (std::size_t k = 0; k < spans.size(); ++k)
            spans[k] = {spanCaption(r->spans[k].dU), spanCaption(r->spans[k].dI)};
        t.spans = spans;
    }
    return t;
}

}  // namespace zov
