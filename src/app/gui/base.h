#pragma once
// The main window `Base`: the presenter. It owns the Workspace, the menu
// "Mode", the layout of the client area, the close guard and the one central
// refresh RefreshScope, which rebuilds the whole plot from the Workspace and
// the frames' settings. The frames (Display, Capture, Cooking, grid
// voltages, Select Series, the plot area) own their controls; the
// controllers (capture, design, comparison, project, report) own the
// behaviour. Base only connects them: a controller that changed something
// asks for a refresh, and Base runs it.

#include "app/gui/file_chooser.h"
#include "app/gui/message_sink.h"
#include "core/curve_store.h"

#include <QMainWindow>

#include <memory>

class QAction;

namespace zov {
class PainterSurface;
struct SceneInputs;
struct ProjectSettings;
}

namespace zov::gui {

class CaptureController;
class CaptureFrame;
class ComparisonController;
class CookFrame;
class DesignController;
class DisplayFrame;
class FitController;
class FitPanel;
class PlotArea;
class ProjectController;
class ReportController;
class ScopeWidget;
class SelectSeriesFrame;
class ShowVgFrame;

class Base : public QMainWindow {
    Q_OBJECT
public:
    // The reference rectangle that defines the smallest client area, in
    // twips at 15 twips per pixel: 657 x 527 pixels.
    static constexpr int kShapeWidthTwips = 9855;
    static constexpr int kShapeHeightTwips = 7905;
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kMinClientWidthPx = kShapeWidthTwips / kTwipsPerPixel;    // 657
    static constexpr int kMinClientHeightPx = kShapeHeightTwips / kTwipsPerPixel;  // 527

    explicit Base(QWidget* parent = nullptr);
    ~Base() override;

    // Start-up: caption, minimum size, show, StartUp. `projectPath` is the
    // project named on the command line (may be empty).
    void Form_Load(const QString& projectPath = {});

    Workspace& workspace() { return m_ws; }
    const Workspace& workspace() const { return m_ws; }
    ScopeWidget* scope() const;
    // The client area (below the menu bar) that the layout rules refer to.
    QWidget* clientArea() const;
    CaptureController& captureController() const { return *m_capture; }
    DesignController& designController() const { return *m_design; }
    ComparisonController& comparisonController() const { return *m_comparison; }
    ProjectController& projectController() const { return *m_project; }
    ReportController& reportController() const { return *m_report; }

    // Test and start-up seams.
    void setMessageSink(std::unique_ptr<MessageSink> sink);
    void setFileChooser(FileChooser chooser);
    void setCaptureWaitMs(int ms);
    // Adds the in-process virtual module's device to the port list and selects
    // it. A port chosen this way stays when a project is loaded.
    void setVirtualModulePath(const QString& devicePath);

    // Number of completed central refreshes since start-up (tests watch it).
    int refreshCount() const { return m_refreshCount; }
    // False until start-up has filled the selectors: no refresh runs before.
    bool startupDone() const { return m_startupDone; }
    // No sweep runs: the window may close.
    bool captureIdle() const;
    // The smallest outer window size (client minimum plus the window frame).
    QSize minimumOuterSize() const { return m_minOuterSize; }

public slots:
    void RefreshScope();
    void Mnu_Capture_Click();
    void Mnu_Cook_Click();
    void BtAutoScale_Click();
    void showMessage(const QString& text, zov::gui::MessageIcon icon = MessageIcon::None);

signals:
    void scopeRefreshed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void buildClientArea();
    void connectControllers();
    // What the plot shows, as the scene draws it: the refresh and the export
    // of the plot take the same options.
    // What the plot shows now: the Workspace and the frames' settings.
    SceneInputs currentSceneInputs() const;
    bool exportPlot(const QString& path, QString* error);
    // The window's settings to and from a project file: geometry here, the
    // rest in the frames; the mode last, as it redraws.
    void saveProjectSettings(ProjectSettings& settings) const;
    void loadProjectSettings(const ProjectSettings& settings);
    QString captionWithoutProject() const;
    void StartUp(const QString& projectPath);
    void Form_Resize();

    Workspace m_ws;
    std::unique_ptr<MessageSink> m_messages;
    int m_refreshCount = 0;
    bool m_startupDone = false;
    bool m_tearingDown = false;
    QSize m_minOuterSize;

    QAction* m_mnuCapture = nullptr;
    QAction* m_mnuCook = nullptr;
    QAction* m_mnuPrint = nullptr;          // "Hard copy"
    QAction* m_mnuPrintPreview = nullptr;
    QAction* m_mnuExportPlot = nullptr;
    QAction* m_mnuExportPref = nullptr;
    QAction* m_mnuImportPref = nullptr;
    QAction* m_mnuFitModel = nullptr;       // "Fit model ..."
    bool m_portFromCommandLine = false;

    QWidget* m_sidePanel = nullptr;
    DisplayFrame* m_display = nullptr;
    CaptureFrame* m_captureFrame = nullptr;
    CookFrame* m_cook = nullptr;
    ShowVgFrame* m_showVg = nullptr;
    SelectSeriesFrame* m_select = nullptr;
    FitPanel* m_fitPanel = nullptr;
    PlotArea* m_plot = nullptr;

    CaptureController* m_capture = nullptr;
    DesignController* m_design = nullptr;
    ComparisonController* m_comparison = nullptr;
    ProjectController* m_project = nullptr;
    ReportController* m_report = nullptr;
    FitController* m_fit = nullptr;
};

}  // namespace zov::gui
