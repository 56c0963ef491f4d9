#include "render/scene_export.h"

#include "render/qt_colour.h"

#include "files/atomic_write.h"

#include "plot/collecting_label_sink.h"
#include "render/display_messages.h"
#include "render/painter_surface.h"
#include "plot/scope_labels.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <map>

namespace zov {

namespace {

// PDF and SVG are laid out at screen resolution, so one device unit is one
// pixel of the PNG of the same size and pen widths look alike.
constexpr int kVectorDpi = 96;

void paintMarginLabels(QPainter& painter, const QRect& plotRect,
                       const std::vector<AxisLabelPlacement>& placements)
{
    // What a window would show: the last placement of each grid label pair.
    std::map<int, AxisLabelPlacement> latest;
    for (const auto& p : placements) {
        if (p.pair == AxisLabelPair::Grid)
            latest[p.index] = p;
    }
    const QFont font = PainterSurface::defaultPlotFont();
    painter.save();
    painter.setFont(font);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QFontMetrics metrics(font, painter.device());
    for (const auto& [index, p] : latest) {
        const QString u = QString::fromStdString(p.captionU);
        const QString i = QString::fromStdString(p.captionI);
        const QSize uSize(metrics.horizontalAdvance(u), metrics.height());
        const QSize iSize(metrics.horizontalAdvance(i), metrics.height());
        const AxisLabelGeometry g = axisLabelGeometry(plotRect, uSize, iSize, p.xUnits, p.yUnits);
        painter.setPen(toQColor(p.colour));
        painter.drawText(g.voltageTopLeft.x(), g.voltageTopLeft.y() + metrics.ascent(), u);
        painter.drawText(g.currentTopLeft.x(), g.currentTopLeft.y() + metrics.ascent(), i);
    }
    painter.restore();
}

}  // namespace

std::optional<ExportFormat> exportFormatFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return ExportFormat::Png;
    if (suffix == QLatin1String("svg"))
        return ExportFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return ExportFormat::Pdf;
    return std::nullopt;
}

QRect exportPlotRect(const QRect& area, const ExportMargins& margins)
{
    return area.adjusted(margins.left, margins.top, -margins.right, -margins.bottom);
}

SceneOutput paintExportScene(QPainter& painter, const QRect& area, const SceneInputs& inputs,
                             const ExportMargins& margins)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, Qt::white);
    const QRect plotRect = exportPlotRect(area, margins);
    SceneOutput output;
    {
        PainterSurface surface(&painter, plotRect);
        output = composeScene(surface, inputs);
        surface.flush();
    }
    // A thin frame just outside the plot, as the border of the screen's plot:
    // the grid has no line at zero volts and at full current.
    painter.setClipping(false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(QColor(160, 160, 160), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plotRect.adjusted(-1, -1, 0, 0));
    paintMarginLabels(painter, plotRect, output.labels);
    painter.restore();
    return output;
}

std::optional<QByteArray> renderScene(ExportFormat format, const QSize& size, const SceneInputs& inputs)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPainter painter;
    switch (format) {
    case ExportFormat::Png: {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!painter.begin(&image))
            return std::nullopt;
        paintExportScene(painter, image.rect(), inputs);
        painter.end();
        if (!image.save(&buffer, "PNG"))
            return std::nullopt;
        break;
    }
    case ExportFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(kVectorDpi);
        svg.setTitle(QStringLiteral("Zovograph plot"));
        if (!painter.begin(&svg))
            return std::nullopt;
        paintExportScene(painter, QRect(QPoint(0, 0), size), inputs);
        painter.end();
        break;
    }
    case ExportFormat::Pdf: {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kVectorDpi);
        pdf.setPageLayout(QPageLayout(
            QPageSize(QSizeF(size.width() * 72.0 / kVectorDpi, size.height() * 72.0 / kVectorDpi),
                      QPageSize::Point, QString(), QPageSize::ExactMatch),
            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pdf.setTitle(QStringLiteral("Zovograph plot"));
        if (!painter.begin(&pdf))
            return std::nullopt;
        paintExportScene(painter, QRect(0, 0, pdf.width(), pdf.height()), inputs);
        painter.end();
        break;
    }
    }
    return bytes;
}

bool exportScene(const QString& path, const QSize& size, const SceneInputs& inputs, QString* error)
{
    const auto fail = [&](const QString& message) {
        if (error != nullptr)
            *error = message;
        return false;
    };
    const std::optional<ExportFormat> format = exportFormatFor(path);
    if (!format)
        return fail(QString::fromLatin1(display_messages::kUnknownExtension));
    const QString cannotWrite =
        QString::fromLatin1(display_messages::kCannotWrite) + QLatin1String(" ") + path;
    const std::optional<QByteArray> bytes = renderScene(*format, size, inputs);
    if (!bytes)
        return fail(cannotWrite);
    const FileResult written = replaceFileAtomically(
        path, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    if (!written.ok)
        return fail(cannotWrite + QLatin1String(": ") + written.error);
    return true;
}

}  // namespace zov
