// The project in the window: the description of the controls that
// `zov --snapshot` writes.

#include "app/gui/command_line.h"
#include "app/gui/project_controller.h"
#include "core/curve_store.h"
#include "files/atomic_write.h"
#include "files/program_folder.h"
#include "app/gui/snapshot.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
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
    auto* check = new QCheckBox("12AX7");
    check->setObjectName("CkImport0");
    auto* label = new QLabel("12.5");
    label->setObjectName("LbGain");
    label->setVisible(false);
    frameLayout->addWidget(option);
    frameLayout->addWidget(check);
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
    EXPECT_EQ(controls.keys(), QStringList({"CbVdiv", "CkImport0", "FrmCook", "LbGain", "ListVg1",
                                            "Mnu_Export_Pref", "Mnu_preferences", "OptSE"}));
    const QJsonObject se = controls["OptSE"].toObject();
    EXPECT_EQ(se["class"].toString(), QStringLiteral("QRadioButton"));
    EXPECT_TRUE(se["checked"].toBool());
    EXPECT_FALSE(controls["CkImport0"].toObject()["checked"].toBool());
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

    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(writeSnapshot(window, dir.filePath("w.png"), dir.filePath("w.json"), &error)) << error.toStdString();
    const QImage picture(dir.filePath("w.png"));
    EXPECT_EQ(picture.size(), window.grab().size());
    QFile json(dir.filePath("w.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(json.readAll()).object(), root);
    EXPECT_FALSE(writeSnapshot(window, dir.filePath("no/such/w.png"), QString(), &error));
    EXPECT_TRUE(error.contains("no/such/w.png")) << error.toStdString();
}

std::string fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

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
            ws.ModeName = opensInCapture(s) ? "Capture" : "Cook";
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

TEST_F(ProjectControllerTest, StartUpTakesCommandLineThenRecentThenDefault)
{
    const QString cmd = dir.filePath("cmd.zov");
    writeFile(cmd, kCookProject);
    controller.loadStartupProject(cmd);
    EXPECT_EQ(events, QStringList({"loaded Cook", "name cmd.zov", "point 250 1.5"}));
    EXPECT_EQ(ws.ProjectFile, cmd);
    EXPECT_EQ(ws.ProjectFolder, QStringLiteral("/projects"));
    EXPECT_EQ(ws.SeriesSelections[0].Vg1List, "-1,-2,");
    EXPECT_EQ(readLastProject(recentFile()), cmd);  // even the start-up load records itself

    events.clear();
    controller.loadStartupProject(QString());  // the recently-used project
    EXPECT_EQ(events.mid(0, 2), QStringList({"loaded Cook", "name cmd.zov"}));

    events.clear();
    ASSERT_TRUE(writeLastProject(recentFile(), QString()).ok);
    writeFile(folders.executable + "/DoNotErase.zov", "[Form]\r\nMode=Capture\r\n[DATA]\r\nVG2=250\r\n");
    controller.loadStartupProject(QString());
    EXPECT_EQ(events, QStringList({"loaded Capture", "name DoNotErase.zov"}));
    EXPECT_EQ(frames.Vg2Text, QStringLiteral("250"));

    // Without a default project: the defaults of an empty file (Cook mode), silently.
    events.clear();
    QFile::remove(folders.executable + "/DoNotErase.zov");
    ASSERT_TRUE(writeLastProject(recentFile(), QString()).ok);
    controller.loadStartupProject(QString());
    EXPECT_EQ(events, QStringList({"loaded ", "name DoNotErase.zov"}));
    EXPECT_EQ(ws.ModeName, QStringLiteral("Cook"));
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
    ws.ModeName = "Capture";
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

TEST_F(ProjectControllerTest, ASnapshotLeavesTheRecentFileAlone)
{
    const QString path = dir.filePath("amp.zov");
    writeFile(path, kCookProject);
    controller.setRecordsRecentProject(false);
    controller.loadStartupProject(path);
    EXPECT_FALSE(QFile::exists(recentFile()));
    EXPECT_EQ(ws.ProjectFile, path);
}

}  // namespace
}  // namespace zov::gui::testing
