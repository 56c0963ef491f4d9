#pragma once
// The report controller: the printed report of the plot and the export of the
// plot picture. "Print ..." (BtDirectPrint, frame "Capture") prints the
// captured family; the menu entry "Hard copy" (Mnu_Print) prints the files of
// the ticked comparison slots, read whole at print time; "Print preview ..."
// shows the page; "Export plot ..." writes the plot as PNG, SVG or PDF.
//
// The page is drawn afresh by the print layer (PrintReport) from plain
// values: the window's scales, the limit text, the plot's size, the operating
// point. Printing never changes the Workspace or the picture on screen; only
// the legend typed last is kept, to be offered again.
//
// Where the page goes: with a printer set up the user is asked "Send to "
// and its name (Yes/No); without one the question offers a PDF file instead
// and a file dialog asks for its name. A fault ends in "Print aborted" and
// the reason, and a PDF is written whole or not at all.

#include "app/gui/file_chooser.h"
#include "app/gui/message_sink.h"
#include "print/report_page.h"
#include "render/comparison_sets.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace zov {
struct Workspace;
}

namespace zov::gui {

// What the report needs from the window at print time, in plain values.
struct ReportContext {
    std::string powerText = "2";                 // TxPwr as typed
    QSize plotSizePx;                            // the plot on screen
    std::array<ImportLine, kSlotCount> imports;  // ticks and files of the "Cooking" frame
};

// How the report asks its questions and reaches the printer; the window
// installs boxes and the system's printer, tests install answers.
struct ReportDialogs {
    // The printer a page would go to; empty when none is set up.
    std::function<QString()> printerName;
    std::function<bool(const QString& question)> askYesNo;
    // nullopt when the user cancels.
    std::function<std::optional<QString>(const QString& prompt, const QString& answer)> askText;
    // Prints the page on the printer named by printerName (false and a reason
    // when the printer fails).
    std::function<bool(const ReportInputs& page, QString* error)> printPage;
    // Shows the page in a print preview (from which it can be printed).
    std::function<void(const ReportInputs& page)> preview;
};

// The window's dialogs and printer for a report controller.
ReportDialogs systemReportDialogs(QWidget* parent);

class ReportController : public QObject {
    Q_OBJECT
public:
    explicit ReportController(const Workspace& ws, QObject* parent = nullptr);

    void setContextSource(std::function<ReportContext()> source);
    void setDialogs(ReportDialogs dialogs);
    void setFileChooser(FileChooser chooser);
    // Writes the plot as the screen shows it to a file (format by extension).
    void setPlotExporter(std::function<bool(const QString& path, QString* error)> exporter);

    // The legend typed last (`LegendText`), offered as the next default.
    const QString& legendText() const { return m_legendText; }

    // The page for these curve texts with the window's current settings.
    ReportInputs pageFor(std::vector<std::string> curveTexts) const;

public slots:
    void BtDirectPrint_Click();
    void Mnu_Print_Click();
    void Mnu_PrintPreview_Click();
    void Mnu_ExportPlot_Click();

signals:
    void message(const QString& text, zov::gui::MessageIcon icon);

private:
    // Asks where the page goes and for the legend, then prints or writes it.
    void PrintReport(std::vector<std::string> curveTexts);
    std::vector<std::string> tickedSlotTexts() const;

    const Workspace& m_ws;
    QString m_legendText;
    QString m_pdfFolder;
    QString m_exportFolder;
    std::function<ReportContext()> m_context;
    ReportDialogs m_dialogs;
    FileChooser m_chooseFile;
    std::function<bool(const QString&, QString*)> m_exportPlot;
};

}  // namespace zov::gui
