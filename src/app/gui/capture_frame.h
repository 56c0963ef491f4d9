#pragma once
// The frame "Capture" (`FrmCapture`): the sweep settings (TxVg1Start,
// TxVg1Stop, TxPitchg1, TxVg2, Opt256/Opt32, CbComport), GO and Stop with the
// progress of the sweep, and the buttons for the measured family. It owns its
// controls, selects a box's whole text when the box is entered, and reports
// button presses as signals; the capture controller decides what they do.

#include "app/gui/capture_view.h"

#include <QGroupBox>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zov {
struct ProjectSettings;
}

namespace zov::gui {

class CaptureFrame : public QGroupBox, public CaptureView {
    Q_OBJECT
public:
    explicit CaptureFrame(QWidget* parent = nullptr);

    SweepSettings takeSweepSettings() override;
    std::string vg2Text() const override;
    void setPorts(const QStringList& ports, const QString& current) override;
    void setSweepRunning(bool running) override;
    void setStopEnabled(bool enabled) override;
    void showProgress(int done, int stepCount, const QString& text) override;
    void setSaveEnabled(bool enabled) override;
    void setFamilyActionsEnabled(bool enabled) override;

    // The frame's part of a project file: the sweep texts, the port (its list
    // position and its name) and the current range. `keepPort`: the port
    // chosen on the command line (the virtual module) stays.
    void saveProject(ProjectSettings& settings) const;
    void loadProject(const ProjectSettings& settings, bool keepPort);

signals:
    void goClicked();                    // BtSet
    void stopClicked();                  // BtStop
    void saveClicked();                  // BtExport
    void appendClicked();                // BtAppend
    void useAsBackgroundClicked();       // BtBckgnd
    void loadBackgroundClicked();        // BtBgndFile
    void printClicked();                 // BtDirectPrint

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Entering a sweep box selects its whole text, so a new value replaces it.
    void SelectAllText(QLineEdit* box);

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
};

}  // namespace zov::gui
