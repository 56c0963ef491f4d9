#include "app/gui/capture_frame.h"

#include "app/gui/frame_parts.h"
#include "files/project_file.h"
#include "measure/port_list.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace zov::gui {

CaptureFrame::CaptureFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Capture"), parent)
{
    setObjectName(QStringLiteral("FrmCapture"));
    auto* grid = frameGrid(this);
    int row = 0;
    auto addEntry = [&](QLineEdit*& box, const QString& name, const QString& caption) {
        box = makeTextBox(this, name, QStringLiteral("0"));
        grid->addWidget(makeLabel(this, QString(), caption), row, 0);
        grid->addWidget(box, row, 1);
        box->installEventFilter(this);
        ++row;
    };
    addEntry(m_txVg1Start, QStringLiteral("TxVg1Start"), QStringLiteral("Vg1 Start"));
    addEntry(m_txVg1Stop, QStringLiteral("TxVg1Stop"), QStringLiteral("Vg1 Stop"));
    addEntry(m_txPitchg1, QStringLiteral("TxPitchg1"), QStringLiteral("Vg1 Pitch"));
    addEntry(m_txVg2, QStringLiteral("TxVg2"), QStringLiteral("+Vg2"));

    m_opt256 = new QRadioButton(QStringLiteral("256mA Max"), this);
    m_opt256->setObjectName(QStringLiteral("Opt256"));
    m_opt32 = new QRadioButton(QStringLiteral("32mA Max"), this);
    m_opt32->setObjectName(QStringLiteral("Opt32"));
    m_opt256->setChecked(true);
    grid->addWidget(m_opt256, row++, 0, 1, 2);
    grid->addWidget(m_opt32, row++, 0, 1, 2);

    m_cbComport = new QComboBox(this);
    m_cbComport->setObjectName(QStringLiteral("CbComport"));
    m_cbComport->setToolTip(QStringLiteral("Select a COM port"));
    m_cbComport->addItems(availablePorts());
    m_cbComport->setCurrentIndex(-1);
    grid->addWidget(m_cbComport, row++, 0, 1, 2);

    m_btSet = makeButton(this, QStringLiteral("BtSet"), QStringLiteral("GO"));
    // The step being measured, and a way to end the sweep after the current
    // step while keeping the curves. Before the first sweep there is nothing
    // to tell, so the bar is hidden; it keeps its room so nothing moves when
    // it appears.
    m_captureProgress = new QProgressBar(this);
    m_captureProgress->setObjectName(QStringLiteral("CaptureProgress"));
    m_captureProgress->setRange(0, 1);
    m_captureProgress->setValue(0);
    m_captureProgress->setTextVisible(true);
    m_captureProgress->setFormat(QString());
    QSizePolicy keepRoom = m_captureProgress->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_captureProgress->setSizePolicy(keepRoom);
    m_captureProgress->hide();
    m_btStop = makeButton(this, QStringLiteral("BtStop"), QStringLiteral("Stop"));
    m_btStop->setEnabled(false);
    grid->addWidget(m_btSet, row, 0);
    grid->addWidget(m_btStop, row++, 1);
    grid->addWidget(m_captureProgress, row++, 0, 1, 2);

    m_btExport = makeButton(this, QStringLiteral("BtExport"), QStringLiteral("Save as ..."));
    m_btAppend = makeButton(this, QStringLiteral("BtAppend"), QStringLiteral("Add to ..."));
    m_btBckgnd = makeButton(this, QStringLiteral("BtBckgnd"), QStringLiteral("Use as background"));
    m_btBgndFile = makeButton(this, QStringLiteral("BtBgndFile"), QStringLiteral("Load a background ..."));
    m_btDirectPrint = makeButton(this, QStringLiteral("BtDirectPrint"), QStringLiteral("Print ..."));
    for (QPushButton* button : {m_btExport, m_btAppend, m_btBckgnd, m_btBgndFile, m_btDirectPrint})
        grid->addWidget(button, row++, 0, 1, 2);
    // Enabled by a completed capture.
    for (QPushButton* button : {m_btExport, m_btAppend, m_btBckgnd, m_btDirectPrint})
        button->setEnabled(false);
    grid->setColumnStretch(1, 1);

    connect(m_btSet, &QPushButton::clicked, this, &CaptureFrame::goClicked);
    connect(m_btStop, &QPushButton::clicked, this, &CaptureFrame::stopClicked);
    connect(m_btExport, &QPushButton::clicked, this, &CaptureFrame::saveClicked);
    connect(m_btAppend, &QPushButton::clicked, this, &CaptureFrame::appendClicked);
    connect(m_btBckgnd, &QPushButton::clicked, this, &CaptureFrame::useAsBackgroundClicked);
    connect(m_btBgndFile, &QPushButton::clicked, this, &CaptureFrame::loadBackgroundClicked);
    connect(m_btDirectPrint, &QPushButton::clicked, this, &CaptureFrame::printClicked);
}

