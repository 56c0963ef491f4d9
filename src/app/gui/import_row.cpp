#include "app/gui/import_row.h"

#include "app/gui/frame_parts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPushButton>

#include <array>

namespace zov::gui {

namespace {

// Fore colours of the five import lines; the comparison curves of a slot are
// drawn in its line's colour.
constexpr std::array<Colour, kSlotCount> kImportColours{
    rgb(0, 0, 255), rgb(192, 64, 0), rgb(0, 128, 0), rgb(128, 0, 128), rgb(128, 128, 0)};

}  // namespace

QString ImportRow::emptyCaption()
{
    return QStringLiteral("Import >>");
}

ImportRow::ImportRow(int slot, QWidget* frame, QGridLayout* grid, int row)
    : QObject(frame)
    , m_slot(slot)
{
    setObjectName(QStringLiteral("ImportRow%1").arg(QString::number(slot)));
    m_ckImport = new QCheckBox(QStringLiteral("Import         ->"), frame);
    m_ckImport->setObjectName(QStringLiteral("CkImport%1").arg(QString::number(slot)));
    const Colour c = kImportColours[static_cast<std::size_t>(slot)];
    m_ckImport->setStyleSheet(QStringLiteral("QCheckBox { color: rgb(%1, %2, %3); background: white; }")
                                  .arg(QString::number(redOf(c)), QString::number(greenOf(c)),
                                       QString::number(blueOf(c))));
    m_ckImport->setProperty("Tag", QString());
    m_btCkBrowse = makeButton(frame, QStringLiteral("BtCkBrowse%1").arg(QString::number(slot)),
                              QStringLiteral("..."));
    m_btCkBrowse->setFixedWidth(24);
    grid->addWidget(m_ckImport, row, 0, 1, 2);
    grid->addWidget(m_btCkBrowse, row, 2);

    connect(m_ckImport, &QCheckBox::clicked, this, [this] { emit tickClicked(m_slot); });
    connect(m_btCkBrowse, &QPushButton::clicked, this, [this] { emit browseClicked(m_slot); });
    m_btCkBrowse->installEventFilter(this);
}

ImportLine ImportRow::line() const
{
    ImportLine line;
    line.ticked = m_ckImport->isChecked();
    line.path = m_ckImport->property("Tag").toString();
    return line;
}

void ImportRow::setFile(const QString& path, const QString& caption)
{
    m_ckImport->setProperty("Tag", path);
    m_ckImport->setText(caption);
    m_ckImport->setChecked(true);
}

void ImportRow::clearFile()
{
    m_ckImport->setProperty("Tag", QString());
    m_ckImport->setText(emptyCaption());
    m_ckImport->setChecked(false);
}

void ImportRow::setLineVisible(bool visible)
{
    m_ckImport->setVisible(visible);
    m_btCkBrowse->setVisible(visible);
}

bool ImportRow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_btCkBrowse && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        emit clearRequested(m_slot);
    return QObject::eventFilter(watched, event);
}

}  // namespace zov::gui
