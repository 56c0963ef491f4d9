#include "app/gui/base.h"

#include "app/gui/capture_controller.h"
#include "app/gui/capture_frame.h"
#include "app/gui/comparison_controller.h"
#include "app/gui/cook_frame.h"
#include "app/gui/design_controller.h"
#include "app/gui/display_frame.h"
#include "app/gui/fit_controller.h"
#include "app/gui/fit_panel.h"
#include "app/gui/gui_messages.h"
#include "app/gui/import_row.h"
#include "app/gui/message_box_sink.h"
#include "app/gui/plot_area.h"
#include "app/gui/project_controller.h"
#include "app/gui/report_controller.h"
#include "app/gui/scope_widget.h"
#include "app/gui/select_series_frame.h"
#include "app/gui/show_vg_frame.h"
#include "files/atomic_write.h"
#include "files/curve_import.h"
#include "files/file_dialog.h"
#include "files/files_messages.h"
#include "files/project_file.h"
#include "plot/scale_selectors.h"
#include "plot/scales.h"
#include "render/painter_surface.h"
#include "render/capture_step.h"
#include "render/scene.h"
#include "render/scene_export.h"
#include "zov_version.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>

namespace zov::gui {

namespace {

// Geometry of the client area, in pixels. The side frames form a column at
// the left; the current-axis labels (as wide as SlideIa) stand between the
// column and the plot; the plot fills the rest, leaving kRightMarginPx so the
// last voltage label, centred on the right edge of the plot, stays visible,
// and 30 px below it for the voltage labels.
constexpr int kSideColumnPx = 160;  // width given to the side frames by the resize rule
constexpr int kRightMarginPx = 18;
constexpr int kBottomMarginPx = 30;  // client height - plot height
constexpr int kScopeTopPx = 8;       // room for half of the top current label
constexpr int kScopeLeftPx = kSideColumnPx + PlotArea::kCurrentTagWidthPx - kRightMarginPx;
constexpr int kSideLeftPx = 4;
// The current labels are right-aligned against the plot and their text
// ("100.0") needs about 30 px, so the side column may reach under the empty
// left part of their boxes.
constexpr int kCurrentTextPx = 34;
constexpr int kSideWidthPx = kScopeLeftPx - kCurrentTextPx - kSideLeftPx;

}  // namespace

Base::Base(QWidget* parent)
    : QMainWindow(parent)
    , m_messages(std::make_unique<MessageBoxSink>(this))
{
    setObjectName(QStringLiteral("Base"));
    buildMenu();
    buildClientArea();

    m_capture = new CaptureController(m_ws, *m_captureFrame, this);
    m_design = new DesignController(m_ws, *m_cook, *m_plot, this);
    m_comparison = new ComparisonController(m_ws, this);
    m_project = new ProjectController(m_ws, this);
    m_report = new ReportController(m_ws, this);
    m_fit = new FitController(m_ws, this);
    m_report->setDialogs(systemReportDialogs(this));
    setFileChooser([this](const QString& action, const QString& title, const QString& pattern,
                          const QString& folder) { return FileDialog(this, folder, pattern, title, action); });
    // The Cook import offers every curve file the import can read.
    m_comparison->setFileChooser([this](const QString& action, const QString& title, const QString& pattern,
                                        const QString& folder) {
        return FileDialog(this, folder, pattern, title, action, curveFileDialogFilters(programName()));
    });
    connectControllers();
    clientArea()->installEventFilter(this);
}

Base::~Base()
{
    // The controls outlive this body (QWidget deletes them later) and still
    // send focus and resize events while they go; nothing may redraw then,
    // and no controller may outlive the frame it shows through.
    m_tearingDown = true;
    m_startupDone = false;
    for (QObject* controller : std::initializer_list<QObject*>{m_capture, m_design, m_comparison, m_project, m_report, m_fit})
        delete controller;
    delete takeCentralWidget();
}

ScopeWidget* Base::scope() const
{
    return m_plot->scope();
}

QWidget* Base::clientArea() const
{
    return centralWidget();
}

// ---- Construction ---------------------------------------------------------

void Base::buildMenu()
{
    QMenu* mode = menuBar()->addMenu(QStringLiteral("Mode"));
    mode->setObjectName(QStringLiteral("Mnu_Mode"));
    m_mnuCapture = mode->addAction(QStringLiteral("Capture"));
    m_mnuCapture->setObjectName(QStringLiteral("Mnu_Capture"));
    m_mnuCook = mode->addAction(QStringLiteral("Cook"));
    m_mnuCook->setObjectName(QStringLiteral("Mnu_Cook"));

    QMenu* project = menuBar()->addMenu(QStringLiteral("Project ..."));
    project->setObjectName(QStringLiteral("Mnu_preferences"));
    m_mnuExportPref = project->addAction(QStringLiteral("Save"));
    m_mnuExportPref->setObjectName(QStringLiteral("Mnu_Export_Pref"));
    m_mnuImportPref = project->addAction(QStringLiteral("Recall"));
    m_mnuImportPref->setObjectName(QStringLiteral("Mnu_Import_Pref"));

    QMenu* print = menuBar()->addMenu(QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("Mnu_Report"));
    m_mnuPrint = print->addAction(QStringLiteral("Hard copy"));
    m_mnuPrint->setObjectName(QStringLiteral("Mnu_Print"));
    m_mnuPrintPreview = print->addAction(QStringLiteral("Print preview ..."));
    m_mnuPrintPreview->setObjectName(QStringLiteral("Mnu_PrintPreview"));
    m_mnuExportPlot = print->addAction(QStringLiteral("Export plot ..."));
    m_mnuExportPlot->setObjectName(QStringLiteral("Mnu_ExportPlot"));

    QMenu* model = menuBar()->addMenu(QStringLiteral("Model"));
    model->setObjectName(QStringLiteral("Mnu_Model"));
    m_mnuFitModel = model->addAction(QStringLiteral("Fit model ..."));
    m_mnuFitModel->setObjectName(QStringLiteral("Mnu_FitModel"));
}

void Base::buildClientArea()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client);

    m_sidePanel = new QWidget(client);
    m_sidePanel->setObjectName(QStringLiteral("SidePanel"));
    // A compact font, so the frames fit in the narrow side column down to the
    // minimum window size.
    QFont panelFont = m_sidePanel->font();
    panelFont.setPointSize(8);
    m_sidePanel->setFont(panelFont);
    m_display = new DisplayFrame(m_sidePanel);
    m_captureFrame = new CaptureFrame(m_sidePanel);
    m_cook = new CookFrame(m_sidePanel);
    m_showVg = new ShowVgFrame(m_sidePanel);
    m_select = new SelectSeriesFrame(m_sidePanel);
    m_fitPanel = new FitPanel(m_sidePanel);
    m_fitPanel->hide();
    auto* column = new QVBoxLayout(m_sidePanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    for (QWidget* frame : std::initializer_list<QWidget*>{m_display, m_captureFrame, m_cook, m_showVg, m_select, m_fitPanel})
        column->addWidget(frame);
    column->addStretch(1);
    // Capture mode first.
    m_cook->hide();

    m_plot = new PlotArea(client);
}

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

