#pragma once
// Families for the model-fitting tests: captures of the virtual module (its
// counts decoded as the link decodes them) and the measured families of the
// reference data, both as TDF text read by the TDF reader.

#include "core/curve_store.h"
#include "core/text.h"
#include "design/tube_fit.h"
#include "files/tdf_file.h"
#include "measure/module_protocol.h"
#include "sim/virtual_module.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace zov::testing {

// One capture of the virtual module emulating `tube`: one curve per grid-1
// voltage (0 or negative, multiples of 0.5 V), at the range divisor given (32 or
// 4), with the module's noise when a seed is given. Grid 2 is the profile's
// screen voltage. Empty when the module cannot start.
inline std::string moduleFamilyTdf(const QString& tube, const std::vector<double>& gridVolts, int rangeDivisor,
                                   std::optional<quint32> noiseSeed = std::nullopt)
{
    VirtualModuleOptions options;
    options.tube = tube;
    options.pacing = false;
    options.noiseSeed = noiseSeed;
    VirtualModule module(options);
    if (!module.start())
        return {};
    const double vg2 = TubeModel::find(tube)->screenVolts;
    std::string tdf;
    for (double g : gridVolts) {
        const int gridCode = 150 - static_cast<int>(std::lround(2.0 * g));
        const std::array<int, 64> volts = module.voltageCounts();
        const std::array<int, 64> amps = module.currentCounts(rangeDivisor, gridCode);
        for (int k = 0; k < 64; ++k) {
            tdf += formatGeneral(protocol::voltsFromCount(volts[k])) + " " +
                   formatGeneral(*protocol::ampsFromCount(amps[k], rangeDivisor)) + " " + formatGeneral(g) + " 0 " +
                   formatGeneral(vg2) + "\r\n";
        }
    }
    return tdf;
}

inline bool readFamily(CurveSet& set, const std::string& tdf)
{
    return !tdf.empty() && readCurveSetFromMemory(set, tdf) && set.Loaded;
}

// A measured family of Brennwald's curve-trace data (file under
// raw/mbrennwa__curvetracedata/) as TDF text: Ua column 3, Ia 4, Vg1 the
// grid supply's set value (column 6), grid 2 written as 0; points where the
// anode supply hit its current or power limit (column 5 = 1) dropped. Empty
// when the file is missing.
inline std::string brennwaldTdf(const std::string& relativePath)
{
    std::ifstream in(std::string(ZOV_REFERENCE_DATA) + "/raw/mbrennwa__curvetracedata/" + relativePath);
    std::string tdf;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        const std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
        if (f.size() >= 6 && f[0][0] != '%' && numericValue(f[4]) == 0.0)
            tdf += f[2] + " " + f[3] + " " + f[5] + " 0 0\r\n";
    }
    return tdf;
}

// The measurer's small-signal row for `sample` in a parameters.csv of
// Brennwald's data: operating point U1 (V) and I1 (A), the grid voltage found
// for it, gm and go (A/V), mu.
struct PublishedSmallSignal {
    double ua = 0.0, iaA = 0.0, vg0 = 0.0, gm = 0.0, go = 0.0, mu = 0.0;
};

inline std::optional<PublishedSmallSignal> brennwaldParameters(const std::string& relativeCsv, const std::string& sample)
{
    std::ifstream in(std::string(ZOV_REFERENCE_DATA) + "/raw/mbrennwa__curvetracedata/" + relativeCsv);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');)
            cells.push_back(cell);
        if (cells.size() < 8 || cells[0] != sample)
            continue;
        PublishedSmallSignal p;
        double* fields[] = {&p.ua, &p.iaA, &p.vg0, &p.gm, &p.go, &p.mu};
        for (int k = 0; k < 6; ++k)
            *fields[k] = numericValue(cells[static_cast<std::size_t>(k + 2)]);
        return p;
    }
    return std::nullopt;
}

// Small-signal values read off the piecewise-linear surface that spans the
// Delaunay triangulation of a family's points in the (Ua, Vg1) plane: the
// grid voltage at which the surface gives iaA at ua, and the surface's slopes
// there, which are those of the one triangle holding the point. This is how
// the measurer's published values come about (they are reproduced to their
// printed digits): gm is a chord across a whole grid step and go the slope of
// one curve's segment, the segment the triangulation happens to pick. Where
// the measured voltages of two curves form a rectangle, its four corners lie
// on one circle and either diagonal makes a Delaunay triangulation: both
// readings are returned. Applied to a model sampled at the same points, the
// reading on the same triangle gives the model's figures read the same way.
// Empty when the point is outside the family.
struct TriangulatedReading {
    double vg0 = 0.0, gm = 0.0, go = 0.0;  // V, A/V, A/V
    std::array<std::size_t, 3> triangle{};  // indices of its corners, in ascending order
};

