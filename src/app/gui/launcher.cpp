#include "app/gui/launcher.h"

#include "app/gui/base.h"
#include "app/gui/command_line.h"
#include "app/gui/project_controller.h"
#include "app/gui/snapshot.h"
#include "sim/virtual_module.h"
#include "zov_version.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace zov::gui {

int runZov(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const GuiOptions options = parseGuiArguments(arguments);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!options.error.isEmpty()) {
        err << "zov: " << options.error << "\n" << guiUsage(VirtualModule::tubeNames());
        return 2;
    }
    if (options.help) {
        out << guiUsage(VirtualModule::tubeNames());
        return 0;
    }
    if (options.version) {
        out << "zov " << ZOV_VERSION_STRING << "\n";
        return 0;
    }

    QApplication app(argc, argv);
    // The menu entry and icon an install puts under share/ (zovograph.desktop,
    // icons/hicolor/.../zovograph.svg); run from the build, there is no icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("zovograph"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zovograph")));

    // The virtual module answers like a real one, paced at the line's byte
    // rate, so the window behaves as it does on an instrument.
    std::unique_ptr<VirtualModule> module;
    if (options.virtualModule) {
        VirtualModuleOptions moduleOptions;
        if (!options.tube.isEmpty())
            moduleOptions.tube = options.tube;
        moduleOptions.pacing = true;
        module = std::make_unique<VirtualModule>(moduleOptions);
        QString error;
        if (!module->start(&error)) {
            err << "zov: cannot start the virtual module: " << error << "\n";
            return 2;
        }
    }

    Base window;
    if (module) {
        window.setVirtualModulePath(module->devicePath());
        // A hang-up brings the module back on a new device: follow it.
        QObject::connect(module.get(), &VirtualModule::devicePathChanged, &window,
                         &Base::setVirtualModulePath);
    }
    const bool snapshot = !options.snapshotPath.isEmpty();
    // A snapshot looks at a project; it does not make it the last one used.
    window.projectController().setRecordsRecentProject(!snapshot);
    window.Form_Load(options.projectPath);
    if (!snapshot)
        return app.exec();

    if (options.size.isValid())
        window.resize(options.size);
    // Start-up drew synchronously; the layout and resize events it posted on
    // the way run first, each ending in a full refresh, then the picture is
    // taken.
    int exitCode = 0;
    QTimer::singleShot(0, &window, [&] {
        QCoreApplication::sendPostedEvents();
        QString error;
        if (!writeSnapshot(window, options.snapshotPath, options.controlsPath, &error)) {
            err << "zov: cannot write " << error << "\n";
            exitCode = 1;
        }
        app.exit(exitCode);
    });
    app.exec();
    return exitCode;
}

}  // namespace zov::gui