// ---- Seams ----------------------------------------------------------------

void Base::setMessageSink(std::unique_ptr<MessageSink> sink)
{
    if (sink)
        m_messages = std::move(sink);
}

void Base::setFileChooser(FileChooser chooser)
{
    if (!chooser)
        return;
    m_capture->setFileChooser(chooser);
    m_comparison->setFileChooser(chooser);
    m_report->setFileChooser(chooser);
    m_fit->setFileChooser(chooser);
    m_project->setFileChooser(chooser);
}

void Base::setCaptureWaitMs(int ms)
{
    m_capture->setWaitMs(ms);
}

void Base::setVirtualModulePath(const QString& devicePath)
{
    m_capture->setVirtualModulePath(devicePath);
    m_portFromCommandLine = !devicePath.isEmpty();
}

void Base::showMessage(const QString& text, MessageIcon icon)
{
    m_messages->showMessage(text, icon);
}

// ---- Start-up ---------------------------------------------------------------

void Base::Form_Load(const QString& projectPath)
{
    // Numbers are written and read with "." by the text helpers whatever the
    // user's locale, so the user's regional settings are left alone.
    m_ws.ModeName = WorkMode::Capture;

    // The smallest client area is the reference rectangle; the menu bar lies
    // outside the client area, the window frame is added by the window
    // manager around this widget.
    setMinimumSize(kMinClientWidthPx, kMinClientHeightPx + menuBar()->sizeHint().height());
    setWindowTitle(captionWithoutProject());
    if (width() < minimumWidth() || height() < minimumHeight())
        resize(minimumSize().expandedTo(QSize(900, 640)));
    show();
    // Outer size = minimum client size + frame, known once the window is shown.
    const QSize frame = frameGeometry().size() - geometry().size();
    m_minOuterSize = minimumSize() + frame;
    StartUp(projectPath);
}

void Base::StartUp(const QString& projectPath)
{
    // Filling the selectors triggers no refresh: start-up is not done yet.
    m_display->fillPresets();
    m_ws.MarkerY = 65536.0F;
    m_startupDone = true;
    Form_Resize();  // lays out the plot, then the first refresh
    m_project->loadStartupProject(projectPath);
}

