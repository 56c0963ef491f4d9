#include "app/gui/flying_frame.h"

#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

namespace zov::gui {

FlyingFrame::FlyingFrame(QWidget* plot)
    : QFrame(plot)
{
    setObjectName(QStringLiteral("FlyingFrame"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 255, 225));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    // The pointer stays the plot's: clicks and moves over the frame reach it.
    setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(3, 1, 3, 1);
    column->setSpacing(0);
    const auto add = [&](QLabel*& label, const char* name, const char* text) {
        label = new QLabel(QString::fromLatin1(text), this);
        label->setObjectName(QString::fromLatin1(name));
        column->addWidget(label);
    };
    add(m_ua, "FlyingUa", "Ua: 0.0");
    add(m_ia, "FlyingIa", "Ia: 0.0");
    add(m_pd, "FlyingPd", "Pd: 0.0");
    add(m_po, "FlyingPo", "Po: 0.0");
    m_po->hide();
    // Wide enough for "Pd: 1000.0" so that the frame does not change size
    // (and jump) as the values grow.
    setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("Ua: 1000.0")) + 10);
    hide();
}

void FlyingFrame::follow(const CursorReadout& readout, float x, float y)
{
    m_ua->setText(QString::fromStdString(readout.flyingUa));
    m_ia->setText(QString::fromStdString(readout.flyingIa));
    m_pd->setText(QString::fromStdString(readout.flyingPd));
    if (readout.flyingPo) {
        m_po->setText(QString::fromStdString(*readout.flyingPo));
        m_po->show();
    } else {
        m_po->hide();
    }
    adjustSize();

    // The flip rule works in plot units: the frame's size is converted with
    // the plot's current size, and the corner back to pixels.
    const QWidget* plot = parentWidget();
    const double unitsPerPxX = 65536.0 / std::max(1, plot->width() - 1);
    const double unitsPerPxY = 65536.0 / std::max(1, plot->height() - 1);
    const FramePosition corner = flyingFramePosition(x, y, static_cast<float>(width() * unitsPerPxX),
                                                     static_cast<float>(height() * unitsPerPxY));
    move(static_cast<int>(std::lround(corner.left / unitsPerPxX)),
         static_cast<int>(std::lround(corner.top / unitsPerPxY)));
}

QString FlyingFrame::uaText() const { return m_ua->text(); }
QString FlyingFrame::iaText() const { return m_ia->text(); }
QString FlyingFrame::pdText() const { return m_pd->text(); }
QString FlyingFrame::poText() const { return m_po->text(); }
bool FlyingFrame::poShown() const { return !m_po->isHidden(); }

}  // namespace zov::gui
