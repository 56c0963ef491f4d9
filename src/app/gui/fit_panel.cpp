#include "app/gui/fit_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace zov::gui {

namespace {

constexpr TubeModelKind kModels[] = {TubeModelKind::KorenTriode, TubeModelKind::KorenPentode,
                                     TubeModelKind::DerkEPentode};

}  // namespace

FitPanel::FitPanel(QWidget* parent) : QGroupBox(QStringLiteral("Model"), parent)
{
    setObjectName(QStringLiteral("FrmFit"));
    m_cbModel = new QComboBox(this);
    m_cbModel->setObjectName(QStringLiteral("CbModel"));
    for (TubeModelKind kind : kModels)
        m_cbModel->addItem(QString::fromLatin1(modelName(kind).data(), static_cast<qsizetype>(modelName(kind).size())));
    auto* fit = new QPushButton(QStringLiteral("Fit"), this);
    fit->setObjectName(QStringLiteral("BtFit"));
    m_lbFit = new QLabel(this);
    m_lbFit->setObjectName(QStringLiteral("LbFit"));
    m_lbFit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // At the window's minimum size the side column has no room for every
    // line: the result gives way (its last lines are cut) rather than
    // squeezing the Cooking frame above it.
    m_lbFit->setMinimumHeight(m_lbFit->fontMetrics().lineSpacing());
    m_lbFit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_btSave = new QPushButton(QStringLiteral("Save SPICE ..."), this);
    m_btSave->setObjectName(QStringLiteral("BtSaveSpice"));
    m_btSave->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("BtCloseFit"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    // One control a row where the narrow side column would clip a caption.
    grid->addWidget(m_cbModel, 0, 0, 1, 2);
    grid->addWidget(fit, 1, 0);
    grid->addWidget(close, 1, 1);
    grid->addWidget(m_lbFit, 2, 0, 1, 2);
    grid->addWidget(m_btSave, 3, 0, 1, 2);

    connect(fit, &QPushButton::clicked, this, [this] { emit fitClicked(model()); });
    connect(m_btSave, &QPushButton::clicked, this, &FitPanel::saveClicked);
    connect(close, &QPushButton::clicked, this, &FitPanel::closeClicked);
}

TubeModelKind FitPanel::model() const
{
    const int k = m_cbModel->currentIndex();
    return k >= 0 && k < static_cast<int>(std::size(kModels)) ? kModels[k] : TubeModelKind::KorenTriode;
}

void FitPanel::showResult(const QString& text, bool canSave)
{
    m_lbFit->setText(text);
    m_btSave->setEnabled(canSave);
}

}  // namespace zov::gui
