#include "cli_runner.h"
#include "files/atomic_write.h"
#include "files/file_channel.h"
#include "files/ini_file.h"
#include "files/paths.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zov {
namespace {

using zov::testing::fileBytes;
using zov::testing::writeTempFile;

TEST(Paths, NamesFoldersExtensions)
{
    struct Case { const char *path, *name, *folder, *extension; };
    const Case cases[] = {
        {"C:\\tubes\\300B.tdf", "300B.tdf", "C:\\tubes", "tdf"}, {"/home/u/ecc83.tdf", "ecc83.tdf", "/home/u", "tdf"},
        {"bare.tdf", "bare.tdf", "", "tdf"}, {"/root.tdf", "root.tdf", "", "tdf"}, {"", "", "", ""},
        {"C:\\a\\b/c\\d.zov", "c\\d.zov", "C:\\a\\b", "zov"},  // a "/" anywhere makes it the only separator
        {"/p/a.b.zov", "a.b.zov", "/p", "b"}, {"/p.d/noext", "noext", "/p.d", ""}, {"/dir/", "", "/dir", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(QStringList({FileNameOf(c.path), FolderOf(c.path), ExtensionOf(c.path)}),
                  QStringList({c.name, c.folder, c.extension})) << c.path;
    QTemporaryDir dir;
    EXPECT_FALSE(FileExists(dir.filePath("f.txt")) || FileExists(QString()));
    EXPECT_TRUE(FileExists(writeTempFile(dir, "f.txt", "")));
}

TEST(Channels, ModeTableRetryAndNumbers)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("data.txt");
    const auto write = [&](const char* modeText, const QByteArray& bytes) {
        QString mode = QString::fromLatin1(modeText);
        const int n = OpenFile(p, mode);
        EXPECT_GT(n, 0) << modeText;
        EXPECT_EQ(mode, QString::fromLatin1(modeText));  // a known mode is left as it was
        if (n > 0)
            channelFile(n)->write(bytes);
        return n > 0 && CloseFile(n);
    };
    EXPECT_TRUE(write("w", "first\r\n"));
    EXPECT_TRUE(write("a", "more\n"));
    EXPECT_TRUE(write("APPEND", "more\n"));
    EXPECT_TRUE(write("B", ""));  // binary modes do not empty the file
    for (const char* read : {"r", "Input", "READ", "rb", "READBINARY"}) {
        QString mode = QString::fromLatin1(read);
        const int n = OpenFile(p, mode);
        ASSERT_GT(n, 0) << read;
        EXPECT_EQ(channelFile(n)->readAll(), QByteArray("first\r\nmore\nmore\n"));  // byte for byte
        EXPECT_TRUE(CloseFile(n));
    }
    EXPECT_TRUE(write("OUTPUT", ""));
    EXPECT_EQ(QFile(p).size(), 0);  // emptied
    QString mode = QStringLiteral("X");
    EXPECT_EQ(OpenFile(p, mode), 0);
    EXPECT_EQ(mode, QStringLiteral("Unknow mode"));
    mode = QStringLiteral("R");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(OpenFile(dir.filePath("missing"), mode, 10000), 0);
    EXPECT_LT(clock.elapsed(), 1000);  // no retry window spent on a missing file
    mode = QStringLiteral("W");
    EXPECT_EQ(OpenFile(dir.filePath("no-such-folder/x.tdf"), mode, 10), 0);
    EXPECT_FALSE(CloseFile(0));
    const int a = OpenFile(p, mode), b = OpenFile(dir.filePath("m.txt"), mode);
    EXPECT_NE(a, b);
    EXPECT_TRUE(CloseFile(a));
    EXPECT_FALSE(CloseFile(a));  // a second close fails
    EXPECT_EQ(OpenFile(p, mode), a);  // numbers are reused
    EXPECT_TRUE(CloseFile(a));
    EXPECT_TRUE(CloseFile(b));
    EXPECT_EQ(openChannelCount(), 0);
}

// A profile edited by hand: odd case, blanks, comments, an unknown section,
// LF line ends and no line end at the very end.
const std::string kHandWritten =
    "; Zovograph project\n[ Form ]\nmode = Cook\n  Top= 1440\n\n[Extra]\nkeep=me\n"
    "[DATA]\nVG2='250\nPath=''quoted\nComPort =2\n[data]\nVG2=shadowed";

TEST(Ini, ReadsAndRewritesAHandWrittenProfile)
{
    QTemporaryDir dir;
    const QString p = writeTempFile(dir, "hand.zov", QByteArray::fromStdString(kHandWritten));
    struct Case { const char *section, *key, *expected; };
    const Case cases[] = {{"FORM", "Mode", "Cook"}, {" Form ", " top ", "1440"}, {"DATA", "Vg2", "250"},
                          {"Data", "path", "'quoted"},  // only the first apostrophe goes
                          {"DATA", "Comport", "2"}, {"Extra", "keep", "me"}, {"DATA", "missing", ""},
                          {"NOPE", "Mode", ""}, {"Form", "keep", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(ReadIni(p, c.section, c.key).toStdString(), c.expected) << c.section << "/" << c.key;
    EXPECT_TRUE(ReadIni(dir.filePath("none.zov"), "FORM", "Mode").isEmpty());

    ASSERT_TRUE(WriteIni(p, "FORM", "Top", " 2880"));
    std::string expected = kHandWritten;
    expected.replace(expected.find("  Top= 1440\n"), 12, "Top= 2880\r\n");
    EXPECT_EQ(fileBytes(p), expected);  // every other line byte for byte
    ASSERT_TRUE(WriteIni(p, "form", "Width", "9000"));  // after the section's last key
    expected.insert(expected.find("Top= 2880\r\n") + 11, "Width=9000\r\n");
    EXPECT_EQ(fileBytes(p), expected);
    ASSERT_TRUE(WriteIni(p, "TDF", "Path", "/data/tdf"));  // a new section at the end
    EXPECT_EQ(fileBytes(p), expected + "\r\n[TDF]\r\nPath=/data/tdf\r\n");
    EXPECT_EQ(ReadIni(p, "tdf", "PATH"), QStringLiteral("/data/tdf"));
    EXPECT_EQ(ReadIni(p, "FORM", "Top"), QStringLiteral("2880"));
    setInjectedWriteFailure(QStringLiteral("disk full"));
    EXPECT_FALSE(WriteIni(p, "FORM", "Top", "1"));
    setInjectedWriteFailure(QString());
    EXPECT_EQ(fileBytes(p), expected + "\r\n[TDF]\r\nPath=/data/tdf\r\n");  // the profile is whole
    EXPECT_FALSE(WriteIni(p + "/sub.zov", "FORM", "Top", "1"));  // a folder that is a regular file
}

TEST(Ini, NewFileRoundTripAndLimits)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("new.zov");
    const char* keys[][3] = {{"Form", "Mode", "Capture"}, {"FORM", "Top", " 0"}, {"DISPLAY", "Ia", "2"},
                             {"COOKING", "Vg1List", "-1,-2,-3,"}, {"IMPORT", "0", "/home/u/\xC3\xA9.tdf"}};
    for (const auto& k : keys)
        ASSERT_TRUE(WriteIni(p, k[0], k[1], QString::fromUtf8(k[2])));
    EXPECT_EQ(fileBytes(p), "[Form]\r\nMode=Capture\r\nTop= 0\r\n[DISPLAY]\r\nIa=2\r\n[COOKING]\r\n"
                            "Vg1List=-1,-2,-3,\r\n[IMPORT]\r\n0=/home/u/\xC3\xA9.tdf\r\n");
    EXPECT_EQ(ReadIni(p, "IMPORT", "0"), QString::fromUtf8("/home/u/\xC3\xA9.tdf"));
    ASSERT_TRUE(WriteIni(p, "DISPLAY", "Ua", "a\r\n[X]\nb"));  // a value cannot break the structure
    EXPECT_EQ(ReadIni(p, "DISPLAY", "Ua"), QStringLiteral("a  [X] b"));
    EXPECT_FALSE(WriteIni(p, QString(), "k", "v") || WriteIni(p, "S", " ", "v"));
    EXPECT_EQ(readIniValue("[A]\r\nk=" + std::string(1500, 'x') + "\r\n", "A", "k"), std::string(1023, 'x'));
    const std::string accented = "[A]\r\nk=" + std::string(1022, 'x') + "\xC3\xA9\r\n";
    EXPECT_EQ(readIniValue(accented, "A", "k"), std::string(1022, 'x'));  // never half a character
    // Finding of the INI fuzzer: a file cut between the CR and the LF of its
    // last line got a second CR there when a key was added after that line,
    // and the CR became part of the line's value.
    for (const char* cut : {"[A]\r\nk=v\r", "[A]\r\nk=v", "[A]\nk=v\n"}) {
        const std::string written = writeIniValue(cut, "A", "new", "1");
        EXPECT_EQ(readIniValue(written, "A", "k"), "v") << cut;
        EXPECT_EQ(readIniValue(written, "A", "new"), "1") << cut;
    }
}

}  // namespace
}  // namespace zov
