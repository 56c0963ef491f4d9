// Start-up and memory of the window program:
//   BM_ResidentAfterCaptureAndImports  resident memory (VmRSS, MB) of the
//                      window after a 31-curve capture from the virtual module
//                      and five measured families imported into the
//                      comparison slots, redrawn in Cook mode. Target < 80 MB.
//                      Runs first, in a process that has drawn nothing else.
//   BM_StartupToFirstRefresh/0  `zov --snapshot`: from process start to the
//                      first complete refresh, the picture written and the
//                      process gone, on the default project. Target < 300 ms.
//   BM_StartupToFirstRefresh/1  the same on a Cook-mode project whose five
//                      slots name measured families, all read and drawn.
//                      programCpuMs: the started program's own CPU time (a
//                      loaded machine stretches the wall time, not this);
//                      programPeakRssMB: its peak resident memory.
// The measured families are the reference data, read in place.
#include "app/gui/base.h"
#include "app/gui/project_controller.h"
#include "core/curve_store.h"
#include "sim/virtual_module.h"
#include "qt_bench_main.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace zov;

const char* const kFamilies[kSlotCount] = {
    "/raw/mbrennwa__curvetracedata/300B/data/300B_Svetlana_5.dat",
    "/raw/mbrennwa__curvetracedata/300B/data/300B_TJMesh_1.dat",
    "/raw/mbrennwa__curvetracedata/EL34/data/EL34_1.dat",
    "/raw/mbrennwa__curvetracedata/KT66/data/KT66_10.dat",
    "/raw/audio-projects__tube-models/src/test-assets/ECC83.utd",
};

QString familyPath(int slot)
{
    return QStringLiteral(ZOV_REFERENCE_DATA) + QString::fromLatin1(kFamilies[slot]);
}

bool familiesPresent()
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (!QFile::exists(familyPath(slot)))
            return false;
    return true;
}

// Resident and peak resident memory of this process, in MB.
double statusMegabytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(std::string(key).size())) / 1024.0;  // the line says kB
    return 0.0;
}

template <typename T>
T* control(gui::Base& window, const QString& name)
{
    return window.findChild<T*>(name);
}

// Cook mode, the five families imported with all their curves selected and
// compared ("Match" draws every ticked slot) at 50 V and 20 mA per division,
// as a user does it.
void importFamilies(gui::Base& window)
{
    control<QAction>(window, QStringLiteral("Mnu_Cook"))->trigger();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const QString path = familyPath(slot);
        window.setFileChooser([path](const QString&, const QString&, const QString&, const QString&) { return path; });
        control<QPushButton>(window, QStringLiteral("BtCkBrowse%1").arg(slot))->click();
        control<QListWidget>(window, QStringLiteral("ListVg1"))->selectAll();
        control<QPushButton>(window, QStringLiteral("BtApplySelect"))->click();
    }
    control<QComboBox>(window, QStringLiteral("CbVdiv"))->setEditText(QStringLiteral("50"));
    control<QComboBox>(window, QStringLiteral("CbMaDiv"))->setEditText(QStringLiteral("20"));
    control<QRadioButton>(window, QStringLiteral("OptMatch"))->click();
}

