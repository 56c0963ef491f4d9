// The reference families read by the curve-file import equal the ones the
// design tests convert by hand, so every design test on those families holds
// for what a user imports.
#include "files/curve_import.h"
#include "reference_families.h"

#include <QFile>

#include <gtest/gtest.h>

namespace zov {
namespace {

using namespace test;

// The set the Cook import gives for a reference file.
bool importReference(CurveSet& set, const std::string& relativePath, const ImportOptions& options = {})
{
    const ImportResult r = importCurveFile(QString::fromStdString(std::string(ZOV_REFERENCE_DATA) + "/" + relativePath),
                                           options);
    return r.ok && readCurveSetFromMemory(set, familyTdfText(r.family));
}

// Two independent conversions of every reference family agree: the import's
// and the design tests' own. Same curves in the same order, same points.
TEST(ImportedFamilies, SameAsTheDesignTestsConversion)
{
    ImportOptions at400;
    at400.vg2 = 400.0F;  // the 6L6GC sheet's screen voltage, which its file does not hold
    ImportOptions philips;
    philips.vg1 = {0.0F, -0.5F, -1.0F, -1.5F, -2.0F, -2.5F, -3.0F, -3.5F, -4.0F};
    ImportOptions noScreen;
    noScreen.vg2 = 0.0F;  // the hand conversion leaves the .utd screen readings out
    for (const std::string& file : allReferenceFamilies()) {
        SCOPED_TRACE(file);
        const ImportOptions& options =
            file == k6L6 ? at400 : file == kEcc83Philips ? philips : file.ends_with(".utd") ? noScreen : ImportOptions{};
        CurveSet imported, reference;
        const std::string tdf = referenceTdf(file);
        if (tdf.empty())
            GTEST_SKIP() << "reference data not available: " << file;
        ASSERT_TRUE(importReference(imported, file, options));
        ASSERT_TRUE(readCurveSetFromMemory(reference, tdf));
        ASSERT_EQ(imported.Series.size(), reference.Series.size());
        EXPECT_EQ(imported.Vg1Table.size(), reference.Vg1Table.size());
        EXPECT_EQ(imported.UaMax, reference.UaMax);
        EXPECT_EQ(imported.IaMax, reference.IaMax);
        for (std::size_t s = 0; s < reference.Series.size(); ++s) {
            const Series& a = imported.Series[s];
            const Series& b = reference.Series[s];
            EXPECT_EQ(a.Vg1, b.Vg1);
            EXPECT_EQ(a.Vg2, b.Vg2);
            ASSERT_EQ(a.Points.size(), b.Points.size()) << "curve " << b.Vg1;
            for (std::size_t i = 0; i < a.Points.size(); ++i) {
                EXPECT_EQ(a.Points[i][kRowUa], b.Points[i][kRowUa]) << "curve " << b.Vg1 << " point " << i;
                EXPECT_NEAR(a.Points[i][kRowIa], b.Points[i][kRowIa], 1e-9) << "curve " << b.Vg1 << " point " << i;
            }
        }
    }
}

}  // namespace
}  // namespace zov
