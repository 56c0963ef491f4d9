#include "sim/tube_model.h"

namespace zov {

namespace {

std::vector<TubeModel> makeModels()
{
    std::vector<TubeModel> models;
    const auto triode = [&](const char* name, double mu, double ex, double kg1, double kp, double kvb) {
        TubeModelParams p;
        p.mu = mu;
        p.ex = ex;
        p.kg1 = kg1;
        p.kp = kp;
        p.kvb = kvb;
        models.push_back({QString::fromLatin1(name), TubeModelKind::KorenTriode, p, 0.0});
    };
    const auto pentode = [&](const char* name, double mu, double ex, double kg1, double kg2, double kp, double kvb,
                             double screenVolts) {
        TubeModelParams p;
        p.mu = mu;
        p.ex = ex;
        p.kg1 = kg1;
        p.kg2 = kg2;
        p.kp = kp;
        p.kvb = kvb;
        models.push_back({QString::fromLatin1(name), TubeModelKind::KorenPentode, p, screenVolts});
    };
    // Koren's table.
    triode("12AX7", 100, 1.4, 1060, 600, 300);
    triode("12AU7", 21.5, 1.3, 1180, 84, 300);
    triode("300B", 3.95, 1.4, 1550, 65, 300);
    // Koren published no 6SN7 set. MU, KP and KG1 were fitted (EX 1.4 and
    // KVB 300 as in Koren's triode sets) to the 6SN7 nominal class-A1 point:
    // 250 V, -8 V, 9 mA, mu 20, rp 7.7 kOhm, gm 2.6 mA/V (Wikipedia "6SN7"
    // infobox). The model gives 9.0 mA, gm 2.57 mA/V and rp 7.56 kOhm there.
    triode("6SN7", 19.5, 1.4, 2025, 250, 300);
    // EL34 triode-connected: MU 11 is the Philips EL34 sheet's grid-2/grid-1
    // factor (the triode mu), EX and KP from Koren's EL34 pentode set, KVB 300
    // as in his triode sets, and KG1 chosen so that 350 V, -31.03 V gives the
    // 40 mA of a measured triode-connected EL34 (mbrennwa curvetracedata,
    // EL34_1).
    triode("EL34-triode", 11, 1.35, 378, 60, 300);
    // Pentodes from Koren's table at a typical screen voltage: the GE 6L6GC and
    // Philips EL34 class-A operating points use 250 V on grid 2.
    pentode("EL34", 11, 1.35, 650, 4200, 60, 24, 250);
    pentode("6L6GC", 8.7, 1.35, 1460, 4500, 48, 12, 250);
    return models;
}

}  // namespace

double TubeModel::anodeCurrent(double uaVolts, double vg1Volts) const
{
    return anodeCurrentA(kind, params, uaVolts, vg1Volts, screenVolts);
}

const std::vector<TubeModel>& TubeModel::all()
{
    static const std::vector<TubeModel> models = makeModels();
    return models;
}

QStringList TubeModel::names()
{
    QStringList out;
    for (const TubeModel& m : all())
        out << m.name;
    return out;
}

std::optional<TubeModel> TubeModel::find(const QString& name)
{
    for (const TubeModel& m : all()) {
        if (m.name.compare(name, Qt::CaseInsensitive) == 0)
            return m;
    }
    return std::nullopt;
}

}  // namespace zov
