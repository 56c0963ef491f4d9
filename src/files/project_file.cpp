#include "files/project_file.h"

#include "core/text.h"
#include "files/file_channel.h"
#include "files/ini_file.h"
#include "files/paths.h"

#include <QFile>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace zov {

namespace {

// Section and key names as a new file spells them. Reading ignores case, so a
// file whose sections read "Form" and "FORM" holds one section.
constexpr std::string_view kForm = "Form";
constexpr std::string_view kFormUpper = "FORM";
constexpr std::string_view kDisplay = "DISPLAY";
constexpr std::string_view kData = "DATA";
constexpr std::string_view kCooking = "COOKING";
constexpr std::string_view kImport = "IMPORT";
constexpr std::string_view kPath = "Path";

constexpr std::array<std::string_view, 4> kOptionNames = {"SE", "Diff", "PP", "Match"};
constexpr std::array<std::string_view, kSlotCount> kSlotKeys = {"0", "1", "2", "3", "4"};

std::string utf8(const QString& text)
{
    return text.toStdString();
}

QString qtext(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A value as it goes into the file. CR and LF would break the line structure
// and become blanks. A reader drops the blanks around a value and then one
// leading apostrophe, so a value whose first character after its blanks is
// an apostrophe gets a second one and reads back as typed.
std::string storedValue(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    const std::size_t first = text.find_first_not_of(" \t");
    if (first != std::string::npos && text[first] == '\'')
        text.insert(first, 1, '\'');
    return text;
}

// Reads the keys of one file held in memory.
class ProjectReader {
public:
    explicit ProjectReader(std::string_view bytes) : m_bytes(bytes) {}

    std::string raw(std::string_view section, std::string_view key) const
    {
        std::string value = readIniValue(m_bytes, section, key);
        if (!value.empty() && value.front() == '\'')
            value.erase(0, 1);
        return value;
    }
    QString text(std::string_view section, std::string_view key) const { return qtext(raw(section, key)); }
    double number(std::string_view section, std::string_view key) const
    {
        return numericValue(raw(section, key));
    }
    // A 32-bit value; a number beyond the 32-bit range reads as 0, as a number
    // beyond the double range does: kept, it would be infinite, and an
    // infinite operating point would be placed at no position on the plot.
    float real(std::string_view section, std::string_view key) const
    {
        const double value = number(section, key);
        return std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max()) ? static_cast<float>(value)
                                                                                            : 0.0F;
    }
    int integer(std::string_view section, std::string_view key) const
    {
        const std::int64_t value = roundHalfEven(number(section, key));
        return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
    }

private:
    std::string_view m_bytes;
};

// Collects the keys of one save in memory; the file is replaced once.
class ProjectWriter {
public:
    explicit ProjectWriter(std::string_view bytes) : m_bytes(bytes) {}

