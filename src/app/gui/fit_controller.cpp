#include "app/gui/fit_controller.h"

#include "core/text.h"
#include "design/spice_export.h"
#include "files/atomic_write.h"
#include "render/curve_drawing.h"
#include "render/plot_colours.h"

#include <QFileInfo>

#include <set>

namespace zov::gui {

namespace {

QString number(double v)
{
    return QString::number(v, 'g', 4);  // "." whatever the locale
}

QString resultText(const FitResult& fit)
{
    const TubeModelParams& p = fit.params;
    // Few short lines: the side column is narrow and, at the window's
    // minimum size, short.
    QString text = QStringLiteral("mu %1  ex %2\nkg1 %3  kp %4").arg(number(p.mu), number(p.ex), number(p.kg1), number(p.kp));
    if (fit.kind != TubeModelKind::DerkEPentode)
        text += QStringLiteral("\nkvb %1").arg(number(p.kvb));
    else
        text += QStringLiteral("\na %1  beta %2").arg(number(p.a), number(p.beta));
    text += QStringLiteral("\nRMS %1 mA\nmax %2 mA").arg(number(fit.rmsMa), number(fit.maxErrMa));
    text += QStringLiteral("\n%1 points, %2 iter.").arg(fit.points).arg(fit.iterations);
    if (!fit.converged)
        text += QStringLiteral("\nThe fit did not converge.");
    return text;
}

}  // namespace

FitController::FitController(Workspace& ws, QObject* parent) : QObject(parent), m_ws(ws) {}

void FitController::BtFit_Click(TubeModelKind kind)
{
    const CurveSet& slot = m_ws.CurveSets[0];
    if (!slot.Loaded) {
        emit messageRaised(QStringLiteral("Import a family into the first slot before fitting a model."));
        return;
    }
    FitOptions options;
    options.kind = kind;
    FitResult fit = fitTubeModel(slot, options);
    if (!fit.error.empty()) {
        m_fit.reset();
        emit resultShown(QString::fromStdString(fit.error), false);
        emit refreshRequested();
        return;
    }
    m_fit = fit;
    m_fittedFile = slot.FileName;
    emit resultShown(resultText(fit), true);
    emit refreshRequested();
}

void FitController::BtSaveSpice_Click()
{
    if (!m_fit || !m_chooser)
        return;
    const QFileInfo family(m_fittedFile);
    const QString path = m_chooser(QStringLiteral("Save"), QStringLiteral("Save the model as a SPICE subcircuit"),
                                   QStringLiteral("SPICE model (*.inc *.lib *.cir)"), family.absolutePath());
    if (path.isEmpty())
        return;
    const std::string text = spiceSubcircuit(*m_fit, family.completeBaseName().toStdString(),
                                             family.fileName().toStdString());
    const FileResult written = replaceFileAtomically(path, text);
    if (!written.ok)
        emit messageRaised(QStringLiteral("Cannot write %1: %2").arg(path, written.error));
}

void FitController::BtCloseFit_Click()
{
    m_fit.reset();
    emit refreshRequested();
}

bool FitController::fitStillApplies() const
{
    return m_fit && m_ws.CurveSets[0].Loaded && m_ws.CurveSets[0].FileName == m_fittedFile &&
           m_ws.ModeName == WorkMode::Cook;
}

void FitController::drawFamily(Surface& surface) const
{
    if (!fitStillApplies())
        return;
    const CurveSet& slot = m_ws.CurveSets[0];
    // The selection lists each chosen grid-1 voltage followed by ",".
    std::set<float> chosen;
    const std::string& list = m_ws.SeriesSelections[0].Vg1List;
    for (int n = 1;; ++n) {
        const std::string_view field = GetField(list, n, ",");
        if (field.empty())
            break;
        chosen.insert(static_cast<float>(numericValue(field)));
    }
    for (const zov::Series& series : slot.Series) {
        if (!chosen.empty() && chosen.count(series.Vg1) == 0)
            continue;
        const std::vector<PointColumn> points =
            modelCurve(m_fit->kind, m_fit->params, series.Vg1, series.Vg2, slot.UaMax, 96);
        PlotSeries(surface, m_ws, kSlotColours[0], static_cast<float>(kDrawModeCopy), static_cast<float>(kLineDash),
                   1.0F, points, false);
    }
}

}  // namespace zov::gui
