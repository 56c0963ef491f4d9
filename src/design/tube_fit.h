#pragma once
// Fitting a tube model (core/tube_models.h) to a measured family by nonlinear
// least squares (Eigen's Levenberg-Marquardt).
//
// Points used: a point of the family takes part when its anode voltage is
// above 0 V and within the window's anode-voltage limit, its grid-1 voltage is
// not positive (grid current flows there and none of the models describes
// it), its measured current is within the window's current limit, and (for
// the pentode models) its grid-2 voltage is above 0 V. The 0 V / 0 A point the
// TDF reader puts at the start of every curve is left out by the first rule.
//
// Noise floor: a measured current below 0.5 % of the largest current among
// the points used says only that the current is below the floor. Such a point
// adds to the sum of squares only by how far the model rises above the floor,
// so the fit neither chases noise near cut-off nor may put current where the
// tube has none.
//
// Parameters stay physical: each fitted parameter moves inside fixed bounds
// (fitBounds) through a smooth map of an unbounded variable, so the solver
// never sees a negative exponent or a zero kg1. kg2 and (DerkE) alphaS shape
// only the screen current, which a TDF family does not hold; they keep the
// values of FitOptions::fixed.

#include "core/curve_store.h"
#include "core/tube_models.h"

#include <optional>
#include <string>
#include <vector>

namespace zov {

struct FitPoint {
    double ua = 0.0;   // V
    double vg1 = 0.0;  // V
    double vg2 = 0.0;  // V
    double iaA = 0.0;  // A, measured
};

struct FitWindow {
    std::optional<double> uaMaxV;   // points above it are left out
    std::optional<double> iaMaxMa;  // points whose measured current is above it are left out
};

struct FitOptions {
    TubeModelKind kind = TubeModelKind::KorenTriode;
    FitWindow window;
    // Screen-current parameters (kg2, alphaS) and, when `start` is empty, the
    // values of parameters that are not fitted.
    TubeModelParams fixed;
    // Starting values; when empty they are estimated from the family.
    std::optional<TubeModelParams> start;
    int maxFunctionEvaluations = 4000;
};

struct FitResult {
    TubeModelKind kind = TubeModelKind::KorenTriode;
    TubeModelParams params;
    double rmsMa = 0.0;     // over the points used, plain model-minus-measured error
    double maxErrMa = 0.0;
    int points = 0;
    int iterations = 0;     // solver iterations, summed over the starts tried
    bool converged = false;
    std::string error;      // why nothing could be fitted (then converged is false)
};

// A fitted parameter, its name (as in JSON and SPICE) and its bounds.
struct FitParameter {
    const char* name;
    double TubeModelParams::*member;
    double low;
    double high;
};
std::vector<FitParameter> fittedParameters(TubeModelKind kind, const TubeModelParams& fixed);

// The points of a family that a fit uses (rules above).
std::vector<FitPoint> fitPoints(const CurveSet& set, TubeModelKind kind, const FitWindow& window);

// Starting values estimated from the points: mu from the anode-voltage
// distance between neighbouring curves at equal current (triode) or from the
// cut-off grid voltage of the plateau currents (pentodes), ex and kg1 from a
// log-log regression of the current on Koren's E1, the knee (kvb, beta) from
// the anode voltage at which the top curve reaches half its plateau, kp from a
// scan over four decades. Every value lies inside its bounds. The fit starts
// from these values and from the same with the next two best kp of the scan,
// and keeps the best end.
TubeModelParams estimateStart(TubeModelKind kind, const std::vector<FitPoint>& points, const TubeModelParams& fixed);

FitResult fitTubeModel(const std::vector<FitPoint>& points, const FitOptions& options);
FitResult fitTubeModel(const CurveSet& set, const FitOptions& options);

// A curve of a model for drawing: `samples` points from 0 V to uaMaxV at
// grid-1 voltage vg1 and screen voltage vg2, in the rows of a series (Ua V,
// Ia A, Vg1, 0, Vg2).
std::vector<PointColumn> modelCurve(TubeModelKind kind, const TubeModelParams& p, double vg1, double vg2,
                                    double uaMaxV, int samples);

// The small-signal values of a model at an operating point: the grid-1
// voltage at which it draws iaA at uaV (bisection; the current rises with the
// grid voltage), then gm = dIa/dVg1, rp = dUa/dIa and mu = gm rp there by
// central differences. Nullopt when no grid voltage from -10 kV to +50 V gives
// that current.
struct ModelSmallSignal {
    double vg1 = 0.0;       // V
    double gmMaPerV = 0.0;
    double rpKOhm = 0.0;
    double mu = 0.0;
};
std::optional<ModelSmallSignal> smallSignalAt(TubeModelKind kind, const TubeModelParams& p, double uaV, double iaA,
                                              double vg2 = 0.0);

}  // namespace zov
