#include "app/gui/scope_widget.h"

#include <QPainter>
#include <QPaintEvent>

namespace zov::gui {

ScopeWidget::ScopeWidget(QWidget* parent)
    : QWidget(parent)
{
    // The picture covers the whole widget: no background to paint first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    matchImageToSize();
}

QImage& ScopeWidget::image()
{
    matchImageToSize();
    return m_image;
}

void ScopeWidget::matchImageToSize()
{
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (m_image.size() == wanted)
        return;
    m_image = QImage(wanted, QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

void ScopeWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), m_image, event->rect());
}

void ScopeWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    matchImageToSize();
}

}  // namespace zov::gui
