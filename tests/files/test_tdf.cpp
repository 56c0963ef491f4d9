#include "cli_runner.h"
#include "files/file_channel.h"
#include "files/files_messages.h"
#include "files/tdf_file.h"
#include "core/text.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace zov {
namespace {

using Table = std::vector<GridColumn>;
using testing::fileBytes;

CurveSet readText(std::string_view text)
{
    CurveSet set;
    return readCurveSetFromMemory(set, text), set;
}

std::vector<float> row(const Series& s, int r)
{
    std::vector<float> out;
    for (const PointColumn& p : s.Points)
        out.push_back(p[static_cast<std::size_t>(r)]);
    return out;
}

const char kSmallFile[] =
    "0.94 0 -2 0 250\r\n41.36 0.000864 -2 0 250\r\n83.72 0.004017 -2 0 250\r\n"
    "0.94 0 -4 0 250\r\n40.42 0.000185 -4 0 250\r\n82.78 0.001234 -4 0 250\r\n\r\n";

TEST(ReadCurveSet, SmallCaptureFile)
{
    const CurveSet set = readText(kSmallFile);
    ASSERT_TRUE(set.Loaded);
    ASSERT_EQ(set.Series.size(), 2U);
    EXPECT_EQ(set.Series[0].Vg2, 250.0F);
    EXPECT_EQ(row(set.Series[0], kRowUa), (std::vector<float>{0.94F, 41.36F, 83.72F}));
    // A new series carries the extra (0 V, 0 A) point, sorted first.
    EXPECT_EQ(row(set.Series[1], kRowUa), (std::vector<float>{0.0F, 0.94F, 40.42F, 82.78F}));
    EXPECT_EQ(row(set.Series[1], kRowVg1), (std::vector<float>{0.0F, -4.0F, -4.0F, -4.0F}));
    EXPECT_EQ(std::tie(set.Vg1Table, set.Vg2Table, set.Vg1Top, set.Vg2Top),
              std::make_tuple(Table{{-4, 1}, {-2, 0}}, Table{{250, 0}}, 1, 0));
    EXPECT_EQ(std::tie(set.Vg1Max, set.Vg1Min, set.Vg2Max, set.Vg2Min), std::make_tuple(-2.0F, -4.0F, 250.0F, 250.0F));
    EXPECT_EQ(set.Vg1Spacing, 0.0F);  // two grid voltages: the spacing needs three columns
    EXPECT_EQ(std::tie(set.UaMax, set.IaMax), std::make_tuple(83.72F, 0.004017F));
}

TEST(ReadCurveSet, GridTablesSpacingAndSortCodes)
{
    std::string text;
    for (const char* vg2 : {"250", "300"})
        for (const char* vg1 : {"0", "-2", "-4"})
            for (int i = 1; i <= 3; ++i)
                text += std::to_string(i * 50) + " 0.001 " + vg1 + " 0 " + vg2 + "\r\n";
    const CurveSet set = readText(text);
    ASSERT_TRUE(set.Loaded);
    ASSERT_EQ(set.Series.size(), 6U);
    EXPECT_EQ(set.Vg1Table, (Table{{-4, 2}, {-4, 5}, {-2, 1}, {-2, 4}, {0, 0}}));  // stable sort
    EXPECT_EQ(set.Vg2Table, (Table{{250, 0}, {300, 3}, {300, 4}, {300, 5}}));
    EXPECT_EQ(std::tie(set.Vg1Top, set.Vg2Top, set.Vg1Spacing, set.Vg2Spacing), std::make_tuple(4, 3, 0.0F, 50.0F));
    const CurveSet unsorted = readText("10 0.001 -1 0 100\r\n20 0.002 -3 0 100\r\n30 0.003 -2 0 100\r\n"
                                       "40 0.004 -2.5 0 100\r\n");
    EXPECT_EQ(unsorted.Vg1Table, (Table{{-3, 1}, {-2.5, 3}, {-2, 2}, {-1, 0}}));
    EXPECT_EQ(unsorted.Vg1Spacing, 0.5F);  // from the first two sorted columns
    std::vector<PointColumn> one(1), two(2);
    Table grid = {{3, 0}, {1, 1}};
    EXPECT_EQ(std::make_tuple(SortColumns(one, 9), SortColumns(two, 7), SortColumns(two, -1), SortColumns(grid, 2)),
              std::make_tuple(-2, -1, -1, -1));  // too few columns is checked first
}

TEST(ReadCurveSet, AppendedBlocksAndScatteredLinesJoinTheirSeries)
{
    const CurveSet twice = readText(std::string(kSmallFile) + kSmallFile);  // two "Add to ..." blocks
    ASSERT_EQ(twice.Series.size(), 2U);
    EXPECT_EQ(twice.Series[1].Points.size(), 7U);  // 3 + 3 + the extra zero point
    EXPECT_EQ(twice.Vg1Table, (Table{{-4, 1}, {-2, 0}}));
    EXPECT_EQ(row(twice.Series[0], kRowUa), (std::vector<float>{0.94F, 0.94F, 41.36F, 41.36F, 83.72F, 83.72F}));

    const CurveSet set = readText("30 0.003 -1 0 100\r\n5 0.0001 -2 0 100\r\n10 0.001 -1 0 100\r\n"
                                  "15 0.0002 -2 0 100\r\n20 0.002 -1 0 100\r\n");
    ASSERT_EQ(set.Series.size(), 2U);
    EXPECT_EQ(row(set.Series[0], kRowUa), (std::vector<float>{10, 20, 30}));
    EXPECT_EQ(row(set.Series[0], kRowIa), (std::vector<float>{0.001F, 0.002F, 0.003F}));
    EXPECT_EQ(row(set.Series[1], kRowUa), (std::vector<float>{0, 5, 15}));
}

TEST(ReadCurveSet, FirstLineRules)
{
    CurveSet set;
    set.Vg1Top = 7, set.Series.resize(3);  // stale values from an earlier read
    EXPECT_FALSE(readCurveSetFromMemory(set, "0 0 0 0\r\n10 0.001 -1 0 100\r\n") || set.Loaded);
    ASSERT_EQ(set.Series.size(), 1U);
    EXPECT_EQ(set.Series[0].Points, std::vector<PointColumn>(1));
    // The tops match the one-column tables, so nothing reads past them.
    EXPECT_EQ(std::make_tuple(set.Vg1Top, set.Vg2Top, set.Vg1Table.size(), set.Vg2Table.size()),
              std::make_tuple(0, 0, std::size_t(1), std::size_t(1)));
    EXPECT_FALSE(readText("").Loaded || readText("\r\n\r\n").Loaded);
    // The program's own capture at grid 0 with Vg2 "0" starts with a 9-character line.
    EXPECT_EQ(readText("0 0 0 0 0\r\n10 0.001 0 0 0\r\n").Series.at(0).Points.size(), 2U);
    const CurveSet later = readText("10 0.001 -1 0 100\r\n0 0 0 0 0\r\n12345678\r\n");
    EXPECT_EQ(later.Series.size(), 2U);  // the 8-character line is skipped

    const CurveSet negative = readText("500 -0.002 -1 0 100\r\n10 -0.002 -1 0 100\r\n20 -0.003 -5 0 100\r\n");
    EXPECT_EQ(row(negative.Series.at(0), kRowIa), (std::vector<float>{0.0F, -0.002F}));  // only the first kept
    EXPECT_EQ(row(negative.Series.at(1), kRowIa), (std::vector<float>{0.0F, 0.0F}));
    // The first line does not count for the maxima; the others count before clamping.
    EXPECT_EQ(std::tie(negative.UaMax, negative.IaMax), std::make_tuple(20.0F, 0.0F));
}

TEST(ReadCurveSet, LineEndsAndFieldQuirks)
{
    const std::string crlf = kSmallFile;
    std::string lf = crlf;
    std::erase(lf, '\r');
    const CurveSet a = readText(crlf);
    std::string cr = lf;  // files from older systems end their lines with a lone CR
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    std::string mixed = crlf;
    mixed.replace(mixed.find("\r\n"), 2, "\r");
    mixed.replace(mixed.rfind("250\r\n0.94"), 5, "250\n");
    for (const std::string& variant : {lf, crlf.substr(0, crlf.size() - 4), cr, mixed}) {  // last line unterminated
        const CurveSet b = readText(variant);
        ASSERT_EQ(b.Series.size(), a.Series.size());
        for (std::size_t i = 0; i < a.Series.size(); ++i)
            EXPECT_EQ(b.Series[i].Points, a.Series[i].Points);
    }
    EXPECT_TRUE(readText("10 0.001 -1 0 100").Loaded);
    EXPECT_EQ(readText("\r\n10 0.001 -1 0 100\r\n20 0.002 -1 0 100\r\n").Series.at(0).Points.size(), 2U);
    // A Vg2 typed with a leading blank moves to field 6 (field 5 reads 0);
    // text that is not a number counts as 0; -0 and 0 are one grid voltage.
    const CurveSet set = readText("10 0.001 -1 0  250\r\n20 abc -1 0  250 7\r\n");
    ASSERT_EQ(set.Series.size(), 1U);
    EXPECT_EQ(set.Series[0].Points, (std::vector<PointColumn>{{10, 0.001F, -1, 0, 0, 250, 0}, {20, 0, -1, 0, 0, 250, 7}}));
    EXPECT_EQ(readText("10 1.5E-04 -0 0 100\r\n20 2e-4 0 0 100.0\r\n").Series.size(), 1U);
    // Numbers beyond the 32-bit float range read as 0 (stored they would be
    // infinite), whether they overflow a float only or a double too.
    const CurveSet huge = readText("10 1e39 -1 0 100\r\n1e39 0.001 -1 0 100\r\n20 -1e39 -1e999 0 3.4e38\r\n"
                                   "30 0.002 -1 0 3.4028236e38\r\n");
    ASSERT_EQ(huge.Series.size(), 3U);
    EXPECT_EQ(huge.Series[0].Points, (std::vector<PointColumn>{{0, 0.001F, -1, 0, 100, 0, 0}, {10, 0, -1, 0, 100, 0, 0}}));
    EXPECT_EQ(huge.Series[1].Points.back(), (PointColumn{20, 0, 0, 0, 3.4e38F, 0, 0}));
    EXPECT_EQ(huge.Series[2].Vg2, 0.0F);
    EXPECT_EQ(std::tie(huge.UaMax, huge.IaMax, huge.Vg2Max), std::make_tuple(30.0F, 0.002F, 3.4e38F));
}

const std::string kCapture = "0.94 0 -2 0 250\r\n41.36 0.000864 -2 0 250\r\n";

class TdfWriting : public ::testing::Test {
protected:
    void SetUp() override { ws.CurveText = kCapture, ws.TdfFolder = "/somewhere"; }
    void TearDown() override { EXPECT_EQ(openChannelCount(), 0); }
    QTemporaryDir m_dir;
    Workspace ws;
};

TEST_F(TdfWriting, CancelNoDataSaveOntoAnExistingFileAddToAMissingOne)
{
    const FileResult cancelled = saveCurveText(ws, QString(), TdfWriteMode::Replace);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_TRUE(cancelled.error.isEmpty());  // silent
    EXPECT_EQ(std::tie(ws.CurveText, ws.TdfFolder), std::make_tuple(kCapture, QStringLiteral("/somewhere")));
    const QString p = testing::writeTempFile(m_dir, "family.tdf", "old content, longer than the new one ......\r\n");
    ws.CurveText.clear();
    EXPECT_EQ(saveCurveText(ws, p, TdfWriteMode::Replace).error, msg::kNoDataToSave);
    EXPECT_EQ(fileBytes(p), "old content, longer than the new one ......\r\n");
    ws.CurveText = kCapture;
    ASSERT_TRUE(saveCurveText(ws, p, TdfWriteMode::Replace).ok);
    EXPECT_EQ(fileBytes(p), kCapture + "\r\n");
    EXPECT_TRUE(ws.CurveText.empty());
    EXPECT_EQ(ws.TdfFolder, m_dir.path());
    EXPECT_EQ(ws.TdfFile, p);

    const QString grown = m_dir.filePath(QStringLiteral("grown.tdf"));
    for (int i = 0; i < 2; ++i) {
        ws.CurveText = kCapture;
        ASSERT_TRUE(saveCurveText(ws, grown, TdfWriteMode::Append).ok);
    }
    EXPECT_EQ(fileBytes(grown), kCapture + "\r\n" + kCapture + "\r\n");
    CurveSet set;
    set.FileName = grown;
    ASSERT_TRUE(ReadCurveSet(set));  // the grown file reads as one family
    set.FileName = m_dir.filePath("missing.tdf");
    EXPECT_FALSE(ReadCurveSet(set));  // a missing file leaves the slot as it was
    EXPECT_TRUE(set.Loaded);
    EXPECT_EQ(set.Series.size(), 1U);
    EXPECT_EQ(set.Series[0].Points.size(), 4U);
}

TEST_F(TdfWriting, FailedWritesLoseNothingAndGiveAReason)
{
    const QString existing = testing::writeTempFile(m_dir, "old.tdf", "1 2 -1 0 100\r\n");
    const QString blocked = testing::writeTempFile(m_dir, "blocker", "x") + "/new.tdf";  // parent is a file
    for (TdfWriteMode mode : {TdfWriteMode::Replace, TdfWriteMode::Append}) {
        setInjectedWriteFailure("disk full");
        const FileResult full = saveCurveText(ws, existing, mode);
        setInjectedWriteFailure(QString());
        EXPECT_FALSE(full.ok);
        EXPECT_EQ(full.error, "disk full");
        const FileResult bad = saveCurveText(ws, blocked, mode);
        EXPECT_FALSE(bad.ok);
        EXPECT_FALSE(bad.error.isEmpty());
        EXPECT_EQ(fileBytes(existing), "1 2 -1 0 100\r\n");
        EXPECT_EQ(fileBytes(blocked), "<missing>");
        EXPECT_EQ(std::tie(ws.CurveText, ws.TdfFolder), std::make_tuple(kCapture, QStringLiteral("/somewhere")));
        EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).filter(".tmp").isEmpty());  // no temporary left
    }
}

TEST_F(TdfWriting, BackgroundIsTheWholeFileUnparsed)
{
    EXPECT_FALSE(loadBackgroundFile(ws, QString()));  // cancelled: nothing changes
    EXPECT_EQ(ws.TdfFolder, QStringLiteral("/somewhere"));
    const char* content = "weird\n\r\n1 2 3 4 5\r\nno end";
    EXPECT_TRUE(loadBackgroundFile(ws, testing::writeTempFile(m_dir, "bg.tdf", content)));
    EXPECT_EQ(ws.BackgroundText, content);
    EXPECT_FALSE(loadBackgroundFile(ws, m_dir.filePath("sub/missing.tdf")));
    EXPECT_EQ(ws.BackgroundText, content);
    EXPECT_EQ(ws.TdfFolder, m_dir.filePath("sub"));  // the folder follows the choice even when the open fails
}

}  // namespace
}  // namespace zov
