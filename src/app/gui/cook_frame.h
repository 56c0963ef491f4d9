#pragma once
// The frame "Cooking" (`FrmCook`): the design options OptSE, OptPP, OptMatch,
// OptDiff; the load RLoad with its caption LbLoad and the swing TxVin; five
// import lines (ImportRow); the stage results LbVout, LbGain, LbApo, LbH2,
// LbPd0, LbPout and the tube parameters Gm, Req, Mu. It owns these controls,
// reports what the user does as signals with plain values and shows what it
// is given; the design and comparison controllers decide what happens.

#include "app/gui/cook_view.h"
#include "render/comparison_sets.h"

#include <QGroupBox>
#include <QString>

#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace zov {
struct ProjectSettings;
}

namespace zov::gui {

class ImportRow;

class CookFrame : public QGroupBox, public CookView {
    Q_OBJECT
public:
    explicit CookFrame(QWidget* parent = nullptr);

    CookOption option() const override;
    // The option and the five import lines, as the comparison drawing reads them.
    ComparisonOptions comparisonOptions() const;
    ImportRow& importRow(int slot) const;

    std::string loadText() const override;
    void setLoadText(const std::string& text) override;
    std::string vinText() const override;
    void setVinText(const QString& text) override;
    void setLoadCaption(const QString& caption) override;
    void focusLoad() override;
    void showDesignReadouts(const DesignReadouts& readouts) override;
    void showCursorPower(const std::optional<std::string>& text) override;
    // Shows import lines 0 to count - 1 and hides the others.
    void offerImportLines(int count);

    // The read-outs of a placed operating point (Gm, Req, Mu) and of the
    // swing (LbApo, LbH2) are hidden by every refresh until the design
    // shows them again.
    void hideTubeParameters();
    void hideSwingReadouts();

    // The frame's part of a project file: the option, the load and swing
    // texts and the files of the five import lines. A load that names an
    // option selects it as a click does (optionClicked), so the frame shows
    // that option's lines and captions; setDesignTexts sets the two boxes.
    void saveProject(ProjectSettings& settings) const;
    void loadProject(const ProjectSettings& settings);
    void setDesignTexts(const QString& loadText, const QString& vinText);

signals:
    void optionClicked(zov::CookOption option);
    void loadCommitted();    // RLoad left or Enter pressed
    void vinCommitted();     // TxVin left or Enter pressed
    // An arrow key in RLoad (Qt::Key_Up, _Down, _Left, _Right): the field
    // steps the load with Up and Down, the swing with Left and Right.
    void loadArrowPressed(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRadioButton* m_optSE = nullptr;
    QRadioButton* m_optPP = nullptr;
    QRadioButton* m_optMatch = nullptr;
    QRadioButton* m_optDiff = nullptr;
    QLineEdit* m_rLoad = nullptr;
    QLabel* m_lbLoad = nullptr;
    QLineEdit* m_txVin = nullptr;
    std::array<ImportRow*, kSlotCount> m_importRows{};
    QLabel* m_lbVout = nullptr;
    QLabel* m_lbGain = nullptr;
    QLabel* m_lbApo = nullptr;
    QLabel* m_lbH2 = nullptr;
    QLabel* m_lbPd0 = nullptr;
    QLabel* m_lbPout = nullptr;
    QLabel* m_gm = nullptr;
    QLabel* m_req = nullptr;
    QLabel* m_mu = nullptr;
};

}  // namespace zov::gui
