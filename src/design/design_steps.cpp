#include "design/design_steps.h"

#include "design/design_inputs.h"
#include "core/text.h"

#include <cmath>

namespace zov {

namespace {

// The increment of a step without a given size: about one unit in the second
// significant digit of the value.
double magnitudeIncrement(float v)
{
    if (v < 0.1F)
        return 0.001;
    if (v < 1.0F)
        return 0.01;
    if (v < 10.0F)
        return 0.1;
    if (v < 100.0F)
        return 1.0;
    if (v < 1000.0F)
        return 10.0;
    return 100.0;
}

}  // namespace

SpinResult SpinValue(std::string_view text, StepKey key, float step)
{
    SpinResult result{false, std::string(text)};
    if (text.empty() || (key != StepKey::Up && key != StepKey::Down))
        return result;
    const auto v = static_cast<float>(numericValue(text));
    const double sign = key == StepKey::Up ? 1.0 : -1.0;
    std::string stepped;
    if (step != 0.0F)
        stepped = formatPattern(numericValue(text) + sign * step, "###.0");
    else
        stepped = formatGeneral(static_cast<double>(v) + sign * magnitudeIncrement(v));
    // The value that counts is the one the field now reads: a step to 0.04
    // written "###.0" reads ".0", which is no positive value either.
    if (numericValue(stepped) > 0.0) {
        result.changed = true;
        result.text = stepped;
    } else {
        result.text = formatGeneral(v);
    }
    return result;
}

float loadStepKOhm(std::string_view loadText)
{
    const double tenth = numericValue(loadText) / 10.0;
    return static_cast<float>(std::floor(numericValue(formatGeneral(tenth))));
}

float swingStep(const CurveSet& set)
{
    return set.Vg1Spacing / 5.0F;
}

DesignInputs designInputsFromTexts(Topology topology, std::string_view loadText, std::string_view vinText)
{
    DesignInputs inputs;
    inputs.topology = topology;
    inputs.loadKOhm = clampLoadKOhm(static_cast<float>(numericValue(loadText)));
    inputs.vinVpp = static_cast<float>(numericValue(vinText));
    return inputs;
}

std::optional<std::string> clampedLoadText(std::string_view loadText)
{
    const double v = numericValue(loadText);
    if (v < kMinLoadKOhm)
        return formatGeneral(kMinLoadKOhm);
    if (v > kMaxLoadKOhm)
        return formatGeneral(kMaxLoadKOhm);
    return std::nullopt;
}

}  // namespace zov
