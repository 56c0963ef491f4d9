#include "app/gui/cook_frame.h"

#include "app/gui/frame_parts.h"
#include "app/gui/import_row.h"
#include "files/project_file.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <tuple>
#include <utility>

namespace zov::gui {

CookFrame::CookFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Cooking"), parent)
{
    setObjectName(QStringLiteral("FrmCook"));
    auto* grid = frameGrid(this);
    int row = 0;

    auto makeOption = [&](const QString& name, const QString& caption, CookOption value) {
        auto* option = new QRadioButton(caption, this);
        option->setObjectName(name);
        connect(option, &QRadioButton::clicked, this, [this, value] { emit optionClicked(value); });
        return option;
    };
    m_optSE = makeOption(QStringLiteral("OptSE"), QStringLiteral("SE"), CookOption::SE);
    m_optPP = makeOption(QStringLiteral("OptPP"), QStringLiteral("PP"), CookOption::PP);
    m_optMatch = makeOption(QStringLiteral("OptMatch"), QStringLiteral("Match"), CookOption::Match);
    m_optDiff = makeOption(QStringLiteral("OptDiff"), QStringLiteral("Diff (a-b)"), CookOption::Diff);
    m_optMatch->setChecked(true);
    // The options get their own columns: "Diff (a-b)" is wider than the
    // edit boxes below it.
    auto* options = new QGridLayout;
    options->setContentsMargins(0, 0, 0, 0);
    options->setHorizontalSpacing(2);
    options->setVerticalSpacing(2);
    options->addWidget(m_optSE, 0, 0);
    options->addWidget(m_optPP, 0, 1);
    options->addWidget(m_optMatch, 1, 0);
    options->addWidget(m_optDiff, 1, 1);
    grid->addLayout(options, row++, 0, 1, 3);

    m_lbLoad = makeLabel(this, QStringLiteral("LbLoad"), QStringLiteral("R or Z load"));
    m_rLoad = makeTextBox(this, QStringLiteral("RLoad"), QStringLiteral("10"));
    m_rLoad->setMinimumWidth(40);
    grid->addWidget(m_lbLoad, row, 0);
    grid->addWidget(m_rLoad, row, 1);
    grid->addWidget(makeLabel(this, QStringLiteral("LbLoadUnit"), QStringLiteral("K")), row++, 2);
    m_txVin = makeTextBox(this, QStringLiteral("TxVin"), QStringLiteral("0"));
    m_txVin->setMinimumWidth(40);
    grid->addWidget(makeLabel(this, QStringLiteral("LbVin"), QStringLiteral("Vin")), row, 0);
    grid->addWidget(m_txVin, row, 1);
    grid->addWidget(makeLabel(this, QStringLiteral("LbVinUnit"), QStringLiteral("pp")), row++, 2);
    connect(m_rLoad, &QLineEdit::editingFinished, this, &CookFrame::loadCommitted);
    connect(m_txVin, &QLineEdit::editingFinished, this, &CookFrame::vinCommitted);
    m_rLoad->installEventFilter(this);

    for (int i = 0; i < kSlotCount; ++i)
        m_importRows[static_cast<std::size_t>(i)] = new ImportRow(i, this, grid, row++);

    auto addResult = [&](QLabel*& label, const QString& name, const QString& caption, const QString& text) {
        label = makeLabel(this, name, text);
        grid->addWidget(makeLabel(this, QString(), caption), row, 0);
        grid->addWidget(label, row++, 1, 1, 2);
        label->hide();
    };
    addResult(m_lbVout, QStringLiteral("LbVout"), QStringLiteral("Vout :"), QString());
    addResult(m_lbGain, QStringLiteral("LbGain"), QStringLiteral("Vgain :"), QString());
    addResult(m_lbApo, QStringLiteral("LbApo"), QStringLiteral("Pout :"), QString());
    addResult(m_lbH2, QStringLiteral("LbH2"), QStringLiteral("H2% :"), QString());
    addResult(m_lbPd0, QStringLiteral("LbPd0"), QStringLiteral("Pdiss :"), QString());
    addResult(m_lbPout, QStringLiteral("LbPout"), QString(), QString());
    addResult(m_gm, QStringLiteral("Gm"), QStringLiteral("S "), QStringLiteral("??"));
    addResult(m_req, QStringLiteral("Req"), QStringLiteral("Rp"), QStringLiteral("??"));
    addResult(m_mu, QStringLiteral("Mu"), QStringLiteral("Mu"), QStringLiteral("??"));
    grid->setColumnStretch(1, 1);
}

CookOption CookFrame::option() const
{
    if (m_optSE->isChecked())
        return CookOption::SE;
    if (m_optPP->isChecked())
        return CookOption::PP;
    if (m_optDiff->isChecked())
        return CookOption::Diff;
    return CookOption::Match;
}

ComparisonOptions CookFrame::comparisonOptions() const
{
    ComparisonOptions options;
    options.option = option();
    for (std::size_t i = 0; i < kSlotCount; ++i)
        options.imports[i] = m_importRows[i]->line();
    return options;
}

ImportRow& CookFrame::importRow(int slot) const
{
    return *m_importRows.at(static_cast<std::size_t>(slot));
}

std::string CookFrame::loadText() const
{
    return textOf(m_rLoad);
}

std::string CookFrame::vinText() const
{
    return textOf(m_txVin);
}

void CookFrame::setVinText(const QString& text)
{
    m_txVin->setText(text);
}

void CookFrame::setLoadCaption(const QString& caption)
{
    m_lbLoad->setText(caption);
}

void CookFrame::setLoadText(const std::string& text)
{
    m_rLoad->setText(QString::fromStdString(text));
    // The caret goes to the start, so that a long value shows its first digits.
    m_rLoad->setCursorPosition(0);
}

void CookFrame::focusLoad()
{
    m_rLoad->setFocus();
}

void CookFrame::showDesignReadouts(const DesignReadouts& readouts)
{
    const auto show = [](QLabel* label, const std::optional<std::string>& text) {
        if (text)
            label->setText(QString::fromStdString(*text));
        label->setVisible(text.has_value());
    };
    show(m_lbPd0, readouts.pd0);
    show(m_gm, readouts.gm);
    show(m_req, readouts.rp);
    show(m_mu, readouts.mu);
    show(m_lbVout, readouts.vout);
    show(m_lbGain, readouts.gain);
    show(m_lbApo, readouts.pout);
    show(m_lbH2, readouts.h2);
}

void CookFrame::showCursorPower(const std::optional<std::string>& text)
{
    if (text)
        m_lbPout->setText(QString::fromStdString(*text));
    m_lbPout->setVisible(text.has_value());
}

void CookFrame::offerImportLines(int count)
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        importRow(slot).setLineVisible(slot < count);
}

