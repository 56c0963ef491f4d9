#include "core/tube_models.h"

#include <algorithm>
#include <cmath>

namespace zov {

namespace {

// Koren's E1 of the triode or of the pentodes; may be negative only for a
// negative anode or screen voltage.
double korenE1(TubeModelKind kind, const TubeModelParams& p, double ua, double vg1, double vg2)
{
    if (kind == TubeModelKind::KorenTriode)
        return (ua / p.kp) * softplus(p.kp * (1.0 / p.mu + vg1 / std::sqrt(p.kvb + ua * ua)));
    if (vg2 <= 0.0)
        return 0.0;
    return (vg2 / p.kp) * softplus(p.kp * (1.0 / p.mu + vg1 / vg2));
}

// exp(-(beta ua)^1.5): DerkE's knee, 1 at ua = 0 and falling to 0 past the knee.
double derkEKnee(const TubeModelParams& p, double ua)
{
    const double x = p.beta * ua;
    return x <= 0.0 ? 1.0 : std::exp(-x * std::sqrt(x));
}

}  // namespace

double softplus(double x)
{
    return x > 30.0 ? x : std::log1p(std::exp(x));
}

std::string_view modelName(TubeModelKind kind)
{
    switch (kind) {
    case TubeModelKind::KorenTriode:
        return "koren-triode";
    case TubeModelKind::KorenPentode:
        return "koren-pentode";
    case TubeModelKind::DerkEPentode:
        return "derk-e";
    }
    return {};
}

std::optional<TubeModelKind> modelFromName(std::string_view name)
{
    for (TubeModelKind kind : {TubeModelKind::KorenTriode, TubeModelKind::KorenPentode, TubeModelKind::DerkEPentode}) {
        if (modelName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

bool isPentodeModel(TubeModelKind kind)
{
    return kind != TubeModelKind::KorenTriode;
}

double anodeCurrentA(TubeModelKind kind, const TubeModelParams& p, double ua, double vg1, double vg2)
{
    if (!(ua > 0.0))
        return 0.0;
    const double e1 = korenE1(kind, p, ua, vg1, vg2);
    if (!(e1 > 0.0))
        return 0.0;
    const double ip = 2.0 * std::pow(e1, p.ex);
    switch (kind) {
    case TubeModelKind::KorenTriode:
        return ip / p.kg1;
    case TubeModelKind::KorenPentode:
        return ip / p.kg1 * std::atan(ua / p.kvb);
    case TubeModelKind::DerkEPentode: {
        const double ia = ip * ((1.0 / p.kg1 - 1.0 / p.kg2) * (1.0 - derkEKnee(p, ua)) + p.a * ua / p.kg1);
        return ia > 0.0 ? ia : 0.0;
    }
    }
    return 0.0;
}

TubeModelParams anodeCurrentGradient(TubeModelKind kind, const TubeModelParams& p, double ua, double vg1, double vg2,
                                     double* iaA)
{
    TubeModelParams g{0, 0, 0, 0, 0, 0, 0, 0, 0};
    *iaA = 0.0;
    if (!(ua > 0.0))
        return g;
    // E1 = (V / kp) softplus(z), z = kp (1/mu + vg1 / D), with V = ua and
    // D = sqrt(kvb + ua^2) for the triode, V = D = vg2 for the pentodes.
    const bool triode = kind == TubeModelKind::KorenTriode;
    if (!triode && !(vg2 > 0.0))
        return g;
    const double d = triode ? std::sqrt(p.kvb + ua * ua) : vg2;
    const double v = triode ? ua : vg2;
    const double z = p.kp * (1.0 / p.mu + vg1 / d);
    const double sp = softplus(z);
    const double sigma = 1.0 / (1.0 + std::exp(-z));  // d softplus / dz
    const double e1 = v / p.kp * sp;
    if (!(e1 > 0.0))
        return g;
    const double dE1dKp = v / (p.kp * p.kp) * (sigma * z - sp);
    const double dE1dMu = -v * sigma / (p.mu * p.mu);
    const double ip = 2.0 * std::pow(e1, p.ex);
    double factor = 0.0;  // Ia = ip * factor
    switch (kind) {
    case TubeModelKind::KorenTriode:
        factor = 1.0 / p.kg1;
        g.kg1 = -ip / (p.kg1 * p.kg1);
        g.kvb = ip * factor * p.ex / e1 * (-ua * sigma * vg1 / (2.0 * d * d * d));
        break;
    case TubeModelKind::KorenPentode: {
        const double r = ua / p.kvb;
        factor = std::atan(r) / p.kg1;
        g.kg1 = -ip * factor / p.kg1;
        g.kvb = ip / p.kg1 * (-r / p.kvb) / (1.0 + r * r);
        break;
    }
    case TubeModelKind::DerkEPentode: {
        const double x = p.beta * ua;
        const double knee = std::exp(-x * std::sqrt(x));
        const double c0 = 1.0 / p.kg1 - 1.0 / p.kg2;
        factor = c0 * (1.0 - knee) + p.a * ua / p.kg1;
        if (!(factor > 0.0))
            return g;
        g.kg1 = -ip / (p.kg1 * p.kg1) * ((1.0 - knee) + p.a * ua);
        g.kg2 = ip / (p.kg2 * p.kg2) * (1.0 - knee);
        g.a = ip * ua / p.kg1;
        g.beta = ip * c0 * 1.5 * std::sqrt(x) * ua * knee;
        break;
    }
    }
    const double ia = ip * factor;
    *iaA = ia;
    const double dIdE1 = p.ex * ia / e1;
    g.mu = dIdE1 * dE1dMu;
    g.kp = dIdE1 * dE1dKp;
    g.ex = ia * std::log(e1);
    return g;
}

double screenCurrentA(TubeModelKind kind, const TubeModelParams& p, double ua, double vg1, double vg2)
{
    switch (kind) {
    case TubeModelKind::KorenTriode:
        return 0.0;
    case TubeModelKind::KorenPentode: {
        const double e = vg2 / p.mu + vg1;
        return e > 0.0 ? std::pow(e, p.ex) / p.kg2 : 0.0;
    }
    case TubeModelKind::DerkEPentode: {
        const double e1 = korenE1(kind, p, ua, vg1, vg2);
        if (!(e1 > 0.0))
            return 0.0;
        return 2.0 * std::pow(e1, p.ex) / p.kg2 * (1.0 + p.alphaS * derkEKnee(p, std::max(ua, 0.0)));
    }
    }
    return 0.0;
}

}  // namespace zov
