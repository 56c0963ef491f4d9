// Saving a measured family ("Save as ...", "Add to ...") and the project when
// the file system refuses: a file that cannot be changed, a read-only file
// system, a folder that is gone, a full file system. Each time the target keeps
// its old bytes, the message names the file, and the family stays in memory
// and is then saved elsewhere.
//
// The tests run as root here, and root ignores permission bits, so the faults
// are real ones on a small tmpfs the test mounts: an immutable file
// (FS_IMMUTABLE_FL), the mount made read-only, the mount filled to the last
// byte. Without root (or when the mount is refused) a file of mode 0444
// stands for the unchangeable file, the full file system is the file layer's
// injected failure, and the read-only file system is skipped.

#include "window_fixture.h"

#include "app/gui/message_box_sink.h"
#include "files/atomic_write.h"
#include "scratch_mount.h"

#include <QAction>
#include <QMessageBox>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace zov::gui::testing {
namespace {

enum class Fault { ReadOnlyFile, ReadOnlyFileSystem, MissingFolder, FullFileSystem };

std::string faultName(const ::testing::TestParamInfo<Fault>& info)
{
    const char* names[] = {"ReadOnlyFile", "ReadOnlyFileSystem", "MissingFolder", "FullFileSystem"};
    return names[static_cast<int>(info.param)];
}

std::optional<QByteArray> bytesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

bool makeImmutable(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        ::close(fd);
    return done;
}

using zov::testing::ScratchMount;

class FileFaultsTest : public WindowTest, public ::testing::WithParamInterface<Fault> {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        window->setFileChooser([this](const QString&, const QString&, const QString&, const QString&) { return answer; });
        capture("0", "4", "1");
        captured = window->workspace().CurveText;
        ASSERT_EQ(std::count(captured.begin(), captured.end(), '\n') > 20, true) << "a family of five curves";
    }
    void TearDown() override
    {
        setInjectedWriteFailure(QString());
        mount.reset();
    }

