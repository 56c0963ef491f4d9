// The project file on arbitrary bytes: the settings read from a file, saved
// into it and read again are the settings read (numbers to the seven digits
// they are written with); every key of the file that is not a project key
// keeps its value; and saving what was read settles after two saves at most,
// so that loading and saving an unchanged project does not keep rewriting it.

#include "files/ini_file.h"
#include "files/project_file.h"
#include "core/text.h"
#include "fuzz_ini_keys.h"

#include <QString>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void check(bool property)
{
    if (!property)
        __builtin_trap();
}

// A text as it reads back after a save: a CR inside a value is written as a
// blank (it could end the line), and blanks around a value do not count.
QString saved(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    int b = 0;
    int e = static_cast<int>(t.size());
    while (b < e && (t[b] == QLatin1Char(' ') || t[b] == QLatin1Char('\t')))
        ++b;
    while (e > b && (t[e - 1] == QLatin1Char(' ') || t[e - 1] == QLatin1Char('\t')))
        --e;
    return t.mid(b, e - b);
}

// The series lists are kept as bytes, not as texts.
std::string saved(std::string text)
{
    for (char& c : text)
        if (c == '\r')
            c = ' ';
    return std::string(zov::trimBlanks(text));
}

// A text read back after a save. Bytes that are not UTF-8 read as U+FFFD,
// three bytes each when written, so such a text may come back longer than
// a value holds and be cut (the cut itself is tested by the unit tests).
bool sameText(const QString& before, const QString& after)
{
    const QString expected = saved(before);
    if (expected.toUtf8().size() > static_cast<qsizetype>(zov::kIniValueMaxBytes))
        return true;
    return expected == after;
}

bool sameNumber(float a, float b)
{
    return std::isfinite(a) && std::isfinite(b) && std::fabs(a - b) <= 1e-6F * std::fabs(a);
}

void checkSame(const zov::ProjectSettings& a, const zov::ProjectSettings& b)
{
    for (const auto& [x, y] : {std::pair{&a.Mode, &b.Mode}, {&a.MaPerDivText, &b.MaPerDivText},
                               {&a.VoltsPerDivText, &b.VoltsPerDivText}, {&a.PowerText, &b.PowerText},
                               {&a.Vg1StartText, &b.Vg1StartText}, {&a.Vg1StopText, &b.Vg1StopText},
                               {&a.Vg1PitchText, &b.Vg1PitchText}, {&a.Vg2Text, &b.Vg2Text},
                               {&a.PortName, &b.PortName}, {&a.Option, &b.Option}, {&a.LoadText, &b.LoadText},
                               {&a.VinText, &b.VinText}, {&a.TdfFolder, &b.TdfFolder},
                               {&a.CaptorFolder, &b.CaptorFolder}, {&a.ProjectFolder, &b.ProjectFolder}})
        check(sameText(*x, *y));
    for (std::size_t i = 0; i < a.ImportFiles.size(); ++i)
        check(sameText(a.ImportFiles[i], b.ImportFiles[i]));
    check(saved(a.Selection.Vg1List) == b.Selection.Vg1List && saved(a.Selection.Vg2List) == b.Selection.Vg2List);
    check(a.TopTwips == b.TopTwips && a.LeftTwips == b.LeftTwips && a.WidthTwips == b.WidthTwips &&
          a.HeightTwips == b.HeightTwips);
    check(a.ComportIndex == b.ComportIndex && a.ComportIndex >= -1 && a.ComportIndex <= 3);
    check(a.Range32mA == b.Range32mA);
    check(sameNumber(a.OperatingIaMa, b.OperatingIaMa) && sameNumber(a.OperatingUa, b.OperatingUa));
}

// The keys a save writes.
bool projectKey(const zov::fuzz::IniKey& k)
{
    using zov::fuzz::sameName;
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 29> kKeys = {{
        {"Form", "Mode"}, {"Form", "Top"}, {"Form", "Left"}, {"Form", "Width"}, {"Form", "Height"},
        {"DISPLAY", "Ia"}, {"DISPLAY", "Ua"}, {"DISPLAY", "Pa"}, {"DISPLAY", "Ld"},
        {"DATA", "VG1Start"}, {"DATA", "VG1Stop"}, {"DATA", "VG1Pitch"}, {"DATA", "VG2"},
        {"DATA", "Comport"}, {"DATA", "Imax"}, {"DATA", "Port"},
        {"COOKING", "Option"}, {"COOKING", "Ia0"}, {"COOKING", "Ua0"}, {"COOKING", "Load"},
        {"COOKING", "Vin"}, {"COOKING", "Vg1List"}, {"COOKING", "Vg2List"},
        {"IMPORT", "0"}, {"IMPORT", "1"}, {"IMPORT", "2"}, {"IMPORT", "3"}, {"IMPORT", "4"},
        {"", "Path"},  // TDF, CAPTOR, PROJECT
    }};
    for (const auto& [section, key] : kKeys) {
        if (!sameName(k.key, key))
            continue;
        if (section.empty() ? (sameName(k.section, "TDF") || sameName(k.section, "CAPTOR") ||
                               sameName(k.section, "PROJECT"))
                            : sameName(k.section, section))
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const zov::ProjectSettings first = zov::readProjectSettings(file);
    const std::string once = zov::writeProjectSettings(file, first);
    const zov::ProjectSettings second = zov::readProjectSettings(once);
    checkSame(first, second);

    for (const zov::fuzz::IniKey& k : zov::fuzz::keysOf(file)) {
        if (projectKey(k))
            continue;
        bool before = false;
        bool after = false;
        check(zov::readIniValue(file, k.section, k.key, &before) == zov::readIniValue(once, k.section, k.key, &after));
        check(before == after);
    }

    // Saved again, and once more: the second save changes nothing.
    const std::string twice = zov::writeProjectSettings(once, second);
    const std::string thrice = zov::writeProjectSettings(twice, zov::readProjectSettings(twice));
    check(thrice == twice);
    return 0;
}
