// The project in the window: the project controller against a stand-in,
// the real window saving, closing and starting again, the start-up without a
// default project, the port rules, and `zov --snapshot` as a process.

#include "app/gui/base.h"
#include "app/gui/command_line.h"
#include "app/gui/message_sink.h"
#include "app/gui/project_controller.h"
#include "core/curve_store.h"
#include "files/atomic_write.h"
#include "files/ini_file.h"
#include "files/program_folder.h"
#include "design/design_inputs.h"
#include "files/tdf_file.h"
#include "qt_wait.h"
#include "app/gui/snapshot.h"
#include "cli_runner.h"
#include "reference_tdf.h"

#include <QDir>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <vector>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& value, std::ostream* out) { *out << '"' << value.toStdString() << '"'; }
QT_END_NAMESPACE

namespace zov::gui::testing {
namespace {

TEST(SnapshotCommandLine, ReadsOutputsAndSize)
{
    const struct {
        QStringList arguments;
        const char *snapshot, *controls, *project;
        QSize size;
        bool error;
    } cases[] = {
        {{"p.zov", "--snapshot", "w.png"}, "w.png", "", "p.zov", {}, false},
        {{"--snapshot=w.png", "--controls", "w.json", "--size", "1280x800", "p.zov"}, "w.png", "w.json", "p.zov",
         {1280, 800}, false},
        {{"--snapshot", "w.png", "--size", "1100X760"}, "w.png", "", "", {1100, 760}, false},
        {{"--snapshot", "w.png", "--size", "0x760"}, "w.png", "", "", {}, true},
        {{"--snapshot", "w.png", "--size", "wide"}, "w.png", "", "", {}, true},
        {{"--snapshot", "w.png", "--size", "1x2x3"}, "w.png", "", "", {}, true},
        {{"--controls", "w.json"}, "", "w.json", "", {}, true},  // nothing to describe without a snapshot
        {{"--snapshot"}, "", "", "", {}, true},                  // the value is missing
    };
    for (const auto& c : cases) {
        const GuiOptions options = parseGuiArguments(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(options.snapshotPath, QString::fromLatin1(c.snapshot)) << what;
        EXPECT_EQ(options.controlsPath, QString::fromLatin1(c.controls)) << what;
        EXPECT_EQ(options.projectPath, QString::fromLatin1(c.project)) << what;
        EXPECT_EQ(options.size, c.size) << what;
        EXPECT_EQ(!options.error.isEmpty(), c.error) << what << ": " << options.error.toStdString();
    }
    EXPECT_TRUE(guiUsage({}).contains("--snapshot OUT.png"));
}

TEST(Snapshot, DescribesEveryNamedControl)
{
    QWidget window;
    window.setWindowTitle("Kestrava Zovograph V0.1.0 [amp.zov]");
    auto* layout = new QVBoxLayout(&window);
    auto* frame = new QGroupBox("Cooking");
    frame->setObjectName("FrmCook");
    auto* frameLayout = new QVBoxLayout(frame);
    auto* option = new QRadioButton("SE");
    option->setObjectName("OptSE");
    option->setChecked(true);
    auto* label = new QLabel("12.5");
    label->setObjectName("LbGain");
    label->setVisible(false);
    frameLayout->addWidget(option);
    frameLayout->addWidget(label);
    auto* combo = new QComboBox;
    combo->setObjectName("CbVdiv");
    combo->addItems({"10", "20", "50"});
    combo->setCurrentIndex(1);
    combo->setEnabled(false);
    auto* list = new QListWidget;
    list->setObjectName("ListVg1");
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->addItems({"-1", "-2", "-3"});
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    auto* unnamed = new QLabel("no name");
    layout->addWidget(frame);
    layout->addWidget(combo);
    layout->addWidget(list);
    layout->addWidget(unnamed);
    auto* menu = new QMenu("Project ...", &window);
    menu->setObjectName("Mnu_preferences");
    menu->addAction("Save")->setObjectName("Mnu_Export_Pref");
    window.resize(400, 500);
    window.show();

    const QJsonObject root = describeControls(window);
    EXPECT_EQ(root["windowTitle"].toString(), window.windowTitle());
    const QJsonObject controls = root["controls"].toObject();
    EXPECT_EQ(controls.keys(), QStringList({"CbVdiv", "FrmCook", "LbGain", "ListVg1",
                                            "Mnu_Export_Pref", "Mnu_preferences", "OptSE"}));
    const QJsonObject se = controls["OptSE"].toObject();
    EXPECT_EQ(se["class"].toString(), QStringLiteral("QRadioButton"));
    EXPECT_TRUE(se["checked"].toBool());
    EXPECT_TRUE(se["visible"].toBool());
    EXPECT_FALSE(controls["LbGain"].toObject()["visible"].toBool());
    EXPECT_EQ(controls["LbGain"].toObject()["text"].toString(), QStringLiteral("12.5"));
    EXPECT_EQ(controls["FrmCook"].toObject()["text"].toString(), QStringLiteral("Cooking"));
    const QJsonObject vdiv = controls["CbVdiv"].toObject();
    EXPECT_EQ(vdiv["text"].toString(), QStringLiteral("20"));
    EXPECT_FALSE(vdiv["enabled"].toBool());
    EXPECT_EQ(vdiv["items"].toArray().size(), 3);
    const QJsonObject vg1 = controls["ListVg1"].toObject();
    EXPECT_EQ(vg1["items"].toArray(), QJsonArray({"-1", "-2", "-3"}));
    EXPECT_EQ(vg1["selected"].toArray(), QJsonArray({"-1", "-3"}));
    EXPECT_EQ(controls["Mnu_preferences"].toObject()["text"].toString(), QStringLiteral("Project ..."));
    EXPECT_EQ(controls["Mnu_Export_Pref"].toObject()["text"].toString(), QStringLiteral("Save"));

    // Geometry in window coordinates: the option button sits inside its frame.
    const QJsonArray g = se["geometry"].toArray();
    const QPoint inWindow = option->mapTo(&window, QPoint(0, 0));
    EXPECT_EQ(g, QJsonArray({inWindow.x(), inWindow.y(), option->width(), option->height()}));
    EXPECT_GT(inWindow.y(), option->y());  // not the frame-relative position
}

using zov::testing::fileBytes;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// The project controller against a stand-in for the window: the frames'
// settings are one value, and every signal is recorded in order.
class ProjectControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folders = {dir.filePath("bin"), dir.filePath("user")};
        QDir().mkpath(folders.executable);
        controller.setProgramFolders(folders);
        controller.setFileChooser([this](const QString& action, const QString& title, const QString& pattern,
                                         const QString& folder) {
            dialogs.push_back({action, title, pattern, folder});
            return chosen;
        });
        QObject::connect(&controller, &ProjectController::settingsWanted,
                         [this](ProjectSettings& s) { s = frames; });
        QObject::connect(&controller, &ProjectController::settingsLoaded, [this](const ProjectSettings& s) {
            events << "loaded " + s.Mode;
            // The window spreads the texts to its frames; the option stays when
            // the file names none; the mode switch sets ModeName.
            const QString option = frames.Option;
            frames = s;
            frames.Option = optionToSelect(s).isEmpty() ? option : optionToSelect(s);
            ws.ModeName = opensInCapture(s) ? WorkMode::Capture : WorkMode::Cook;
        });
        QObject::connect(&controller, &ProjectController::operatingPointRestored, [this](float ua, float ia) {
            events << QStringLiteral("point %1 %2").arg(static_cast<double>(ua)).arg(static_cast<double>(ia));
        });
        QObject::connect(&controller, &ProjectController::designTextsRestored,
                         [this](const QString& load, const QString& vin) { events << "texts " + load + " " + vin; });
        QObject::connect(&controller, &ProjectController::projectNameChanged,
                         [this](const QString& name) { events << "name " + name; });
        QObject::connect(&controller, &ProjectController::refreshRequested, [this] { events << "refresh"; });
        QObject::connect(&controller, &ProjectController::message,
                         [this](const QString& text, MessageIcon) { messages << text; });
    }
    QString recentFile() const { return folders.executable + "/ZOV.mru"; }

