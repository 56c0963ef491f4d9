#include "app/gui/comparison_controller.h"

#include "core/curve_store.h"
#include "core/text.h"
#include "files/files_messages.h"
#include "files/paths.h"
#include "files/curve_import.h"
#include "files/program_folder.h"
#include "render/diff_colour_sequence.h"

#include <QApplication>
#include <QCursor>

namespace zov::gui {

namespace {

// The name an import line shows: the file name up to its first dot
// ("tube.a.tdf" shows "tube").
QString importCaption(const QString& path)
{
    const QByteArray name = FileNameOf(path).toUtf8();
    const std::string_view first = GetField(std::string_view(name.constData(), static_cast<std::size_t>(name.size())), 1, ".");
    return QString::fromUtf8(first.data(), static_cast<qsizetype>(first.size()));
}

}  // namespace

ComparisonController::ComparisonController(Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
    , m_reader([](CurveSet& slot) { return readCurveFile(slot); })
    , m_dialogPattern(msg::kTdfPattern)
    , m_diffColours(std::make_unique<DiffColourSequence>())
{
}

void ComparisonController::setFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

void ComparisonController::setCurveFileReader(CurveFileReader reader, const QString& dialogPattern)
{
    if (!reader)
        return;
    m_reader = std::move(reader);
    m_dialogPattern = dialogPattern;
}

SlotReader ComparisonController::slotReader() const
{
    return [reader = m_reader](CurveSet& slot) { reader(slot); };
}

void ComparisonController::loadSlots(const ComparisonOptions& options)
{
    loadComparisonSlots(m_ws, options, slotReader());
}

std::int32_t ComparisonController::diffColourCounter() const
{
    return m_diffColours->counter();
}

void ComparisonController::setDiffColourCounter(std::int32_t counter)
{
    *m_diffColours = DiffColourSequence(counter);
}

void ComparisonController::CkImport_Click(int slot)
{
    Q_UNUSED(slot);
    emit refreshRequested();
}

void ComparisonController::ImportSlot(int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        return;
    CurveSet& set = m_ws.CurveSets[static_cast<std::size_t>(slot)];
    if (m_ws.TdfFolder.isEmpty())
        m_ws.TdfFolder = firstDialogFolder(runningProgramFolders());
    const QString path = m_fileChooser ? m_fileChooser(QStringLiteral("Open"), QStringLiteral("Import TDF data"),
                                                       m_dialogPattern, m_ws.TdfFolder)
                                       : QString();
    if (path.isEmpty())
        return;  // cancelled: nothing changes
    emit slotFileChosen(slot, path, importCaption(path));
    m_ws.TdfFolder = FolderOf(path);
    // The same file chosen again is not read again (a cleared line keeps its
    // family, so importing it once more brings it back at once).
    if (path != set.FileName) {
        set.FileName = path;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const CurveFileRead read = m_reader(set);
        QApplication::restoreOverrideCursor();
        // A TDF file that does not load stays silent; a file of no known shape
        // says which line did not fit rather than leave an empty family.
        if (!read.error.isEmpty())
            emit message(msg::curveFileNotRead(path, read.error), MessageIcon::None);
    }
    emit seriesSelectionRequested(set, slot);
    const QString unnamed = QStringLiteral("NoName.zov");
    m_ws.ProjectFile = m_ws.ProjectFolder.isEmpty() ? unnamed : m_ws.ProjectFolder + QLatin1Char('/') + unnamed;
    emit projectNamed(FileNameOf(m_ws.ProjectFile));
}

void ComparisonController::ClearSlot(int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        return;
    // The line lets go of its file; the slot keeps the family it read.
    emit slotCleared(slot);
    // Without its tick the family is no longer drawn: show that at once.
    emit refreshRequested();
}

void ComparisonController::applySelection(int slot, const SeriesSelection& selection)
{
    if (slot < 0 || slot >= kSlotCount)
        return;
    m_ws.SeriesSelections[static_cast<std::size_t>(slot)] = selection;
    emit refreshRequested();
}

void ComparisonController::Opt_Click(CookOption option)
{
    switch (option) {
    case CookOption::SE:
    case CookOption::PP:
        emit importLinesOffered(1);
        break;
    case CookOption::Match:
        emit importLinesOffered(kSlotCount);
        break;
    case CookOption::Diff:
        emit importLinesOffered(2);
        m_diffColours->NextDiffColor(0);
        break;
    }
}

}  // namespace zov::gui