bool CookFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_rLoad && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right) {
            emit loadArrowPressed(key);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void CookFrame::hideTubeParameters()
{
    for (QLabel* label : {m_gm, m_req, m_mu})
        label->hide();
}

void CookFrame::hideSwingReadouts()
{
    m_lbApo->hide();
    m_lbH2->hide();
}

void CookFrame::saveProject(ProjectSettings& settings) const
{
    const std::pair<const QRadioButton*, const char*> options[] = {
        {m_optSE, "SE"}, {m_optPP, "PP"}, {m_optMatch, "Match"}, {m_optDiff, "Diff"}};
    settings.Option.clear();
    for (const auto& [button, name] : options) {
        if (button->isChecked())
            settings.Option = QString::fromLatin1(name);
    }
    settings.LoadText = m_rLoad->text();
    settings.VinText = m_txVin->text();
    for (std::size_t i = 0; i < kSlotCount; ++i)
        settings.ImportFiles[i] = m_importRows[i]->line().path;
}

void CookFrame::loadProject(const ProjectSettings& settings)
{
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        const QString& path = settings.ImportFiles[i];
        if (path.isEmpty())
            m_importRows[i]->clearFile();
        else
            m_importRows[i]->setFile(path, slotCaption(path));
    }
    const QString option = optionToSelect(settings);
    const std::tuple<QRadioButton*, const char*, CookOption> options[] = {
        {m_optSE, "SE", CookOption::SE}, {m_optDiff, "Diff", CookOption::Diff},
        {m_optPP, "PP", CookOption::PP}, {m_optMatch, "Match", CookOption::Match}};
    for (const auto& [button, name, value] : options) {
        if (option == QLatin1String(name)) {
            button->setChecked(true);
            emit optionClicked(value);
        }
    }
    setDesignTexts(settings.LoadText, settings.VinText);
}

void CookFrame::setDesignTexts(const QString& loadText, const QString& vinText)
{
    m_rLoad->setText(loadText);
    m_txVin->setText(vinText);
}

}  // namespace zov::gui
