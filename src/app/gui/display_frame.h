#pragma once
// The frame "Display" (`Stuff`): the scale selectors CbVdiv and CbMaDiv, the
// dissipation box TxPwr and, in Cook mode, BtAutoScale. It owns its controls
// and reports in plain values: the texts as typed (the refresh decides what a
// text means), and a request to redraw whenever a scale is committed (a list
// entry chosen, Enter, or the field left).

#include <QGroupBox>

#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zov {
struct ProjectSettings;
}

namespace zov::gui {

class DisplayFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit DisplayFrame(QWidget* parent = nullptr);

    // Fills the selectors with their lists and presets and TxPwr with its preset.
    // Emits nothing: the window is not started yet when this runs.
    void fillPresets();

    std::string voltsPerDivText() const;
    std::string maPerDivText() const;
    std::string powerText() const;
    // Writes both scale texts (the auto scale); emits nothing.
    void setScaleTexts(const std::string& voltsPerDiv, const std::string& maPerDiv);
    void setAutoScaleVisible(bool visible);

    // The frame's part of a project file (the scale and limit texts); a load
    // emits nothing, the window redraws once the whole project is in.
    void saveProject(ProjectSettings& settings) const;
    void loadProject(const ProjectSettings& settings);

signals:
    void refreshRequested();
    void autoScaleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* m_cbVdiv = nullptr;
    QComboBox* m_cbMaDiv = nullptr;
    QLineEdit* m_txPwr = nullptr;
    QPushButton* m_btAutoScale = nullptr;
};

}  // namespace zov::gui