    // A key that already reads as the value is left alone, so that a save
    // changes only the lines whose values changed (a hand-edited file keeps
    // its LF line ends, its blanks and its spelling everywhere else).
    void text(std::string_view section, std::string_view key, const std::string& value)
    {
        const std::string stored = storedValue(value);
        bool found = false;
        const std::string current = readIniValue(m_bytes, section, key, &found);
        if (found && current == trimBlanks(stored))
            return;
        m_bytes = writeIniValue(m_bytes, section, key, stored);
    }
    void text(std::string_view section, std::string_view key, const QString& value)
    {
        text(section, key, utf8(value));
    }
    std::string take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

std::string_view viewOf(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

bool opensInCapture(const ProjectSettings& settings)
{
    return settings.Mode == QStringLiteral("Capture");
}

bool hasOperatingPoint(const ProjectSettings& settings)
{
    return settings.OperatingUa != 0.0F && settings.OperatingIaMa != 0.0F;
}

QString optionToSelect(const ProjectSettings& settings)
{
    for (std::string_view name : kOptionNames) {
        if (settings.Option == qtext(name))
            return settings.Option;
    }
    return {};
}

PortChoice portToSelect(const ProjectSettings& settings, const QStringList& listed)
{
    PortChoice choice;
    if (!settings.PortName.isEmpty()) {
        choice.index = static_cast<int>(listed.indexOf(settings.PortName));
        if (choice.index >= 0)
            return choice;
        // A pseudo-terminal is the virtual module of an earlier run; the same
        // name today is some other program's terminal, never an instrument.
        const bool pseudoTerminal = settings.PortName.startsWith(QStringLiteral("/dev/pts/"));
        if (!pseudoTerminal && FileExists(settings.PortName)) {
            choice.addName = settings.PortName;
            return choice;
        }
    }
    choice.index = settings.ComportIndex < static_cast<int>(listed.size()) ? settings.ComportIndex : -1;
    return choice;
}

std::string signedIntegerText(int value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string plainNumberText(float value)
{
    return formatGeneral(static_cast<double>(value));
}

void takeFromWorkspace(const Workspace& ws, ProjectSettings& settings)
{
    settings.Mode = modeText(ws.ModeName);
    settings.OperatingUa = ws.OpCurve.Drawn ? ws.OperatingUa : 0.0F;
    settings.OperatingIaMa = ws.OpCurve.Drawn ? ws.OperatingIa : 0.0F;
    settings.Selection = ws.SeriesSelections[0];
    settings.TdfFolder = ws.TdfFolder;
    settings.CaptorFolder = ws.CaptorFolder;
    settings.ProjectFolder = ws.ProjectFolder;
}

void applyToWorkspace(const ProjectSettings& settings, Workspace& ws)
{
    ws.ModeName = opensInCapture(settings) ? WorkMode::Capture : WorkMode::Cook;
    for (std::size_t i = 0; i < settings.ImportFiles.size(); ++i) {
        if (!settings.ImportFiles[i].isEmpty())
            ws.SeriesSelections[i] = settings.Selection;
    }
    ws.TdfFolder = settings.TdfFolder;
    ws.CaptorFolder = settings.CaptorFolder;
    ws.ProjectFolder = settings.ProjectFolder;
}

ProjectSettings readProjectSettings(std::string_view bytes)
{
    const ProjectReader in(bytes);
    ProjectSettings s;
    s.Mode = in.text(kForm, "Mode");
    s.TopTwips = in.integer(kFormUpper, "Top");
    s.LeftTwips = in.integer(kFormUpper, "Left");
    s.WidthTwips = in.integer(kFormUpper, "Width");
    s.HeightTwips = in.integer(kFormUpper, "Height");

    s.MaPerDivText = in.text(kDisplay, "Ia");
    s.VoltsPerDivText = in.text(kDisplay, "Ua");
    s.PowerText = in.text(kDisplay, "Pa");

    s.Vg1StartText = in.text(kData, "VG1Start");
    s.Vg1StopText = in.text(kData, "VG1Stop");
    s.Vg1PitchText = in.text(kData, "VG1Pitch");
    s.Vg2Text = in.text(kData, "VG2");
    s.ComportIndex = in.integer(kData, "Comport");
    // The list holds COM1..COM4 (-1: none). A position beyond it would select
    // nothing, or whatever port happens to be listed there today.
    if (s.ComportIndex < -1 || s.ComportIndex > 3)
        s.ComportIndex = 0;
    s.PortName = in.text(kData, "Port");
    s.Range32mA = in.number(kData, "Imax") == 32.0;

    s.Option = in.text(kCooking, "Option");
    s.OperatingIaMa = in.real(kCooking, "Ia0");
    s.OperatingUa = in.real(kCooking, "Ua0");
    s.LoadText = in.text(kCooking, "Load");
    s.VinText = in.text(kCooking, "Vin");
    s.Selection.Vg1List = in.raw(kCooking, "Vg1List");
    s.Selection.Vg2List = in.raw(kCooking, "Vg2List");

    for (int i = 0; i < kSlotCount; ++i)
        s.ImportFiles[static_cast<std::size_t>(i)] = in.text(kImport, kSlotKeys[static_cast<std::size_t>(i)]);

    s.TdfFolder = in.text("TDF", kPath);
    s.CaptorFolder = in.text("CAPTOR", kPath);
    s.ProjectFolder = in.text("PROJECT", kPath);
    return s;
}

std::string writeProjectSettings(std::string_view bytes, const ProjectSettings& s)
{
    ProjectWriter out(bytes);
    out.text(kForm, "Mode", s.Mode);
    out.text(kFormUpper, "Top", signedIntegerText(s.TopTwips));
    out.text(kFormUpper, "Left", signedIntegerText(s.LeftTwips));
    out.text(kFormUpper, "Width", signedIntegerText(s.WidthTwips));
    out.text(kFormUpper, "Height", signedIntegerText(s.HeightTwips));

    out.text(kDisplay, "Ia", s.MaPerDivText);
    out.text(kDisplay, "Ua", s.VoltsPerDivText);
    out.text(kDisplay, "Pa", s.PowerText);
    out.text(kDisplay, "Ld", s.LoadText);

    out.text(kData, "VG1Start", s.Vg1StartText);
    out.text(kData, "VG1Stop", s.Vg1StopText);
    out.text(kData, "VG1Pitch", s.Vg1PitchText);
    out.text(kData, "VG2", s.Vg2Text);
    out.text(kData, "Comport", signedIntegerText(s.ComportIndex));
    // "256mA Max" writes nothing: an Imax of 32 already in the file stays.
    if (s.Range32mA)
        out.text(kData, "Imax", std::string("32"));
    out.text(kData, "Port", s.PortName);

    if (!s.Option.isEmpty())
        out.text(kCooking, "Option", s.Option);
    out.text(kCooking, "Ia0", plainNumberText(s.OperatingIaMa));
    out.text(kCooking, "Ua0", plainNumberText(s.OperatingUa));
    out.text(kCooking, "Load", s.LoadText);
    out.text(kCooking, "Vin", s.VinText);
    out.text(kCooking, "Vg1List", s.Selection.Vg1List);
    out.text(kCooking, "Vg2List", s.Selection.Vg2List);

    for (int i = 0; i < kSlotCount; ++i)
        out.text(kImport, kSlotKeys[static_cast<std::size_t>(i)], s.ImportFiles[static_cast<std::size_t>(i)]);

    out.text("TDF", kPath, s.TdfFolder);
    out.text("CAPTOR", kPath, s.CaptorFolder);
    out.text("PROJECT", kPath, s.ProjectFolder);
    return out.take();
}

ProjectSettings loadProjectFile(const QString& path)
{
    QByteArray bytes;
    if (!FileExists(path) || !readWholeFile(path, bytes))
        return {};
    return readProjectSettings(viewOf(bytes));
}

FileResult saveProjectFile(const QString& path, const ProjectSettings& settings)
{
    return updateIniFile(path, [&](std::string_view old) { return writeProjectSettings(old, settings); });
}

QString projectFolderAfterSave(const QString& projectFolder, const QString& chosenPath)
{
    return projectFolder.isEmpty() ? FolderOf(chosenPath) : projectFolder;
}

QString slotCaption(const QString& importFile)
{
    const std::string name = utf8(FileNameOf(importFile));
    return qtext(GetField(name, 1, "."));
}

QString captionWithProject(const QString& baseCaption, const QString& projectFile)
{
    if (projectFile.isEmpty())
        return baseCaption;
    return baseCaption + QStringLiteral(" [") + FileNameOf(projectFile) + QLatin1Char(']');
}

}  // namespace zov
