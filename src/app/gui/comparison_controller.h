#pragma once
// The comparison controller: the five comparison slots of Cook mode. It owns
// what is drawn of them: the files imported into the slots (ImportSlot, the
// right-button clear), the series chosen per slot (the "Select Series"
// frame's Apply), the colour sequence of the "Diff (a-b)" curves, and the
// reader that loads a slot's file when the picture needs it.
//
// Wired today: a tick of an import line redraws (CkImport_Click); "Apply"
// stores the selection in Workspace::SeriesSelections and redraws
// (applySelection). Seams for the Cook-mode issue: ImportSlot (file dialog,
// read the set, name the import line, open the series selection), ClearSlot,
// Opt_Click (Match and Diff show their import lines; Diff restarts the
// colour sequence). Results reach the frames through the signals below;
// the controller never touches a widget.

#include "app/gui/file_chooser.h"
#include "render/comparison_sets.h"

#include <QObject>
#include <QString>

#include <memory>

namespace zov {
struct Workspace;
struct CurveSet;
struct SeriesSelection;
class DiffColourSequence;
}

namespace zov::gui {

class ComparisonController : public QObject {
    Q_OBJECT
public:
    explicit ComparisonController(Workspace& ws, QObject* parent = nullptr);
    ~ComparisonController() override;

    void setFileChooser(FileChooser chooser);
    DiffColourSequence& diffColours() { return *m_diffColours; }
    // Reads a slot from its FileName (a failed read leaves it not Loaded).
    SlotReader slotReader() const;

public slots:
    void CkImport_Click(int slot);
    void ImportSlot(int slot);
    void ClearSlot(int slot);
    void applySelection(int slot, const zov::SeriesSelection& selection);
    void Opt_Click(zov::CookOption option);

signals:
    void refreshRequested();
    // Import line `slot` now names `path`, shown as `caption`, ticked.
    void slotFileChosen(int slot, const QString& path, const QString& caption);
    void slotCleared(int slot);
    // The series selection is to be opened for the set in `slot`.
    void seriesSelectionRequested(const zov::CurveSet& set, int slot);

private:
    Workspace& m_ws;
    FileChooser m_fileChooser;
    std::unique_ptr<DiffColourSequence> m_diffColours;
};

}  // namespace zov::gui
