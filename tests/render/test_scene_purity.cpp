// The picture is a function of its inputs: composing it on screen or writing
// it to a file leaves the Workspace exactly as it was, on measured families
// (the reference data, read in place) in every mode and option, and the same
// inputs always give the same picture and the same output.

#include "display_fixtures.h"
#include "reference_tdf.h"
#include "design/design_inputs.h"
#include "files/atomic_write.h"
#include "files/tdf_file.h"
#include "render/painter_surface.h"
#include "render/recording_surface.h"
#include "render/scene.h"
#include "render/scene_export.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zov {
namespace {

using testing::kEL34Family;
using testing::k300BFamily;
using testing::referenceTdf;

// A Workspace as the window holds it in the middle of a design: two measured
// families in slots 0 and 1, a capture and a background, a placed operating
// point, scales and an offset left over from an earlier picture.
std::optional<Workspace> designWorkspace()
{
    Workspace ws;
    const std::pair<const char*, std::size_t> families[] = {{k300BFamily, 0}, {kEL34Family, 1}};
    for (const auto& [path, slot] : families) {
        const std::string tdf = referenceTdf(path);
        CurveSet& set = ws.CurveSets[slot];
        if (tdf.empty() || !readCurveSetFromMemory(set, tdf))
            return std::nullopt;
        set.FileName = QString::fromLatin1(path);
        ws.SeriesSelections[slot] = defaultSelection(set);
    }
    ws.CurveText = referenceTdf(k300BFamily);
    ws.BackgroundText = referenceTdf(kEL34Family);
    ws.VoltsPerDiv = 100.0F;
    ws.MaPerDiv = 10.0F;
    ws.ScopeUnitsPerVolt = 81.92F;
    ws.ScopeUnitsPerMa = 819.2F;
    ws.DiffOffsetMa = 40.0F;
    ws.OperatingUa = 250.0F;
    ws.OperatingIa = 60.0F;
    ws.MarkerX = 20480.0F;
    ws.MarkerY = 30000.0F;
    ws.UpUa = 300.0F;
    ws.UpIa = 40.0F;
    ws.OpCurve.Drawn = true;
    ws.TdfFolder = QStringLiteral("/data");
    return ws;
}

struct Case {
    const char* what;
    WorkMode mode;
    CookOption option;
    const char* voltsPerDiv;
    const char* maPerDiv;
};

const Case kCases[] = {
    {"capture", WorkMode::Capture, CookOption::Match, "50", "20"},
    {"capture, scale texts that are no number", WorkMode::Capture, CookOption::Match, "abc", "0"},
    {"match", WorkMode::Cook, CookOption::Match, "100", "50"},
    {"single-ended", WorkMode::Cook, CookOption::SE, "50", "20"},
    {"push-pull", WorkMode::Cook, CookOption::PP, "20", "5"},
    {"difference", WorkMode::Cook, CookOption::Diff, "100", "20"},
};

SceneInputs inputsFor(const Workspace& ws, const Case& c)
{
    SceneInputs inputs = sceneInputs(ws);
    inputs.mode = c.mode;
    inputs.voltsPerDivText = c.voltsPerDiv;
    inputs.maPerDivText = c.maPerDiv;
    inputs.powerText = "40";
    inputs.comparison.option = c.option;
    for (std::size_t i : {0U, 1U})
        inputs.comparison.imports[i] = {true, ws.CurveSets[i].FileName};
    inputs.diffColourCounter = 60000;
    return inputs;
}

TEST(ScenePurity, ComposingAndExportingLeaveTheWorkspaceAsItWas)
{
    const std::optional<Workspace> made = designWorkspace();
    if (!made)
        GTEST_SKIP() << "reference families not found under " << ZOV_REFERENCE_DATA;
    const Workspace& ws = *made;
    const Workspace before = ws;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const SceneInputs inputs = inputsFor(ws, c);

        QImage first(640, 400, QImage::Format_RGB32);
        QImage second(640, 400, QImage::Format_RGB32);
        PainterSurface surface(&first);
        const SceneOutput out = composeScene(surface, inputs);
        EXPECT_EQ(ws, before) << "on screen";
        surface.setDevice(&second);
        const SceneOutput again = composeScene(surface, inputs);
        EXPECT_EQ(first, second) << "the same inputs draw the same picture";
        EXPECT_EQ(again.scales, out.scales);
        EXPECT_EQ(again.labels.size(), out.labels.size());
        EXPECT_EQ(again.vinText, out.vinText);

        RecordingSurface recording;
        composeScene(recording, inputs);
        EXPECT_FALSE(recording.lines().empty());

        for (const char* extension : {"png", "svg", "pdf"}) {
            QString error;
            const QString path = folder.filePath(QStringLiteral("plot.") + QLatin1String(extension));
            EXPECT_TRUE(exportScene(path, QSize(800, 500), inputs, &error)) << error.toStdString();
            EXPECT_EQ(ws, before) << "export to " << extension;
        }

        // What the picture computed is in its output alone, for the caller to commit.
        const bool diff = c.mode == WorkMode::Cook && c.option == CookOption::Diff;
        EXPECT_EQ(out.scales.DiffOffsetMa, diff ? 4.0F * out.scales.MaPerDiv : 0.0F);
        EXPECT_EQ(out.labels.size(), 9U);
        EXPECT_EQ(out.vinText.has_value(), c.mode == WorkMode::Cook) << "slot 0 is drawn in every option";
        EXPECT_EQ(out.diffColourCounter > 60000, diff) << "only difference curves take colours";
        Workspace committed = ws;
        commitScene(committed, out);
        EXPECT_EQ(static_cast<const PlotScales&>(committed), out.scales);
        EXPECT_EQ(committed.MarkerY, 65536.0F);
        EXPECT_EQ(committed.OperatingUa, ws.OperatingUa) << "the operating point itself is kept";
        EXPECT_EQ(committed.CurveSets, ws.CurveSets);
    }
}

