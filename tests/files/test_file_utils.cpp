#include "files/file_channel.h"
#include "files/file_dialog_filters.h"
#include "files/paths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zov {
namespace {

TEST(Paths, NamesFoldersExtensions)
{
    struct Case {
        const char* path;
        const char* name;
        const char* folder;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\tubes\\300B.tdf", "300B.tdf", "C:\\tubes", "tdf"},
        {"/home/u/ecc83.tdf", "ecc83.tdf", "/home/u", "tdf"},
        {"bare.tdf", "bare.tdf", "", "tdf"},
        {"/root.tdf", "root.tdf", "", "tdf"},
        {"\\root.tdf", "root.tdf", "", "tdf"},
        {"", "", "", ""},
        // A "/" anywhere makes "/" the only separator.
        {"C:\\a\\b/c\\d.zov", "c\\d.zov", "C:\\a\\b", "zov"},
        {"/p/a.b.zov", "a.b.zov", "/p", "b"},
        {"/p.d/noext", "noext", "/p.d", ""},
        {"*.tdf", "*.tdf", "", "tdf"},
        {"/dir/", "", "/dir", ""},
    };
    for (const Case& c : cases) {
        const QString p = QString::fromLatin1(c.path);
        EXPECT_EQ(FileNameOf(p), QString::fromLatin1(c.name)) << c.path;
        EXPECT_EQ(FolderOf(p), QString::fromLatin1(c.folder)) << c.path;
        EXPECT_EQ(ExtensionOf(p), QString::fromLatin1(c.extension)) << c.path;
    }
}

TEST(Paths, FileExists)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("f.txt"));
    EXPECT_FALSE(FileExists(p));
    EXPECT_FALSE(FileExists(QString()));
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(p));
    EXPECT_TRUE(FileExists(dir.path()));
}

class Channels : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(openChannelCount(), 0); }
    QTemporaryDir m_dir;
};

TEST_F(Channels, ModeTable)
{
    const QString p = m_dir.filePath(QStringLiteral("data.txt"));
    QString mode = QStringLiteral("w");
    int n = OpenFile(p, mode);
    ASSERT_GT(n, 0);
    EXPECT_EQ(mode, QStringLiteral("w"));  // a known mode is left as it was
    channelFile(n)->write("first\r\n");
    EXPECT_TRUE(CloseFile(n));

    for (const char* append : {"a", "APPEND"}) {
        mode = QString::fromLatin1(append);
        n = OpenFile(p, mode);
        ASSERT_GT(n, 0);
        channelFile(n)->write("more\r\n");
        EXPECT_TRUE(CloseFile(n));
    }
    for (const char* read : {"r", "Input", "READ", "rb", "READBINARY"}) {
        mode = QString::fromLatin1(read);
        n = OpenFile(p, mode);
        ASSERT_GT(n, 0) << read;
        EXPECT_EQ(channelFile(n)->readAll(), QByteArray("first\r\nmore\r\nmore\r\n"));  // byte for byte
        EXPECT_TRUE(CloseFile(n));
    }
    // Binary modes neither empty the file nor need it to exist.
    mode = QStringLiteral("B");
    n = OpenFile(p, mode);
    ASSERT_GT(n, 0);
    EXPECT_EQ(channelFile(n)->size(), 19);
    EXPECT_TRUE(CloseFile(n));
    mode = QStringLiteral("wb");
    n = OpenFile(m_dir.filePath(QStringLiteral("new.bin")), mode);
    ASSERT_GT(n, 0);
    EXPECT_TRUE(CloseFile(n));

    mode = QStringLiteral("OUTPUT");
    n = OpenFile(p, mode);
    ASSERT_GT(n, 0);
    EXPECT_TRUE(CloseFile(n));
    EXPECT_EQ(QFile(p).size(), 0);  // emptied
}

TEST_F(Channels, UnknownModeIsReportedInTheModeText)
{
    QString mode = QStringLiteral("X");
    EXPECT_EQ(OpenFile(m_dir.filePath(QStringLiteral("x")), mode), 0);
    EXPECT_EQ(mode, QStringLiteral("Unknow mode"));
    mode = QString();
    EXPECT_EQ(OpenFile(m_dir.filePath(QStringLiteral("x")), mode), 0);
    EXPECT_EQ(mode, QStringLiteral("Unknow mode"));
}

TEST_F(Channels, MissingFileForReadingFailsAtOnce)
{
    QString mode = QStringLiteral("R");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(OpenFile(m_dir.filePath(QStringLiteral("missing")), mode, 10000), 0);
    EXPECT_LT(clock.elapsed(), 1000);  // no retry window spent on a missing file
    EXPECT_EQ(mode, QStringLiteral("R"));
}

TEST_F(Channels, UnopenableFileGivesZeroAfterTheWindow)
{
    QString mode = QStringLiteral("W");
    const QString bad = m_dir.filePath(QStringLiteral("no-such-folder/x.tdf"));
    EXPECT_EQ(OpenFile(bad, mode, 10), 0);
    EXPECT_EQ(OpenFile(QString(), mode, 10), 0);
    EXPECT_FALSE(CloseFile(0));
    EXPECT_FALSE(CloseFile(12345));
}

TEST_F(Channels, NumbersAreSmallDistinctAndReused)
{
    const QString p = m_dir.filePath(QStringLiteral("n.txt"));
    QString mode = QStringLiteral("W");
    const int a = OpenFile(p, mode);
    const int b = OpenFile(m_dir.filePath(QStringLiteral("m.txt")), mode);
    EXPECT_GT(a, 0);
    EXPECT_GT(b, 0);
    EXPECT_NE(a, b);
    EXPECT_TRUE(CloseFile(a));
    EXPECT_FALSE(CloseFile(a));  // closed twice
    EXPECT_EQ(channelFile(a), nullptr);
    const int c = OpenFile(p, mode);
    EXPECT_EQ(c, a);
    EXPECT_TRUE(CloseFile(b));
    EXPECT_TRUE(CloseFile(c));
}

TEST(DialogFilters, TwoEntriesTheTypedOneSelected)
{
    const DialogFilters tdf = fileDialogFilters(QStringLiteral("*.tdf"), QStringLiteral("zov"));
    EXPECT_EQ(tdf.filters, (QStringList{QStringLiteral("Tous fichiers (*.*)"), QStringLiteral("Fichiers zov (*.tdf)")}));
    EXPECT_EQ(tdf.selected, 1);
    // A project named a.b.zov offers the text between the first and second dot.
    const DialogFilters project = fileDialogFilters(QStringLiteral("a.b.zov"), QStringLiteral("zov"));
    EXPECT_EQ(project.filters.value(1), QStringLiteral("Fichiers zov (*.b)"));
    const DialogFilters none = fileDialogFilters(QStringLiteral("noname"), QStringLiteral("zov"));
    EXPECT_EQ(none.filters, QStringList{QStringLiteral("Tous fichiers (*.*)")});
    EXPECT_EQ(none.selected, 0);
}

}  // namespace
}  // namespace zov
