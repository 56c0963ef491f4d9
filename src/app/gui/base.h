#pragma once
// The main window `Base`: a thin view over the one Workspace it owns. Every
// handler reads its controls, calls the domain (measure, display, files) and
// ends in the central refresh RefreshScope, which rebuilds the whole plot
// from the Workspace. Controls carry their documented names as objectName.

#include "app/gui/message_sink.h"
#include "core/curve_store.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zov {
class CaptureSweep;
class DiffColourSequence;
class PainterSurface;
}

namespace zov::gui {

class ScopeWidget;
class GridLabelSink;

// Asks the user for a file. action is "Save" or "Open"; an empty result means
// the user cancelled. Replaceable so tests never open a real dialog.
using FileChooser = std::function<QString(const QString& action, const QString& title,
                                          const QString& pattern, const QString& folder)>;

class Base : public QMainWindow {
    Q_OBJECT
public:
    // The reference rectangle of the window design (twips) that defines the
    // smallest client area, at the classic 15 twips per pixel.
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
    ScopeWidget* scope() const { return m_scope; }
    // The client area (below the menu bar) that the layout rules refer to.
    QWidget* clientArea() const;

    // Test and start-up seams.
    void setMessageSink(std::unique_ptr<MessageSink> sink);
    void setFileChooser(FileChooser chooser);
    void setCaptureWaitMs(int ms);
    // Adds the in-process virtual module's device to the port list and selects it.
    void setVirtualModulePath(const QString& devicePath);

    // Number of completed central refreshes since start-up (tests watch it).
    int refreshCount() const { return m_refreshCount; }

public slots:
    void RefreshScope();
    void Mnu_Capture_Click();
    void Mnu_Cook_Click();
    void BtSet_Click();
    void BtStop_Click();
    void BtExport_Click();
    void BtAppend_Click();
    void BtBckgnd_Click();
    void BtBgndFile_Click();
    void BtAutoScale_Click();
    void ShowGridLabels(float vg1, float vg2);

signals:
    void scopeRefreshed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    QGroupBox* buildDisplayFrame();
    QGroupBox* buildCaptureFrame();
    QGroupBox* buildShowVgFrame();
    QGroupBox* buildCookFrame();
    void buildPlotLabels(QWidget* client);
    void connectHandlers();

    void StartUp(const QString& projectPath);
    void loadStartupProject(const QString& projectPath);
    void Form_Resize();
    void SelectAllText(QLineEdit* box);
    void saveOrAppend(bool append);
    void showMessage(const QString& text, MessageIcon icon = MessageIcon::None);
    void onSweepStep(int step, int stepCount, float vg1, float vg2);
    void onSweepCurve(int step);
    void onSweepFinished(bool completed, const QString& message);

    Workspace m_ws;
    std::unique_ptr<MessageSink> m_messages;
    FileChooser m_fileChooser;
    int m_refreshCount = 0;
    bool m_tearingDown = false;
    int m_captureWaitMs = 1000;
    QString m_virtualModulePath;

    CaptureSweep* m_sweep = nullptr;
    std::unique_ptr<GridLabelSink> m_gridLabels;
    std::unique_ptr<DiffColourSequence> m_diffColours;
    // One surface for the life of the plot, so drawing attributes persist
    // between handlers as they do on a plot control.
    std::unique_ptr<PainterSurface> m_surface;

    // Menu "Mode".
    QMenu* m_mnuMode = nullptr;
    QAction* m_mnuCapture = nullptr;
    QAction* m_mnuCook = nullptr;

    QWidget* m_sidePanel = nullptr;

    // Frame "Display" (`Stuff`).
    QGroupBox* m_stuff = nullptr;
    QComboBox* m_cbVdiv = nullptr;
    QComboBox* m_cbMaDiv = nullptr;
    QPushButton* m_btAutoScale = nullptr;
    QLineEdit* m_txPwr = nullptr;

    // Frame "Capture".
    QGroupBox* m_frmCapture = nullptr;
    QLineEdit* m_txVg1Start = nullptr;
    QLineEdit* m_txVg1Stop = nullptr;
    QLineEdit* m_txPitchg1 = nullptr;
    QLineEdit* m_txVg2 = nullptr;
    QRadioButton* m_opt256 = nullptr;
    QRadioButton* m_opt32 = nullptr;
    QComboBox* m_cbComport = nullptr;
    QPushButton* m_btSet = nullptr;
    QProgressBar* m_captureProgress = nullptr;
    QPushButton* m_btStop = nullptr;
    QPushButton* m_btExport = nullptr;
    QPushButton* m_btAppend = nullptr;
    QPushButton* m_btBckgnd = nullptr;
    QPushButton* m_btBgndFile = nullptr;
    QPushButton* m_btDirectPrint = nullptr;

    // Grid-voltage frame.
    QGroupBox* m_frmShowVg = nullptr;
    QLabel* m_lbVg1 = nullptr;
    QLabel* m_lbVg2 = nullptr;

    // Frame "Cooking".
    QGroupBox* m_frmCook = nullptr;
    QRadioButton* m_optSE = nullptr;
    QRadioButton* m_optPP = nullptr;
    QRadioButton* m_optMatch = nullptr;
    QRadioButton* m_optDiff = nullptr;
    QLineEdit* m_rLoad = nullptr;
    QLabel* m_lbLoad = nullptr;
    QLineEdit* m_txVin = nullptr;
    std::array<QCheckBox*, kSlotCount> m_ckImport{};
    std::array<QPushButton*, kSlotCount> m_btCkBrowse{};
    QLabel* m_lbVout = nullptr;
    QLabel* m_lbGain = nullptr;
    QLabel* m_lbApo = nullptr;
    QLabel* m_lbH2 = nullptr;
    QLabel* m_lbPd0 = nullptr;
    QLabel* m_lbPout = nullptr;
    QLabel* m_gm = nullptr;
    QLabel* m_req = nullptr;
    QLabel* m_mu = nullptr;

    // The plot and the labels around it.
    ScopeWidget* m_scope = nullptr;
    std::array<QLabel*, 18> m_lbGrid{};
    QLabel* m_slideUa = nullptr;
    QLabel* m_slideIa = nullptr;
    QLabel* m_ua0 = nullptr;
    QLabel* m_ia0 = nullptr;
    std::array<QLabel*, 9> m_lbInScope{};
};

}  // namespace zov::gui
