#include "app/gui/plot_area.h"

#include "app/gui/flying_frame.h"
#include "app/gui/frame_parts.h"
#include "app/gui/grid_label_sink.h"
#include "app/gui/scope_widget.h"
#include "render/painter_surface.h"

#include <QLabel>

namespace zov::gui {

namespace {

constexpr int kTagHeightPx = 14;

}  // namespace

PlotArea::PlotArea(QWidget* client)
    : QObject(client)
{
    setObjectName(QStringLiteral("PlotArea"));
    m_scope = new ScopeWidget(client);
    m_scope->setObjectName(QStringLiteral("Scope"));

    const QFont font = PainterSurface::defaultPlotFont();
    auto makeTag = [&](QWidget* parent, const QString& name, int width, Qt::Alignment align) {
        QLabel* label = makeLabel(parent, name, QString());
        label->setFont(font);
        label->resize(width, kTagHeightPx);
        label->setAlignment(align | Qt::AlignVCenter);
        label->hide();
        return label;
    };
    for (int i = 0; i < 18; ++i) {
        const bool voltage = i <= 8;
        m_lbGrid[static_cast<std::size_t>(i)] =
            makeTag(client, QStringLiteral("LbGrid%1").arg(QString::number(i)),
                    voltage ? kVoltageTagWidthPx : kCurrentTagWidthPx,
                    voltage ? Qt::AlignHCenter : Qt::AlignRight);
    }
    m_slideUa = makeTag(client, QStringLiteral("SlideUa"), kVoltageTagWidthPx, Qt::AlignHCenter);
    m_slideIa = makeTag(client, QStringLiteral("SlideIa"), kCurrentTagWidthPx, Qt::AlignRight);
    m_ua0 = makeTag(client, QStringLiteral("Ua0"), kVoltageTagWidthPx, Qt::AlignHCenter);
    m_ia0 = makeTag(client, QStringLiteral("Ia0"), kCurrentTagWidthPx, Qt::AlignRight);
    for (int i = 0; i < 9; ++i) {
        m_lbInScope[static_cast<std::size_t>(i)] =
            makeTag(m_scope, QStringLiteral("LbInScope%1").arg(QString::number(i)), kCurrentTagWidthPx,
                    Qt::AlignHCenter);
    }

    PlotLabels labels;
    labels.scope = m_scope;
    labels.grid = m_lbGrid;
    labels.slideUa = m_slideUa;
    labels.slideIa = m_slideIa;
    labels.ua0 = m_ua0;
    labels.ia0 = m_ia0;
    m_labels = std::make_unique<GridLabelSink>(labels);
    m_flyingFrame = new FlyingFrame(m_scope);

    connect(m_scope, &ScopeWidget::mousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                emit pressed(button, modifiers, toPlotUnits(at.x(), m_scope->width()),
                             toPlotUnits(at.y(), m_scope->height()));
            });
    connect(m_scope, &ScopeWidget::mouseMoved, this, [this](QPoint at) {
        emit moved(toPlotUnits(at.x(), m_scope->width()), toPlotUnits(at.y(), m_scope->height()));
    });
}

PlotArea::~PlotArea() = default;

int PlotArea::currentTagWidth() const
{
    return m_slideIa->width();
}

void PlotArea::setScopeGeometry(const QRect& rect)
{
    m_scope->setGeometry(rect);
}

AxisLabelSink& PlotArea::labelSink()
{
    return *m_labels;
}

PainterSurface& PlotArea::surface()
{
    QImage& image = m_scope->image();
    if (!m_surface)
        m_surface = std::make_unique<PainterSurface>(&image);
    else if (m_surface->targetRect() != image.rect())
        m_surface->setDevice(&image);
    return *m_surface;
}

Surface& PlotArea::plotSurface()
{
    return surface();
}

void PlotArea::showPicture()
{
    if (m_surface)
        m_surface->flush();
    m_scope->update();
}

void PlotArea::followCursor(const CursorReadout& readout, float x, float y)
{
    m_flyingFrame->follow(readout, x, y);
}

void PlotArea::toggleCursorFrame()
{
    m_flyingFrame->setVisible(m_flyingFrame->isHidden());
    if (m_flyingFrame->isVisible())
        m_flyingFrame->raise();
}

void PlotArea::hideCursorFrame()
{
    m_flyingFrame->hide();
}

void PlotArea::hideOperatingTags()
{
    m_ua0->hide();
    m_ia0->hide();
}

void PlotArea::hideSpanTags()
{
    for (QLabel* tag : m_lbInScope)
        tag->hide();
}

float PlotArea::toPlotUnits(int pixel, int extentPx)
{
    if (extentPx <= 1)
        return 0.0F;
    return static_cast<float>(static_cast<double>(pixel) * 65536.0 / (extentPx - 1));
}

}  // namespace zov::gui
