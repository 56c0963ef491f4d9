#include "app/gui/grid_label_sink.h"

#include "plot/scope_labels.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace zov::gui {

namespace {

void setTextColour(QLabel* label, Colour colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
    label->setPalette(palette);
}

}  // namespace

GridLabelSink::GridLabelSink(const PlotLabels& labels)
    : m_labels(labels)
{
}

void GridLabelSink::placeAxisLabels(const AxisLabelPlacement& placement)
{
    QLabel* labelU = nullptr;
    QLabel* labelI = nullptr;
    switch (placement.pair) {
    case AxisLabelPair::Grid:
        if (placement.index < 0 || placement.index > 8)
            return;
        labelU = m_labels.grid[static_cast<std::size_t>(placement.index)];
        labelI = m_labels.grid[static_cast<std::size_t>(placement.index) + 9];
        break;
    case AxisLabelPair::Cursor:
        labelU = m_labels.slideUa;
        labelI = m_labels.slideIa;
        break;
    case AxisLabelPair::Operating:
        labelU = m_labels.ua0;
        labelI = m_labels.ia0;
        break;
    }
    if (labelU == nullptr || labelI == nullptr || m_labels.scope == nullptr)
        return;

    const AxisLabelGeometry geometry =
        axisLabelGeometry(m_labels.scope->geometry(), labelU->size(), labelI->size(),
                          placement.xUnits, placement.yUnits);
    labelU->setText(QString::fromStdString(placement.captionU));
    labelI->setText(QString::fromStdString(placement.captionI));
    setTextColour(labelU, placement.colour);
    setTextColour(labelI, placement.colour);
    labelU->move(geometry.voltageTopLeft);
    labelI->move(geometry.currentTopLeft);
    labelU->show();
    labelI->show();
    labelU->raise();
    labelI->raise();
}

}  // namespace zov::gui
