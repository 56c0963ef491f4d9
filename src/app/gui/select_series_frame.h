#pragma once
// The frame "Select Series" (`FrmSelect`): which series of a comparison slot
// are drawn. ListVg1 and ListVg2 hold the set's grid-1 and grid-2 voltages
// (several lines may be selected in one of them, not in both: the red
// warning Label9 then stands in for BtApplySelect); "Apply" reports the
// choice as the two comma lists of a SeriesSelection ("-1,-2," and "250,")
// and hides the frame. Hidden until a slot is imported.

#include "core/curve_store.h"

#include <QGroupBox>

class QLabel;
class QListWidget;
class QPushButton;

namespace zov::gui {

class SelectSeriesFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit SelectSeriesFrame(QWidget* parent = nullptr);

    // Fills the lists from `set` for comparison slot `slot` and shows the
    // frame: narrow, with the grid-2 list hidden and its only line selected,
    // when the set has a single grid-2 voltage.
    void OpenSeriesSelection(const CurveSet& set, int slot);
    int slot() const { return m_slot; }

signals:
    void applied(int slot, const zov::SeriesSelection& selection);

private:
    void ListVg_Click();
    void BtApplySelect_Click();

    int m_slot = 0;
    QListWidget* m_listVg1 = nullptr;
    QListWidget* m_listVg2 = nullptr;
    QLabel* m_label29 = nullptr;
    QLabel* m_label9 = nullptr;
    QPushButton* m_btApplySelect = nullptr;
};

}  // namespace zov::gui
