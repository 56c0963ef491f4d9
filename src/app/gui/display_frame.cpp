#include "app/gui/display_frame.h"

#include "app/gui/frame_parts.h"
#include "files/project_file.h"
#include "plot/scale_selectors.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zov::gui {

namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

}  // namespace

DisplayFrame::DisplayFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Display"), parent)
{
    setObjectName(QStringLiteral("Stuff"));
    auto* grid = frameGrid(this);
    m_cbVdiv = makeSelector(this, QStringLiteral("CbVdiv"));
    m_cbMaDiv = makeSelector(this, QStringLiteral("CbMaDiv"));
    m_txPwr = makeTextBox(this, QStringLiteral("TxPwr"), QString());
    m_btAutoScale = makeButton(this, QStringLiteral("BtAutoScale"), QStringLiteral("A u t o"));
    grid->addWidget(makeLabel(this, QStringLiteral("LbVperDiv"), QStringLiteral("V/div")), 0, 0);
    grid->addWidget(m_cbVdiv, 0, 1);
    grid->addWidget(makeLabel(this, QStringLiteral("LbmApaerDiv"), QStringLiteral("mA/div")), 1, 0);
    grid->addWidget(m_cbMaDiv, 1, 1);
    grid->addWidget(makeLabel(this, QStringLiteral("LbPd"), QStringLiteral("Pd(W)")), 2, 0);
    grid->addWidget(m_txPwr, 2, 1);
    grid->addWidget(m_btAutoScale, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    // A chosen entry redraws and keeps the focus on the selector; Enter
    // redraws; leaving the field redraws (eventFilter).
    for (QComboBox* selector : {m_cbVdiv, m_cbMaDiv}) {
        connect(selector, &QComboBox::activated, this, [this, selector](int) {
            // Leaving the field with a text that is in the list activates that
            // entry too; the focus then stays where the user moved it.
            QWidget* focus = QApplication::focusWidget();
            const bool fromList = focus == selector || selector->isAncestorOf(focus);
            emit refreshRequested();
            if (fromList)
                selector->setFocus();
        });
        connect(selector->lineEdit(), &QLineEdit::returnPressed, this, &DisplayFrame::refreshRequested);
        selector->installEventFilter(this);
        selector->lineEdit()->installEventFilter(this);
    }
    m_txPwr->installEventFilter(this);
    connect(m_btAutoScale, &QPushButton::clicked, this, &DisplayFrame::autoScaleClicked);
    // Capture mode comes first; the auto scale belongs to Cook mode.
    m_btAutoScale->hide();
}

void DisplayFrame::fillPresets()
{
    for (std::string_view entry : kMaPerDivList)
        m_cbMaDiv->addItem(fromView(entry));
    m_cbMaDiv->setCurrentIndex(kMaPerDivPresetIndex);
    for (std::string_view entry : kVoltsPerDivList)
        m_cbVdiv->addItem(fromView(entry));
    m_cbVdiv->setCurrentIndex(kVoltsPerDivPresetIndex);
    m_txPwr->setText(fromView(kPowerPreset));
}

std::string DisplayFrame::voltsPerDivText() const
{
    return textOf(m_cbVdiv);
}

std::string DisplayFrame::maPerDivText() const
{
    return textOf(m_cbMaDiv);
}

std::string DisplayFrame::powerText() const
{
    return textOf(m_txPwr);
}

void DisplayFrame::setScaleTexts(const std::string& voltsPerDiv, const std::string& maPerDiv)
{
    m_cbMaDiv->setEditText(QString::fromStdString(maPerDiv));
    m_cbVdiv->setEditText(QString::fromStdString(voltsPerDiv));
}

void DisplayFrame::setAutoScaleVisible(bool visible)
{
    m_btAutoScale->setVisible(visible);
}

bool DisplayFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The selectors' and TxPwr's Validate: leaving the field redraws.
    if (event->type() == QEvent::FocusOut &&
        (watched == m_cbVdiv || watched == m_cbMaDiv || watched == m_txPwr ||
         watched == m_cbVdiv->lineEdit() || watched == m_cbMaDiv->lineEdit()))
        emit refreshRequested();
    return QGroupBox::eventFilter(watched, event);
}

void DisplayFrame::saveProject(ProjectSettings& settings) const
{
    settings.MaPerDivText = m_cbMaDiv->currentText();
    settings.VoltsPerDivText = m_cbVdiv->currentText();
    settings.PowerText = m_txPwr->text();
}

void DisplayFrame::loadProject(const ProjectSettings& settings)
{
    m_cbMaDiv->setEditText(settings.MaPerDivText);
    m_cbVdiv->setEditText(settings.VoltsPerDivText);
    m_txPwr->setText(settings.PowerText);
}

}  // namespace zov::gui
