// The project in the window: the description of the controls that
// `zov --snapshot` writes.

#include "app/gui/command_line.h"
#include "app/gui/snapshot.h"

#include <QCheckBox>
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

}  // namespace
}  // namespace zov::gui::testing
