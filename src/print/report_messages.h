#pragma once
// Texts of the printed report, in one place so that code and tests cannot
// drift apart.

#include <QString>

namespace zov::report_messages {

inline const QString kNothingToPrint = QStringLiteral("Nothing to print");
inline const QString kLegendPrompt = QStringLiteral("Single line legend:");
inline const QString kSendToPrefix = QStringLiteral("Send to ");
inline const QString kFooterPrefix = QStringLiteral("Drawn with ZOV V");
inline const QString kPrintAbortedPrefix = QStringLiteral("Print aborted");

// Asked instead of "Send to ..." when no printer is set up.
inline const QString kNoPrinterWritePdf =
    QStringLiteral("No printer is set up. Write the page to a PDF file instead?");
inline const QString kPdfDialogTitle = QStringLiteral("Write the page to a PDF file");
inline const QString kPdfPattern = QStringLiteral("*.pdf");
inline const QString kExportPlotTitle = QStringLiteral("Export the plot");
inline const QString kExportPlotPattern = QStringLiteral("*.png");

// Reasons given after "Print aborted".
inline const QString kPrinterNotReady = QStringLiteral("The printer could not start the page");
inline const QString kPageNotDrawn = QStringLiteral("The page could not be drawn");
inline const QString kUnknownPageFormat = QStringLiteral("Unknown page format (use .pdf, .png or .svg)");

// "Send to " and the printer's name.
inline QString sendTo(const QString& printerName)
{
    return kSendToPrefix + printerName;
}

// "Print aborted", CR LF, and the fault's description.
inline QString printAborted(const QString& reason)
{
    return kPrintAbortedPrefix + QStringLiteral("\r\n") + reason;
}

}  // namespace zov::report_messages
