// The curve-file buttons with an injected file chooser: "Save as ...",
// "Add to ...", "Use as background", "Load a background ...".

#include "window_fixture.h"

#include "app/gui/capture_controller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zov::gui::testing {
namespace {

bool writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

class FilesTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        window->setFileChooser([this](const QString& action, const QString& title, const QString& pattern,
                                      const QString& initialFolder) {
            calls << QStringList{action, title, pattern, initialFolder};
            return answer;
        });
        // One measured curve, so the buttons are enabled as after any capture.
        capture("2", "2", "0");
        ASSERT_TRUE(enabled("BtExport"));
        captured = window->workspace().CurveText;
        ASSERT_FALSE(captured.empty());
    }

    QTemporaryDir folder;
    QString answer;
    QList<QStringList> calls;
    std::string captured;
};

TEST_F(FilesTest, SaveAndAddToWriteTheFamilyThenEmptyIt)
{
    const QByteArray old("1 0.001 -1 0 0\r\n\r\n");
    const QByteArray family = QByteArray::fromStdString(captured + "\r\n");
    const std::pair<const char*, QByteArray> cases[] = {{"BtExport", family}, {"BtAppend", old + family}};
    for (const auto& [button, expected] : cases) {
        SCOPED_TRACE(button);
        if (window->workspace().CurveText.empty())
            capture("2", "2", "0");
        ASSERT_EQ(window->workspace().CurveText, captured);
        window->workspace().TdfFolder.clear();
        calls.clear();
        answer = folder.filePath(QString::fromLatin1(button) + ".tdf");
        ASSERT_TRUE(writeAll(answer, old));
        control<QPushButton>(button)->click();

        ASSERT_EQ(calls.size(), 1);
        EXPECT_EQ(calls[0].mid(0, 3), (QStringList{"Save", "Export TDF data", "*.tdf"}));
        EXPECT_EQ(QDir(calls[0][3]), QDir(QCoreApplication::applicationDirPath()))
            << "an empty TDF folder starts at the program's folder";
        EXPECT_EQ(messageTexts(), QStringList());
        QFile written(answer);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << answer.toStdString();
        EXPECT_EQ(written.readAll(), expected);
        EXPECT_TRUE(window->workspace().CurveText.empty());
        EXPECT_FALSE(enabled("BtExport"));
        EXPECT_FALSE(enabled("BtAppend"));
        EXPECT_TRUE(enabled("BtBckgnd"));
        EXPECT_EQ(QDir(window->workspace().TdfFolder), QDir(folder.path()));
    }
    // Written: nothing is left to save, and no file is asked for.
    messages.clear();
    calls.clear();
    window->captureController().BtExport_Click();
    window->captureController().BtAppend_Click();
    EXPECT_EQ(messageTexts(), (QStringList{"No data to save", "No data to save"}));
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(FilesTest, FailedWriteNamesTheFileAndCancelIsSilentBothKeepingTheFamily)
{
    for (const QString& path : {folder.filePath("no-such-folder/family.tdf"), QString()}) {
        answer = path;
        for (const char* button : {"BtExport", "BtAppend"}) {
            messages.clear();
            control<QPushButton>(button)->click();
            if (path.isEmpty()) {
                EXPECT_EQ(messageTexts(), QStringList()) << button;
            } else {
                ASSERT_EQ(messages.size(), 1u) << button;
                EXPECT_TRUE(messages[0].text.contains(path)) << messages[0].text.toStdString();
            }
            EXPECT_EQ(window->workspace().CurveText, captured);
            EXPECT_TRUE(enabled("BtExport")) << button;
            EXPECT_TRUE(enabled("BtAppend")) << button;
        }
    }
    EXPECT_EQ(calls.size(), 4);
    EXPECT_FALSE(QFile::exists(folder.filePath("no-such-folder/family.tdf")));
    EXPECT_TRUE(window->workspace().TdfFile.isEmpty());
}

TEST_F(FilesTest, UseAsBackgroundAndLoadABackground)
{
    EXPECT_EQ(redraws([&] { control<QPushButton>("BtBckgnd")->click(); }), 1);
    EXPECT_EQ(window->workspace().BackgroundText, captured);
    EXPECT_TRUE(window->workspace().CurveText.empty());
    EXPECT_FALSE(enabled("BtExport"));
    EXPECT_FALSE(enabled("BtAppend"));

    window->workspace().CurveText = captured;
    answer = folder.filePath("background.tdf");
    const QByteArray content("10 0.001 -1 0 0\r\n20 0.002 -1 0 0\r\n\r\n");
    ASSERT_TRUE(writeAll(answer, content));
    window->workspace().TdfFolder = folder.path();
    EXPECT_EQ(redraws([&] { control<QPushButton>("BtBgndFile")->click(); }), 1);
    EXPECT_EQ(calls, (QList<QStringList>{{"Open", "Import TDF data", "*.tdf", folder.path()}}));
    EXPECT_EQ(QByteArray::fromStdString(window->workspace().BackgroundText), content) << "the whole file";
    EXPECT_EQ(window->workspace().CurveText, captured) << "the current family is not touched";
    // Cancel and an unreadable file change nothing.
    for (const QString& path : {QString(), folder.filePath("missing.tdf")}) {
        answer = path;
        EXPECT_EQ(redraws([&] { control<QPushButton>("BtBgndFile")->click(); }), 0);
        EXPECT_EQ(QByteArray::fromStdString(window->workspace().BackgroundText), content);
    }
    EXPECT_EQ(messageTexts(), QStringList());
}

}  // namespace
}  // namespace zov::gui::testing
