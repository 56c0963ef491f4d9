// The layers of src/ are enforced here rather than by the link alone: every
// library exports src/ as its include root, so an upward include of a
// header-only type would otherwise compile. The table is allowed_includes.txt.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using LayerTable = std::map<std::string, std::set<std::string>>;

LayerTable readTable(const fs::path& path)
{
    LayerTable table;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string folder;
        if (!(words >> folder))
            continue;
        auto& allowed = table[folder];
        allowed.insert(folder);
        for (std::string dep; words >> dep;)
            allowed.insert(dep);
    }
    return table;
}

// The layer a path inside src/ belongs to: its first folder, or the first two
// below app/ (the two programs are separate layers).
std::string layerOf(const std::string& relative)
{
    const auto first = relative.find('/');
    if (first == std::string::npos)
        return {};
    std::string layer = relative.substr(0, first);
    if (layer == "app") {
        const auto second = relative.find('/', first + 1);
        if (second != std::string::npos)
            layer = relative.substr(0, second);
    }
    return layer;
}

// Every offending include (and every source in a folder missing from the
// table) as "file:line: message", so a failure names the line to mend.
std::vector<std::string> findViolations(const fs::path& srcRoot, const LayerTable& table)
{
    static const std::regex includeLine(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::vector<std::string> violations;
    for (const auto& entry : fs::recursive_directory_iterator(srcRoot)) {
        const auto ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".in"))
            continue;
        const std::string relative = fs::relative(entry.path(), srcRoot).generic_string();
        const std::string layer = layerOf(relative);
        if (layer.empty())
            continue;
        const auto allowed = table.find(layer);
        if (allowed == table.end()) {
            violations.push_back(relative + ": folder '" + layer + "' is not in the layer table");
            continue;
        }
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch match;
            if (!std::regex_search(line, match, includeLine))
                continue;
            const std::string target = layerOf(match[1].str());
            if (target.empty() || (table.count(target) == 0 && target.rfind("app/", 0) != 0))
                continue;  // a file of the same folder, a generated header, a system header
            if (allowed->second.count(target) == 0)
                violations.push_back(relative + ":" + std::to_string(number) + ": " + layer +
                                     " may not include " + match[1].str());
        }
    }
    return violations;
}

const fs::path kSource = ZOV_SOURCE_DIR;

TEST(Layers, NoSourceIncludesALayerItMayNotUse)
{
    const LayerTable table = readTable(ZOV_LAYER_TABLE);
    ASSERT_FALSE(table.empty());
    std::string report;
    for (const auto& v : findViolations(kSource / "src", table))
        report += v + "\n";
    EXPECT_EQ(report, "");
}

TEST(Layers, EveryFolderStatesWhatItMayUse)
{
    for (const auto& [folder, allowed] : readTable(ZOV_LAYER_TABLE)) {
        const fs::path dir = kSource / "src" / folder;
        if (!fs::exists(dir))
            continue;  // a layer the table foresees before it has code
        EXPECT_TRUE(fs::exists(dir / "README.md")) << folder << " has no README.md";
    }
}

// The check itself must bite: an upward include planted in a copy of the tree
// is reported with its file and line, a legal one is not.
TEST(Layers, APlantedUpwardIncludeIsNamed)
{
    const fs::path root = fs::temp_directory_path() / ("zov-layers-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "core");
    fs::create_directories(root / "render");
    fs::create_directories(root / "mystery");
    std::ofstream(root / "core" / "text.h") << "#pragma once\n#include <vector>\n#include \"render/surface.h\"\n";
    std::ofstream(root / "render" / "surface.h") << "#include \"core/text.h\"\n#include \"design/load_line.h\"\n";
    std::ofstream(root / "mystery" / "x.cpp") << "int x;\n";

    const auto violations = findViolations(root, readTable(ZOV_LAYER_TABLE));
    fs::remove_all(root);

    std::set<std::string> seen(violations.begin(), violations.end());
    EXPECT_EQ(seen, (std::set<std::string>{
                        "core/text.h:3: core may not include render/surface.h",
                        "mystery/x.cpp: folder 'mystery' is not in the layer table",
                    }));
}

}  // namespace
