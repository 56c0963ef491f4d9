#include "app/gui/select_series_frame.h"

#include "app/gui/frame_parts.h"
#include "core/text.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace zov::gui {

namespace {

// Frame widths for one and for two grid lists, in pixels.
constexpr int kNarrowWidthPx = 129;
constexpr int kWideWidthPx = 177;

QListWidget* makeList(QWidget* parent, const QString& name)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

std::string selectedLines(const QListWidget* list)
{
    std::string text;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            text += list->item(i)->text().toStdString() + ",";
    }
    return text;
}

}  // namespace

SelectSeriesFrame::SelectSeriesFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Select Series"), parent)
{
    setObjectName(QStringLiteral("FrmSelect"));
    auto* grid = frameGrid(this);
    m_listVg1 = makeList(this, QStringLiteral("ListVg1"));
    m_listVg2 = makeList(this, QStringLiteral("ListVg2"));
    m_label29 = makeLabel(this, QStringLiteral("Label29"), QStringLiteral("Vg2"));
    m_btApplySelect = makeButton(this, QStringLiteral("BtApplySelect"), QStringLiteral("Apply"));
    m_label9 = makeLabel(this, QStringLiteral("Label9"), QStringLiteral("Multiselect allowed for one grid only"));
    m_label9->setWordWrap(true);
    m_label9->setStyleSheet(QStringLiteral("color: red;"));
    m_label9->hide();
    grid->addWidget(makeLabel(this, QStringLiteral("Label28"), QStringLiteral("Vg1")), 0, 0);
    grid->addWidget(m_label29, 0, 1);
    grid->addWidget(m_listVg1, 1, 0);
    grid->addWidget(m_listVg2, 1, 1);
    grid->addWidget(m_btApplySelect, 2, 0, 1, 2);
    grid->addWidget(m_label9, 3, 0, 1, 2);

    connect(m_listVg1, &QListWidget::itemSelectionChanged, this, &SelectSeriesFrame::ListVg_Click);
    connect(m_listVg2, &QListWidget::itemSelectionChanged, this, &SelectSeriesFrame::ListVg_Click);
    connect(m_btApplySelect, &QPushButton::clicked, this, &SelectSeriesFrame::BtApplySelect_Click);
    hide();
}

void SelectSeriesFrame::OpenSeriesSelection(const CurveSet& set, int slot)
{
    m_slot = slot;
    m_listVg1->clear();
    m_listVg2->clear();
    for (const GridColumn& column : set.Vg1Table)
        m_listVg1->addItem(QString::fromStdString(formatGeneral(column.voltage)));
    for (const GridColumn& column : set.Vg2Table)
        m_listVg2->addItem(QString::fromStdString(formatGeneral(column.voltage)));
    const bool twoGrids = set.Vg2Table.size() >= 2;
    if (!twoGrids && m_listVg2->count() > 0)
        m_listVg2->item(0)->setSelected(true);
    m_listVg2->setVisible(twoGrids);
    m_label29->setVisible(twoGrids);
    setFixedWidth(twoGrids ? kWideWidthPx : kNarrowWidthPx);
    show();
}

void SelectSeriesFrame::ListVg_Click()
{
    const bool both = m_listVg1->selectedItems().size() > 1 && m_listVg2->selectedItems().size() > 1;
    m_label9->setVisible(both);
    m_btApplySelect->setVisible(!both);
}

void SelectSeriesFrame::BtApplySelect_Click()
{
    SeriesSelection selection;
    selection.Vg1List = selectedLines(m_listVg1);
    selection.Vg2List = selectedLines(m_listVg2);
    hide();
    emit applied(m_slot, selection);
}

}  // namespace zov::gui
