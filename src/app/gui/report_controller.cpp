#include "app/gui/report_controller.h"

#include "core/curve_store.h"
#include "files/paths.h"
#include "print/report_messages.h"
#include "print/report_output.h"
#include "zov_version.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace zov::gui {

namespace msg = zov::report_messages;

namespace {

QPrinterInfo reportPrinter()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        return printer;
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    return printers.isEmpty() ? QPrinterInfo() : printers.first();
}

}  // namespace

ReportDialogs systemReportDialogs(QWidget* parent)
{
    ReportDialogs d;
    d.printerName = [] { return reportPrinter().printerName(); };
    d.askYesNo = [parent](const QString& question) {
        return QMessageBox::question(parent, QString(), question, QMessageBox::Yes | QMessageBox::No)
               == QMessageBox::Yes;
    };
    d.askText = [parent](const QString& prompt, const QString& answer) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(parent, QString(), prompt, QLineEdit::Normal, answer, &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    d.printPage = [](const ReportInputs& page, QString* error) {
        QPrinter printer(reportPrinter(), QPrinter::HighResolution);
        // The page is laid out for a portrait sheet about 1.4 times as high as wide.
        printer.setPageOrientation(QPageLayout::Portrait);
        return printReport(printer, page, error);
    };
    d.preview = [parent](const ReportInputs& page) {
        QPrintPreviewDialog dialog(parent);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&page](QPrinter* printer) {
            QString error;
            printReport(*printer, page, &error);
        });
        dialog.exec();
    };
    return d;
}

ReportController::ReportController(const Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
{
}

void ReportController::setContextSource(std::function<ReportContext()> source)
{
    m_context = std::move(source);
}

void ReportController::setDialogs(ReportDialogs dialogs)
{
    m_dialogs = std::move(dialogs);
}

void ReportController::setFileChooser(FileChooser chooser)
{
    m_chooseFile = std::move(chooser);
}

void ReportController::setPlotExporter(std::function<bool(const QString&, QString*)> exporter)
{
    m_exportPlot = std::move(exporter);
}

ReportInputs ReportController::pageFor(std::vector<std::string> curveTexts) const
{
    const ReportContext context = m_context ? m_context() : ReportContext{};
    ReportInputs page;
    page.voltsPerDiv = m_ws.VoltsPerDiv;
    page.maPerDiv = m_ws.MaPerDiv;
    page.powerText = context.powerText;
    page.curveTexts = std::move(curveTexts);
    // The operating point is on the page when its marker is on the plot.
    if (m_ws.ModeName != WorkMode::Capture && m_ws.MarkerY != 65536.0F)
        page.operatingPoint = ReportOperatingPoint{m_ws.MarkerX, m_ws.MarkerY, m_ws.LoadKOhm};
    page.legend = m_legendText.toStdString();
    page.version = ZOV_VERSION_STRING;
    page.pageHeightUnits = reportPageHeight(context.plotSizePx.width(), context.plotSizePx.height());
    return page;
}

std::vector<std::string> ReportController::tickedSlotTexts() const
{
    const ReportContext context = m_context ? m_context() : ReportContext{};
    QStringList paths;
    for (const ImportLine& line : context.imports)
        if (line.ticked && !line.path.isEmpty())
            paths.append(line.path);
    // Files that cannot be opened are left out without a message.
    return readCurveFiles(paths);
}

void ReportController::BtDirectPrint_Click()
{
    if (m_ws.CurveText.empty()) {
        emit message(msg::kNothingToPrint, MessageIcon::Question);
        return;
    }
    PrintReport({m_ws.CurveText});
}

void ReportController::Mnu_Print_Click()
{
    PrintReport(tickedSlotTexts());
}

void ReportController::Mnu_PrintPreview_Click()
{
    if (!m_dialogs.preview)
        return;
    // In Capture mode with a family captured, the page of "Print ..."; else
    // the page of "Hard copy".
    const bool capture = m_ws.ModeName == WorkMode::Capture && !m_ws.CurveText.empty();
    m_dialogs.preview(pageFor(capture ? std::vector<std::string>{m_ws.CurveText} : tickedSlotTexts()));
}

void ReportController::PrintReport(std::vector<std::string> curveTexts)
{
    if (!m_dialogs.printerName || !m_dialogs.askYesNo || !m_dialogs.askText)
        return;
    const QString printer = m_dialogs.printerName();
    QString pdfPath;
    if (!printer.isEmpty()) {
        if (!m_dialogs.askYesNo(msg::sendTo(printer)))
            return;
    } else {
        // Most desktops have no printer set up: the page can go to a PDF.
        if (!m_dialogs.askYesNo(msg::kNoPrinterWritePdf) || !m_chooseFile)
            return;
        pdfPath = m_chooseFile(QStringLiteral("Save"), msg::kPdfDialogTitle, msg::kPdfPattern, m_pdfFolder);
        if (pdfPath.isEmpty())
            return;
        m_pdfFolder = FolderOf(pdfPath);
    }
    const std::optional<QString> legend = m_dialogs.askText(msg::kLegendPrompt, m_legendText);
    if (!legend)
        return;  // cancelled: nothing printed, the legend kept
    m_legendText = *legend;

    const ReportInputs page = pageFor(std::move(curveTexts));
    QString error;
    const bool done = pdfPath.isEmpty() ? (m_dialogs.printPage && m_dialogs.printPage(page, &error))
                                        : writeReport(pdfPath, page, &error);
    if (!done)
        emit message(msg::printAborted(error), MessageIcon::None);
}

void ReportController::Mnu_ExportPlot_Click()
{
    if (!m_chooseFile || !m_exportPlot)
        return;
    const QString path =
        m_chooseFile(QStringLiteral("Save"), msg::kExportPlotTitle, msg::kExportPlotPattern, m_exportFolder);
    if (path.isEmpty())
        return;
    m_exportFolder = FolderOf(path);
    QString error;
    if (!m_exportPlot(path, &error))
        emit message(error, MessageIcon::Critical);
}

}  // namespace zov::gui
