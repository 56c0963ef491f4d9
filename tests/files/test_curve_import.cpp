// Curve files of other tracers and digitizers: every family of the reference
// data, hand-made files of each shape, the faults, a 100 MB file, and the
// slot reader that takes any of them.
#include "cli_runner.h"
#include "files/curve_import.h"
#include "files/tdf_file.h"
#include "sanitizers.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace zov {
namespace {

const std::string kRaw = std::string(ZOV_REFERENCE_DATA) + "/raw/";

const ImportedCurve* curveAt(const ImportedFamily& family, float vg1)
{
    for (const ImportedCurve& c : family.curves)
        if (c.vg1 == vg1)
            return &c;
    return nullptr;
}

// The current (A) of the point at anode voltage `ua` of curve `vg1`; NaN when
// there is no such point.
double iaAt(const ImportedFamily& family, float vg1, float ua)
{
    if (const ImportedCurve* c = curveAt(family, vg1))
        for (const UaIa& p : c->points)
            if (std::fabs(p.ua - ua) < 1e-3F)
                return p.ia;
    return std::nan("");
}

// What must hold for every family read: curves ordered by anode voltage,
// currents not below 0, one curve per grid pair, the count of points; and the
// TDF text of the family reads back as the same curves.
void expectSoundFamily(const ImportedFamily& family)
{
    std::set<std::pair<float, float>> grids;
    for (const ImportedCurve& c : family.curves) {
        EXPECT_FALSE(c.points.empty());
        EXPECT_TRUE(grids.insert({c.vg1, c.vg2}).second) << "curve " << c.vg1 << " twice";
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            EXPECT_GE(c.points[i].ia, 0.0F);
            if (i > 0) {
                EXPECT_LE(c.points[i - 1].ua, c.points[i].ua);
            }
        }
    }
    CurveSet set;
    ASSERT_TRUE(readCurveSetFromMemory(set, familyTdfText(family)));
    ASSERT_EQ(set.Series.size(), family.curves.size());
    for (std::size_t i = 0; i < family.curves.size(); ++i) {
        EXPECT_EQ(set.Series[i].Vg1, family.curves[i].vg1);
        // Every series but the first gets the reader's extra zero point.
        EXPECT_EQ(set.Series[i].Points.size(), family.curves[i].points.size() + (i > 0 ? 1 : 0));
    }
}

ImportOptions withVg1(std::vector<float> vg1)
{
    ImportOptions o;
    o.vg1 = std::move(vg1);
    return o;
}
ImportOptions withVg2(float vg2)
{
    ImportOptions o;
    o.vg2 = vg2;
    return o;
}
ImportOptions withColumns(std::string columns)
{
    ImportOptions o;
    o.columns = std::move(columns);
    return o;
}
ImportOptions forced(CurveFormat format)
{
    ImportOptions o;
    o.format = format;
    return o;
}

struct Spot {
    float vg1, ua;
    double ia;  // A, read off the file by hand
};

