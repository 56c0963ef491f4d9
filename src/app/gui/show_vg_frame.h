#pragma once
// The grid-voltage frame (`FrmShowVg`): LbVg1 and LbVg2 show the grid
// voltages of the step being measured. Shown in Capture mode only.

#include <QGroupBox>

class QLabel;

namespace zov::gui {

class ShowVgFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit ShowVgFrame(QWidget* parent = nullptr);

public slots:
    // "Vg1=" with the grid-1 voltage in "0.##" (so -2 reads "Vg1=-2."),
    // "Vg2=" with the grid-2 voltage in the general number format.
    void ShowGridLabels(float vg1, float vg2);

private:
    QLabel* m_lbVg1 = nullptr;
    QLabel* m_lbVg2 = nullptr;
};

}  // namespace zov::gui
