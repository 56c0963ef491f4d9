#include "app/gui/comparison_controller.h"

#include "core/curve_store.h"
#include "files/tdf_file.h"
#include "render/diff_colour_sequence.h"

namespace zov::gui {

ComparisonController::ComparisonController(Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
    , m_diffColours(std::make_unique<DiffColourSequence>())
{
}

ComparisonController::~ComparisonController() = default;

void ComparisonController::setFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

SlotReader ComparisonController::slotReader() const
{
    return [](CurveSet& slot) { ReadCurveSet(slot); };
}

void ComparisonController::CkImport_Click(int slot)
{
    Q_UNUSED(slot);
    emit refreshRequested();
}

void ComparisonController::ImportSlot(int slot)
{
    Q_UNUSED(slot);
}

void ComparisonController::ClearSlot(int slot)
{
    Q_UNUSED(slot);
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
    Q_UNUSED(option);
}

}  // namespace zov::gui
