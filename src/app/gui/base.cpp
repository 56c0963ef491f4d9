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
#include "app/gui/message_box_sink.h"
#include "app/gui/plot_area.h"
#include "app/gui/project_controller.h"
#include "app/gui/report_controller.h"
#include "app/gui/scope_widget.h"
#include "app/gui/select_series_frame.h"
#include "app/gui/show_vg_frame.h"
#include "files/curve_import.h"
#include "files/file_dialog.h"
#include "files/files_messages.h"
#include "files/project_file.h"
#include "plot/scale_selectors.h"
#include "plot/scales.h"
#include "render/painter_surface.h"
#include "render/scene.h"
#include "render/scene_export.h"
#include "zov_version.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
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
