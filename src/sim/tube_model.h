#pragma once
// Anode current of the tubes the virtual module can emulate, from Koren's
// published triode and pentode equations (N. Koren, "Improved vacuum tube
// models for SPICE simulations", Glass Audio 5/1996; parameter table from his
// tube library errata, "Table 1, SPICE parameters for popular tube models").
//
//   triode:  E1 = (Ua / kP) ln(1 + exp(kP (1/mu + Vg1 / sqrt(kVB + Ua^2))))
//            Ia = E1^EX / kG1 * (1 + sgn E1)
//   pentode: E1 = (Vg2 / kP) ln(1 + exp(kP (1/mu + Vg1 / Vg2)))
//            Ia = E1^EX / kG1 * (1 + sgn E1) * atan(Ua / kVB)
//
// A pentode profile runs at a fixed screen voltage; the anode sweep does not
// move it.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zov {

struct TubeModel {
    QString name;
    bool pentode = false;
    double mu = 1.0;
    double ex = 1.4;
    double kg1 = 1000.0;
    double kp = 100.0;
    double kvb = 300.0;
    double screenVolts = 0.0;  // pentodes only

    // Anode current in amperes at anode voltage uaVolts and grid-1 voltage
    // vg1Volts (negative); 0 when the tube is cut off or the anode is at 0 V.
    double anodeCurrent(double uaVolts, double vg1Volts) const;

    static const std::vector<TubeModel>& all();
    static QStringList names();
    // Case-insensitive lookup.
    static std::optional<TubeModel> find(const QString& name);
};

}  // namespace zov