QString Base::captionWithoutProject() const
{
    return QString::fromLatin1(kWindowCaptionPrefix) + QString::number(ZOV_VERSION_MAJOR) + QLatin1Char('.') +
           QString::number(ZOV_VERSION_MINOR) + QLatin1Char('.') + QString::number(ZOV_VERSION_REVISION);
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

// ---- Layout -----------------------------------------------------------------

void Base::Form_Resize()
{
    const QWidget* client = clientArea();
    const int scopeWidth = std::max(1, client->width() - kSideColumnPx - m_plot->currentTagWidth());
    const int scopeHeight = std::max(1, client->height() - kBottomMarginPx);
    m_plot->setScopeGeometry(QRect(kScopeLeftPx, kScopeTopPx, scopeWidth, scopeHeight));
    // The top of the side column (frame "Display" first) is level with the plot.
    m_sidePanel->setGeometry(kSideLeftPx, kScopeTopPx, kSideWidthPx, std::max(1, client->height() - kScopeTopPx));
    RefreshScope();
}

// ---- Central refresh ----------------------------------------------------

void Base::RefreshScope()
{
    if (m_tearingDown || !m_startupDone)
        return;

    // Read-outs of a placed operating point are shown again only when the
    // design places it again.
    m_design->beginRefresh();
    m_cook->hideSwingReadouts();
    m_plot->hideSpanTags();

    SceneInputs inputs = currentSceneInputs();
    if (m_ws.ModeName == WorkMode::Cook)
        m_comparison->loadSlots(inputs.comparison);

    PainterSurface& surface = m_plot->surface();
    const SceneOutput output = composeScene(surface, inputs);
    commitScene(m_ws, output);
    placeLabels(output, m_plot->labelSink());
    m_comparison->setDiffColourCounter(output.diffColourCounter);
    if (output.vinText)
        m_cook->setVinText(QString::fromStdString(*output.vinText));
    // The fitted model over the measured family, under the design's XOR figures.
    m_fit->drawFamily(surface);
    // A stored operating point is placed again with the swing just written,
    // for the scales of this picture.
    m_design->drawOverlay(surface);

    m_plot->showPicture();
    ++m_refreshCount;
    emit scopeRefreshed();
}

SceneInputs Base::currentSceneInputs() const
{
    SceneInputs inputs = sceneInputs(m_ws);
    inputs.voltsPerDivText = m_display->voltsPerDivText();
    inputs.maPerDivText = m_display->maPerDivText();
    inputs.powerText = m_display->powerText();
    inputs.comparison = m_cook->comparisonOptions();
    inputs.diffColourCounter = m_comparison->diffColourCounter();
    return inputs;
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
    // Drawn into a scratch file first, then put in place whole: a failed
    // write never leaves a half-written picture under the chosen name.
    QTemporaryDir scratch;
    const QString drawn = scratch.filePath(QStringLiteral("plot.") + QFileInfo(path).suffix());
    if (!scratch.isValid() || !exportScene(drawn, size, inputs, error)) {
        if (error != nullptr && !scratch.isValid())
            *error = msg::writeFailed(path, scratch.errorString());
        return false;
    }
    QFile file(drawn);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const FileResult written =
        replaceFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!written.ok && error != nullptr)
        *error = msg::writeFailed(path, written.error);
    return written.ok;
}

// ---- Modes ----------------------------------------------------------------

void Base::Mnu_Capture_Click()
{
    m_ws.ModeName = WorkMode::Capture;
    // The difference offset belongs to "Diff (a-b)" in Cook mode; left set, it
    // would shift the current labels of the Capture picture.
    m_ws.DiffOffsetMa = 0.0F;
    m_display->setAutoScaleVisible(false);
    m_cook->hide();
    m_fitPanel->hide();
    m_captureFrame->show();
    m_showVg->show();
    RefreshScope();
}

void Base::Mnu_Cook_Click()
{
    m_ws.ModeName = WorkMode::Cook;
    m_display->setAutoScaleVisible(true);
    m_captureFrame->hide();
    m_cook->show();
    m_showVg->hide();
    RefreshScope();
}

void Base::BtAutoScale_Click()
{
    const std::optional<AutoScaleTexts> texts = autoScale(m_ws.CurveSets[0]);
    if (!texts)
        return;
    m_display->setScaleTexts(texts->voltsPerDivText, texts->maPerDivText);
    RefreshScope();
}

// ---- Window events ------------------------------------------------------------

bool Base::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_tearingDown && watched == centralWidget()) {
        if (event->type() == QEvent::Resize)
            Form_Resize();
        else if (event->type() == QEvent::MouseButtonPress)
            RefreshScope();  // Form_Click: a click on the window background redraws
    }
    return QMainWindow::eventFilter(watched, event);
}

void Base::keyPressEvent(QKeyEvent* event)
{
    // Keys the focused control does not use reach the window: space redraws.
    if (event->text() == QStringLiteral(" ")) {
        RefreshScope();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool Base::captureIdle() const
{
    return m_capture->isIdle();
}

void Base::closeEvent(QCloseEvent* event)
{
    if (!captureIdle()) {
        showMessage(QString::fromLatin1(kStopCaptureBeforeClosing), MessageIcon::Critical);
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace zov::gui
