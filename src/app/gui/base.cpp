#include "app/gui/base.h"

#include <QApplication>

#include "app/gui/grid_label_sink.h"
#include "app/gui/gui_messages.h"
#include "app/gui/message_box_sink.h"
#include "app/gui/scope_widget.h"
#include "render/diff_colour_sequence.h"
#include "render/painter_surface.h"
#include "plot/scale_selectors.h"
#include "render/scene.h"
#include "files/file_dialog.h"
#include "files/files_messages.h"
#include "files/tdf_file.h"
#include "core/text.h"
#include "measure/capture_sweep.h"
#include "measure/measure_messages.h"
#include "measure/port_list.h"
#include "measure/sweep_plan.h"
#include "zov_version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zov::gui {

namespace {

// Geometry of the client area, in pixels. The side frames form a column at
// the left; the current-axis labels (as wide as SlideIa) stand between the
// column and the plot; the plot fills the rest, leaving kRightMarginPx so the
// last voltage label, centred on the right edge of the plot, stays visible,
// and 30 px below it for the voltage labels.
constexpr int kSideColumnPx = 160;       // width given to the side frames by the resize rule
constexpr int kSlideIaWidthPx = 44;      // SlideIa and the current-axis labels
constexpr int kVoltageLabelWidthPx = 36; // SlideUa and the voltage-axis labels
constexpr int kAxisLabelHeightPx = 14;
constexpr int kRightMarginPx = 18;
constexpr int kBottomMarginPx = 30;      // client height - plot height
constexpr int kScopeTopPx = 8;  // room for half of the top current label
constexpr int kScopeLeftPx = kSideColumnPx + kSlideIaWidthPx - kRightMarginPx;
constexpr int kSideLeftPx = 4;
// The current labels are right-aligned against the plot and their text
// ("100.0") needs about 30 px, so the side column may reach under the empty
// left part of their boxes.
constexpr int kCurrentTextPx = 34;
constexpr int kSideWidthPx = kScopeLeftPx - kCurrentTextPx - kSideLeftPx;

// Fore colours of the five import lines; the comparison curves of a slot are
// drawn in its line's colour.
constexpr std::array<Colour, kSlotCount> kImportColours{
    rgb(0, 0, 255), rgb(192, 64, 0), rgb(0, 128, 0), rgb(128, 0, 128), rgb(128, 128, 0)};

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& name, const QString& text)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    return box;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QComboBox* makeSelector(QWidget* parent, const QString& name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    // A typed value is used as it stands; it never joins the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QFont plotLabelFont()
{
    return PainterSurface::defaultPlotFont();
}

std::string textOf(const QLineEdit* box)
{
    return box->text().toStdString();
}

std::string textOf(const QComboBox* box)
{
    return box->currentText().toStdString();
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

QGridLayout* frameGrid(QGroupBox* frame)
{
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(4, 2, 4, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    return grid;
}

}  // namespace

Base::Base(QWidget* parent)
    : QMainWindow(parent)
    , m_messages(std::make_unique<MessageBoxSink>(this))
    , m_diffColours(std::make_unique<DiffColourSequence>())
{
    setObjectName(QStringLiteral("Base"));
    buildMenu();

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client);

    m_sidePanel = new QWidget(client);
    m_sidePanel->setObjectName(QStringLiteral("SidePanel"));
    // A compact font, as on the classic window, so the frames fit in the
    // narrow side column down to the minimum window size.
    QFont panelFont = m_sidePanel->font();
    panelFont.setPointSize(8);
    m_sidePanel->setFont(panelFont);
    auto* column = new QVBoxLayout(m_sidePanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(buildDisplayFrame());
    column->addWidget(buildCaptureFrame());
    column->addWidget(buildCookFrame());
    column->addWidget(buildShowVgFrame());
    column->addStretch(1);

    m_scope = new ScopeWidget(client);
    m_scope->setObjectName(QStringLiteral("Scope"));
    buildPlotLabels(client);

    PlotLabels labels;
    labels.scope = m_scope;
    labels.grid = m_lbGrid;
    labels.slideUa = m_slideUa;
    labels.slideIa = m_slideIa;
    labels.ua0 = m_ua0;
    labels.ia0 = m_ia0;
    m_gridLabels = std::make_unique<GridLabelSink>(labels);

    m_sweep = new CaptureSweep(m_ws, this);

    m_fileChooser = [this](const QString& action, const QString& title, const QString& pattern,
                           const QString& folder) {
        return FileDialog(this, folder, pattern, title, action);
    };

    client->installEventFilter(this);
    connectHandlers();

    // Initial state as designed: nothing captured yet, Capture mode.
    m_frmCook->hide();
    m_btAutoScale->hide();
}

Base::~Base()
{
    // The controls outlive this body (QWidget deletes them later) and still
    // send focus and resize events while they go; nothing may redraw then.
    m_tearingDown = true;
    m_ws.StartupDone = false;
}

QWidget* Base::clientArea() const
{
    return centralWidget();
}

// ---- Construction ---------------------------------------------------------

void Base::buildMenu()
{
    m_mnuMode = menuBar()->addMenu(QStringLiteral("Mode"));
    m_mnuMode->setObjectName(QStringLiteral("Mnu_Mode"));
    m_mnuCapture = m_mnuMode->addAction(QStringLiteral("Capture"));
    m_mnuCapture->setObjectName(QStringLiteral("Mnu_Capture"));
    m_mnuCook = m_mnuMode->addAction(QStringLiteral("Cook"));
    m_mnuCook->setObjectName(QStringLiteral("Mnu_Cook"));
}

QGroupBox* Base::buildDisplayFrame()
{
    m_stuff = makeFrame(m_sidePanel, QStringLiteral("Stuff"), QStringLiteral("Display"));
    auto* grid = frameGrid(m_stuff);
    m_cbVdiv = makeSelector(m_stuff, QStringLiteral("CbVdiv"));
    m_cbMaDiv = makeSelector(m_stuff, QStringLiteral("CbMaDiv"));
    m_txPwr = makeTextBox(m_stuff, QStringLiteral("TxPwr"), QString());
    m_btAutoScale = makeButton(m_stuff, QStringLiteral("BtAutoScale"), QStringLiteral("A u t o"));
    grid->addWidget(makeLabel(m_stuff, QStringLiteral("LbVperDiv"), QStringLiteral("V/div")), 0, 0);
    grid->addWidget(m_cbVdiv, 0, 1);
    grid->addWidget(makeLabel(m_stuff, QStringLiteral("LbmApaerDiv"), QStringLiteral("mA/div")), 1, 0);
    grid->addWidget(m_cbMaDiv, 1, 1);
    grid->addWidget(makeLabel(m_stuff, QStringLiteral("LbPd"), QStringLiteral("Pd(W)")), 2, 0);
    grid->addWidget(m_txPwr, 2, 1);
    grid->addWidget(m_btAutoScale, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return m_stuff;
}

QGroupBox* Base::buildCaptureFrame()
{
    m_frmCapture = makeFrame(m_sidePanel, QStringLiteral("FrmCapture"), QStringLiteral("Capture"));
    auto* grid = frameGrid(m_frmCapture);
    int row = 0;
    auto addEntry = [&](QLineEdit*& box, const QString& name, const QString& caption) {
        box = makeTextBox(m_frmCapture, name, QStringLiteral("0"));
        grid->addWidget(makeLabel(m_frmCapture, QString(), caption), row, 0);
        grid->addWidget(box, row, 1);
        ++row;
    };
    addEntry(m_txVg1Start, QStringLiteral("TxVg1Start"), QStringLiteral("Vg1 Start"));
    addEntry(m_txVg1Stop, QStringLiteral("TxVg1Stop"), QStringLiteral("Vg1 Stop"));
    addEntry(m_txPitchg1, QStringLiteral("TxPitchg1"), QStringLiteral("Vg1 Pitch"));
    addEntry(m_txVg2, QStringLiteral("TxVg2"), QStringLiteral("+Vg2"));

    m_opt256 = new QRadioButton(QStringLiteral("256mA Max"), m_frmCapture);
    m_opt256->setObjectName(QStringLiteral("Opt256"));
    m_opt32 = new QRadioButton(QStringLiteral("32mA Max"), m_frmCapture);
    m_opt32->setObjectName(QStringLiteral("Opt32"));
    m_opt256->setChecked(true);
    grid->addWidget(m_opt256, row++, 0, 1, 2);
    grid->addWidget(m_opt32, row++, 0, 1, 2);

    m_cbComport = new QComboBox(m_frmCapture);
    m_cbComport->setObjectName(QStringLiteral("CbComport"));
    m_cbComport->setToolTip(QStringLiteral("Select a COM port"));
    m_cbComport->addItems(availablePorts());
    m_cbComport->setCurrentIndex(-1);
    grid->addWidget(m_cbComport, row++, 0, 1, 2);

    m_btSet = makeButton(m_frmCapture, QStringLiteral("BtSet"), QStringLiteral("GO"));

    // Beyond the classic window: the step being measured, and a way to end
    // the sweep after the current step while keeping the curves.
    m_captureProgress = new QProgressBar(m_frmCapture);
    m_captureProgress->setObjectName(QStringLiteral("CaptureProgress"));
    m_captureProgress->setRange(0, 1);
    m_captureProgress->setValue(0);
    m_captureProgress->setTextVisible(true);
    m_captureProgress->setFormat(QString());
    m_btStop = makeButton(m_frmCapture, QStringLiteral("BtStop"), QStringLiteral("Stop"));
    m_btStop->setEnabled(false);
    grid->addWidget(m_btSet, row, 0);
    grid->addWidget(m_btStop, row++, 1);
    grid->addWidget(m_captureProgress, row++, 0, 1, 2);

    m_btExport = makeButton(m_frmCapture, QStringLiteral("BtExport"), QStringLiteral("Save as ..."));
    m_btAppend = makeButton(m_frmCapture, QStringLiteral("BtAppend"), QStringLiteral("Add to ..."));
    m_btBckgnd = makeButton(m_frmCapture, QStringLiteral("BtBckgnd"), QStringLiteral("Use as background"));
    m_btBgndFile =
        makeButton(m_frmCapture, QStringLiteral("BtBgndFile"), QStringLiteral("Load a background ..."));
    m_btDirectPrint = makeButton(m_frmCapture, QStringLiteral("BtDirectPrint"), QStringLiteral("Print ..."));
    for (QPushButton* button : {m_btExport, m_btAppend, m_btBckgnd, m_btBgndFile, m_btDirectPrint})
        grid->addWidget(button, row++, 0, 1, 2);
    // Enabled by a completed capture.
    for (QPushButton* button : {m_btExport, m_btAppend, m_btBckgnd, m_btDirectPrint})
        button->setEnabled(false);
    grid->setColumnStretch(1, 1);
    return m_frmCapture;
}

QGroupBox* Base::buildShowVgFrame()
{
    m_frmShowVg = makeFrame(m_sidePanel, QStringLiteral("FrmShowVg"), QString());
    auto* grid = frameGrid(m_frmShowVg);
    m_lbVg1 = makeLabel(m_frmShowVg, QStringLiteral("LbVg1"), QStringLiteral("Vg1= 0"));
    m_lbVg2 = makeLabel(m_frmShowVg, QStringLiteral("LbVg2"), QStringLiteral("Vg2= 0"));
    grid->addWidget(m_lbVg1, 0, 0);
    grid->addWidget(m_lbVg2, 1, 0);
    return m_frmShowVg;
}

QGroupBox* Base::buildCookFrame()
{
    m_frmCook = makeFrame(m_sidePanel, QStringLiteral("FrmCook"), QStringLiteral("Cooking"));
    auto* grid = frameGrid(m_frmCook);
    int row = 0;

    auto makeOption = [&](const QString& name, const QString& caption) {
        auto* option = new QRadioButton(caption, m_frmCook);
        option->setObjectName(name);
        return option;
    };
    m_optSE = makeOption(QStringLiteral("OptSE"), QStringLiteral("SE"));
    m_optPP = makeOption(QStringLiteral("OptPP"), QStringLiteral("PP"));
    m_optMatch = makeOption(QStringLiteral("OptMatch"), QStringLiteral("Match"));
    m_optDiff = makeOption(QStringLiteral("OptDiff"), QStringLiteral("Diff (a-b)"));
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

    m_lbLoad = makeLabel(m_frmCook, QStringLiteral("LbLoad"), QStringLiteral("R or Z load"));
    m_rLoad = makeTextBox(m_frmCook, QStringLiteral("RLoad"), QStringLiteral("10"));
    m_rLoad->setMinimumWidth(40);
    grid->addWidget(m_lbLoad, row, 0);
    grid->addWidget(m_rLoad, row, 1);
    grid->addWidget(makeLabel(m_frmCook, QStringLiteral("LbLoadUnit"), QStringLiteral("K")), row++, 2);
    m_txVin = makeTextBox(m_frmCook, QStringLiteral("TxVin"), QStringLiteral("0"));
    m_txVin->setMinimumWidth(40);
    grid->addWidget(makeLabel(m_frmCook, QStringLiteral("LbVin"), QStringLiteral("Vin")), row, 0);
    grid->addWidget(m_txVin, row, 1);
    grid->addWidget(makeLabel(m_frmCook, QStringLiteral("LbVinUnit"), QStringLiteral("pp")), row++, 2);

    for (int i = 0; i < kSlotCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        auto* check = new QCheckBox(QStringLiteral("Import         ->"), m_frmCook);
        check->setObjectName(QStringLiteral("CkImport%1").arg(QString::number(i)));
        const Colour c = kImportColours[slot];
        check->setStyleSheet(QStringLiteral("QCheckBox { color: rgb(%1, %2, %3); background: white; }")
                                 .arg(QString::number(redOf(c)), QString::number(greenOf(c)),
                                      QString::number(blueOf(c))));
        check->setProperty("Tag", QString());
        auto* browse = makeButton(m_frmCook, QStringLiteral("BtCkBrowse%1").arg(QString::number(i)),
                                  QStringLiteral("..."));
        browse->setFixedWidth(24);
        m_ckImport[slot] = check;
        m_btCkBrowse[slot] = browse;
        grid->addWidget(check, row, 0, 1, 2);
        grid->addWidget(browse, row++, 2);
    }

    auto addResult = [&](QLabel*& label, const QString& name, const QString& caption) {
        label = makeLabel(m_frmCook, name, QString());
        grid->addWidget(makeLabel(m_frmCook, QString(), caption), row, 0);
        grid->addWidget(label, row++, 1, 1, 2);
        label->hide();
    };
    addResult(m_lbVout, QStringLiteral("LbVout"), QStringLiteral("Vout :"));
    addResult(m_lbGain, QStringLiteral("LbGain"), QStringLiteral("Vgain :"));
    addResult(m_lbApo, QStringLiteral("LbApo"), QStringLiteral("Pout :"));
    addResult(m_lbH2, QStringLiteral("LbH2"), QStringLiteral("H2% :"));
    addResult(m_lbPd0, QStringLiteral("LbPd0"), QStringLiteral("Pdiss :"));
    addResult(m_lbPout, QStringLiteral("LbPout"), QString());

    auto addParameter = [&](QLabel*& label, const QString& name, const QString& caption) {
        label = makeLabel(m_frmCook, name, QStringLiteral("??"));
        grid->addWidget(makeLabel(m_frmCook, QString(), caption), row, 0);
        grid->addWidget(label, row++, 1, 1, 2);
        label->hide();
    };
    addParameter(m_gm, QStringLiteral("Gm"), QStringLiteral("S "));
    addParameter(m_req, QStringLiteral("Req"), QStringLiteral("Rp"));
    addParameter(m_mu, QStringLiteral("Mu"), QStringLiteral("Mu"));
    grid->setColumnStretch(1, 1);
    return m_frmCook;
}

void Base::buildPlotLabels(QWidget* client)
{
    const QFont font = plotLabelFont();
    auto makePlotLabel = [&](QWidget* parent, const QString& name, int width, Qt::Alignment align) {
        QLabel* label = makeLabel(parent, name, QString());
        label->setFont(font);
        label->resize(width, kAxisLabelHeightPx);
        label->setAlignment(align | Qt::AlignVCenter);
        label->hide();
        return label;
    };
    for (int i = 0; i < 18; ++i) {
        const bool voltage = i <= 8;
        m_lbGrid[static_cast<std::size_t>(i)] =
            makePlotLabel(client, QStringLiteral("LbGrid%1").arg(QString::number(i)),
                          voltage ? kVoltageLabelWidthPx : kSlideIaWidthPx,
                          voltage ? Qt::AlignHCenter : Qt::AlignRight);
    }
    m_slideUa = makePlotLabel(client, QStringLiteral("SlideUa"), kVoltageLabelWidthPx, Qt::AlignHCenter);
    m_slideIa = makePlotLabel(client, QStringLiteral("SlideIa"), kSlideIaWidthPx, Qt::AlignRight);
    m_ua0 = makePlotLabel(client, QStringLiteral("Ua0"), kVoltageLabelWidthPx, Qt::AlignHCenter);
    m_ia0 = makePlotLabel(client, QStringLiteral("Ia0"), kSlideIaWidthPx, Qt::AlignRight);
    for (int i = 0; i < 9; ++i) {
        m_lbInScope[static_cast<std::size_t>(i)] =
            makePlotLabel(m_scope, QStringLiteral("LbInScope%1").arg(QString::number(i)),
                          kSlideIaWidthPx, Qt::AlignHCenter);
    }
}

void Base::connectHandlers()
{
    connect(m_mnuCapture, &QAction::triggered, this, &Base::Mnu_Capture_Click);
    connect(m_mnuCook, &QAction::triggered, this, &Base::Mnu_Cook_Click);

    // Selectors: a chosen entry redraws and keeps the focus on the selector;
    // Enter redraws; leaving the field redraws (eventFilter).
    for (QComboBox* selector : {m_cbVdiv, m_cbMaDiv}) {
        connect(selector, &QComboBox::activated, this, [this, selector](int) {
            // Leaving the field with a text that is in the list activates that
            // entry too; the focus then stays where the user moved it.
            QWidget* focus = QApplication::focusWidget();
            const bool fromList = focus == selector || selector->isAncestorOf(focus);
            RefreshScope();
            if (fromList)
                selector->setFocus();
        });
        connect(selector->lineEdit(), &QLineEdit::returnPressed, this, &Base::RefreshScope);
        selector->installEventFilter(this);
        selector->lineEdit()->installEventFilter(this);
    }
    m_txPwr->installEventFilter(this);
    connect(m_btAutoScale, &QPushButton::clicked, this, &Base::BtAutoScale_Click);

    for (QLineEdit* box : {m_txVg1Start, m_txVg1Stop, m_txPitchg1, m_txVg2})
        box->installEventFilter(this);

    connect(m_btSet, &QPushButton::clicked, this, &Base::BtSet_Click);
    connect(m_btStop, &QPushButton::clicked, this, &Base::BtStop_Click);
    connect(m_btExport, &QPushButton::clicked, this, &Base::BtExport_Click);
    connect(m_btAppend, &QPushButton::clicked, this, &Base::BtAppend_Click);
    connect(m_btBckgnd, &QPushButton::clicked, this, &Base::BtBckgnd_Click);
    connect(m_btBgndFile, &QPushButton::clicked, this, &Base::BtBgndFile_Click);

    connect(m_sweep, &CaptureSweep::stepStarted, this, &Base::onSweepStep);
    connect(m_sweep, &CaptureSweep::curveAppended, this, &Base::onSweepCurve);
    connect(m_sweep, &CaptureSweep::exchangeFailed, this,
            [this](const QString& message) { showMessage(message); });
    connect(m_sweep, &CaptureSweep::finished, this, &Base::onSweepFinished);
}

// ---- Seams ----------------------------------------------------------------

void Base::setMessageSink(std::unique_ptr<MessageSink> sink)
{
    if (sink)
        m_messages = std::move(sink);
}

void Base::setFileChooser(FileChooser chooser)
{
    if (chooser)
        m_fileChooser = std::move(chooser);
}

void Base::setCaptureWaitMs(int ms)
{
    m_captureWaitMs = ms;
}

void Base::setVirtualModulePath(const QString& devicePath)
{
    m_virtualModulePath = devicePath;
    m_cbComport->clear();
    m_cbComport->addItems(availablePorts(devicePath));
    m_cbComport->setCurrentIndex(devicePath.isEmpty() ? -1 : m_cbComport->findText(devicePath));
}

void Base::showMessage(const QString& text, MessageIcon icon)
{
    m_messages->showMessage(text, icon);
}

// ---- Start-up ---------------------------------------------------------------

void Base::Form_Load(const QString& projectPath)
{
    // Numbers are written and read with "." by the text helpers whatever the
    // user's locale, so the user's regional settings are left alone.
    m_ws.ModeName = QStringLiteral("Capture");

    // The smallest client area is the design's reference rectangle; the menu
    // bar lies outside the client area, the window frame is added by the
    // window manager around this widget.
    setMinimumSize(kMinClientWidthPx, kMinClientHeightPx + menuBar()->sizeHint().height());
    m_ws.CaptureIdle = true;
    setWindowTitle(QString::fromLatin1(kWindowCaptionPrefix) + QString::number(ZOV_VERSION_MAJOR) +
                   QLatin1Char('.') + QString::number(ZOV_VERSION_MINOR) + QLatin1Char('.') +
                   QString::number(ZOV_VERSION_REVISION));
    if (width() < minimumWidth() || height() < minimumHeight())
        resize(minimumSize().expandedTo(QSize(900, 640)));
    show();
    // Outer size = minimum client size + frame, known once the window is shown.
    const QSize frame = frameGeometry().size() - geometry().size();
    m_ws.MinWidthPx = minimumWidth() + frame.width();
    m_ws.MinHeightPx = minimumHeight() + frame.height();
    StartUp(projectPath);
}

void Base::StartUp(const QString& projectPath)
{
    // Filling the selectors triggers no refresh: StartupDone is still false.
    for (std::string_view entry : kMaPerDivList)
        m_cbMaDiv->addItem(QString::fromUtf8(entry.data(), static_cast<int>(entry.size())));
    m_cbMaDiv->setCurrentIndex(kMaPerDivPresetIndex);
    for (std::string_view entry : kVoltsPerDivList)
        m_cbVdiv->addItem(QString::fromUtf8(entry.data(), static_cast<int>(entry.size())));
    m_cbVdiv->setCurrentIndex(kVoltsPerDivPresetIndex);
    m_txPwr->setText(QString::fromUtf8(kPowerPreset.data(), static_cast<int>(kPowerPreset.size())));

    m_ws.MarkerY = 65536.0F;
    m_ws.StartupDone = true;
    Form_Resize();  // lays out the plot, then the first refresh

    loadStartupProject(projectPath);
}

void Base::loadStartupProject(const QString& projectPath)
{
    // The project file restores the window geometry, scales, sweep settings,
    // port, design options and mode, then places a stored operating point
    // again. Order of choice: the path given on the command line, else the
    // last project named in ZOV.mru in the program's folder, else
    // DoNotErase.zov there. Project files are not supported yet: the window
    // keeps its defaults.
    Q_UNUSED(projectPath);
}

// ---- Layout -----------------------------------------------------------------

void Base::Form_Resize()
{
    const QWidget* client = clientArea();
    const int clientWidth = client->width();
    const int clientHeight = client->height();
    const int scopeWidth = std::max(1, clientWidth - kSideColumnPx - m_slideIa->width());
    const int scopeHeight = std::max(1, clientHeight - kBottomMarginPx);
    m_scope->setGeometry(kScopeLeftPx, kScopeTopPx, scopeWidth, scopeHeight);
    // The top of the side column (frame "Display" first) is level with the plot.
    m_sidePanel->setGeometry(kSideLeftPx, m_scope->y(), kSideWidthPx,
                             std::max(1, clientHeight - m_scope->y()));
    RefreshScope();
}

// ---- Central refresh ----------------------------------------------------

void Base::RefreshScope()
{
    if (!m_ws.StartupDone)
        return;

    // Read-outs of a placed operating point are shown again only when the
    // design places it again.
    for (QWidget* label : {static_cast<QWidget*>(m_ia0), static_cast<QWidget*>(m_ua0),
                           static_cast<QWidget*>(m_gm), static_cast<QWidget*>(m_req),
                           static_cast<QWidget*>(m_mu)})
        label->hide();

    SceneOptions options;
    options.voltsPerDivText = textOf(m_cbVdiv);
    options.maPerDivText = textOf(m_cbMaDiv);
    options.powerText = textOf(m_txPwr);
    if (m_optSE->isChecked())
        options.comparison.option = CookOption::SE;
    else if (m_optPP->isChecked())
        options.comparison.option = CookOption::PP;
    else if (m_optDiff->isChecked())
        options.comparison.option = CookOption::Diff;
    else
        options.comparison.option = CookOption::Match;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        options.comparison.imports[i].ticked = m_ckImport[i]->isChecked();
        options.comparison.imports[i].path = m_ckImport[i]->property("Tag").toString();
    }
    options.readSlot = [](CurveSet& slot) { ReadCurveSet(slot); };
    options.diffColours = m_diffColours.get();
    options.beforeComparisonSets = [this](Surface&) {
        m_lbApo->hide();
        m_lbH2->hide();
        for (QLabel* tag : m_lbInScope)
            tag->hide();
    };

    QImage& image = m_scope->image();
    if (!m_surface)
        m_surface = std::make_unique<PainterSurface>(&image);
    else
        m_surface->setDevice(&image);
    const SceneResult result = composeScene(*m_surface, m_ws, options, *m_gridLabels);
    if (result.vinText)
        m_txVin->setText(QString::fromStdString(*result.vinText));

    m_scope->update();
    ++m_refreshCount;
    emit scopeRefreshed();
}

// ---- Modes ----------------------------------------------------------------

void Base::Mnu_Capture_Click()
{
    m_ws.ModeName = QStringLiteral("Capture");
    // The difference offset belongs to "Diff (a-b)" in Cook mode; left set, it
    // would shift the current labels of the Capture picture.
    m_ws.DiffOffsetMa = 0.0F;
    m_btAutoScale->hide();
    m_frmCook->hide();
    m_frmCapture->show();
    m_frmShowVg->show();
    RefreshScope();
}

void Base::Mnu_Cook_Click()
{
    m_ws.ModeName = QStringLiteral("Cook");
    m_btAutoScale->show();
    m_frmCapture->hide();
    m_frmCook->show();
    m_frmShowVg->hide();
    RefreshScope();
}

// ---- Display frame ----------------------------------------------------------

void Base::BtAutoScale_Click()
{
    const std::optional<AutoScaleTexts> texts = autoScale(m_ws.CurveSets[0]);
    if (!texts)
        return;
    m_cbMaDiv->setEditText(QString::fromStdString(texts->maPerDivText));
    m_cbVdiv->setEditText(QString::fromStdString(texts->voltsPerDivText));
    RefreshScope();
}

// ---- Capture ----------------------------------------------------------------

void Base::ShowGridLabels(float vg1, float vg2)
{
    m_lbVg1->setText(QStringLiteral("Vg1=") + QString::fromStdString(formatPattern(vg1, "0.##")));
    m_lbVg2->setText(QStringLiteral("Vg2=") + QString::fromStdString(formatGeneral(vg2)));
}

void Base::BtSet_Click()
{
    if (m_cbComport->currentIndex() < 0 && m_cbComport->count() > 0)
        m_cbComport->setCurrentIndex(0);

    m_ws.CurveText.clear();
    RefreshScope();

    SweepSettings settings;
    settings.vg1StartText = textOf(m_txVg1Start);
    settings.vg1StopText = textOf(m_txVg1Stop);
    settings.pitchText = textOf(m_txPitchg1);
    settings.rangeDivisor = m_opt256->isChecked() ? 4 : 32;
    settings.portName = m_cbComport->currentText();

    const SweepPlan plan = planSweep(settings.vg1StartText, settings.vg1StopText, settings.pitchText);
    if (!plan.valid) {
        showMessage(QString::fromLatin1(messages::kGridOutOfRange));
        return;
    }

    m_btSet->setEnabled(false);
    m_sweep->setWaitMs(m_captureWaitMs);
    m_sweep->setVg2Source([this] { return textOf(m_txVg2); });
    m_captureProgress->setRange(0, plan.stepCount);
    m_captureProgress->setValue(0);
    m_captureProgress->setFormat(sweepProgress(1, plan.stepCount));
    // The sweep checks the settings again; its verdict is the one that counts.
    if (!m_sweep->start(settings)) {
        m_btSet->setEnabled(true);
        m_captureProgress->setFormat(QString());
        showMessage(QString::fromLatin1(messages::kGridOutOfRange));
        return;
    }
    m_btStop->setEnabled(true);
}

void Base::BtStop_Click()
{
    m_sweep->requestStop();
    m_btStop->setEnabled(false);
}

void Base::onSweepStep(int step, int stepCount, float vg1, float vg2)
{
    ShowGridLabels(vg1, vg2);
    m_captureProgress->setRange(0, stepCount);
    m_captureProgress->setValue(step - 1);
    m_captureProgress->setFormat(sweepProgress(step, stepCount));
}

void Base::onSweepCurve(int step)
{
    m_captureProgress->setValue(step);
    // A full refresh redraws every curve so far over background and grid.
    RefreshScope();
}

void Base::onSweepFinished(bool completed, const QString& message)
{
    m_btStop->setEnabled(false);
    if (!message.isEmpty())
        showMessage(message);
    // A sweep stopped by the user keeps its curves, and they can be saved
    // like those of a complete sweep.
    const bool stoppedWithData = message.isEmpty() && !m_ws.CurveText.empty();
    if (completed || stoppedWithData) {
        for (QPushButton* button : {m_btExport, m_btAppend, m_btBckgnd, m_btDirectPrint})
            button->setEnabled(true);
    }
    if (!completed)
        m_captureProgress->setFormat(m_captureProgress->format() + QStringLiteral(" (stopped)"));
    m_btSet->setEnabled(true);
}

// ---- Curve files --------------------------------------------------------------

void Base::BtExport_Click()
{
    saveOrAppend(false);
}

void Base::BtAppend_Click()
{
    saveOrAppend(true);
}

void Base::saveOrAppend(bool append)
{
    if (m_ws.CurveText.empty()) {
        showMessage(msg::kNoDataToSave);
        return;
    }
    const QString folder = prepareTdfSaveFolder(m_ws);
    const QString path =
        m_fileChooser(QStringLiteral("Save"), msg::kExportTdfTitle, msg::kTdfPattern, folder);
    const FileResult result =
        saveCurveText(m_ws, path, append ? TdfWriteMode::Append : TdfWriteMode::Replace);
    if (!result.ok) {
        // A cancelled dialog stays silent; a failed write must not look like
        // a saved family.
        if (!path.isEmpty() && !result.error.isEmpty())
            showMessage(msg::writeFailed(path, result.error), MessageIcon::Critical);
        return;
    }
    m_btExport->setEnabled(false);
    m_btAppend->setEnabled(false);
}

void Base::BtBckgnd_Click()
{
    useCurveTextAsBackground(m_ws);
    m_btExport->setEnabled(false);
    m_btAppend->setEnabled(false);
    RefreshScope();
}

void Base::BtBgndFile_Click()
{
    const QString path =
        m_fileChooser(QStringLiteral("Open"), msg::kImportTdfTitle, msg::kTdfPattern, m_ws.TdfFolder);
    if (path.isEmpty())
        return;
    if (loadBackgroundFile(m_ws, path))
        RefreshScope();
}

// ---- Window events ------------------------------------------------------------

void Base::SelectAllText(QLineEdit* box)
{
    // Queued: a mouse click that gave the focus places the caret after the
    // focus-in, which would undo an immediate selection.
    QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
}

bool Base::eventFilter(QObject* watched, QEvent* event)
{
    if (m_tearingDown)
        return false;
    if (watched == centralWidget()) {
        if (event->type() == QEvent::Resize)
            Form_Resize();
        else if (event->type() == QEvent::MouseButtonPress)
            RefreshScope();  // Form_Click: a click on the window background redraws
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        // The selectors' and TxPwr's Validate: leaving the field redraws.
        if (watched == m_cbVdiv || watched == m_cbMaDiv || watched == m_txPwr ||
            watched == m_cbVdiv->lineEdit() || watched == m_cbMaDiv->lineEdit())
            RefreshScope();
    } else if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* box : {m_txVg1Start, m_txVg1Stop, m_txPitchg1, m_txVg2}) {
            if (watched == box)
                SelectAllText(box);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Base::keyPressEvent(QKeyEvent* event)
{
    // Keys the focused control does not use reach the window: space redraws.
    if (event->text() == QStringLiteral(" ")) {
        RefreshScope();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Base::closeEvent(QCloseEvent* event)
{
    if (!m_ws.CaptureIdle) {
        showMessage(QString::fromLatin1(kStopCaptureBeforeClosing), MessageIcon::Critical);
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace zov::gui
