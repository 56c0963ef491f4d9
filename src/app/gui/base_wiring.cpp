// The window's wiring: which frame signal reaches which controller, what each
// controller's results do to the frames, and the values that cross between
// them (a project's settings gathered from and handed to the frames, the
// plot's picture for the export). Kept apart from the presenter (base.cpp),
// whose job is the layout, the modes and the one central refresh.

#include "app/gui/base.h"

#include "app/gui/capture_controller.h"
#include "app/gui/capture_frame.h"
#include "app/gui/comparison_controller.h"
#include "app/gui/cook_frame.h"
#include "app/gui/design_controller.h"
#include "app/gui/display_frame.h"
#include "app/gui/fit_controller.h"
#include "app/gui/fit_panel.h"
#include "app/gui/import_row.h"
#include "app/gui/plot_area.h"
#include "app/gui/project_controller.h"
#include "app/gui/report_controller.h"
#include "app/gui/scope_widget.h"
#include "app/gui/select_series_frame.h"
#include "app/gui/show_vg_frame.h"
#include "files/project_file.h"
#include "plot/scales.h"
#include "render/capture_step.h"
#include "render/painter_surface.h"

#include "files/atomic_write.h"
#include "files/files_messages.h"
#include "render/display_messages.h"
#include "render/scene_export.h"

#include <QAction>
#include <QFile>

