// Editing the design inputs (arrow-key steps, the load clamp) and the texts
// the Cooking frame shows for a design.
#include "design/design_steps.h"
#include "design/stage_texts.h"
#include "design_fixtures.h"
#include "plot/scales.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <random>

namespace zov {
namespace {

TEST(DesignSteps, SpinValueTable)
{
    const struct {
        const char* text;
        StepKey key;
        float step;
        bool changed;
        const char* after;
    } cases[] = {
        {"10", StepKey::Up, 1.0F, true, "11.0"},        // step R/10 = 1
        {"25", StepKey::Up, 2.0F, true, "27.0"},        // 2.5 rounded down
        {"5", StepKey::Up, 0.0F, true, "5.1"},          // step 0: magnitude rule
        {"5.1", StepKey::Down, 0.0F, true, "5"},
        {"0.05", StepKey::Up, 0.0F, true, "0.051"},
        {"0.5", StepKey::Down, 0.0F, true, "0.49"},
        {"99", StepKey::Up, 0.0F, true, "100"},
        {"500", StepKey::Down, 0.0F, true, "490"},
        {"2000", StepKey::Up, 0.0F, true, "2100"},
        {"0.01", StepKey::Down, 0.0F, true, "0.009"},   // positive: accepted, the clamp follows
        {"0", StepKey::Up, 0.2F, true, ".2"},           // the swing from 0 by a fifth of 1 V
        {" 2", StepKey::Up, 0.2F, true, "2.2"},         // the refresh writes a leading blank
        {".2", StepKey::Down, 0.2F, false, "0.2"},      // 0 is not positive: written back
        {"0.24", StepKey::Down, 0.2F, false, "0.24"},   // 0.04 would read ".0"
        {"1,5", StepKey::Up, 1.0F, true, "2.0"},        // only the leading number counts
        {"", StepKey::Up, 1.0F, false, ""},             // an empty field stays empty
        {"10", StepKey::Left, 1.0F, false, "10"},       // not a step key of the field
        {"10", StepKey::Right, 1.0F, false, "10"},
    };
    for (const auto& c : cases) {
        const SpinResult r = SpinValue(c.text, c.key, c.step);
        EXPECT_EQ(r.changed, c.changed) << '"' << c.text << '"';
        EXPECT_EQ(r.text, c.after) << '"' << c.text << '"';
    }
}

TEST(DesignSteps, LoadStepAndClampTable)
{
    const struct {
        const char* text;
        float step;
        const char* clamped;  // nullptr: in range
    } cases[] = {
        {"10", 1.0F, nullptr},         {"25", 2.0F, nullptr},       {"5", 0.0F, nullptr},
        {"0.01", 0.0F, nullptr},       {"100000", 10000.0F, nullptr}, {"99.9", 9.0F, nullptr},
        {"0", 0.0F, "0.01"},           {"abc", 0.0F, "0.01"},       {"0.009", 0.0F, "0.01"},
        {"-5", -1.0F, "0.01"},         {"100001", 10000.0F, "100000"}, {"1e6", 100000.0F, "100000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loadStepKOhm(c.text), c.step) << c.text;
        const std::optional<std::string> clamped = clampedLoadText(c.text);
        if (c.clamped == nullptr)
            EXPECT_FALSE(clamped.has_value()) << c.text << " -> " << clamped.value_or("");
        else
            EXPECT_EQ(clamped.value_or("(in range)"), c.clamped) << c.text;
    }
}

// Whatever the start and the key, a step followed by the clamp leaves the load
// field within its limits, and a step the field accepted holds a new positive
// value.
TEST(DesignSteps, SteppedLoadStaysWithinLimits)
{
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> exponent(-3.0, 6.0);
    for (int n = 0; n < 2000; ++n) {
        std::string text = formatGeneral(std::pow(10.0, exponent(rng)));
        for (int k = 0; k < 30; ++k) {
            const StepKey key = (rng() & 1U) != 0 ? StepKey::Up : StepKey::Down;
            const SpinResult r = SpinValue(text, key, loadStepKOhm(text));
            if (r.changed) {
                EXPECT_GT(numericValue(r.text), 0.0) << text << " -> " << r.text;
                EXPECT_NE(numericValue(r.text), numericValue(text)) << text;
            } else {
                EXPECT_EQ(numericValue(r.text), static_cast<double>(static_cast<float>(numericValue(text))));
            }
            text = clampedLoadText(r.text).value_or(r.text);
            const double v = numericValue(text);
            ASSERT_GE(v, static_cast<double>(kMinLoadKOhm)) << text;
            ASSERT_LE(v, static_cast<double>(kMaxLoadKOhm)) << text;
        }
    }
}

TEST(DesignSteps, InputsFromFieldTexts)
{
    const struct {
        const char *load, *vin;
        float loadKOhm, vinVpp;
    } cases[] = {{"10", " 2", 10.0F, 2.0F}, {"0", "1,5", 0.01F, 1.0F}, {"", "", 0.01F, 0.0F},
                 {"5e6", ".2", 100000.0F, 0.2F}, {"27.0", "abc", 27.0F, 0.0F}};
    for (const auto& c : cases) {
        const DesignInputs in = designInputsFromTexts(Topology::PushPull, c.load, c.vin);
        EXPECT_EQ(in.topology, Topology::PushPull);
        EXPECT_FLOAT_EQ(in.loadKOhm, c.loadKOhm) << c.load;
        EXPECT_FLOAT_EQ(in.vinVpp, c.vinVpp) << c.vin;
    }
}

TEST(DesignSteps, SwingStepIsAFifthOfTheGridSpacing)
{
    CurveSet set;
    set.Vg1Spacing = 1.0F;
    EXPECT_FLOAT_EQ(swingStep(set), 0.2F);
    EXPECT_EQ(SpinValue("0", StepKey::Up, swingStep(set)).text, ".2");
    set.Vg1Spacing = 0.0F;  // a family of two curves: the magnitude rule steps
    EXPECT_EQ(SpinValue("2", StepKey::Up, swingStep(set)).text, "2.1");
}

// The texts of a design on straight lines of gm 1 mA/V, rp 20 kOhm, mu 20:
// each label is the engine's number in its format.
TEST(StageTexts, LabelsAreTheEngineNumbersFormatted)
{
    for (Topology topology : {Topology::SingleEnded, Topology::PushPull}) {
        for (float vin : {0.0F, 4.0F, 10.0F}) {
            Workspace ws;
            ws.ModeName = WorkMode::Cook;
            updateScales(ws, "50", "5");
            ws.CurveSets[0] = test::linearFamily();
            ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
            const DesignInputs inputs{topology, 20.0F, vin};
            const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 250.0F), IaToY(ws, 15.0F), inputs);
            const StageTexts t = stageTexts(d, topology);
            SCOPED_TRACE(testing::Message() << (topology == Topology::PushPull ? "PP" : "SE") << " vin " << vin);
            ASSERT_TRUE(d.parameters);
            ASSERT_TRUE(d.parameters->found);
            EXPECT_EQ(t.pd0, formatPattern(d.placement.pdW, "##0.0") + "W");
            EXPECT_EQ(t.gm, "1.0");
            EXPECT_EQ(t.rp, "20.0K");
            EXPECT_EQ(t.mu, "20.0");
            const auto& r = d.analysis.results;
            ASSERT_TRUE(r.has_value());
            EXPECT_EQ(t.vout, formatPattern(r->voutVpp, "###.#") + "Vpp");
            EXPECT_EQ(t.pout, formatPattern(r->poutW, "##0.#") + "W");
            EXPECT_EQ(t.gain, vin == 0.0F ? std::string() : "x " + formatPattern(*r->gain, "###.#"));
            if (topology == Topology::PushPull) {
                EXPECT_EQ(t.h2, std::string());
                EXPECT_FLOAT_EQ(r->voutVpp, ws.OperatingUa - d.analysis.up.ua);
            } else if (vin == 0.0F) {
                EXPECT_EQ(t.h2, std::string());  // U1 = U2: no distortion figure
            } else {
                EXPECT_EQ(t.h2, formatPattern(*r->h2Percent, "#0.#") + "%");
            }
            ASSERT_TRUE(t.spans.has_value());
            EXPECT_EQ((*t.spans)[0].voltage, spanCaption(r->spans[0].dU));
            EXPECT_EQ((*t.spans)[2].current, spanCaption(r->spans[2].dI));
        }
    }
}

TEST(StageTexts, NothingBeyondWhatWasComputed)
{
    Workspace ws;
    ws.ModeName = WorkMode::Cook;
    ws.CurveSets[0] = test::linearFamily();
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    const DesignInputs inputs{Topology::SingleEnded, 20.0F, 2.0F};
    // Off the plot: nothing is placed, nothing is shown.
    EXPECT_FALSE(stageTexts(applyOperatingPoint(ws, 10.0F, 30000.0F, inputs), inputs.topology).pd0);
    // Below the lowest curve (-30 V carries 5.5 mA at 490 V): the dissipation only.
    updateScales(ws, "100", "1");
    const StageTexts below =
        stageTexts(applyOperatingPoint(ws, UaToX(ws, 490.0F), IaToY(ws, 1.0F), inputs), inputs.topology);
    EXPECT_TRUE(below.pd0.has_value());
    EXPECT_FALSE(below.mu.has_value());
    EXPECT_FALSE(below.vout.has_value());
    EXPECT_FALSE(below.spans.has_value());
}

}  // namespace
}  // namespace zov
