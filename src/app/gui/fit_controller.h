#pragma once
// "Fit model ...": a tube model fitted to the family of comparison slot 0,
// its parameters and error shown in the Model panel, the fitted family drawn
// dashed in the slot's colour over the measured one, and the model saved as
// a SPICE subcircuit. The fit is kept with the name of the file it was made
// from; once slot 0 holds another family the fitted curves are no longer
// drawn.

#include "app/gui/file_chooser.h"
#include "design/tube_fit.h"
#include "render/surface.h"

#include <QObject>
#include <QString>

#include <optional>

namespace zov::gui {

class FitController : public QObject {
    Q_OBJECT
public:
    explicit FitController(Workspace& ws, QObject* parent = nullptr);

    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    void BtFit_Click(zov::TubeModelKind kind);
    void BtSaveSpice_Click();
    void BtCloseFit_Click();

    // Draws the fitted model at the grid voltages of slot 0's selection.
    void drawFamily(Surface& surface) const;
    const std::optional<FitResult>& result() const { return m_fit; }

signals:
    void resultShown(const QString& text, bool canSave);
    void messageRaised(const QString& text);
    void refreshRequested();

private:
    bool fitStillApplies() const;

    Workspace& m_ws;
    FileChooser m_chooser;
    std::optional<FitResult> m_fit;
    QString m_fittedFile;
};

}  // namespace zov::gui
