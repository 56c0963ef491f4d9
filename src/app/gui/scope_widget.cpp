#include "app/gui/scope_widget.h"

#include <QPainter>
#include <QMouseEvent>
#include <QPaintEvent>

namespace zov::gui {

ScopeWidget::ScopeWidget(QWidget* parent)
    : QWidget(parent)
{
    // The picture covers the whole widget: no background to paint first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    // Moves are reported without a button held: the cursor read-out follows
    // the pointer.
    setMouseTracking(true);
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

void ScopeWidget::mousePressEvent(QMouseEvent* event)
{
    // The plot handles its own presses: they are not a click on the window
    // background.
    event->accept();
    emit mousePressed(event->button(), event->modifiers(), event->position().toPoint());
}

void ScopeWidget::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseMoved(event->position().toPoint());
}

}  // namespace zov::gui
