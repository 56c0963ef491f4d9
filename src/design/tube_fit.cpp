#include "design/tube_fit.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/LevenbergMarquardt>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <utility>

namespace zov {

namespace {

// A measured current below this share of the largest one is at the noise floor.
constexpr double kNoiseFloorShare = 0.005;

// The bounded map of one parameter: p = low (high/low)^s(t) for a positive
// lower bound (parameters spanning decades move on a log scale), else
// p = low + (high - low) s(t), with s the logistic function. Starting values
// are kept a little inside the bounds, where the map still has a slope.
double toParameter(const FitParameter& f, double t)
{
    const double s = 1.0 / (1.0 + std::exp(-t));
    if (f.low > 0.0)
        return f.low * std::pow(f.high / f.low, s);
    return f.low + (f.high - f.low) * s;
}

double toUnbounded(const FitParameter& f, double p)
{
    double s = f.low > 0.0 ? std::log(p / f.low) / std::log(f.high / f.low) : (p - f.low) / (f.high - f.low);
    s = std::clamp(s, 1e-4, 1.0 - 1e-4);
    return std::log(s / (1.0 - s));
}

double clampInside(const FitParameter& f, double p)
{
    return toParameter(f, toUnbounded(f, p));
}

struct Residuals : Eigen::DenseFunctor<double> {
    Residuals(const std::vector<FitPoint>& points, const std::vector<FitParameter>& fitted, TubeModelKind kind,
              const TubeModelParams& base, double floorA)
        : Eigen::DenseFunctor<double>(static_cast<int>(fitted.size()), static_cast<int>(points.size())),
          m_points(points), m_fitted(fitted), m_kind(kind), m_base(base), m_floorA(floorA)
    {
    }

    TubeModelParams params(const InputType& t) const
    {
        TubeModelParams p = m_base;
        for (std::size_t k = 0; k < m_fitted.size(); ++k)
            p.*(m_fitted[k].member) = toParameter(m_fitted[k], t[static_cast<Eigen::Index>(k)]);
        return p;
    }

    // Residuals in mA, so that the solver's tolerances work on the scale the
    // result is reported in.
    int operator()(const InputType& t, ValueType& r) const
    {
        const TubeModelParams p = params(t);
        for (std::size_t i = 0; i < m_points.size(); ++i) {
            const FitPoint& q = m_points[i];
            const double model = anodeCurrentA(m_kind, p, q.ua, q.vg1, q.vg2);
            const double err = q.iaA < m_floorA ? std::max(model - m_floorA, 0.0) : model - q.iaA;
            r[static_cast<Eigen::Index>(i)] = 1000.0 * err;
        }
        return 0;
    }

    // The Jacobian from the model's own derivatives, times the slope of each
    // parameter's bounded map.
    int df(const InputType& t, JacobianType& jac) const
    {
        const TubeModelParams p = params(t);
        std::vector<double> slope(m_fitted.size());
        for (std::size_t k = 0; k < m_fitted.size(); ++k) {
            const FitParameter& f = m_fitted[k];
            const double s = 1.0 / (1.0 + std::exp(-t[static_cast<Eigen::Index>(k)]));
            const double span = f.low > 0.0 ? p.*(f.member) * std::log(f.high / f.low) : f.high - f.low;
            slope[k] = 1000.0 * span * s * (1.0 - s);
        }
        for (std::size_t i = 0; i < m_points.size(); ++i) {
            const FitPoint& q = m_points[i];
            double model = 0.0;
            const TubeModelParams g = anodeCurrentGradient(m_kind, p, q.ua, q.vg1, q.vg2, &model);
            const bool flat = q.iaA < m_floorA && model <= m_floorA;
            for (std::size_t k = 0; k < m_fitted.size(); ++k)
                jac(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(k)) =
                    flat ? 0.0 : g.*(m_fitted[k].member) * slope[k];
        }
        return 0;
    }