void BM_ResidentAfterCaptureAndImports(benchmark::State& state)
{
    if (!familiesPresent()) {
        state.SkipWithError("reference data not available");
        return;
    }
    for (auto _ : state) {
        QTemporaryDir folder;
        VirtualModuleOptions moduleOptions;
        moduleOptions.pacing = false;
        VirtualModule module(moduleOptions);
        QString error;
        if (!module.start(&error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        auto window = std::make_unique<gui::Base>();
        window->projectController().setProgramFolders({folder.filePath("bin"), folder.filePath("user")});
        window->Form_Load();
        window->show();
        window->setVirtualModulePath(module.devicePath());
        window->setCaptureWaitMs(20);  // the memory does not depend on the wait

        // 31 curves: grid 1 from 0 to -15 V in steps of 0.5 V.
        control<QAction>(*window, QStringLiteral("Mnu_Capture"))->trigger();
        const std::pair<const char*, const char*> sweep[] = {
            {"TxVg1Start", "0"}, {"TxVg1Stop", "15"}, {"TxPitchg1", "0.5"}, {"TxVg2", "0"}};
        for (const auto& [name, value] : sweep)
            control<QLineEdit>(*window, QString::fromLatin1(name))->setText(QString::fromLatin1(value));
        auto* go = control<QPushButton>(*window, QStringLiteral("BtSet"));
        go->click();
        if (!QTest::qWaitFor([&] { return window->captureIdle() && go->isEnabled(); }, 120000)) {
            state.SkipWithError("the capture did not finish");
            return;
        }
        const std::string& text = window->workspace().CurveText;
        state.counters["capturedLines"] = static_cast<double>(std::count(text.begin(), text.end(), '\n'));

        importFamilies(*window);
        QApplication::processEvents();
        int loaded = 0;
        for (const CurveSet& set : window->workspace().CurveSets)
            loaded += set.Loaded ? 1 : 0;
        state.counters["loadedFamilies"] = loaded;
        if (const QByteArray target = qgetenv("ZOV_SCREENSHOT_DIR"); !target.isEmpty())
            window->grab().save(QString::fromLocal8Bit(target) + QStringLiteral("/zov-memory-five-families.png"));
        state.counters["rssMB"] = statusMegabytes("VmRSS:");
        state.counters["peakRssMB"] = statusMegabytes("VmHWM:");
    }
}
BENCHMARK(BM_ResidentAfterCaptureAndImports)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The project a user saves after importing the five families: Cook mode, the
// five slots with their series selected, a window of 1100 x 760.
QString saveCookProject(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("five.zov"));
    gui::Base window;
    window.projectController().setProgramFolders({folder.filePath("bin"), folder.filePath("user")});
    window.Form_Load();
    window.show();
    window.resize(1100, 760);
    importFamilies(window);
    window.setFileChooser([path](const QString&, const QString&, const QString&, const QString&) { return path; });
    control<QAction>(window, QStringLiteral("Mnu_Export_Pref"))->trigger();
    return QFile::exists(path) ? path : QString();
}

void BM_StartupToFirstRefresh(benchmark::State& state)
{
    QTemporaryDir folder;
    QString picture = folder.filePath(QStringLiteral("w.png"));
    if (const QByteArray target = qgetenv("ZOV_SCREENSHOT_DIR"); !target.isEmpty())
        picture = QString::fromLocal8Bit(target) + QStringLiteral("/zov-startup-%1.png").arg(state.range(0));
    QStringList arguments{QStringLiteral("--snapshot"), picture};
    if (state.range(0) == 1) {
        if (!familiesPresent()) {
            state.SkipWithError("reference data not available");
            return;
        }
        const QString project = saveCookProject(folder);
        if (project.isEmpty()) {
            state.SkipWithError("the project was not saved");
            return;
        }
        arguments << project;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A user folder of its own: no recently-used project of this machine's user.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : state) {
        QProcess zov;
        zov.setProcessEnvironment(env);
        zov.start(QStringLiteral(ZOV_GUI_PROGRAM), arguments);
        if (!zov.waitForFinished(30000) || zov.exitStatus() != QProcess::NormalExit || zov.exitCode() != 0) {
            state.SkipWithError(("zov --snapshot failed: " + zov.readAllStandardError()).constData());
            return;
        }
    }
    // CPU time of the started programs: what a busy machine does not inflate.
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    const double cpuMs = ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime);
    state.counters["programCpuMs"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
    state.counters["programPeakRssMB"] = static_cast<double>(after.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_StartupToFirstRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

int main(int argc, char** argv)
{
    return zov::bench::runQtBenchmarks<QApplication>(argc, argv);
}