    // Where the family and the project are saved, with the fault in place.
    // The old content of each is given; none for files that do not exist.
    void prepare(Fault fault)
    {
        folder = scratch.filePath("target");
        ASSERT_TRUE(QDir().mkpath(folder));
        if (fault != Fault::MissingFolder) {
            mount.emplace(folder, 64 * 1024);
            if (!mount->mounted()) {
                noMount = mount->why();
                mount.reset();
            }
        }
        if (fault == Fault::MissingFolder) {
            folder += "/gone";
        } else {
            oldFamily = "250 0.0031 -1 0 0\r\n125 0.0012 -1 0 0\r\n\r\n";
            oldProject = "[FORM]\r\nMode=Cook\r\n; kept as it is\r\n";
            ASSERT_TRUE(writeBytes(folder + "/family.tdf", *oldFamily));
            ASSERT_TRUE(writeBytes(folder + "/amp.zov", *oldProject));
        }
        switch (fault) {
        case Fault::ReadOnlyFile:
            for (const char* name : {"/family.tdf", "/amp.zov"}) {
                if (mount)
                    ASSERT_TRUE(makeImmutable(folder + name)) << std::strerror(errno);
                else
                    ASSERT_TRUE(QFile::setPermissions(folder + name, QFile::ReadOwner));
            }
            break;
        case Fault::ReadOnlyFileSystem:
            if (!mount)
                GTEST_SKIP() << "a read-only file system needs a mount: " << noMount;
            ASSERT_TRUE(mount->makeReadOnly()) << std::strerror(errno);
            break;
        case Fault::FullFileSystem:
            if (mount)
                ASSERT_TRUE(mount->fill());
            else
                setInjectedWriteFailure(QString::fromLatin1(std::strerror(ENOSPC)));
            break;
        case Fault::MissingFolder:
            break;
        }
        entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    void save(const QString& path, const char* action)
    {
        answer = path;
        if (QByteArray(action) == "Mnu_Export_Pref")
            control<QAction>(action)->trigger();
        else
            control<QPushButton>(action)->click();
    }

    QTemporaryDir scratch;
    std::optional<ScratchMount> mount;
    std::string noMount;
    QString folder;
    QStringList entries;
    std::optional<QByteArray> oldFamily;
    std::optional<QByteArray> oldProject;
    QString answer;
    std::string captured;
};

TEST_P(FileFaultsTest, TheTargetKeepsItsBytesTheMessageNamesItAndTheFamilyIsSavedElsewhere)
{
    prepare(GetParam());
    if (IsSkipped() || HasFatalFailure())
        return;
    if (GetParam() != Fault::MissingFolder) {
        std::cout << "[          ] " << (mount ? "on a tmpfs mounted by the test"
                                                : "without a mount (" + noMount + "): "
                                                    + (GetParam() == Fault::FullFileSystem ? "an injected ENOSPC"
                                                                                          : "a file of mode 0444"))
                  << '\n';
    }
    const struct {
        const char* action;
        QString path;
        std::optional<QByteArray> old;
    } saves[] = {
        {"BtExport", folder + "/family.tdf", oldFamily},
        {"BtAppend", folder + "/family.tdf", oldFamily},
        {"Mnu_Export_Pref", folder + "/amp.zov", oldProject},
    };
    const QString caption = window->windowTitle();
    for (const auto& [action, path, old] : saves) {
        SCOPED_TRACE(action);
        messages.clear();
        save(path, action);
        ASSERT_EQ(messages.size(), 1u) << messageTexts().join('\n').toStdString();
        EXPECT_TRUE(messages[0].text.startsWith("Cannot write " + path + ": ")) << messages[0].text.toStdString();
        EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
        EXPECT_EQ(bytesOf(path), old);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), entries)
            << "no temporary file is left";
        EXPECT_EQ(window->workspace().CurveText, captured);
        EXPECT_TRUE(enabled("BtExport"));
        EXPECT_TRUE(enabled("BtAppend"));
        EXPECT_EQ(window->windowTitle(), caption) << "the project still is the one it was";
    }

    // The same family and project, saved where the disk accepts them.
    setInjectedWriteFailure(QString());
    messages.clear();
    save(scratch.filePath("family.tdf"), "BtExport");
    save(scratch.filePath("amp.zov"), "Mnu_Export_Pref");
    EXPECT_EQ(messageTexts(), QStringList());
    EXPECT_EQ(bytesOf(scratch.filePath("family.tdf")), QByteArray::fromStdString(captured + "\r\n"));
    EXPECT_TRUE(window->workspace().CurveText.empty());
    EXPECT_TRUE(window->windowTitle().endsWith(" [amp.zov]")) << window->windowTitle().toStdString();
    EXPECT_TRUE(QFile::exists(scratch.filePath("amp.zov")));
}

INSTANTIATE_TEST_SUITE_P(Faults, FileFaultsTest,
                         ::testing::Values(Fault::ReadOnlyFile, Fault::ReadOnlyFileSystem, Fault::MissingFolder,
                                           Fault::FullFileSystem),
                         faultName);

// The window's own message box: the text names the file. With
// ZOV_SCREENSHOT_DIR set, the box is saved there as a picture to look at.
TEST_F(WindowTest, AFailedSaveShowsABoxNamingTheFile)
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath("gone/family.tdf");
    window->setMessageSink(std::make_unique<MessageBoxSink>(window.get()));
    window->setFileChooser([&](const QString&, const QString&, const QString&, const QString&) { return path; });
    capture("0", "1", "1");
    control<QPushButton>("BtExport")->click();
    QMessageBox* box = nullptr;
    ZOV_WAIT((box = window->findChild<QMessageBox*>()) != nullptr && box->isVisible(), 5000);
    EXPECT_TRUE(box->text().startsWith("Cannot write " + path + ": ")) << box->text().toStdString();
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    if (const QString look = qEnvironmentVariable("ZOV_SCREENSHOT_DIR"); !look.isEmpty()) {
        EXPECT_TRUE(box->grab().save(look + "/save-failed-box.png"));
    }
    box->accept();
}

}  // namespace
}  // namespace zov::gui::testing
