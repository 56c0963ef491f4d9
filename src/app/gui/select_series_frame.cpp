#include "app/gui/select_series_frame.h"

#include "app/gui/frame_parts.h"
#include "plot/series_selection_form.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace zov::gui {

namespace {

QListWidget* makeList(QWidget* parent, const QString& name)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

void fill(QListWidget* list, const std::vector<std::string>& lines)
{
    list->clear();
    for (const std::string& line : lines)
        list->addItem(QString::fromStdString(line));
}

std::string selectedLines(const QListWidget* list)
{
    std::vector<std::string> lines;
    std::vector<bool> selected;
    for (int i = 0; i < list->count(); ++i) {
        lines.push_back(list->item(i)->text().toStdString());
        selected.push_back(list->item(i)->isSelected());
    }
    return selectionList(lines, selected);
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
    const SeriesSelectionForm form = openSeriesSelection(set);
    fill(m_listVg1, form.vg1Lines);
    fill(m_listVg2, form.vg2Lines);
    if (form.preselectVg2 && m_listVg2->count() > 0)
        m_listVg2->item(0)->setSelected(true);
    m_listVg2->setVisible(form.wide);
    m_label29->setVisible(form.wide);
    setFixedWidth(form.widthPx);
    show();
}

void SelectSeriesFrame::ListVg_Click()
{
    const bool both = selectionNeedsWarning(static_cast<int>(m_listVg1->selectedItems().size()),
                                            static_cast<int>(m_listVg2->selectedItems().size()));
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
