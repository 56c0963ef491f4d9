#pragma once
// The plot `Scope`: keeps its picture in a QImage between repaints and only
// blits it, so a repaint never redraws the scene (drawing happens in the
// central refresh, and XOR figures drawn later stay exactly as drawn).

#include <QImage>
#include <QWidget>

namespace zov::gui {

class ScopeWidget : public QWidget {
    Q_OBJECT
public:
    explicit ScopeWidget(QWidget* parent = nullptr);

    // The persistent picture, always the size of the widget (Format_RGB32,
    // white when new). Drawing code paints into it, then calls update().
    QImage& image();

signals:
    // Mouse presses and moves over the plot, in pixels of the widget.
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void mouseMoved(QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void matchImageToSize();

    QImage m_image;
};

}  // namespace zov::gui
