#include "app/gui/show_vg_frame.h"

#include "app/gui/frame_parts.h"
#include "core/text.h"

#include <QGridLayout>
#include <QLabel>

namespace zov::gui {

ShowVgFrame::ShowVgFrame(QWidget* parent)
    : QGroupBox(QString(), parent)
{
    setObjectName(QStringLiteral("FrmShowVg"));
    auto* grid = frameGrid(this);
    m_lbVg1 = makeLabel(this, QStringLiteral("LbVg1"), QStringLiteral("Vg1= 0"));
    m_lbVg2 = makeLabel(this, QStringLiteral("LbVg2"), QStringLiteral("Vg2= 0"));
    grid->addWidget(m_lbVg1, 0, 0);
    grid->addWidget(m_lbVg2, 1, 0);
}

void ShowVgFrame::ShowGridLabels(float vg1, float vg2)
{
    m_lbVg1->setText(QStringLiteral("Vg1=") + QString::fromStdString(formatPattern(vg1, "0.##")));
    m_lbVg2->setText(QStringLiteral("Vg2=") + QString::fromStdString(formatGeneral(vg2)));
}

}  // namespace zov::gui
