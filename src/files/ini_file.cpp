#include "files/ini_file.h"

#include "files/atomic_write.h"
#include "files/file_channel.h"
#include "files/paths.h"
#include "core/text.h"

#include <QFile>


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
};

// The line starting at `pos` (pos < bytes.size()). A line ends at LF; a CR
// before the LF, or a CR at the end of the file, belongs to the line end.
Line lineAt(std::string_view bytes, std::size_t pos)
{
    const std::size_t lf = bytes.find('\n', pos);
    Line line;
    line.begin = pos;
    std::size_t textEnd = lf == std::string_view::npos ? bytes.size() : lf;
    line.end = lf == std::string_view::npos ? bytes.size() : lf + 1;
    if (textEnd > pos && bytes[textEnd - 1] == '\r')
        --textEnd;
    line.text = bytes.substr(pos, textEnd - pos);
    return line;
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

// Where a section and a key were found, as byte ranges of their lines. One
// pass over the file and no allocation: a project save looks up every key in
// turn.
struct Location {
    bool hasSection = false;  // the "[section]" line exists
    Line sectionLine;
    bool hasKey = false;
    Line keyLine;             // the key's line
    std::string_view keyName; // its spelling in the file
    std::string_view value;
    bool hasKeys = false;     // the section holds a key line
    Line lastKeyLine;         // the last of them
};

Location locate(std::string_view bytes, std::string_view section, std::string_view key)
{
    Location loc;
    section = trimBlanks(section);
    key = trimBlanks(key);
    bool inSection = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Line line = lineAt(bytes, pos);
        pos = line.end;
        std::string_view name;
        std::string_view value;
        if (sectionName(line.text, name)) {
            if (inSection)
                break;  // the first occurrence of the section is the one used
            inSection = equalNoCase(name, section);
            if (inSection) {
                loc.hasSection = true;
                loc.sectionLine = line;
            }
            continue;
        }
        if (!inSection || !keyLine(line.text, name, value))
            continue;
        loc.hasKeys = true;
        loc.lastKeyLine = line;
        if (!loc.hasKey && equalNoCase(name, key)) {
            loc.hasKey = true;
            loc.keyLine = line;
            loc.keyName = name;
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
    const Location loc = locate(bytes, section, key);
    if (found)
        *found = loc.hasKey;
    if (!loc.hasKey)
        return {};
    return std::string(capValue(loc.value));
}

std::string writeIniValue(std::string_view bytes, std::string_view section, std::string_view key,
                          std::string_view value)
{
    const Location loc = locate(bytes, section, key);
    std::string out;
    out.reserve(bytes.size() + section.size() + key.size() + value.size() + 8);

    const auto addKey = [&](std::string_view name) {
        out += name;
        out += '=';
        out += value;
        out += "\r\n";
    };
    // A line we insert after must end with a line end. A file cut between
    // the CR and the LF of its last line end gets only the LF: a second CR
    // would become part of that line's value.
    const auto endLine = [&]() {
        if (!out.empty() && out.back() != '\n')
            out += out.back() == '\r' ? "\n" : "\r\n";
    };

    if (loc.hasKey) {
        // Keep the key's spelling as the file has it.
        out.append(bytes.substr(0, loc.keyLine.begin));
        addKey(loc.keyName);
        out.append(bytes.substr(loc.keyLine.end));
        return out;
    }
    if (loc.hasSection) {
        const std::size_t after = loc.hasKeys ? loc.lastKeyLine.end : loc.sectionLine.end;
        out.append(bytes.substr(0, after));
        endLine();
        addKey(trimBlanks(key));
        out.append(bytes.substr(after));
        return out;
    }
    out.append(bytes);
    endLine();
    out += '[';
    out += trimBlanks(section);
    out += "]\r\n";
    addKey(trimBlanks(key));
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
