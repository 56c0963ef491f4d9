// The curve-file buttons of the "Capture" frame with an injected file
// chooser: "Save as ...", "Add to ...", "Use as background",
// "Load a background ...".

#include "window_fixture.h"

#include "files/files_messages.h"
#include "measure/virtual_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace zov::gui::testing {
namespace {

struct ChooserCall {
    QString action;
    QString title;
    QString pattern;
    QString folder;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

class FilesTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        window->setFileChooser([this](const QString& action, const QString& title,
                                      const QString& pattern, const QString& initialFolder) {
            calls.push_back({action, title, pattern, initialFolder});
            return answer;
        });
        // One measured curve, so the buttons are enabled as after any capture.
        VirtualModuleOptions options;
        options.pacing = false;
        module = std::make_unique<VirtualModule>(options);
        ASSERT_TRUE(module->start());
        window->setVirtualModulePath(module->devicePath());
        window->setCaptureWaitMs(100);
        setText("TxVg1Start", "2");
        setText("TxVg1Stop", "2");
        control<QPushButton>("BtSet")->click();
        QTRY_VERIFY_WITH_TIMEOUT(window->workspace().CaptureIdle && enabled("BtSet"), 10000);
        ASSERT_FALSE(window->workspace().CurveText.empty());
        ASSERT_TRUE(enabled("BtExport"));
        captured = window->workspace().CurveText;
    }

    QTemporaryDir folder;
    QString answer;
    std::vector<ChooserCall> calls;
    std::unique_ptr<VirtualModule> module;
    std::string captured;
};

TEST_F(FilesTest, SaveWritesTheFamilyEmptiesItAndDisablesBothButtons)
{
    answer = folder.filePath("family.tdf");
    control<QPushButton>("BtExport")->click();

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].action, "Save");
    EXPECT_EQ(calls[0].title, "Export TDF data");
    EXPECT_EQ(calls[0].pattern, "*.tdf");
    EXPECT_EQ(QDir(calls[0].folder), QDir(QCoreApplication::applicationDirPath()))
        << "an empty TDF folder starts at the program's folder";
    EXPECT_TRUE(messages->empty()) << describe(*messages);
    EXPECT_EQ(readAll(answer), QByteArray::fromStdString(captured + "\r\n"));
    EXPECT_TRUE(window->workspace().CurveText.empty());
    EXPECT_FALSE(enabled("BtExport"));
    EXPECT_FALSE(enabled("BtAppend"));
    EXPECT_TRUE(enabled("BtBckgnd"));
    EXPECT_EQ(QDir(window->workspace().TdfFolder), QDir(folder.path()));

    // Written once: a second click has nothing left to save.
    window->BtExport_Click();
    ASSERT_EQ(messages->size(), 1u);
    EXPECT_EQ(messages->front().text, msg::kNoDataToSave);
}

TEST_F(FilesTest, AddToAppendsAfterTheExistingContent)
{
    answer = folder.filePath("grown.tdf");
    {
        QFile file(answer);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("1 0.001 -1 0 0\r\n\r\n");
    }
    control<QPushButton>("BtAppend")->click();
    EXPECT_TRUE(messages->empty()) << describe(*messages);
    EXPECT_EQ(readAll(answer), QByteArray("1 0.001 -1 0 0\r\n\r\n") + QByteArray::fromStdString(captured + "\r\n"));
    EXPECT_FALSE(enabled("BtExport"));
    EXPECT_FALSE(enabled("BtAppend"));
}

TEST_F(FilesTest, FailedWriteNamesTheFileAndKeepsTheFamily)
{
    answer = folder.filePath("no-such-folder/family.tdf");
    for (const char* button : {"BtExport", "BtAppend"}) {
        messages->clear();
        control<QPushButton>(button)->click();
        ASSERT_EQ(messages->size(), 1u) << button;
        EXPECT_TRUE(messages->front().text.contains(answer)) << messages->front().text.toStdString();
        EXPECT_EQ(window->workspace().CurveText, captured);
        EXPECT_TRUE(enabled("BtExport"));
        EXPECT_TRUE(enabled("BtAppend"));
    }
    EXPECT_FALSE(QFile::exists(answer));
}

TEST_F(FilesTest, CancelledDialogIsSilent)
{
    answer.clear();
    control<QPushButton>("BtExport")->click();
    control<QPushButton>("BtAppend")->click();
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_TRUE(messages->empty()) << describe(*messages);
    EXPECT_EQ(window->workspace().CurveText, captured);
    EXPECT_TRUE(enabled("BtExport"));
    EXPECT_TRUE(enabled("BtAppend"));
    EXPECT_TRUE(window->workspace().TdfFile.isEmpty());
}

TEST_F(FilesTest, NothingToSaveAsksForNoFile)
{
    window->workspace().CurveText.clear();
    for (const char* button : {"BtExport", "BtAppend"}) {
        messages->clear();
        control<QPushButton>(button)->click();
        ASSERT_EQ(messages->size(), 1u);
        EXPECT_EQ(messages->front().text, "No data to save");
    }
    EXPECT_TRUE(calls.empty());
}

TEST_F(FilesTest, UseAsBackgroundMovesTheFamilyBehind)
{
    const int before = window->refreshCount();
    control<QPushButton>("BtBckgnd")->click();
    EXPECT_EQ(window->workspace().BackgroundText, captured);
    EXPECT_TRUE(window->workspace().CurveText.empty());
    EXPECT_FALSE(enabled("BtExport"));
    EXPECT_FALSE(enabled("BtAppend"));
    EXPECT_EQ(window->refreshCount(), before + 1);
}

TEST_F(FilesTest, LoadBackgroundReadsTheWholeFile)
{
    answer = folder.filePath("background.tdf");
    const QByteArray content("10 0.001 -1 0 0\r\n20 0.002 -1 0 0\r\n\r\n");
    {
        QFile file(answer);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    window->workspace().TdfFolder = folder.path();
    const int before = window->refreshCount();
    control<QPushButton>("BtBgndFile")->click();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].action, "Open");
    EXPECT_EQ(calls[0].title, "Import TDF data");
    EXPECT_EQ(calls[0].pattern, "*.tdf");
    EXPECT_EQ(calls[0].folder, folder.path());
    EXPECT_EQ(QByteArray::fromStdString(window->workspace().BackgroundText), content);
    EXPECT_EQ(window->refreshCount(), before + 1);
    EXPECT_EQ(window->workspace().CurveText, captured) << "the current family is not touched";

    // Cancel and an unreadable file change nothing.
    for (const QString& path : {QString(), folder.filePath("missing.tdf")}) {
        answer = path;
        const int refreshes = window->refreshCount();
        control<QPushButton>("BtBgndFile")->click();
        EXPECT_EQ(QByteArray::fromStdString(window->workspace().BackgroundText), content);
        EXPECT_EQ(window->refreshCount(), refreshes);
    }
    EXPECT_TRUE(messages->empty()) << describe(*messages);
}

}  // namespace
}  // namespace zov::gui::testing