    QTemporaryDir dir;
    ProgramFolders folders;
    Workspace ws;
    ProjectController controller{ws};
    ProjectSettings frames;  // what the window's frames hold
    QString chosen;          // the dialog's answer
    std::vector<QStringList> dialogs;
    QStringList events;
    QStringList messages;
};

constexpr char kCookProject[] =
    "[Form]\r\nMode=Cook\r\n[COOKING]\r\nOption=SE\r\nIa0=1.5\r\nUa0=250\r\nLoad=100\r\nVin=2\r\n"
    "Vg1List=-1,-2,\r\n[IMPORT]\r\n0=/data/12AX7.tdf\r\n[PROJECT]\r\nPath=/projects\r\n";

TEST_F(ProjectControllerTest, StartUpLoadsTheNamedProjectAndRecordsIt)
{
    const QString cmd = dir.filePath("cmd.zov");
    writeFile(cmd, kCookProject);
    controller.loadStartupProject(cmd);
    EXPECT_EQ(events, QStringList({"loaded Cook", "name cmd.zov", "texts 100 2", "point 250 1.5"}));
    EXPECT_EQ(ws.ProjectFile, cmd);
    EXPECT_EQ(ws.ProjectFolder, QStringLiteral("/projects"));
    EXPECT_EQ(ws.SeriesSelections[0].Vg1List, "-1,-2,");
    EXPECT_EQ(readLastProject(recentFile()), cmd);  // even the start-up load records itself

    // Without a name: the recently-used project (the order of the choice is
    // the program folder's own test).
    events.clear();
    controller.loadStartupProject(QString());
    EXPECT_EQ(events.mid(0, 2), QStringList({"loaded Cook", "name cmd.zov"}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ProjectControllerTest, OperatingPointComesBackOnlyForAStageDesign)
{
    const struct {
        const char* text;
        const char* windowOption;  // the option selected before the load
        bool placed;
    } cases[] = {
        {"[Form]\nMode=Cook\n[COOKING]\nOption=PP\nUa0=250\nIa0=3\n", "Match", true},
        {"[Form]\nMode=Cook\n[COOKING]\nUa0=250\nIa0=3\n", "SE", true},  // the option stays SE
        {"[Form]\nMode=Cook\n[COOKING]\nUa0=250\nIa0=3\n", "Match", false},
        {"[Form]\nMode=Cook\n[COOKING]\nOption=Match\nUa0=250\nIa0=3\n", "SE", false},
        {"[Form]\nMode=Cook\n[COOKING]\nOption=Diff\nUa0=250\nIa0=3\n", "SE", false},
        {"[Form]\nMode=Cook\n[COOKING]\nOption=SE\nUa0=0\nIa0=3\n", "SE", false},
        {"[Form]\nMode=Capture\n[COOKING]\nOption=SE\nUa0=250\nIa0=3\n", "SE", false},
        {"[COOKING]\nOption=SE\nUa0=250\nIa0=3\n", "SE", true},  // no Mode: Cook
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath("p.zov");
        writeFile(path, c.text);
        frames.Option = c.windowOption;
        events.clear();
        controller.loadStartupProject(path);
        EXPECT_EQ(events.contains("point 250 3"), c.placed) << c.text << " over " << c.windowOption;
    }
}

TEST_F(ProjectControllerTest, RecallForgetsThePointThenPlacesTheFilesOne)
{
    const QString path = dir.filePath("amp.zov");
    writeFile(path, kCookProject);
    ws.ProjectFolder = "/before";
    ws.OpCurve.Drawn = true;
    chosen.clear();
    controller.Mnu_Import_Pref_Click();  // cancelled: nothing happens
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(dialogs.back(), QStringList({"Open", "Load a project", "*.zov", "/before"}));

    chosen = path;
    controller.Mnu_Import_Pref_Click();
    EXPECT_EQ(events, QStringList({"loaded Cook", "name amp.zov", "refresh", "texts 100 2", "point 250 1.5"}));
    EXPECT_FALSE(ws.OpCurve.Drawn);
    EXPECT_EQ(ws.ProjectFolder, QStringLiteral("/projects"));
    EXPECT_EQ(readLastProject(recentFile()), path);
}

TEST_F(ProjectControllerTest, SaveWritesTheWindowAndNamesTheProject)
{
    frames.Mode = "Capture";
    frames.Vg2Text = "250";
    frames.Option = "PP";
    ws.ModeName = WorkMode::Capture;
    ws.ProjectFile = dir.filePath("a.b.zov");
    chosen.clear();
    controller.Mnu_Export_Pref_Click();
    ASSERT_EQ(dialogs.size(), 1U);
    // The preset is the project's name; a first save starts in the program's folder.
    EXPECT_EQ(dialogs.back(), QStringList({"Save", "Save current project", "a.b.zov", folders.executable}));
    EXPECT_TRUE(events.isEmpty());

    QDir().mkpath(dir.filePath("first"));
    QDir().mkpath(dir.filePath("second"));
    chosen = dir.filePath("first/amp.zov");
    controller.Mnu_Export_Pref_Click();
    EXPECT_EQ(events, QStringList({"name amp.zov"}));
    EXPECT_EQ(ws.ProjectFile, chosen);
    EXPECT_EQ(ws.ProjectFolder, dir.filePath("first"));
    const ProjectSettings saved = loadProjectFile(chosen);
    EXPECT_EQ(saved.Mode, QStringLiteral("Capture"));
    EXPECT_EQ(saved.Vg2Text, QStringLiteral("250"));
    EXPECT_EQ(saved.Option, QStringLiteral("PP"));
    EXPECT_EQ(saved.ProjectFolder, dir.filePath("first"));
    EXPECT_EQ(readLastProject(recentFile()), chosen);

    // Saving into a second folder keeps PROJECT Path pointing at the first.
    chosen = dir.filePath("second/amp.zov");
    controller.Mnu_Export_Pref_Click();
    EXPECT_EQ(dialogs.back()[3], dir.filePath("first"));
    EXPECT_EQ(loadProjectFile(chosen).ProjectFolder, dir.filePath("first"));
    EXPECT_EQ(ws.ProjectFolder, dir.filePath("first"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ProjectControllerTest, AFailedSaveIsReportedAndChangesNothing)
{
    const QString path = dir.filePath("amp.zov");
    writeFile(path, kCookProject);
    controller.LoadProject(path);
    const std::string recentBefore = fileBytes(recentFile());
    events.clear();
    ws.ProjectFolder.clear();

    frames.LoadText = "47";
    setInjectedWriteFailure("No space left on device");
    chosen = dir.filePath("other.zov");
    writeFile(chosen, "[Form]\r\nMode=Capture\r\n");
    controller.Mnu_Export_Pref_Click();
    setInjectedWriteFailure(QString());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Cannot write " + chosen + ": No space left on device");
    EXPECT_EQ(fileBytes(chosen), "[Form]\r\nMode=Capture\r\n");  // nothing lost
    EXPECT_EQ(ws.ProjectFile, path);                                 // still the project it came from
    EXPECT_TRUE(ws.ProjectFolder.isEmpty());
    EXPECT_EQ(fileBytes(recentFile()), recentBefore);
    EXPECT_TRUE(events.isEmpty());

    // A folder that does not exist: the message names the file and a reason.
    messages.clear();
    EXPECT_FALSE(controller.SaveProject(dir.filePath("gone/amp.zov")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Cannot write " + dir.filePath("gone/amp.zov") + ": ")) << messages[0].toStdString();
    EXPECT_GT(messages[0].size(), QString("Cannot write " + dir.filePath("gone/amp.zov") + ": ").size());
}

// ---- The real window --------------------------------------------------------

struct RecordingSink : MessageSink {
    explicit RecordingSink(QStringList* log) : log(log) {}
    void showMessage(const QString& text, MessageIcon) override { *log << text; }
    QStringList* log;
};

// The window on a program folder of its own; started by start().
class ProjectWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    ProgramFolders folders() const { return {dir.filePath("bin"), dir.filePath("user")}; }
    void installDefaultProject() const
    {
        QDir().mkpath(folders().executable);
        QFile::copy(ZOV_SOURCE_DIR "/src/app/gui/DoNotErase.zov", folders().executable + "/DoNotErase.zov");
    }
    void start(const QString& projectPath = {}, const QString& devicePath = {})
    {
        QDir().mkpath(folders().executable);
        window = std::make_unique<Base>();
        window->setMessageSink(std::make_unique<RecordingSink>(&messages));
        window->projectController().setProgramFolders(folders());
        window->setFileChooser([this](const QString& action, const QString&, const QString&, const QString&) {
            return action == "Save" ? saveAs : openPath;
        });
        if (!devicePath.isEmpty())
            window->setVirtualModulePath(devicePath);
        window->Form_Load(projectPath);
    }
    template <typename T = QWidget>
    T* control(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control named " << name;
        return found;
    }
    QString text(const char* name) const
    {
        return describeControls(*window)["controls"].toObject()[name].toObject()["text"].toString();
    }
    // What a user sees of the controls a project keeps.
    QJsonObject projectControls() const
    {
        const QJsonObject all = describeControls(*window)["controls"].toObject();
        QJsonObject kept;
        for (const char* name : {"CbVdiv", "CbMaDiv", "TxPwr", "TxVg1Start", "TxVg1Stop", "TxPitchg1", "TxVg2",
                                 "Opt256", "Opt32", "CbComport", "OptSE", "OptPP", "OptMatch", "OptDiff", "RLoad",
                                 "TxVin", "CkImport0", "CkImport1", "CkImport2", "CkImport3", "CkImport4",
                                 "FrmCook", "FrmCapture"}) {
            QJsonObject c = all[name].toObject();
            c.remove("geometry");
            kept.insert(name, c);
        }
        kept.insert("title", window->windowTitle());
        return kept;
    }

    QTemporaryDir dir;
    QStringList messages;
    QString saveAs;
    QString openPath;
    std::unique_ptr<Base> window;
};

TEST_F(ProjectWindowTest, WithoutADefaultProjectTheWindowOpensEmptyInCookMode)
{
    start();
    const Workspace& ws = window->workspace();
    EXPECT_EQ(ws.ModeName, WorkMode::Cook);
    EXPECT_TRUE(control("FrmCook")->isVisible());
    EXPECT_FALSE(control("FrmCapture")->isVisible());
    for (const char* name : {"CbVdiv", "CbMaDiv", "TxPwr", "TxVg1Start", "TxVg1Stop", "TxPitchg1", "TxVg2", "RLoad"})
        EXPECT_EQ(text(name), QString()) << name;
    EXPECT_EQ(text("CbComport"), QStringLiteral("COM1"));
    EXPECT_TRUE(control("Opt256")->property("checked").toBool());
    EXPECT_EQ(text("CkImport0"), QStringLiteral("Import >>"));
    EXPECT_EQ(window->size(), window->minimumSize());
    // Empty scale texts keep the scales in force.
    EXPECT_EQ(ws.VoltsPerDiv, 20.0F);
    EXPECT_EQ(ws.MaPerDiv, 1.0F);
    EXPECT_TRUE(window->windowTitle().endsWith(" [DoNotErase.zov]"));
    EXPECT_TRUE(messages.isEmpty());
    // Even this start records itself: the next start opens the same.
    EXPECT_EQ(readLastProject(folders().executable + "/ZOV.mru"), folders().executable + "/DoNotErase.zov");
}

TEST_F(ProjectWindowTest, SaveCloseAndStartAgainFindsEverythingAsItWas)
{
    // A project with files in three slots, written as another program might.
    const QString original = dir.filePath("hand.zov");
    writeFile(original, "[Form]\nMode=Cook\n[COOKING]\nOption=PP\nLoad=6.6\nVin=40\nVg1List=-1,\n"
                        "[IMPORT]\n0=/data/300B.tdf\n2=/data/EL34.b.tdf\n4=/data/300B.tdf\n");
    installDefaultProject();
    start(original);
    EXPECT_EQ(text("CkImport2"), QStringLiteral("EL34"));
    EXPECT_TRUE(control("CkImport4")->property("checked").toBool());
    EXPECT_EQ(window->workspace().SeriesSelections[4].Vg1List, "-1,");
    EXPECT_TRUE(control("OptPP")->property("checked").toBool());

    // The user changes a few things and saves.
    control<QComboBox>("CbVdiv")->setEditText("50");
    control<QComboBox>("CbMaDiv")->setEditText("2");
    control<QLineEdit>("TxPwr")->setText("3.5");
    control<QLineEdit>("TxVg1Stop")->setText("12");
    control<QLineEdit>("TxVg2")->setText("300");
    control<QRadioButton>("Opt32")->click();
    control<QComboBox>("CbComport")->setCurrentIndex(2);
    control<QLineEdit>("RLoad")->setText("8");
    window->resize(1000, 700);
    window->move(30, 45);
    const QSize size = window->size();
    saveAs = dir.filePath("amp.zov");
    control<QAction>("Mnu_Export_Pref")->trigger();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_TRUE(window->windowTitle().endsWith(" [amp.zov]"));
    const QJsonObject before = projectControls();

    window.reset();  // closed; nothing is saved on the way out
    start();         // the recently-used project comes back
    EXPECT_EQ(window->workspace().ProjectFile, saveAs);
    QJsonObject after = projectControls();
    EXPECT_EQ(QJsonDocument(after).toJson().toStdString(), QJsonDocument(before).toJson().toStdString());
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->pos(), QPoint(30, 45));
    EXPECT_EQ(window->workspace().SeriesSelections[2].Vg1List, "-1,");

    // Recall from the menu: the hand-written project again.
    openPath = original;
    control<QAction>("Mnu_Import_Pref")->trigger();
    EXPECT_EQ(text("RLoad"), QStringLiteral("6.6"));
    EXPECT_EQ(text("CbVdiv"), QString()) << "a key the file lacks reads as empty";
    EXPECT_TRUE(window->windowTitle().endsWith(" [hand.zov]"));
}

// A project that names a curve file of another program opens it again: the
// slot reads the file itself, converted in memory.
TEST_F(ProjectWindowTest, AProjectNamingACurveFileOfAnotherProgramOpensIt)
{
    const QString utd = QStringLiteral(ZOV_REFERENCE_DATA "/raw/audio-projects__tube-models/src/test-assets/ECC83.utd");
    if (!QFile::exists(utd))
        GTEST_SKIP() << "reference data not available: " << utd.toStdString();
    const QString project = dir.filePath("utd.zov");
    writeFile(project, "[Form]\nMode=Cook\n[COOKING]\nOption=SE\n[IMPORT]\n0=" + utd.toUtf8() + "\n");
    installDefaultProject();
    start(project);
    EXPECT_EQ(text("CkImport0"), QStringLiteral("ECC83"));
    const CurveSet& set = window->workspace().CurveSets[0];
    EXPECT_TRUE(set.Loaded);
    EXPECT_EQ(set.FileName, utd);
    EXPECT_EQ(set.Series.size(), 5U);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(ProjectWindowTest, PortsTheListCannotNameAreKeptByName)
{
    // An existing device the list does not hold (a USB adapter) is added and chosen.
    const QString device = dir.filePath("ttyUSB0");
    writeFile(device, "");
    const QString project = dir.filePath("usb.zov");
    writeFile(project, ("[Form]\nMode=Capture\n[DATA]\nComport=-1\nPort=" + device + "\n").toUtf8());
    start(project);
    EXPECT_EQ(text("CbComport"), device);
    saveAs = dir.filePath("again.zov");
    control<QAction>("Mnu_Export_Pref")->trigger();
    const ProjectSettings saved = loadProjectFile(saveAs);
    EXPECT_EQ(saved.PortName, device);
    // The list position is kept as it is, beyond COM4 (a reader that knows
    // only the four COM names takes COM1).
    EXPECT_EQ(ReadIni(saveAs, "DATA", "Comport"), QString::number(control<QComboBox>("CbComport")->currentIndex()));

    // The virtual module named on the command line stays the port.
    window.reset();
    start(project, QStringLiteral("/dev/pts/99"));
    EXPECT_EQ(text("CbComport"), QStringLiteral("/dev/pts/99"));
}

// A Cook project on the measured 300B that places an SE stage at 300 V /
// 60.9 mA with every curve selected.
TEST_F(ProjectWindowTest, TheOperatingPointAndTheDesignComeBackAfterARestart)
{
    const std::string tdf = zov::testing::referenceTdf(zov::testing::k300BFamily);
    if (tdf.empty())
        GTEST_SKIP() << "reference family not available: " << zov::testing::k300BFamily;
    const QString family = dir.filePath("300B.tdf");
    writeFile(family, QByteArray::fromStdString(tdf));
    CurveSet set;
    set.FileName = family;
    ASSERT_TRUE(ReadCurveSet(set));
    const SeriesSelection all = defaultSelection(set);
    const QString project = dir.filePath("300B.zov");
    writeFile(project, ("[Form]\r\nMode=Cook\r\n[DISPLAY]\r\nIa=20\r\nUa=100\r\nPa=40\r\n[COOKING]\r\n"
                        "Option=SE\r\nIa0=60.9\r\nUa0=300\r\nLoad=3\r\nVin=40\r\nVg1List=" + all.Vg1List +
                        "\r\nVg2List=" + all.Vg2List + "\r\n[IMPORT]\r\n0=" + family.toStdString() + "\r\n")
                           .c_str());
    start(project);
    ASSERT_TRUE(window->workspace().OpCurve.Drawn);
    EXPECT_EQ(window->workspace().OperatingUa, 300.0F);
    EXPECT_NEAR(window->workspace().OperatingIa, 60.9F, 1e-4F);

    // Push-pull at the same point, then saved and the program started again.
    control<QRadioButton>("OptPP")->click();
    const auto readouts = [this] {
        QStringList texts;
        for (const char* name : {"LbVout", "LbGain", "LbApo", "LbPd0", "Gm", "Req", "Mu", "RLoad", "TxVin", "LbLoad"})
            texts << QString::fromLatin1(name) + "=" + text(name).trimmed();  // a value's blanks are not kept
        return texts;
    };
    const QStringList before = readouts();
    const float ua = window->workspace().OperatingUa;
    const float ia = window->workspace().OperatingIa;
    ASSERT_TRUE(window->workspace().OpCurve.Drawn) << "a change of topology keeps the point";
    saveAs = dir.filePath("pp.zov");
    control<QAction>("Mnu_Export_Pref")->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    window.reset();
    start();
    EXPECT_EQ(window->workspace().ProjectFile, saveAs);
    ASSERT_TRUE(window->workspace().OpCurve.Drawn);
    EXPECT_EQ(window->workspace().OperatingUa, ua);
    EXPECT_NEAR(window->workspace().OperatingIa, ia, 1e-4F);
    EXPECT_EQ(readouts(), before);
}

// ---- zov --snapshot as a process --------------------------------------------

// The window program, headless like this test.
zov::testing::CliRun runZov(const QStringList& args, const QString& workingDir)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return zov::testing::runProgram(QStringLiteral(ZOV_BINARY_DIR "/src/app/gui/zov"), args, 60000, workingDir);
}

QJsonObject readJson(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

TEST(SnapshotProcess, WritesThePictureAndTheControlsAndLeavesTheRecentFileAlone)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("capture.zov");
    writeFile(project, "[Form]\r\nMode=Capture\r\n[DISPLAY]\r\nUa=50\r\n[DATA]\r\nVG2=300\r\n");
    const QString mru = QStringLiteral(ZOV_BINARY_DIR "/src/app/gui/ZOV.mru");
    const std::string mruBefore = fileBytes(mru);
    const auto run = runZov({project, "--snapshot", dir.filePath("w.png"), "--controls", dir.filePath("w.json"),
                               "--size", "1024x700"},
                              dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(dir.filePath("w.png")).size(), QSize(1024, 700));
    const QJsonObject json = readJson(dir.filePath("w.json"));
    EXPECT_TRUE(json["windowTitle"].toString().endsWith(" [capture.zov]"));
    const QJsonObject controls = json["controls"].toObject();
    EXPECT_EQ(controls["TxVg2"].toObject()["text"].toString(), QStringLiteral("300"));
    EXPECT_EQ(controls["CbVdiv"].toObject()["text"].toString(), QStringLiteral("50"));
    EXPECT_TRUE(controls["FrmCapture"].toObject()["visible"].toBool());
    EXPECT_FALSE(controls["FrmCook"].toObject()["visible"].toBool());
    // The plot fills the window: its right edge is near the window's.
    const QJsonArray scope = controls["Scope"].toObject()["geometry"].toArray();
    EXPECT_GT(scope[0].toInt() + scope[2].toInt(), 1024 - 40);
    EXPECT_EQ(fileBytes(mru), mruBefore);

    const auto bad = runZov({project, "--snapshot", dir.filePath("no/such/w.png")}, dir.path());
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("no/such/w.png")) << bad.err.toStdString();
}

}  // namespace
}  // namespace zov::gui::testing
