#include "print/report_output.h"

#include "files/file_channel.h"
#include "files/atomic_write.h"
#include "print/page_surface.h"
#include "print/report_messages.h"
#include "render/painter_surface.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include <cmath>

namespace zov {

namespace {

constexpr double kPageAspect = 1.4;  // page height / width the layout assumes
constexpr double kMarginMm = 10.0;
constexpr int kPdfDpi = 600;         // the resolution the pen widths are given for

QPageLayout fileLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
}

}  // namespace

ReportImagePage reportImagePage(int dpi)
{
    const QPageLayout layout = fileLayout();
    return ReportImagePage{layout.fullRectPixels(dpi).size(), layout.paintRectPixels(dpi)};
}

std::optional<PageFormat> pageFormatFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return PageFormat::Pdf;
    if (suffix == QLatin1String("png"))
        return PageFormat::Png;
    if (suffix == QLatin1String("svg"))
        return PageFormat::Svg;
    return std::nullopt;
}

QRect reportTargetRect(const QRect& printableArea)
{
    int width = printableArea.width();
    int height = static_cast<int>(std::lround(width * kPageAspect));
    if (height > printableArea.height()) {
        height = printableArea.height();
        width = static_cast<int>(std::lround(height / kPageAspect));
    }
    const int left = printableArea.left() + (printableArea.width() - width) / 2;
    return QRect(left, printableArea.top(), width, height);
}

void paintReport(QPainter& painter, const QRect& printableArea, const ReportInputs& inputs)
{
    const int dpi = painter.device() != nullptr ? painter.device()->logicalDpiY() : kPdfDpi;
    PainterSurface device(&painter, reportTargetRect(printableArea));
    PageSurface page(device, inputs.pageHeightUnits, dpi);
    PrintReport(page, inputs);
}

std::optional<std::string> renderReport(const QString& path, const ReportInputs& inputs, QString* error)
{
    const auto format = pageFormatFor(path);
    if (!format) {
        *error = report_messages::kUnknownPageFormat;
        return std::nullopt;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    switch (*format) {
    case PageFormat::Pdf: {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfDpi);
        writer.setPageLayout(fileLayout());
        writer.setCreator(QStringLiteral("Zovograph"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = report_messages::kPageNotDrawn;
            return std::nullopt;
        }
        // The painter's origin is the top-left corner of the printable area.
        paintReport(painter, QRect(0, 0, writer.width(), writer.height()), inputs);
        painter.end();
        break;
    }
    case PageFormat::Png: {
        const ReportImagePage page = reportImagePage(kReportImageDpi);
        QImage image(page.full, QImage::Format_RGB32);
        const int dotsPerMeter = static_cast<int>(std::lround(kReportImageDpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paintReport(painter, page.printable, inputs);
        }
        if (!image.save(&buffer, "PNG")) {
            *error = report_messages::kPageNotDrawn;
            return std::nullopt;
        }
        break;
    }
    case PageFormat::Svg: {
        const ReportImagePage page = reportImagePage(kReportImageDpi);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setResolution(kReportImageDpi);
        generator.setSize(page.full);
        generator.setViewBox(QRect(QPoint(0, 0), page.full));
        generator.setTitle(QString::fromStdString(inputs.legend));
        QPainter painter;
        if (!painter.begin(&generator)) {
            *error = report_messages::kPageNotDrawn;
            return std::nullopt;
        }
        painter.fillRect(QRect(QPoint(0, 0), page.full), Qt::white);
        paintReport(painter, page.printable, inputs);
        painter.end();
        break;
    }
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool writeReport(const QString& path, const ReportInputs& inputs, QString* error)
{
    const auto bytes = renderReport(path, inputs, error);
    if (!bytes)
        return false;
    const FileResult written = replaceFileAtomically(path, *bytes);
    if (!written.ok) {
        *error = written.error;
        return false;
    }
    return true;
}

bool printReport(QPrinter& printer, const ReportInputs& inputs, QString* error)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = report_messages::kPrinterNotReady;
        return false;
    }
    const QRect printable(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    paintReport(painter, printable, inputs);
    if (printer.printerState() == QPrinter::Error) {
        // The page is not ended: nothing half-drawn is sent.
        printer.abort();
        *error = report_messages::kPrinterNotReady;
        return false;
    }
    painter.end();
    return true;
}

std::vector<std::string> readCurveFiles(const QStringList& paths, QStringList* skipped)
{
    std::vector<std::string> texts;
    for (const QString& path : paths) {
        QString mode = QStringLiteral("R");
        const int channel = OpenFile(path, mode);
        QFile* file = channel != 0 ? channelFile(channel) : nullptr;
        if (file == nullptr) {
            if (skipped != nullptr)
                skipped->append(path);
            continue;
        }
        const QByteArray bytes = file->readAll();
        const bool readOk = file->error() == QFileDevice::NoError;
        CloseFile(channel);
        if (!readOk) {
            if (skipped != nullptr)
                skipped->append(path);
            continue;
        }
        texts.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return texts;
}

}  // namespace zov