SweepSettings CaptureFrame::takeSweepSettings()
{
    if (m_cbComport->currentIndex() < 0 && m_cbComport->count() > 0)
        m_cbComport->setCurrentIndex(0);
    SweepSettings settings;
    settings.vg1StartText = textOf(m_txVg1Start);
    settings.vg1StopText = textOf(m_txVg1Stop);
    settings.pitchText = textOf(m_txPitchg1);
    settings.rangeDivisor = m_opt256->isChecked() ? protocol::kRangeDivisor256mA : protocol::kRangeDivisor32mA;
    settings.portName = m_cbComport->currentText();
    return settings;
}

std::string CaptureFrame::vg2Text() const
{
    return textOf(m_txVg2);
}

void CaptureFrame::setPorts(const QStringList& ports, const QString& current)
{
    m_cbComport->clear();
    m_cbComport->addItems(ports);
    m_cbComport->setCurrentIndex(current.isEmpty() ? -1 : m_cbComport->findText(current));
}

void CaptureFrame::setSweepRunning(bool running)
{
    m_btSet->setEnabled(!running);
}

void CaptureFrame::setStopEnabled(bool enabled)
{
    m_btStop->setEnabled(enabled);
}

void CaptureFrame::showProgress(int done, int stepCount, const QString& text)
{
    m_captureProgress->setRange(0, std::max(stepCount, 1));
    m_captureProgress->setValue(done);
    m_captureProgress->setFormat(text);
    m_captureProgress->setVisible(stepCount > 0 || !text.isEmpty());
}

void CaptureFrame::setSaveEnabled(bool enabled)
{
    m_btExport->setEnabled(enabled);
    m_btAppend->setEnabled(enabled);
}

void CaptureFrame::setFamilyActionsEnabled(bool enabled)
{
    m_btBckgnd->setEnabled(enabled);
    m_btDirectPrint->setEnabled(enabled);
}

void CaptureFrame::SelectAllText(QLineEdit* box)
{
    // Queued: a mouse click that gave the focus places the caret after the
    // focus-in, which would undo an immediate selection.
    QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
}

bool CaptureFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* box : {m_txVg1Start, m_txVg1Stop, m_txPitchg1, m_txVg2}) {
            if (watched == box)
                SelectAllText(box);
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void CaptureFrame::saveProject(ProjectSettings& settings) const
{
    settings.Vg1StartText = m_txVg1Start->text();
    settings.Vg1StopText = m_txVg1Stop->text();
    settings.Vg1PitchText = m_txPitchg1->text();
    settings.Vg2Text = m_txVg2->text();
    settings.ComportIndex = m_cbComport->currentIndex();
    settings.PortName = m_cbComport->currentText();
    settings.Range32mA = m_opt32->isChecked();
}

void CaptureFrame::loadProject(const ProjectSettings& settings, bool keepPort)
{
    m_txVg1Start->setText(settings.Vg1StartText);
    m_txVg1Stop->setText(settings.Vg1StopText);
    m_txPitchg1->setText(settings.Vg1PitchText);
    m_txVg2->setText(settings.Vg2Text);
    m_opt256->setChecked(true);
    if (settings.Range32mA)
        m_opt32->setChecked(true);
    if (keepPort)
        return;
    QStringList listed;
    for (int i = 0; i < m_cbComport->count(); ++i)
        listed << m_cbComport->itemText(i);
    const PortChoice choice = portToSelect(settings, listed);
    if (!choice.addName.isEmpty()) {
        m_cbComport->addItem(choice.addName);
        m_cbComport->setCurrentIndex(m_cbComport->count() - 1);
    } else {
        m_cbComport->setCurrentIndex(choice.index);
    }
}

}  // namespace zov::gui
