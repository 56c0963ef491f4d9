#pragma once
// One import line of the frame "Cooking": the check box CkImport(i), whose
// tag holds the path of the file meant for comparison slot i, and the browse
// button BtCkBrowse(i). Both sit in a row of the frame's grid, the check box
// over two columns in the slot's colour, the button in the third. The row
// reports clicks with its slot index; the comparison controller decides what
// they do.

#include "render/comparison_sets.h"

#include <QObject>
#include <QString>

class QCheckBox;
class QGridLayout;
class QPushButton;
class QWidget;

namespace zov::gui {

class ImportRow : public QObject {
    Q_OBJECT
public:
    // The caption of a line that names no file.
    static QString emptyCaption();

    ImportRow(int slot, QWidget* frame, QGridLayout* grid, int row);

    int slot() const { return m_slot; }
    // Ticked state and tag, as the comparison drawing reads them.
    ImportLine line() const;
    // Names a file for the slot: tag = path, caption = `caption`, ticked.
    void setFile(const QString& path, const QString& caption);
    // Forgets the file: empty tag, caption "Import >>", not ticked.
    void clearFile();
    void setLineVisible(bool visible);

signals:
    void tickClicked(int slot);
    void browseClicked(int slot);
    // The right button on the browse button: the slot is to be cleared.
    void clearRequested(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_slot = 0;
    QCheckBox* m_ckImport = nullptr;
    QPushButton* m_btCkBrowse = nullptr;
};

}  // namespace zov::gui