namespace detail {

// The Delaunay triangles holding (ua, vg1): among the triangles of nearby
// points that hold it, those whose circumcircle has no point of the family
// inside (one, or two sharing an edge or a circle).
inline std::vector<std::array<std::size_t, 3>> delaunayTriangles(const std::vector<FitPoint>& points, double ua,
                                                                 double vg1)
{
    constexpr std::size_t kNear = 24;
    std::vector<std::size_t> order(points.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    const auto dist2 = [&](std::size_t k) {
        return std::pow(points[k].ua - ua, 2) + std::pow(points[k].vg1 - vg1, 2);
    };
    const std::size_t near = std::min(kNear, order.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(near), order.end(),
                      [&](std::size_t a, std::size_t b) { return dist2(a) < dist2(b); });
    // Coordinates relative to the query point keep the determinants exact enough.
    const auto x = [&](std::size_t k) { return points[k].ua - ua; };
    const auto y = [&](std::size_t k) { return points[k].vg1 - vg1; };
    std::vector<std::array<std::size_t, 3>> out;
    for (std::size_t i = 0; i < near; ++i)
        for (std::size_t j = i + 1; j < near; ++j)
            for (std::size_t l = j + 1; l < near; ++l) {
                std::array<std::size_t, 3> t{order[i], order[j], order[l]};
                const double area = (x(t[1]) - x(t[0])) * (y(t[2]) - y(t[0])) -
                                    (x(t[2]) - x(t[0])) * (y(t[1]) - y(t[0]));
                if (std::abs(area) < 1e-9)
                    continue;
                if (area < 0)
                    std::swap(t[1], t[2]);  // counter-clockwise
                bool holds = true;
                for (int e = 0; e < 3 && holds; ++e) {
                    const std::size_t a = t[e], b = t[(e + 1) % 3];
                    holds = x(a) * y(b) - x(b) * y(a) >= -1e-12;  // the query point (0, 0) left of a->b
                }
                bool empty = holds;
                for (std::size_t n = 0; n < points.size() && empty; ++n) {
                    const std::size_t m = order[n];  // the nearest first: a point inside is found early
                    if (m == t[0] || m == t[1] || m == t[2])
                        continue;
                    double row[3][3];
                    double scale = 0.0;
                    for (int r = 0; r < 3; ++r) {
                        const double dx = x(t[r]) - x(m), dy = y(t[r]) - y(m);
                        row[r][0] = dx;
                        row[r][1] = dy;
                        row[r][2] = dx * dx + dy * dy;
                        scale = std::max(scale, row[r][2]);
                    }
                    const double det = row[0][0] * (row[1][1] * row[2][2] - row[2][1] * row[1][2]) -
                                       row[0][1] * (row[1][0] * row[2][2] - row[2][0] * row[1][2]) +
                                       row[0][2] * (row[1][0] * row[2][1] - row[2][0] * row[1][1]);
                    empty = det <= 1e-9 * scale * scale;  // on the circle counts as outside
                }
                if (empty) {
                    std::sort(t.begin(), t.end());
                    out.push_back(t);
                }
            }
    return out;
}

// The plane I = ia + go (Ua - ua) + gm (Vg1 - vg1) through a triangle's corners.
inline TriangulatedReading planeAt(const std::vector<FitPoint>& points, const std::array<std::size_t, 3>& t, double ua,
                                   double vg1, double* iaA)
{
    const FitPoint &p0 = points[t[0]], &p1 = points[t[1]], &p2 = points[t[2]];
    const double x1 = p1.ua - p0.ua, y1 = p1.vg1 - p0.vg1, i1 = p1.iaA - p0.iaA;
    const double x2 = p2.ua - p0.ua, y2 = p2.vg1 - p0.vg1, i2 = p2.iaA - p0.iaA;
    const double det = x1 * y2 - x2 * y1;
    TriangulatedReading r;
    r.go = (i1 * y2 - i2 * y1) / det;
    r.gm = (x1 * i2 - x2 * i1) / det;
    r.vg0 = vg1;
    r.triangle = t;
    *iaA = p0.iaA + r.go * (ua - p0.ua) + r.gm * (vg1 - p0.vg1);
    return r;
}

}  // namespace detail

inline std::vector<TriangulatedReading> triangulatedSmallSignal(const std::vector<FitPoint>& points, double ua,
                                                                double iaA)
{
    double low = 0.0, high = 0.0;
    for (const FitPoint& q : points) {
        low = std::min(low, q.vg1);
        high = std::max(high, q.vg1);
    }
    // The first grid voltage, in steps of 0.25 V from the lowest curve up, at
    // which the surface reaches iaA; then bisection to 1 uV.
    const auto reaches = [&](double vg1) -> std::optional<bool> {
        const auto triangles = detail::delaunayTriangles(points, ua, vg1);
        if (triangles.empty())
            return std::nullopt;
        double ia = 0.0;
        detail::planeAt(points, triangles.front(), ua, vg1, &ia);
        return ia >= iaA;
    };
    std::optional<double> lastBelow;
    double vg = low;
    for (; vg <= high; vg += 0.25) {
        const std::optional<bool> r = reaches(vg);
        if (r && *r)
            break;
        if (r)
            lastBelow = vg;
    }
    if (vg > high || !lastBelow)
        return {};
    double a = *lastBelow, b = vg;
    while (b - a > 1e-6) {
        const double mid = 0.5 * (a + b);
        (reaches(mid).value_or(false) ? b : a) = mid;
    }
    // Each triangle holding the point, with the grid voltage its own plane gives.
    std::vector<TriangulatedReading> out;
    for (const auto& t : detail::delaunayTriangles(points, ua, 0.5 * (a + b))) {
        double ia = 0.0;
        TriangulatedReading r = detail::planeAt(points, t, ua, 0.5 * (a + b), &ia);
        r.vg0 += (iaA - ia) / r.gm;
        out.push_back(r);
    }
    return out;
}

}  // namespace zov::testing
