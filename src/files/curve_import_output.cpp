// An imported family as TDF text, as a TDF file, as a summary line, and as a
// CurveSet slot; the dialog filters of the curve files.

#include "files/curve_import.h"

#include "core/text.h"
#include "files/curve_table_text.h"
#include "files/files_messages.h"
#include "files/tdf_file.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace zov {

namespace {

// The text is written to the file in pieces of about this size.
constexpr std::size_t kWriteChunkBytes = 1 << 20;

void appendCurveLines(std::string& out, const ImportedCurve& curve, std::size_t from, std::size_t to)
{
    // The grid fields are the same on every line of the curve.
    const std::string grids = ' ' + formatGeneral(curve.vg1) + " 0 " + formatGeneral(curve.vg2) + "\r\n";
    for (std::size_t i = from; i < to; ++i) {
        out += formatGeneral(curve.points[i].ua);
        out += ' ';
        out += formatGeneral(curve.points[i].ia);
        out += grids;
    }
}

struct Range {
    float low = std::numeric_limits<float>::infinity();
    float high = -std::numeric_limits<float>::infinity();
    void take(float v)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    QString text(double factor, const char* unit) const
    {
        const QString lo = QString::fromStdString(formatGeneral(low * factor));
        const QString hi = QString::fromStdString(formatGeneral(high * factor));
        return (lo == hi ? lo : lo + QStringLiteral(" to ") + hi) + QLatin1Char(' ') + QLatin1String(unit);
    }
};

}  // namespace

std::string familyTdfText(const ImportedFamily& family)
{
    std::string out;
    for (const ImportedCurve& c : family.curves)
        appendCurveLines(out, c, 0, c.points.size());
    return out;
}

FileResult writeFamiliesTdf(const QString& path, const std::vector<ImportedFamily>& families)
{
    AtomicReplacement file(path);
    std::string chunk;
    chunk.reserve(kWriteChunkBytes + 4096);
    const auto flush = [&] {
        const bool ok = file.write(chunk);
        chunk.clear();
        return ok;
    };
    for (const ImportedFamily& family : families) {
        for (const ImportedCurve& c : family.curves) {
            for (std::size_t from = 0; from < c.points.size(); from += 4096) {
                appendCurveLines(chunk, c, from, std::min(c.points.size(), from + 4096));
                if (chunk.size() >= kWriteChunkBytes && !flush())
                    return file.commit();  // the failure, the target untouched
            }
        }
    }
    chunk += "\r\n";  // like "Save as ...": the file ends with an empty line
    flush();
    return file.commit();
}

QString familySummary(const ImportedFamily& family)
{
    Range vg1, vg2, ua, ia;
    for (const ImportedCurve& c : family.curves) {
        vg1.take(c.vg1);
        vg2.take(c.vg2);
        for (const UaIa& p : c.points) {
            ua.take(p.ua);
            ia.take(p.ia);
        }
    }
    const auto count = [](std::int64_t n, const char* one, const char* many) {
        return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    QString s = curveFormatName(family.format) + QStringLiteral(", ")
                + count(static_cast<std::int64_t>(family.curves.size()), "curve", "curves") + QStringLiteral(", ")
                + count(family.pointCount(), "point", "points");
    if (family.curves.empty())
        return s;
    s += QStringLiteral(", Vg1 ") + vg1.text(1.0, "V") + QStringLiteral(", Vg2 ") + vg2.text(1.0, "V")
         + QStringLiteral(", Ua ") + ua.text(1.0, "V") + QStringLiteral(", Ia ") + ia.text(1000.0, "mA");
    if (family.limitedPoints > 0)
        s += QStringLiteral(", %1 limited points dropped").arg(family.limitedPoints);
    return s;
}

CurveFileRead readCurveFile(CurveSet& set)
{
    CurveFileRead read;
    QFile file(set.FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        // The program's reader gives the answer for a file it cannot open
        // (the slot untouched).
        ReadCurveSet(set);
        read.loaded = set.Loaded;
        return read;
    }
    const QByteArray head = file.peek(64 * 1024);
    read.format = detectCurveFormat(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
    const bool tdfName = QFileInfo(set.FileName).suffix().compare(QLatin1String("tdf"), Qt::CaseInsensitive) == 0;
    if (read.format == CurveFormat::Tdf || (read.format == CurveFormat::Auto && tdfName)) {
        file.close();
        read.format = CurveFormat::Tdf;
        ReadCurveSet(set);
        read.loaded = set.Loaded;
        return read;
    }
    const ImportResult imported = importCurveDevice(file);
    if (!imported.ok) {
        readCurveSetFromMemory(set, {});  // reset, not loaded
        read.error = imported.error;
        return read;
    }
    // Through the TDF text, so that the slot holds exactly what the converted
    // file would give (values rounded as written, the reader's extra points).
    read.loaded = readCurveSetFromMemory(set, familyTdfText(imported.family));
    return read;
}

DialogFilters curveFileDialogFilters(const QString& programName)
{
    DialogFilters filters = fileDialogFilters(msg::kTdfPattern, programName);
    filters.filters << msg::kCurveFilesFilter << msg::kLongTableFilter << msg::kWideTableFilter
                    << msg::kColumnFileFilter << msg::kDigitizedFilter;
    return filters;
}

}  // namespace zov