    const std::vector<FitPoint>& m_points;
    const std::vector<FitParameter>& m_fitted;
    TubeModelKind m_kind;
    TubeModelParams m_base;
    double m_floorA;
};

double largestCurrent(const std::vector<FitPoint>& points)
{
    double top = 0.0;
    for (const FitPoint& q : points)
        top = std::max(top, q.iaA);
    return top;
}

double sumOfSquares(const std::vector<FitPoint>& points, TubeModelKind kind, const TubeModelParams& p, double floorA)
{
    double sum = 0.0;
    for (const FitPoint& q : points) {
        const double model = anodeCurrentA(kind, p, q.ua, q.vg1, q.vg2);
        const double err = q.iaA < floorA ? std::max(model - floorA, 0.0) : model - q.iaA;
        sum += err * err;
    }
    return sum;
}

// The curves of the point list, keyed by (grid 1, grid 2), points in order of
// anode voltage.
using Curves = std::map<std::pair<double, double>, std::vector<FitPoint>>;

Curves curvesOf(const std::vector<FitPoint>& points)
{
    Curves curves;
    for (const FitPoint& q : points)
        curves[{q.vg1, q.vg2}].push_back(q);
    for (auto& [key, curve] : curves)
        std::sort(curve.begin(), curve.end(), [](const FitPoint& a, const FitPoint& b) { return a.ua < b.ua; });
    return curves;
}

// The anode voltage at which a curve first reaches `iaA`, by linear
// interpolation between the two points around it.
std::optional<double> voltageAtCurrent(const std::vector<FitPoint>& curve, double iaA)
{
    for (std::size_t k = 1; k < curve.size(); ++k) {
        const FitPoint& a = curve[k - 1];
        const FitPoint& b = curve[k];
        if (a.iaA < iaA && b.iaA >= iaA)
            return a.ua + (b.ua - a.ua) * (iaA - a.iaA) / (b.iaA - a.iaA);
    }
    return std::nullopt;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Least-squares line y = c0 + c1 x; false with fewer than two distinct x.
bool fitLine(const std::vector<double>& x, const std::vector<double>& y, double& c0, double& c1)
{
    const double n = static_cast<double>(x.size());
    if (x.size() < 2)
        return false;
    const double mx = std::accumulate(x.begin(), x.end(), 0.0) / n;
    const double my = std::accumulate(y.begin(), y.end(), 0.0) / n;
    double sxx = 0.0, sxy = 0.0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        sxx += (x[k] - mx) * (x[k] - mx);
        sxy += (x[k] - mx) * (y[k] - my);
    }
    if (!(sxx > 0.0))
        return false;
    c1 = sxy / sxx;
    c0 = my - c1 * mx;
    return true;
}

// Triode mu from the curve spacing: at equal current, the anode voltage of
// neighbouring curves differs by mu times their grid-voltage step.
double triodeMu(const Curves& curves, double topA)
{
    for (double share : {0.3, 0.1, 0.03}) {
        std::vector<double> estimates;
        const std::vector<FitPoint>* previous = nullptr;
        std::optional<double> previousUa;
        for (const auto& [key, curve] : curves) {
            const std::optional<double> ua = voltageAtCurrent(curve, share * topA);
            if (ua && previousUa && previous && key.first > previous->front().vg1)
                estimates.push_back((*previousUa - *ua) / (key.first - previous->front().vg1));
            previous = &curve;
            previousUa = ua;
        }
        estimates.erase(std::remove_if(estimates.begin(), estimates.end(), [](double m) { return !(m > 0.0); }),
                        estimates.end());
        if (!estimates.empty())
            return median(estimates);
    }
    return 10.0;
}

// The plateau current of each pentode curve: the mean of the points in the
// upper third of its anode-voltage span.
std::vector<std::pair<double, double>> plateaus(const Curves& curves)
{
    std::vector<std::pair<double, double>> out;  // (vg1, iaA)
    for (const auto& [key, curve] : curves) {
        const double uaTop = curve.back().ua;
        double sum = 0.0;
        int n = 0;
        for (const FitPoint& q : curve) {
            if (q.ua >= uaTop * 2.0 / 3.0) {
                sum += q.iaA;
                ++n;
            }
        }
        if (n > 0)
            out.emplace_back(key.first, sum / n);
    }
    return out;
}

std::vector<TubeModelParams> startCandidates(TubeModelKind kind, const std::vector<FitPoint>& points,
                                             const TubeModelParams& base, double floorA, std::size_t count);

}  // namespace

std::vector<FitParameter> fittedParameters(TubeModelKind kind, const TubeModelParams& fixed)
{
    using P = TubeModelParams;
    std::vector<FitParameter> out = {
        {"mu", &P::mu, 0.5, 1000.0},
        {"ex", &P::ex, 0.8, 2.5},
        {"kg1", &P::kg1, 1.0, 1e5},
        {"kp", &P::kp, 1.0, 1e4},
    };
    switch (kind) {
    case TubeModelKind::KorenTriode:
        out.push_back({"kvb", &P::kvb, 0.1, 1e5});  // V^2
        break;
    case TubeModelKind::KorenPentode:
        out.push_back({"kvb", &P::kvb, 0.1, 1000.0});  // V
        break;
    case TubeModelKind::DerkEPentode:
        // kg1 below kg2, or the anode would take more than the cathode gives.
        out[2].high = std::max(0.95 * fixed.kg2, 2.0);
        out.push_back({"a", &P::a, 0.0, 0.02});
        out.push_back({"beta", &P::beta, 1e-3, 5.0});
        break;
    }
    return out;
}

std::vector<FitPoint> fitPoints(const CurveSet& set, TubeModelKind kind, const FitWindow& window)
{
    std::vector<FitPoint> out;
    for (const zov::Series& series : set.Series) {
        for (const PointColumn& c : series.Points) {
            const FitPoint q{c[kRowUa], c[kRowVg1], c[kRowVg2], c[kRowIa]};
            if (!(q.ua > 0.0) || q.vg1 > 0.0 || !std::isfinite(q.iaA))
                continue;
            if (window.uaMaxV && q.ua > *window.uaMaxV)
                continue;
            if (window.iaMaxMa && q.iaA * 1000.0 > *window.iaMaxMa)
                continue;
            if (isPentodeModel(kind) && !(q.vg2 > 0.0))
                continue;
            out.push_back(q);
        }
    }
    return out;
}

TubeModelParams estimateStart(TubeModelKind kind, const std::vector<FitPoint>& points, const TubeModelParams& fixed)
{
    TubeModelParams p = fixed;
    const double topA = largestCurrent(points);
    const double floorA = kNoiseFloorShare * topA;
    const Curves curves = curvesOf(points);
    const bool pentode = isPentodeModel(kind);
    const std::vector<FitParameter> bounds = fittedParameters(kind, fixed);

    // Screen voltage of the family (pentodes): the median over the points.
    std::vector<double> screens;
    for (const FitPoint& q : points)
        screens.push_back(q.vg2);
    const double vg2 = screens.empty() ? 0.0 : median(screens);

    // mu.
    p.ex = 1.4;
    if (!pentode) {
        p.mu = triodeMu(curves, topA);
    } else {
        // Plateau current ~ (vg2/mu + vg1)^ex: its ex-th root is a straight
        // line in vg1 that reaches zero at the cut-off voltage -vg2/mu.
        std::vector<double> x, y;
        for (const auto& [vg1, ia] : plateaus(curves)) {
            if (ia > floorA) {
                x.push_back(vg1);
                y.push_back(std::pow(ia, 1.0 / p.ex));
            }
        }
        double c0 = 0.0, c1 = 0.0;
        p.mu = 10.0;
        if (fitLine(x, y, c0, c1) && c1 > 0.0 && c0 > 0.0)
            p.mu = vg2 / (c0 / c1);
    }
    p.mu = clampInside(bounds[0], p.mu);

    // ex and kg1 from ln Ia = ln(2/kg1') + ex ln E1, E1 ~ Ua/mu + Vg1 (triode)
    // or Vg2/mu + Vg1 (pentodes, plateau points only) away from cut-off.
    {
        std::vector<double> x, y;
        if (!pentode) {
            for (const FitPoint& q : points) {
                const double e1 = q.ua / p.mu + q.vg1;
                if (e1 > 0.0 && q.iaA > 4.0 * floorA) {
                    x.push_back(std::log(e1));
                    y.push_back(std::log(q.iaA));
                }
            }
        } else {
            for (const auto& [vg1, ia] : plateaus(curves)) {
                const double e1 = vg2 / p.mu + vg1;
                if (e1 > 0.0 && ia > 4.0 * floorA) {
                    x.push_back(std::log(e1));
                    y.push_back(std::log(ia));
                }
            }
        }
        double c0 = 0.0, c1 = 0.0;
        if (fitLine(x, y, c0, c1) && c1 > 0.0) {
            p.ex = clampInside(bounds[1], c1);
            // The intercept for the fitted slope, not the line's own, keeps
            // kg1 consistent with a clamped ex.
            double mean = 0.0;
            for (std::size_t k = 0; k < x.size(); ++k)
                mean += y[k] - p.ex * x[k];
            const double scale = std::exp(mean / static_cast<double>(x.size()));  // Ia = scale E1^ex
            switch (kind) {
            case TubeModelKind::KorenTriode:
                p.kg1 = 2.0 / scale;
                break;
            case TubeModelKind::KorenPentode:
                p.kg1 = 2.0 / scale * 1.3;  // atan(Ua/kvb) on the plateau
                break;
            case TubeModelKind::DerkEPentode:
                p.kg1 = 1.0 / (scale / 2.0 + 1.0 / fixed.kg2);
                break;
            }
        }
    }
    p.kg1 = clampInside(bounds[2], p.kg1);

    // The knee: the anode voltage at which the top curve reaches half its plateau.
    if (pentode && !curves.empty()) {
        const auto top = std::max_element(curves.begin(), curves.end(), [](const auto& a, const auto& b) {
            return a.first.first < b.first.first;
        });
        const auto plateau = plateaus(Curves{*top});
        const std::optional<double> half =
            plateau.empty() ? std::nullopt : voltageAtCurrent(top->second, 0.5 * plateau.front().second);
        const double uaHalf = half.value_or(20.0);
        if (kind == TubeModelKind::KorenPentode)
            p.kvb = uaHalf;
        else {
            p.beta = 0.78 / std::max(uaHalf, 1.0);  // (0.78)^1.5 = ln 2
            p.a = 1e-4;
        }
    } else {
        p.kvb = 300.0;
    }

    for (const FitParameter& f : bounds)
        p.*(f.member) = clampInside(f, p.*(f.member));
    return startCandidates(kind, points, p, floorA, 1).front();
}

namespace {

// kp, the softness of cut-off, is the one parameter the family's shape gives
// no direct reading of, and a start a decade away from it can leave the
// solver in a poor local minimum (a Koren 6L6GC family drawn with kp 48 is
// fitted with kp 1000 and 15 mA RMS from the wrong start). The starting
// values are tried with kp over four decades; the best few start a fit each.
std::vector<TubeModelParams> startCandidates(TubeModelKind kind, const std::vector<FitPoint>& points,
                                             const TubeModelParams& base, double floorA, std::size_t count)
{
    const FitParameter kpBounds = fittedParameters(kind, base)[3];
    std::vector<std::pair<double, TubeModelParams>> ranked;
    const FitParameter kg1Bounds = fittedParameters(kind, base)[2];
    for (double kp : {3.0, 10.0, 30.0, 100.0, 300.0, 1000.0, 3000.0}) {
        TubeModelParams p = base;
        p.kp = clampInside(kpBounds, kp);
        // kp also moves the current scale; kg1 is set to the best scale for
        // this kp (least squares of a factor on the currents; exact for the
        // Koren models, close for DerkE) so the candidates compete on shape.
        double fm = 0.0, ff = 0.0;
        for (const FitPoint& q : points) {
            const double f = anodeCurrentA(kind, p, q.ua, q.vg1, q.vg2);
            fm += f * q.iaA;
            ff += f * f;
        }
        if (fm > 0.0 && ff > 0.0)
            p.kg1 = clampInside(kg1Bounds, p.kg1 * ff / fm);
        ranked.emplace_back(sumOfSquares(points, kind, p, floorA), p);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TubeModelParams> out;
    for (std::size_t k = 0; k < ranked.size() && k < count; ++k)
        out.push_back(ranked[k].second);
    return out;
}

struct SolverRun {
    TubeModelParams params;
    int iterations = 0;
    bool converged = false;
    double cost = HUGE_VAL;
};

SolverRun solve(const std::vector<FitPoint>& points, const std::vector<FitParameter>& fitted, TubeModelKind kind,
                const TubeModelParams& start, double floorA, int maxFunctionEvaluations)
{
    Residuals functor(points, fitted, kind, start, floorA);
    Eigen::VectorXd t(static_cast<Eigen::Index>(fitted.size()));
    for (std::size_t k = 0; k < fitted.size(); ++k)
        t[static_cast<Eigen::Index>(k)] = toUnbounded(fitted[k], start.*(fitted[k].member));

    Eigen::LevenbergMarquardt<Residuals> lm(functor);
    lm.setMaxfev(maxFunctionEvaluations);
    const Eigen::LevenbergMarquardtSpace::Status status = lm.minimize(t);

    SolverRun run;
    run.params = functor.params(t);
    run.iterations = static_cast<int>(lm.iterations());
    // Running out of evaluations or bad input is failure; the tolerance
    // statuses (6..8) mean no further progress is possible, which on a family
    // the model reproduces exactly is where a fit ends.
    using namespace Eigen::LevenbergMarquardtSpace;
    run.converged = status == RelativeReductionTooSmall || status == RelativeErrorTooSmall ||
                    status == RelativeErrorAndReductionTooSmall || status == CosinusTooSmall ||
                    status == FtolTooSmall || status == XtolTooSmall || status == GtolTooSmall;
    run.cost = sumOfSquares(points, kind, run.params, floorA);
    if (!std::isfinite(run.cost))
        run.converged = false;
    return run;
}

}  // namespace

FitResult fitTubeModel(const std::vector<FitPoint>& points, const FitOptions& options)
{
    FitResult result;
    result.kind = options.kind;
    result.points = static_cast<int>(points.size());
    const std::vector<FitParameter> fitted = fittedParameters(options.kind, options.fixed);
    if (points.size() < fitted.size() * 2) {
        result.error = "too few points to fit";
        return result;
    }
    const double floorA = kNoiseFloorShare * largestCurrent(points);
    if (!(floorA > 0.0)) {
        result.error = "the family has no current";
        return result;
    }
    std::vector<TubeModelParams> starts;
    if (options.start)
        starts.push_back(*options.start);
    else
        starts = startCandidates(options.kind, points, estimateStart(options.kind, points, options.fixed), floorA, 3);

    SolverRun best;
    for (TubeModelParams start : starts) {
        // kg2 and alphaS are never fitted: they come from the caller.
        start.kg2 = options.fixed.kg2;
        start.alphaS = options.fixed.alphaS;
        const SolverRun run = solve(points, fitted, options.kind, start, floorA, options.maxFunctionEvaluations);
        result.iterations += run.iterations;
        if (run.cost < best.cost || (run.converged && !best.converged && run.cost <= best.cost))
            best = run;
    }
    result.params = best.params;
    result.converged = best.converged;
    double sum = 0.0;
    for (const FitPoint& q : points) {
        const double err = 1000.0 * std::abs(anodeCurrentA(options.kind, result.params, q.ua, q.vg1, q.vg2) - q.iaA);
        sum += err * err;
        result.maxErrMa = std::max(result.maxErrMa, err);
    }
    result.rmsMa = std::sqrt(sum / static_cast<double>(points.size()));
    if (!std::isfinite(result.rmsMa))
        result.converged = false;
    return result;
}

std::vector<PointColumn> modelCurve(TubeModelKind kind, const TubeModelParams& p, double vg1, double vg2,
                                    double uaMaxV, int samples)
{
    std::vector<PointColumn> out;
    for (int k = 0; k < samples; ++k) {
        const double ua = samples > 1 ? uaMaxV * k / (samples - 1) : 0.0;
        out.push_back({static_cast<float>(ua), static_cast<float>(anodeCurrentA(kind, p, ua, vg1, vg2)),
                       static_cast<float>(vg1), 0.0F, static_cast<float>(vg2), 0.0F, 0.0F});
    }
    return out;
}

std::optional<ModelSmallSignal> smallSignalAt(TubeModelKind kind, const TubeModelParams& p, double uaV, double iaA,
                                              double vg2)
{
    const auto ia = [&](double ua, double vg1) { return anodeCurrentA(kind, p, ua, vg1, vg2); };
    double high = 50.0;
    double low = -10.0;
    while (low > -1e4 && ia(uaV, low) >= iaA)
        low *= 2.0;
    if (!(ia(uaV, low) < iaA) || !(ia(uaV, high) > iaA))
        return std::nullopt;
    for (int k = 0; k < 100 && high - low > 1e-12; ++k) {
        const double mid = 0.5 * (low + high);
        (ia(uaV, mid) < iaA ? low : high) = mid;
    }
    ModelSmallSignal out;
    out.vg1 = 0.5 * (low + high);
    const double dv = 1e-3;
    const double gm = (ia(uaV, out.vg1 + dv) - ia(uaV, out.vg1 - dv)) / (2.0 * dv);
    const double go = (ia(uaV + dv, out.vg1) - ia(uaV - dv, out.vg1)) / (2.0 * dv);
    if (!(gm > 0.0) || !(go > 0.0))
        return std::nullopt;
    out.gmMaPerV = 1000.0 * gm;
    out.rpKOhm = 1.0 / go / 1000.0;
    out.mu = gm / go;
    return out;
}

FitResult fitTubeModel(const CurveSet& set, const FitOptions& options)
{
    FitResult result = fitTubeModel(fitPoints(set, options.kind, options.window), options);
    if (result.points == 0 && isPentodeModel(options.kind) &&
        fitPoints(set, TubeModelKind::KorenTriode, options.window).size() > 0)
        result.error = "no point has a grid-2 voltage above 0 V, which the pentode models need";
    return result;
}

}  // namespace zov
