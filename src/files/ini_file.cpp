#include "files/ini_file.h"

#include "files/atomic_write.h"
#include "files/file_channel.h"
#include "files/paths.h"
#include "core/text.h"

#include <QFile>

#include <vector>

namespace zov {

namespace {

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// One line of the file: its text without the line end, and where it lies.
struct Line {
    std::string_view text;
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // first byte after its line end
    bool hasLineEnd = false;
};

std::vector<Line> splitLines(std::string_view bytes)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        Line line;
        line.begin = pos;
        std::size_t textEnd = lf == std::string_view::npos ? bytes.size() : lf;
        line.end = lf == std::string_view::npos ? bytes.size() : lf + 1;
        line.hasLineEnd = lf != std::string_view::npos;
        if (textEnd > pos && bytes[textEnd - 1] == '\r')
            --textEnd;
        line.text = bytes.substr(pos, textEnd - pos);
        lines.push_back(line);
        pos = line.end;
    }
    return lines;
}

// The trimmed section name of a section line; false for other lines.
bool sectionName(std::string_view line, std::string_view& name)
{
    const std::string_view t = trimBlanks(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const std::size_t close = t.find(']');
    if (close == std::string_view::npos)
        return false;
    name = trimBlanks(t.substr(1, close - 1));
    return true;
}

// Key name and value of a key line; false for comments and lines without "=".
bool keyLine(std::string_view line, std::string_view& name, std::string_view& value)
{
    const std::string_view t = trimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return false;
    name = trimBlanks(t.substr(0, eq));
    value = trimBlanks(t.substr(eq + 1));
    return true;
}

// Where a section and a key were found.
struct Location {
    int sectionLine = -1;  // index of the "[section]" line, -1 when missing
    int keyLine = -1;      // index of the key line, -1 when missing
    int lastKeyLine = -1;  // index of the last key line of the section
    std::string_view value;
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    Location loc;
    section = trimBlanks(section);
    key = trimBlanks(key);
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string_view name;
        std::string_view value;
        if (sectionName(lines[static_cast<std::size_t>(i)].text, name)) {
            if (inSection)
                break;  // the first occurrence of the section is the one used
            inSection = equalNoCase(name, section);
            if (inSection)
                loc.sectionLine = i;
            continue;
        }
        if (!inSection || !keyLine(lines[static_cast<std::size_t>(i)].text, name, value))
            continue;
        loc.lastKeyLine = i;
        if (loc.keyLine < 0 && equalNoCase(name, key)) {
            loc.keyLine = i;
            loc.value = value;
        }
    }
    return loc;
}

// At most kIniValueMaxBytes bytes, never splitting a UTF-8 sequence.
std::string_view capValue(std::string_view value)
{
    if (value.size() <= kIniValueMaxBytes)
        return value;
    std::size_t cut = kIniValueMaxBytes;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
        --cut;
    return value.substr(0, cut);
}

std::string_view viewOf(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

std::string readIniValue(std::string_view bytes, std::string_view section, std::string_view key, bool* found)
{
    const std::vector<Line> lines = splitLines(bytes);
    const Location loc = locate(lines, section, key);
    if (found)
        *found = loc.keyLine >= 0;
    if (loc.keyLine < 0)
        return {};
    return std::string(capValue(loc.value));
}

std::string writeIniValue(std::string_view bytes, std::string_view section, std::string_view key,
                          std::string_view value)
{
    const std::vector<Line> lines = splitLines(bytes);
    const Location loc = locate(lines, section, key);
    const std::string_view keyName = trimBlanks(key);
    std::string out;
    out.reserve(bytes.size() + section.size() + key.size() + value.size() + 8);

    const auto keyText = [&](std::string_view name) {
        std::string text(name);
        text += '=';
        text += value;
        text += "\r\n";
        return text;
    };
    // Copies lines [from, to) unchanged.
    const auto copy = [&](int from, int to) {
        if (from >= to)
            return;
        const std::size_t b = lines[static_cast<std::size_t>(from)].begin;
        const std::size_t e = lines[static_cast<std::size_t>(to - 1)].end;
        out.append(bytes.substr(b, e - b));
    };
    // A line we insert after must end with a line end. A file cut between
    // the CR and the LF of its last line end gets only the LF: a second CR
    // would become part of that line's value.
    const auto endLine = [&]() {
        if (!out.empty() && out.back() != '\n')
            out += out.back() == '\r' ? "\n" : "\r\n";
    };
    const int count = static_cast<int>(lines.size());

    if (loc.keyLine >= 0) {
        // Keep the key's spelling as the file has it.
        std::string_view name;
        std::string_view oldValue;
        keyLine(lines[static_cast<std::size_t>(loc.keyLine)].text, name, oldValue);
        copy(0, loc.keyLine);
        out += keyText(name);
        copy(loc.keyLine + 1, count);
        return out;
    }
    if (loc.sectionLine >= 0) {
        const int after = loc.lastKeyLine >= 0 ? loc.lastKeyLine : loc.sectionLine;
        copy(0, after + 1);
        endLine();
        out += keyText(keyName);
        copy(after + 1, count);
        return out;
    }
    copy(0, count);
    endLine();
    out += '[';
    out += trimBlanks(section);
    out += "]\r\n";
    out += keyText(keyName);
    return out;
}

QString ReadIni(const QString& file, const QString& section, const QString& key)
{
    if (!FileExists(file))
        return {};
    QByteArray bytes;
    if (!readWholeFile(file, bytes))
        return {};
    const QByteArray s = section.toUtf8();
    const QByteArray k = key.toUtf8();
    std::string value = readIniValue(viewOf(bytes), viewOf(s), viewOf(k));
    if (!value.empty() && value.front() == '\'')
        value.erase(0, 1);
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

FileResult updateIniFile(const QString& file, const std::function<std::string(std::string_view)>& edit)
{
    if (file.isEmpty())
        return {false, QStringLiteral("no file name")};
    QByteArray old;
    if (QFile::exists(file) && !readWholeFile(file, old))
        return {false, QStringLiteral("the file cannot be read")};
    return replaceFileAtomically(file, edit(viewOf(old)));
}

bool WriteIni(const QString& file, const QString& section, const QString& key, const QString& value)
{
    const QByteArray s = section.trimmed().toUtf8();
    const QByteArray k = key.trimmed().toUtf8();
    if (file.isEmpty() || s.isEmpty() || k.isEmpty())
        return false;
    QByteArray v = value.toUtf8();
    v.replace('\r', ' ');
    v.replace('\n', ' ');
    QByteArray old;
    if (FileExists(file) && !readWholeFile(file, old))
        return false;  // never replace a profile we could not read
    const std::string updated = writeIniValue(viewOf(old), viewOf(s), viewOf(k), viewOf(v));
    return replaceFileAtomically(file, updated).ok;
}

}  // namespace zov
