#include "measure/sweep_plan.h"

#include "core/text.h"

#include <cmath>

namespace zov {

float gridMagnitude(std::string_view text)
{
    return std::fabs(static_cast<float>(numericValue(text)));
}

int gridCodeFor(float vg1Magnitude)
{
    const float code = 2.0F * vg1Magnitude + 150.0F;
    return static_cast<int>(roundHalfEven(code));
}

SweepPlan planSweep(std::string_view startText, std::string_view stopText, std::string_view pitchText)
{
    SweepPlan plan;
    plan.start = gridMagnitude(startText);
    plan.stop = gridMagnitude(stopText);
    plan.pitch = gridMagnitude(pitchText);
    const auto inRange = [](float v) { return v >= 0.0F && v <= kMaxGridMagnitude; };
    const float tenPitch = 10.0F * plan.pitch;
    plan.valid = inRange(plan.start) && inRange(plan.stop) && inRange(plan.pitch)
                 && plan.start <= plan.stop && roundHalfEven(tenPitch) % 5 == 0
                 // A pitch above 0 that rounds to 0 (0.05 V or less) is not on the
                 // 0.5 V grid either; accepting it would give thousands of steps, or a
                 // sweep that never ends once the float sum stops growing.
                 && !(plan.pitch > 0.0F && roundHalfEven(tenPitch) == 0);
    if (!plan.valid)
        return plan;
    plan.stepCount = 1;
    if (plan.pitch > 0.0F) {
        // Same float steps as the sweep loop; the pitch is at least 0.5 V here,
        // so the loop ends after at most 63 steps.
        for (float v = plan.start + plan.pitch; v <= plan.stop; v += plan.pitch)
            ++plan.stepCount;
    }
    return plan;
}

std::string dataLineVg2Text(std::string_view typed)
{
    std::string out;
    out.reserve(typed.size());
    for (char c : typed) {
        if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

void appendCurveLines(std::string& text, const float* uaVolts, const float* iaAmps, int count,
                      float vg1Magnitude, std::string_view vg2Text)
{
    std::string tail = " ";
    tail += vg1Magnitude == 0.0F ? std::string("0") : formatGeneral(-static_cast<double>(vg1Magnitude));
    tail += " 0 ";
    tail += vg2Text;
    tail += "\r\n";
    for (int i = 0; i < count; ++i) {
        text += formatGeneral(uaVolts[i]);
        text += ' ';
        text += formatGeneral(iaAmps[i]);
        text += tail;
    }
}

}  // namespace zov
