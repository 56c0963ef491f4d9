#pragma once
// The panel "Model" (`FrmFit`) of Cook mode: a tube model fitted to the
// family of comparison slot 0. CbModel chooses the model, BtFit fits it,
// LbFit shows the parameters and the fit's error, BtSaveSpice saves the
// model as a SPICE subcircuit and BtCloseFit hides the panel (and the fitted
// family with it). It owns these controls and reports clicks; the fit
// controller does the work.

#include "core/tube_models.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QPushButton;

namespace zov::gui {

class FitPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit FitPanel(QWidget* parent = nullptr);

    TubeModelKind model() const;
    void showResult(const QString& text, bool canSave);

signals:
    void fitClicked(zov::TubeModelKind kind);
    void saveClicked();
    void closeClicked();

private:
    QComboBox* m_cbModel = nullptr;
    QLabel* m_lbFit = nullptr;
    QPushButton* m_btSave = nullptr;
};

}  // namespace zov::gui
