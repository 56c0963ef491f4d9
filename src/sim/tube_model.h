#pragma once
// The tubes the virtual module can emulate: a name, one of the models of
// core/tube_models.h and its parameters. Most come from Koren's published
// parameter table (his tube library errata, "Table 1, SPICE parameters for
// popular tube models"); the others say where their values come from.
//
// A pentode profile runs at a fixed screen voltage; the anode sweep does not
// move it.

#include "core/tube_models.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zov {

struct TubeModel {
    QString name;
    TubeModelKind kind = TubeModelKind::KorenTriode;
    TubeModelParams params;
    double screenVolts = 0.0;  // pentodes only

    bool pentode() const { return isPentodeModel(kind); }

    // Anode current in amperes at anode voltage uaVolts and grid-1 voltage
    // vg1Volts (negative); 0 when the tube is cut off or the anode is at 0 V.
    double anodeCurrent(double uaVolts, double vg1Volts) const;

    static const std::vector<TubeModel>& all();
    static QStringList names();
    // Case-insensitive lookup.
    static std::optional<TubeModel> find(const QString& name);
};

}  // namespace zov
