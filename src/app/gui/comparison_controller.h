#pragma once
// The comparison controller: the five comparison slots of Cook mode. It owns
// what is drawn of them: the files imported into the slots (ImportSlot, the
// right-button clear), the series chosen per slot (the "Select Series"
// frame's Apply), the colour sequence of the "Diff (a-b)" curves, the import
// lines each design option offers, and the one function that reads a curve
// file into a slot (at import, and, through loadSlots, before each picture
// that needs a slot whose file is not loaded).
//
// Results reach the frames through the signals below; the controller never
// touches a widget.

#include "app/gui/file_chooser.h"
#include "app/gui/message_sink.h"
#include "files/curve_import.h"
#include "render/comparison_sets.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace zov {
struct Workspace;
struct CurveSet;
struct SeriesSelection;
}

namespace zov::gui {

// Reads the file named by slot.FileName into the slot and says how it went
// (the slot not Loaded when it could not, and why when the file is of no shape
// the import knows). By default a TDF file or any other curve file the import
// reads (files/curve_import.h).
using CurveFileReader = std::function<CurveFileRead(CurveSet& slot)>;

class ComparisonController : public QObject {
    Q_OBJECT
public:
    explicit ComparisonController(Workspace& ws, QObject* parent = nullptr);

    void setFileChooser(FileChooser chooser);
    // The reader of curve files and the file-dialog pattern that offers them.
    void setCurveFileReader(CurveFileReader reader, const QString& dialogPattern);
    DiffColourSequence& diffColours() { return *m_diffColours; }
    // Where the colour sequence stands: every picture goes on with it.
    std::int32_t diffColourCounter() const;
    void setDiffColourCounter(std::int32_t counter);
    // Reads the ticked slots that the picture will draw and that do not hold
    // their line's file yet (a failed read leaves a slot not Loaded).
    void loadSlots(const ComparisonOptions& options);
    // Reads a slot from its FileName (a failed read leaves it not Loaded).
    SlotReader slotReader() const;

public slots:
    void CkImport_Click(int slot);
    void ImportSlot(int slot);
    void ClearSlot(int slot);
    void applySelection(int slot, const zov::SeriesSelection& selection);
    // The import lines of the option, and in Diff (a-b) the colour sequence
    // restarted. The window redraws afterwards.
    void Opt_Click(zov::CookOption option);

signals:
    void refreshRequested();
    // Import line `slot` now names `path`, shown as `caption`, ticked.
    void slotFileChosen(int slot, const QString& path, const QString& caption);
    void slotCleared(int slot);
    // The series selection is to be opened for the set in `slot`.
    void seriesSelectionRequested(const zov::CurveSet& set, int slot);
    // Import lines 0 to count - 1 are offered, the others hidden.
    void importLinesOffered(int count);
    // An import starts a new, unnamed project: the caption ends with its name.
    void projectNamed(const QString& fileName);
    // A chosen file that is no curve file the import knows: the line that did
    // not fit, for a message box.
    void message(const QString& text, zov::gui::MessageIcon icon);

private:
    Workspace& m_ws;
    FileChooser m_fileChooser;
    CurveFileReader m_reader;
    QString m_dialogPattern;
    std::unique_ptr<DiffColourSequence> m_diffColours;
};

}  // namespace zov::gui
