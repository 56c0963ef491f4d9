#include "files/atomic_write.h"
#include "files/ini_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace zov {
namespace {

std::string fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

void putFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A profile as a user might have edited it by hand: odd case, blanks, comments,
// an unknown section, LF line ends and no line end at the very end.
const std::string kHandWritten =
    "; Zovograph project\n"
    "[ Form ]\n"
    "mode = Cook\n"
    "  Top= 1440\n"
    "\n"
    "[Extra]\n"
    "keep=me\n"
    "[DATA]\n"
    "VG2='250\n"
    "Path=''quoted\n"
    "ComPort =2\n"
    "[data]\n"
    "VG2=shadowed";

TEST(Ini, ReadsHandWrittenProfile)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("hand.zov"));
    putFile(p, kHandWritten);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"FORM", "Mode", "Cook"},      {"form", "TOP", "1440"},
        {" Form ", " top ", "1440"},   {"DATA", "Vg2", "250"},       // first apostrophe removed
        {"Data", "path", "'quoted"},   {"DATA", "Comport", "2"},     // only the first one
        {"Extra", "keep", "me"},       {"DATA", "missing", ""},
        {"NOPE", "Mode", ""},          {"Form", "keep", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadIni(p, QString::fromLatin1(c.section), QString::fromLatin1(c.key)).toStdString(), c.expected)
            << c.section << "/" << c.key;
    EXPECT_TRUE(ReadIni(dir.filePath(QStringLiteral("none.zov")), QStringLiteral("FORM"), QStringLiteral("Mode")).isEmpty());
}

TEST(Ini, WritesKeepEveryOtherLineByteForByte)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("hand.zov"));
    putFile(p, kHandWritten);

    ASSERT_TRUE(WriteIni(p, QStringLiteral("FORM"), QStringLiteral("Top"), QStringLiteral(" 2880")));
    std::string expected = kHandWritten;
    expected.replace(expected.find("  Top= 1440\n"), 12, "Top= 2880\r\n");
    EXPECT_EQ(fileBytes(p), expected);

    // A new key goes after the last key of its section, before the blank line.
    ASSERT_TRUE(WriteIni(p, QStringLiteral("form"), QStringLiteral("Width"), QStringLiteral("9000")));
    expected.insert(expected.find("Top= 2880\r\n") + 11, "Width=9000\r\n");
    EXPECT_EQ(fileBytes(p), expected);

    // A new section goes at the end; the unterminated last line gets a line end.
    ASSERT_TRUE(WriteIni(p, QStringLiteral("TDF"), QStringLiteral("Path"), QStringLiteral("/data/tdf")));
    expected += "\r\n[TDF]\r\nPath=/data/tdf\r\n";
    EXPECT_EQ(fileBytes(p), expected);

    EXPECT_EQ(ReadIni(p, QStringLiteral("FORM"), QStringLiteral("Top")), QStringLiteral("2880"));
    EXPECT_EQ(ReadIni(p, QStringLiteral("FORM"), QStringLiteral("Width")), QStringLiteral("9000"));
    EXPECT_EQ(ReadIni(p, QStringLiteral("tdf"), QStringLiteral("PATH")), QStringLiteral("/data/tdf"));
    EXPECT_EQ(ReadIni(p, QStringLiteral("Extra"), QStringLiteral("keep")), QStringLiteral("me"));
}

TEST(Ini, NewFileRoundTrip)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("new.zov"));
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } keys[] = {
        {"Form", "Mode", "Capture"}, {"FORM", "Top", " 0"}, {"DISPLAY", "Ia", "2"},
        {"COOKING", "Vg1List", "-1,-2,-3,"}, {"IMPORT", "0", "/home/u/é.tdf"}, {"COOKING", "Ua0", "250.5"},
    };
    for (const auto& k : keys)
        ASSERT_TRUE(WriteIni(p, QString::fromLatin1(k.section), QString::fromLatin1(k.key), QString::fromUtf8(k.value)));
    EXPECT_EQ(fileBytes(p),
              "[Form]\r\nMode=Capture\r\nTop= 0\r\n[DISPLAY]\r\nIa=2\r\n[COOKING]\r\nVg1List=-1,-2,-3,\r\n"
              "Ua0=250.5\r\n[IMPORT]\r\n0=/home/u/\xC3\xA9.tdf\r\n");
    for (const auto& k : keys)
        EXPECT_EQ(ReadIni(p, QString::fromLatin1(k.section), QString::fromLatin1(k.key)),
                  QString::fromUtf8(k.value).trimmed());
    // A value cannot break the file's structure.
    ASSERT_TRUE(WriteIni(p, QStringLiteral("DISPLAY"), QStringLiteral("Ua"), QStringLiteral("a\r\n[X]\nb")));
    EXPECT_EQ(ReadIni(p, QStringLiteral("DISPLAY"), QStringLiteral("Ua")), QStringLiteral("a  [X] b"));
    EXPECT_FALSE(WriteIni(p, QString(), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(WriteIni(p, QStringLiteral("S"), QStringLiteral(" "), QStringLiteral("v")));
}

TEST(Ini, LongValuesAreCutAt1023Bytes)
{
    const std::string longValue(1500, 'x');
    const std::string file = "[A]\r\nk=" + longValue + "\r\n";
    EXPECT_EQ(readIniValue(file, "A", "k"), std::string(1023, 'x'));
    // Never half a UTF-8 character.
    const std::string accented = "[A]\r\nk=" + std::string(1022, 'x') + "\xC3\xA9" + "\r\n";
    EXPECT_EQ(readIniValue(accented, "A", "k"), std::string(1022, 'x'));
    bool found = true;
    EXPECT_EQ(readIniValue(file, "A", "other", &found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(readIniValue("", "A", "k", &found), "");
    EXPECT_FALSE(found);
}

TEST(Ini, FailedWriteLeavesTheProfileWhole)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("keep.zov"));
    putFile(p, kHandWritten);
    setInjectedWriteFailure(QStringLiteral("disk full"));
    EXPECT_FALSE(WriteIni(p, QStringLiteral("FORM"), QStringLiteral("Top"), QStringLiteral("1")));
    setInjectedWriteFailure(QString());
    EXPECT_EQ(fileBytes(p), kHandWritten);

    // A folder that cannot exist: its parent is a regular file.
    const QString bad = p + QStringLiteral("/sub.zov");
    EXPECT_FALSE(WriteIni(bad, QStringLiteral("FORM"), QStringLiteral("Top"), QStringLiteral("1")));
    EXPECT_TRUE(ReadIni(bad, QStringLiteral("FORM"), QStringLiteral("Top")).isEmpty());
}

}  // namespace
}  // namespace zov