TEST(ScenePurity, ScaleTextsThatAreNoUsableNumberKeepTheScalesInForce)
{
    Workspace ws;
    ws.VoltsPerDiv = 50.0F;
    ws.MaPerDiv = 2.0F;
    const struct {
        const char *volts, *milliamps;
        float voltsPerDiv, maPerDiv;
    } cases[] = {{"abc", "0", 50.0F, 2.0F}, {"100", "x", 100.0F, 2.0F}, {"-0", "5 mA", 50.0F, 5.0F},
                   {"1e300", "1e-45", 50.0F, 2.0F}, {"1e-39", "3e38", 50.0F, 3e38F}};
    for (const auto& c : cases) {
        SceneInputs inputs = sceneInputs(ws);
        inputs.voltsPerDivText = c.volts;
        inputs.maPerDivText = c.milliamps;
        RecordingSurface s;
        const SceneOutput out = composeScene(s, inputs);
        EXPECT_EQ(out.scales.VoltsPerDiv, c.voltsPerDiv) << c.volts;
        EXPECT_EQ(out.scales.MaPerDiv, c.maPerDiv) << c.milliamps;
        EXPECT_FLOAT_EQ(out.scales.ScopeUnitsPerVolt, 8192.0F / c.voltsPerDiv);
        EXPECT_FLOAT_EQ(out.scales.ScopeUnitsPerMa, 8192.0F / c.maPerDiv);
        EXPECT_EQ(ws.VoltsPerDiv, 50.0F);
    }
}

TEST(ScenePurity, AFailedExportKeepsTheFileThatWasThereAndNamesIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const Workspace ws;
    for (const char* extension : {"png", "svg", "pdf"}) {
        const QString path = folder.filePath(QStringLiteral("old.") + QLatin1String(extension));
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the picture before");
        old.close();
        setInjectedWriteFailure(QStringLiteral("No space left on device"));
        QString error;
        const bool written = exportScene(path, QSize(400, 300), sceneInputs(ws), &error);
        setInjectedWriteFailure(QString());
        EXPECT_FALSE(written) << extension;
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("No space left on device"))) << error.toStdString();
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("the picture before")) << extension;
    }
}

}  // namespace
}  // namespace zov