namespace zov::gui {

void Base::connectControllers()
{
    connect(m_mnuCapture, &QAction::triggered, this, &Base::Mnu_Capture_Click);
    connect(m_mnuCook, &QAction::triggered, this, &Base::Mnu_Cook_Click);
    connect(m_display, &DisplayFrame::refreshRequested, this, &Base::RefreshScope);
    connect(m_display, &DisplayFrame::autoScaleClicked, this, &Base::BtAutoScale_Click);

    // Capture.
    connect(m_captureFrame, &CaptureFrame::goClicked, m_capture, &CaptureController::BtSet_Click);
    connect(m_captureFrame, &CaptureFrame::stopClicked, m_capture, &CaptureController::BtStop_Click);
    connect(m_captureFrame, &CaptureFrame::saveClicked, m_capture, &CaptureController::BtExport_Click);
    connect(m_captureFrame, &CaptureFrame::appendClicked, m_capture, &CaptureController::BtAppend_Click);
    connect(m_captureFrame, &CaptureFrame::useAsBackgroundClicked, m_capture, &CaptureController::BtBckgnd_Click);
    connect(m_captureFrame, &CaptureFrame::loadBackgroundClicked, m_capture, &CaptureController::BtBgndFile_Click);
    connect(m_capture, &CaptureController::gridVoltagesChanged, m_showVg, &ShowVgFrame::ShowGridLabels);
    connect(m_capture, &CaptureController::refreshRequested, this, &Base::RefreshScope);
    connect(m_capture, &CaptureController::curveMeasured, this, [this] {
        // Cook mode shows the comparison families, not the capture.
        if (m_ws.ModeName != WorkMode::Capture)
            return;
        drawCaptureStep(m_plot->surface(), m_ws);
        m_plot->showPicture();
    });
    connect(m_capture, &CaptureController::message, this, &Base::showMessage);

    // Design: the plot's mouse, the options and the design inputs.
    connect(m_plot, &PlotArea::pressed, m_design, &DesignController::Scope_MouseDown);
    connect(m_plot, &PlotArea::moved, m_design, &DesignController::Scope_MouseMove);
    connect(m_cook, &CookFrame::loadArrowPressed, m_design, &DesignController::RLoad_KeyDown);
    connect(m_cook, &CookFrame::loadCommitted, m_design, &DesignController::RLoad_Validate);
    connect(m_cook, &CookFrame::vinCommitted, m_design, &DesignController::TxVin_Validate);
    connect(m_design, &DesignController::refreshRequested, this, &Base::RefreshScope);
    // An option resets the panel (design read-outs, the load caption, the
    // operating point in Match and Diff), offers its import lines and is
    // shown with one refresh.
    connect(m_cook, &CookFrame::optionClicked, this, [this](CookOption option) {
        m_design->Opt_Click(option);
        m_comparison->Opt_Click(option);
        RefreshScope();
    });

    // Comparison slots: the import lines and the series selection.
    for (int slot = 0; slot < kSlotCount; ++slot) {
        ImportRow& row = m_cook->importRow(slot);
        connect(&row, &ImportRow::tickClicked, m_comparison, &ComparisonController::CkImport_Click);
        connect(&row, &ImportRow::browseClicked, m_comparison, &ComparisonController::ImportSlot);
        connect(&row, &ImportRow::clearRequested, m_comparison, &ComparisonController::ClearSlot);
    }
    connect(m_comparison, &ComparisonController::slotFileChosen, this,
            [this](int slot, const QString& path, const QString& caption) {
                m_cook->importRow(slot).setFile(path, caption);
            });
    connect(m_comparison, &ComparisonController::slotCleared, this,
            [this](int slot) { m_cook->importRow(slot).clearFile(); });
    connect(m_comparison, &ComparisonController::seriesSelectionRequested, m_select,
            &SelectSeriesFrame::OpenSeriesSelection);
    connect(m_select, &SelectSeriesFrame::applied, m_comparison, &ComparisonController::applySelection);
    connect(m_comparison, &ComparisonController::importLinesOffered, m_cook, &CookFrame::offerImportLines);
    connect(m_comparison, &ComparisonController::projectNamed, this, [this](const QString& fileName) {
        Q_UNUSED(fileName);
        setWindowTitle(captionWithProject(captionWithoutProject(), m_ws.ProjectFile));
    });
    connect(m_comparison, &ComparisonController::refreshRequested, this, &Base::RefreshScope);
    connect(m_comparison, &ComparisonController::message, this, &Base::showMessage);

    // Project and report.
    connect(m_mnuExportPref, &QAction::triggered, m_project, &ProjectController::Mnu_Export_Pref_Click);
    connect(m_mnuImportPref, &QAction::triggered, m_project, &ProjectController::Mnu_Import_Pref_Click);
    connect(m_project, &ProjectController::settingsWanted, this, &Base::saveProjectSettings);
    connect(m_project, &ProjectController::settingsLoaded, this, &Base::loadProjectSettings);
    connect(m_project, &ProjectController::designTextsRestored, m_cook, &CookFrame::setDesignTexts);
    // A stored operating point is placed as a click at its plot position,
    // with the scales the project's refresh has just put in force.
    connect(m_project, &ProjectController::operatingPointRestored, this, [this](float ua, float iaMa) {
        m_design->ApplyOperatingPoint(UaToX(m_ws, ua), IaToY(m_ws, iaMa));
    });
    connect(m_project, &ProjectController::projectNameChanged, this,
            [this] { setWindowTitle(captionWithProject(captionWithoutProject(), m_ws.ProjectFile)); });
    connect(m_project, &ProjectController::refreshRequested, this, &Base::RefreshScope);
    connect(m_project, &ProjectController::message, this, &Base::showMessage);
    connect(m_captureFrame, &CaptureFrame::printClicked, m_report, &ReportController::BtDirectPrint_Click);
    connect(m_report, &ReportController::message, this, &Base::showMessage);
    connect(m_mnuPrint, &QAction::triggered, m_report, &ReportController::Mnu_Print_Click);
    connect(m_mnuPrintPreview, &QAction::triggered, m_report, &ReportController::Mnu_PrintPreview_Click);
    connect(m_mnuExportPlot, &QAction::triggered, m_report, &ReportController::Mnu_ExportPlot_Click);
    // "Fit model ..." works on slot 0 of Cook mode: it switches to Cook mode
    // and opens the Model panel.
    connect(m_mnuFitModel, &QAction::triggered, this, [this] {
        if (m_ws.ModeName != WorkMode::Cook)
            Mnu_Cook_Click();
        m_fitPanel->show();
    });
    connect(m_fitPanel, &FitPanel::fitClicked, m_fit, &FitController::BtFit_Click);
    connect(m_fitPanel, &FitPanel::saveClicked, m_fit, &FitController::BtSaveSpice_Click);
    connect(m_fitPanel, &FitPanel::closeClicked, m_fit, &FitController::BtCloseFit_Click);
    connect(m_fitPanel, &FitPanel::closeClicked, m_fitPanel, &QWidget::hide);
    connect(m_fit, &FitController::resultShown, m_fitPanel, &FitPanel::showResult);
    connect(m_fit, &FitController::messageRaised, this, [this](const QString& text) { showMessage(text); });
    connect(m_fit, &FitController::refreshRequested, this, &Base::RefreshScope);
    m_report->setContextSource([this] {
        ReportContext context;
        context.powerText = m_display->powerText();
        context.plotSizePx = scope()->size();
        context.imports = m_cook->comparisonOptions().imports;
        return context;
    });
    m_report->setPlotExporter([this](const QString& path, QString* error) { return exportPlot(path, error); });
}

// ---- Project ------------------------------------------------------------------

void Base::saveProjectSettings(ProjectSettings& settings) const
{
    settings.TopTwips = y() * kTwipsPerPixel;
    settings.LeftTwips = x() * kTwipsPerPixel;
    settings.WidthTwips = width() * kTwipsPerPixel;
    settings.HeightTwips = height() * kTwipsPerPixel;
    m_display->saveProject(settings);
    m_captureFrame->saveProject(settings);
    m_cook->saveProject(settings);
}

void Base::loadProjectSettings(const ProjectSettings& settings)
{
    // A size of 0 (a missing project) gives the minimum size.
    move(settings.LeftTwips / kTwipsPerPixel, settings.TopTwips / kTwipsPerPixel);
    resize(settings.WidthTwips / kTwipsPerPixel, settings.HeightTwips / kTwipsPerPixel);
    m_display->loadProject(settings);
    m_captureFrame->loadProject(settings, m_portFromCommandLine);
    m_cook->loadProject(settings);
    if (opensInCapture(settings))
        Mnu_Capture_Click();
    else
        Mnu_Cook_Click();
}

bool Base::exportPlot(const QString& path, QString* error)
{
    // The picture is drawn from values: the window's state and its next
    // picture stay as they are. The design as the screen shows it, finished
    // with the copy pen (vector files know no XOR ink); drawn from the
    // window's design state, which the export leaves alone.
    SceneInputs inputs = currentSceneInputs();
    inputs.overlay = [this](Surface& surface, const PlotScales&) {
        m_fit->drawFamily(surface);
        m_design->drawFinished(surface);
    };
    // The plot itself as large as on screen, the axis values in the margins.
    const ExportMargins margins;
    const QSize size = scope()->size() + QSize(margins.left + margins.right, margins.top + margins.bottom);
    // Drawn in memory first, then put in place whole: a failed write never
    // leaves a half-written picture under the chosen name.
    const std::optional<ExportFormat> format = exportFormatFor(path);
    const std::optional<QByteArray> bytes =
        format ? renderScene(*format, size, inputs) : std::optional<QByteArray>();
    if (!bytes) {
        if (error != nullptr)
            *error = msg::writeFailed(path, QString::fromLatin1(format ? display_messages::kPictureNotDrawn
                                                                      : display_messages::kUnknownExtension));
        return false;
    }
    const FileResult written =
        replaceFileAtomically(path, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    if (!written.ok && error != nullptr)
        *error = msg::writeFailed(path, written.error);
    return written.ok;
}

}  // namespace zov::gui
