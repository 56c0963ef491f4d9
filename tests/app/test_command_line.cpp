// The command line of `zov`.

#include "app/gui/command_line.h"

#include <gtest/gtest.h>

namespace zov::gui {
namespace {

TEST(GuiCommandLine, ReadsOptionsAndTheProjectPath)
{
    const struct {
        QStringList arguments;
        bool virtualModule;
        const char* tube;
        const char* project;
        bool help;
        bool version;
        bool error;
    } cases[] = {
        {{}, false, "", "", false, false, false},
        {{"--virtual-module"}, true, "", "", false, false, false},
        {{"--virtual-module=EL34"}, true, "EL34", "", false, false, false},
        {{"--virtual-module="}, true, "", "", false, false, true},
        {{"\"C:\\work\\amp.zov\""}, false, "", "C:\\work\\amp.zov", false, false, false},
        {{"/home/u/amp.zov", "--virtual-module"}, true, "", "/home/u/amp.zov", false, false, false},
        {{"\""}, false, "", "\"", false, false, false},
        {{"--help"}, false, "", "", true, false, false},
        {{"--version"}, false, "", "", false, true, false},
        {{"--frobnicate"}, false, "", "", false, false, true},
        {{"a.zov", "b.zov"}, false, "", "a.zov", false, false, true},
    };
    for (const auto& c : cases) {
        const GuiOptions options = parseGuiArguments(c.arguments);
        const std::string where = c.arguments.join(' ').toStdString();
        EXPECT_EQ(options.virtualModule, c.virtualModule) << where;
        EXPECT_EQ(options.tube, QString::fromLatin1(c.tube)) << where;
        EXPECT_EQ(options.projectPath, QString::fromLatin1(c.project)) << where;
        EXPECT_EQ(options.help, c.help) << where;
        EXPECT_EQ(options.version, c.version) << where;
        EXPECT_EQ(!options.error.isEmpty(), c.error) << where;
    }
}

TEST(GuiCommandLine, UsageNamesTheTubes)
{
    const QString usage = guiUsage({"12AX7", "EL34"});
    EXPECT_TRUE(usage.contains("--virtual-module[=TUBE]"));
    EXPECT_TRUE(usage.contains("12AX7, EL34"));
}

}  // namespace
}  // namespace zov::gui
