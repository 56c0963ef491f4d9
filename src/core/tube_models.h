#pragma once
// Anode-current models of vacuum tubes, evaluated here and nowhere else: the
// virtual module draws its families with them, the fitter adjusts their
// parameters to a measured family, and the SPICE export writes the same
// expressions for a circuit simulator (a test runs ngspice on the export and
// compares with anodeCurrentA). Plain C++, volts and amperes.
//
// Koren triode (N. Koren, "Improved vacuum tube models for SPICE
// simulations", Glass Audio 5/1996, updated 2003):
//   E1 = (Ua / kp) ln(1 + exp(kp (1/mu + Vg1 / sqrt(kvb + Ua^2))))
//   Ia = 2 E1^ex / kg1                                      (E1 > 0, else 0)
//
// Koren pentode (same article), at the screen voltage Vg2:
//   E1 = (Vg2 / kp) ln(1 + exp(kp (1/mu + Vg1 / Vg2)))
//   Ia = 2 E1^ex / kg1 * atan(Ua / kvb)
//   Ig2 = (Vg2/mu + Vg1)^ex / kg2                           (screen current)
//
// Reefman DerkE pentode (D. Reefman, "Spice models for vacuum tubes using the
// uTracer", 2016; the "DerkE" pentode and beam-tetrode model). Koren's
// arctangent reaches its plateau too slowly and stays flat after it, while
// real pentodes and beam tetrodes have a sharp knee and a plateau that still
// rises with the anode voltage. DerkE keeps Koren's cathode-current core and
// replaces the anode factor:
//   Ip = 2 E1^ex                       (E1 as in Koren's pentode)
//   Ia = Ip (1/kg1 - 1/kg2 + a Ua / kg1 - (alpha/kg1 + alphaS/kg2) exp(-(beta Ua)^1.5))
//   Ig2 = Ip / kg2 (1 + alphaS exp(-(beta Ua)^1.5))
//   with alpha = 1 - kg1 (1 + alphaS) / kg2, so that Ia = 0 at Ua = 0.
// Substituting alpha, the anode current is
//   Ia = Ip ((1/kg1 - 1/kg2) (1 - exp(-(beta Ua)^1.5)) + a Ua / kg1),
// independent of alphaS: an anode family fixes mu, ex, kp, kg1 (given kg2), a
// and beta; kg2 and alphaS shape only the screen current. Ip carries Koren's
// factor 2 (his 1 + sgn E1) so that kg1 keeps the scale of Koren's tables.

#include <string_view>
#include <optional>

namespace zov {

enum class TubeModelKind { KorenTriode, KorenPentode, DerkEPentode };

// The parameters of every model; each model reads the ones it names above.
struct TubeModelParams {
    double mu = 10.0;
    double ex = 1.4;
    double kg1 = 1000.0;
    double kp = 100.0;
    double kvb = 300.0;    // V^2 (triode) or V (Koren pentode knee)
    double kg2 = 4200.0;   // pentodes: screen current
    double a = 0.0;        // DerkE: plateau slope, 1/V
    double beta = 0.05;    // DerkE: knee, 1/V
    double alphaS = 0.0;   // DerkE: screen-current share at the knee
};

// The command-line and file name of a model ("koren-triode", "koren-pentode",
// "derk-e") and back; nullopt for an unknown name.
std::string_view modelName(TubeModelKind kind);
std::optional<TubeModelKind> modelFromName(std::string_view name);
bool isPentodeModel(TubeModelKind kind);

// Anode current in amperes at anode voltage ua, grid-1 voltage vg1 and (for
// pentodes) screen voltage vg2. Never negative; 0 for ua <= 0 and at cut-off.
double anodeCurrentA(TubeModelKind kind, const TubeModelParams& p, double ua, double vg1, double vg2 = 0.0);

// The anode current and its partial derivatives with respect to every
// parameter (each field of the result holds dIa/d(that parameter), A per unit;
// 0 where the model does not use the parameter or the tube is cut off). The
// fitter's Jacobian; computed in one pass, about the cost of one evaluation.
TubeModelParams anodeCurrentGradient(TubeModelKind kind, const TubeModelParams& p, double ua, double vg1, double vg2,
                                     double* iaA);

// Screen current in amperes (0 for the triode).
double screenCurrentA(TubeModelKind kind, const TubeModelParams& p, double ua, double vg1, double vg2);

// ln(1 + exp(x)) without overflow for large x.
double softplus(double x);

}  // namespace zov