// Every family of the reference data, read in place.
TEST(CurveImport, ReferenceFamilies)
{
    const std::string utd = "audio-projects__tube-models/src/";
    const std::string harper = "harper493__utracer_assistant/data/";
    const std::string brennwald = "mbrennwa__curvetracedata/";
    const struct {
        std::string file;
        ImportOptions options;
        CurveFormat format;
        std::size_t curves;
        std::int64_t points;
        float vg1Min, vg1Max, vg2;
        std::vector<Spot> spots;
    } cases[] = {
        {utd + "test-assets/ECC83.utd", {}, CurveFormat::Long, 5, 155, -2.5F, -0.5F, 299.0F,
         {{-0.5F, 9.56F, 0.17e-3}, {-0.5F, 248.87F, 4.71e-3}, {-1.0F, 65.14F, 0.25e-3}}},
        {utd + "test-assets/ECC82.utd", {}, CurveFormat::Long, 6, 186, -9.0F, -4.0F, 299.0F,
         {{-4.0F, 49.12F, 0.02e-3}, {-7.0F, 82.54F, 0.01e-3}}},
        {utd + "test-assets/ECC81.utd", {}, CurveFormat::Long, 5, 155, -3.5F, -1.5F, 299.0F,
         {{-1.5F, 48.78F, 0.05e-3}, {-2.0F, 161.94F, 2.97e-3}}},
        {utd + "app/workers/models/files/6SN7.utd", {}, CurveFormat::Long, 6, 186, -6.0F, -3.5F, 199.0F,
         {{-5.5F, 198.57F, 6.53e-3}}},
        {harper + "6sn7.txt", {}, CurveFormat::Wide, 7, 147, -12.0F, 0.0F, 0.0F,
         {{0.0F, 29.17F, 1.44e-3}, {-2.0F, 29.17F, 0.027e-3}, {-4.0F, 29.17F, 0.0}}},
        {harper + "6cg7.txt", {}, CurveFormat::Wide, 11, 231, -20.0F, 0.0F, 0.0F,
         {{0.0F, 395.72F, 58.767e-3}, {-20.0F, 395.72F, 0.23e-3}, {-16.0F, 2.14F, 0.001e-3}}},
        // The printed labels, not the 0.25 V steps the data suggest: the file is read as written.
        {harper + "ecc83.txt", {}, CurveFormat::Wide, 13, 663, -3.0F, 0.0F, 0.0F,
         {{0.0F, 41.72F, 0.213e-3}, {-0.2F, 41.72F, 0.161e-3}}},
        {"jilott__valvestudio/projects/beamPentodePushPullBiasing/GE - 6L6GC - 400V Screen Voltage.csv",
         withVg2(400.0F), CurveFormat::Wide, 13, 4550, -60.0F, 0.0F, 400.0F,
         {{0.0F, 645.721F, 0.379779}, {-60.0F, 645.721F, 0.005229}, {-4.0F, 250.579F, 0.305404}}},
        {"jilott__valvestudio/experiments/02-modeling/triode/data/ecc83-philips-1954.csv",
         withVg1({0.0F, -0.5F, -1.0F, -1.5F, -2.0F, -2.5F, -3.0F, -3.5F, -4.0F}), CurveFormat::Digitized, 9, 156,
         -4.0F, 0.0F, 0.0F,
         {{0.0F, 2.26F, 0.0001626}, {-0.5F, 71.64F, 0.0007412}, {-1.0F, 12.39F, 0.0}}},  // -1.82e-05 is noise
        {brennwald + "300B/data/300B_Svetlana_5.dat", {}, CurveFormat::Columns, 13, 824, -120.0F, 0.0F, 0.0F,
         {{-50.0F, 290.1F, 0.10613}, {-50.0F, 295.1F, 0.11553}, {-50.0F, 297.1F, std::nan("")}}},  // limited
        {brennwald + "300B/data/300B_TJMesh_1.dat", {}, CurveFormat::Columns, 13, 825, -120.0F, 0.0F, 0.0F,
         {{-50.0F, 290.1F, 0.10739}, {-50.0F, 296.9F, std::nan("")}}},
        {brennwald + "EL34/data/EL34_1.dat", {}, CurveFormat::Columns, 13, 493, -60.0F, 0.0F, 0.0F,
         {{-30.0F, 360.1F, 0.05388}, {-10.0F, 211.4F, std::nan("")}, {-60.0F, 600.1F, 0.0327}}},
        {brennwald + "KT66/data/KT66_10.dat", {}, CurveFormat::Columns, 13, 483, -60.0F, 0.0F, 0.0F,
         {{-30.0F, 350.0F, 0.05068}}},
        {"AmateurECE__Vacuum-Tube-Analyses/data/12AX7-Data.txt", withColumns("Ua Vg Ia(mA)"), CurveFormat::Long, 11,
         41, -5.0F, 0.0F, 0.0F, {{-0.5F, 50.0F, 0.5e-3}, {0.0F, 220.0F, 5e-3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (!QFile::exists(QString::fromStdString(kRaw + c.file)))
            GTEST_SKIP() << "reference data not available: " << c.file;
        const ImportResult r = importCurveFile(QString::fromStdString(kRaw + c.file), c.options);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        const ImportedFamily& f = r.family;
        EXPECT_EQ(f.format, c.format);
        EXPECT_EQ(f.curves.size(), c.curves);
        EXPECT_EQ(f.pointCount(), c.points);
        float low = 0, high = -1000;
        for (const ImportedCurve& curve : f.curves) {
            low = std::min(low, curve.vg1);
            high = std::max(high, curve.vg1);
            EXPECT_EQ(curve.vg2, c.vg2);
        }
        EXPECT_EQ(low, c.vg1Min);
        EXPECT_EQ(high, c.vg1Max);
        for (const Spot& s : c.spots) {
            const double ia = iaAt(f, s.vg1, s.ua);
            if (std::isnan(s.ia))
                EXPECT_TRUE(std::isnan(ia)) << "a point at " << s.ua << " V on " << s.vg1 << " V";
            else
                EXPECT_NEAR(ia, s.ia, 1e-6 * std::max(1.0, s.ia * 1e3)) << s.vg1 << " V, " << s.ua << " V";
        }
        expectSoundFamily(f);
    }
}

// Small files of each shape: separators, units, signs, order and the cells
// that mean "no point".
TEST(CurveImport, ShapesAndRules)
{
    const struct {
        const char* name;
        std::string text;
        ImportOptions options;
        CurveFormat format;
        std::vector<float> vg1;  // in order of first appearance
        std::vector<Spot> spots;
        float vg2 = 0.0F;
    } cases[] = {
        {"long, tabs, mA, screen readings rounded, curve numbers",
         "Point\tCurve\tIa (mA)\tVg (V)\tVa (V)\tVs (V)\r\n1\t1\t0.5\t-1\t10\t150.2\r\n2\t1\t1.5\t-1\t20\t149.9\r\n"
         "3\t2\t0.2\t-2\t10\t150.3\r\n4\t2\t0.9\t-2\t20\t150.1\r\n",
         {}, CurveFormat::Long, {-1.0F, -2.0F}, {{-1.0F, 20.0F, 1.5e-3}, {-2.0F, 10.0F, 0.2e-3}}, 150.0F},
        {"long, grouped by grid voltage, rows out of order, --vg2",
         "Va Ia(mA) Vg\n300 4 -2\n100 1 -2\n200 2 -2\n100 3 -1\n", withVg2(250.0F), CurveFormat::Long,
         {-2.0F, -1.0F}, {{-2.0F, 100.0F, 1e-3}, {-1.0F, 100.0F, 3e-3}}, 250.0F},
        {"wide CSV in A: magnitudes negated, blank and trailing zero cells are no point",
         "PlateVoltage,0,2,4\n0,0,0,0\n100,0.010,0.004,\n200,0.020,0,\n", {}, CurveFormat::Wide,
         {0.0F, -2.0F, -4.0F}, {{0.0F, 200.0F, 0.020}, {-2.0F, 200.0F, std::nan("")}, {-4.0F, 0.0F, 0.0}}},
        {"wide, semicolons, two header lines, unitless mA",
         "Ua;Ia\n;Vg=-1V;Vg=-2V\n50;2.5;1\n100;5;2.25\n", {}, CurveFormat::Wide, {-1.0F, -2.0F},
         {{-1.0F, 100.0F, 5e-3}, {-2.0F, 50.0F, 1e-3}}},
        {"wide, blanks, labels in words",
         " Va (V)   Ia (uA)\n  Vg = -1 V   Vg = -1.5 V\n 10  500  100\n 20  900  300\n", {}, CurveFormat::Wide,
         {-1.0F, -1.5F}, {{-1.5F, 20.0F, 300e-6}}},
        {"commented columns, one comment line of names, a limiter flag",
         "# sweep of a 6V6\n# Vg(V) Va(V) Ia(mA) flag\n-5 100 10 0\n-5 150 20 1\n-5 50 4 0\n", {},
         CurveFormat::Columns, {-5.0F}, {{-5.0F, 50.0F, 4e-3}, {-5.0F, 150.0F, std::nan("")}}},
        {"commented columns without a grid column: --vg1", "% Ua Ia\n10 0.001\n20 0.002\n", withVg1({-3.0F}),
         CurveFormat::Columns, {-3.0F}, {{-3.0F, 20.0F, 0.002}}},
        {"digitized, grid voltages in the headers", "x,Vg=-1V\n10,0.001\n5,0.0004\n\nx,Vg=-2V\n10,-0.00001\n",
         {}, CurveFormat::Digitized, {-1.0F, -2.0F}, {{-1.0F, 5.0F, 0.0004}, {-2.0F, 10.0F, 0.0}}},
        {"digitized, --vg1 over the headers", "x,Curve1\n1,2\nx,Curve2\n1,1\n", withVg1({0.0F, -1.0F}),
         CurveFormat::Digitized, {0.0F, -1.0F}, {{-1.0F, 1.0F, 1e-3}}},
        {"TDF lines", "0.94 0 -2 0 250\r\n41.36 0.000864 -2 0 250\r\n40.42 0.000185 -4 0 250\r\n", {},
         CurveFormat::Tdf, {-2.0F, -4.0F}, {{-2.0F, 41.36F, 0.000864}}, 250.0F},
        {"UTF-8 mark, Windows line ends, comma-separated long table",
         "\xEF\xBB\xBF" "Ua (V),Ia (A),Ug1 (V)\r\n100,0.01,-3\r\n", {}, CurveFormat::Long, {-3.0F},
         {{-3.0F, 100.0F, 0.01}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(detectCurveFormat(c.text), c.format);
        const ImportResult r = importCurveText(c.text, c.options);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.family.format, c.format);
        ASSERT_EQ(r.family.curves.size(), c.vg1.size());
        for (std::size_t i = 0; i < c.vg1.size(); ++i) {
            EXPECT_EQ(r.family.curves[i].vg1, c.vg1[i]);
            EXPECT_EQ(r.family.curves[i].vg2, c.vg2);
        }
        for (const Spot& s : c.spots) {
            const double ia = iaAt(r.family, s.vg1, s.ua);
            if (std::isnan(s.ia))
                EXPECT_TRUE(std::isnan(ia)) << "a point at " << s.ua << " V on " << s.vg1 << " V";
            else
                EXPECT_NEAR(ia, s.ia, 1e-9) << s.vg1 << " V, " << s.ua << " V";
        }
        expectSoundFamily(r.family);
    }
    // Currents in mA come out as the amperes they were written as, whether
    // the header names the unit or the rule finds it.
    EXPECT_EQ(familyTdfText(importCurveText("Va Ia(mA) Vg\n100 8.14 -1\n").family), "100 0.00814 -1 0 0\r\n");
    EXPECT_EQ(familyTdfText(importCurveText("Ua,-1\n100,8.14\n").family), "100 0.00814 -1 0 0\r\n");
}

// A file that does not fit names the line, and never gives an empty family.
TEST(CurveImport, FaultsNameTheLine)
{
    const struct {
        const char* name;
        std::string text;
        ImportOptions options;
        const char* message;  // the start of the error
    } cases[] = {
        {"empty file", "", {}, "line 1: the file is empty"},
        {"blank lines only", "\r\n  \r\n", {}, "line 1: the file is empty"},
        {"binary file", std::string("PK\x03\x04\x00\x00 data", 11), {}, "line 1: binary data (byte 0x03)"},
        {"missing header", "10 0 0.05\n40 0 1\n", {}, "line 1: a row of numbers where a header"},
        {"header of unknown names", "alpha beta gamma\n1 2 3\n", {}, "line 1: the header names neither"},
        {"no numbers", "Ua Ia Vg\nsome text\n", {}, "line 2: no row of numbers follows the header"},
        {"decimal comma", "Ua;-1;-2\n100;0,5;0,2\n", {}, "line 2: \"0,5\" has a decimal comma"},
        {"decimal comma in a later row", "Ua\tIa\tVg\n100\t0.5\t-1\n200\t1,5\t-1\n", {},
         "line 3: \"1,5\" has a decimal comma"},
        {"mixed separators", "Ua,-1,-2\n100,0.5,0.2\n200\t0.9\t0.4\n", {}, "line 3: mixed separators"},
        {"ragged row", "Ua,-1,-2\n100,0.5,0.2\n200,0.9\n", {}, "line 3: 2 cells where the header (line 1)"},
        {"ragged long row", "Va Ia Vg\n100 1 -1\n200 2\n", {}, "line 3: 2 cells where the header (line 1) names 3"},
        {"beyond the float range", "Va Ia Vg\n100 1 -1\n1e39 2 -1\n", {}, "line 3: \"1e39\" is beyond the range"},
        {"text in a used cell", "Va Ia Vg\n100 1 -1\n200 abc -1\n", {}, "line 3: \"abc\" is not a number"},
        {"no anode voltage named", "Ia Vg Vf\n1 -1 6.3\n", {}, "line 1: the header names neither"},
        {"no grid named", "% Va Ia\n100 1\n", {}, "line 1: no column of the header is the grid voltage"},
        {"digitized without grid voltages", "x,Curve1\n1,2\n", {}, "line 1: curve \"Curve1\" names no grid voltage"},
        {"--vg1 count", "x,Curve1\n1,2\nx,Curve2\n1,1\n", withVg1({0.0F}), "line 4: the file holds 2 curves"},
        {"forced shape that does not fit", "Va Ia Vg\n100 1 -1\n", forced(CurveFormat::Wide),
         "line 1: the header gives no grid voltage"},
        {"header only", "Ua,-1,-2\n", {}, "line 1: no row of numbers follows the header"},
        {"curves without points", "x,Vg=-1\nx,Vg=-2\n", forced(CurveFormat::Digitized),
         "line 2: the file ends without a single point"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult r = importCurveText(c.text, c.options);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.startsWith(QLatin1String(c.message))) << r.error.toStdString();
        EXPECT_TRUE(r.family.curves.empty() || !r.ok);
    }
}

// A 100 MB long table streams: the import holds its points, not the file's
// bytes (the peak memory grows by far less than the file's size).
long long statusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(std::string(key).size()));
    return -1;
}

TEST(CurveImport, HundredMegabyteFileStreams)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.utd"));
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("Point    Curve     Ia (mA)        Is (mA)       Vg (V)          Va (V)         Vs (V)         Vf (V)\r\n");
        std::string block;
        long long point = 0;
        while (out.size() < 100LL * 1000 * 1000) {
            block.clear();
            for (int i = 0; i < 10000; ++i, ++point) {
                const int curve = static_cast<int>(point / 500 % 40);
                const double ua = static_cast<double>(point % 500) * 0.5 + 0.25;
                block += std::to_string(point) + "        " + std::to_string(curve + 1) + "          "
                         + std::to_string(std::pow(ua / 100.0, 1.5)) + "           0             -"
                         + std::to_string(curve * 0.5) + "          " + std::to_string(ua)
                         + "         299.08         12.59 \r\n";
            }
            out.write(block.data(), static_cast<qint64>(block.size()));
        }
    }
    const qint64 bytes = QFileInfo(path).size();
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak-memory count
    const long long before = statusKb("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    const ImportResult r = importCurveFile(path);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long long peak = statusKb("VmHWM:");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.family.curves.size(), 40U);
    RecordProperty("seconds", std::to_string(seconds));
    RecordProperty("MBperSecond", std::to_string(static_cast<double>(bytes) / 1e6 / seconds));
    std::printf("100 MB long table: %.2f s, peak grew by %lld MB\n", seconds, (peak - before) / 1024);
    if (before > 0 && peak > 0 && !zov::testing::kUnderAddressSanitizer) {
        EXPECT_LT((peak - before) * 1024, bytes / 2) << "the import held the file";
    }
}

// The slot reader: a TDF file goes through the program's reader unchanged; a
// file of another shape gives the set its converted TDF text would give, and
// keeps its own name; a file that fits nothing is not loaded and says why.
TEST(CurveImport, SlotReaderTakesEveryShape)
{
    QTemporaryDir dir;
    const auto write = [&](const char* name, const std::string& text) {
        return testing::writeTempFile(dir, QLatin1String(name), QByteArray::fromStdString(text));
    };
    const std::string wide = "Ua,-1,-2\n10,0.5,0.2\n20,0.9,0.4\n";
    const std::string tdf = "0.94 0 -2 0 250\r\n41.36 0.000864 -2 0 250\r\n40.42 0.000185 -4 0 250\r\n";
    const struct {
        QString path;
        bool loaded;
        CurveFormat format;
        std::string sameAs;  // the TDF text the set must equal
        bool error;
    } cases[] = {
        {write("wide.csv", wide), true, CurveFormat::Wide, familyTdfText(importCurveText(wide).family), false},
        {write("capture.tdf", tdf), true, CurveFormat::Tdf, tdf, false},
        {write("capture.txt", tdf), true, CurveFormat::Tdf, tdf, false},
        {write("odd.tdf", "some words on a line\r\n"), true, CurveFormat::Tdf, "some words on a line\r\n", false},
        {write("odd.txt", "some words on a line\r\n"), false, CurveFormat::Auto, "", true},
        {dir.filePath(QStringLiteral("missing.csv")), false, CurveFormat::Auto, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        CurveSet set;
        set.FileName = c.path;
        const CurveFileRead read = readCurveFile(set);
        EXPECT_EQ(read.loaded, c.loaded);
        EXPECT_EQ(set.Loaded, c.loaded);
        EXPECT_EQ(read.format, c.format);
        EXPECT_EQ(set.FileName, c.path);
        EXPECT_EQ(!read.error.isEmpty(), c.error) << read.error.toStdString();
        if (!c.sameAs.empty()) {
            CurveSet expected;
            readCurveSetFromMemory(expected, c.sameAs);
            ASSERT_EQ(set.Series.size(), expected.Series.size());
            for (std::size_t i = 0; i < set.Series.size(); ++i)
                EXPECT_EQ(set.Series[i].Points, expected.Series[i].Points);
            EXPECT_EQ(set.IaMax, expected.IaMax);
        }
    }
}

}  // namespace
}  // namespace zov
