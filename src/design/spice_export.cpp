#include "design/spice_export.h"

#include "core/text.h"

#include <array>
#include <cctype>
#include <charconv>

namespace zov {

namespace {

// One comment line: line ends inside the text would end the comment.
std::string commentText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::string fileNameOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string spiceNumber(double value)
{
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

std::string spiceName(std::string_view name)
{
    std::string out;
    for (char c : name) {
        const bool keep = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
        out += keep ? c : '_';
    }
    return out.empty() ? std::string("TUBE") : out;
}

std::string spiceSubcircuit(const FitResult& fit, std::string_view name, std::string_view sourceFile)
{
    const TubeModelParams& p = fit.params;
    const std::string n = spiceName(name);
    const auto num = [](double v) { return spiceNumber(v); };
    const std::string mu = num(p.mu), ex = num(p.ex), kg1 = num(p.kg1), kp = num(p.kp), kvb = num(p.kvb),
                      kg2 = num(p.kg2);

    std::string out;
    out += "* " + n + ": " + std::string(modelName(fit.kind)) + " tube model fitted by Zovograph\n";
    out += "* Source family: " + commentText(fileNameOf(sourceFile)) + "\n";
    out += "* Parameters: MU=" + mu + " EX=" + ex + " KG1=" + kg1 + " KP=" + kp;
    if (fit.kind != TubeModelKind::DerkEPentode)
        out += " KVB=" + kvb;
    if (isPentodeModel(fit.kind))
        out += " KG2=" + kg2;
    if (fit.kind == TubeModelKind::DerkEPentode)
        out += " A=" + num(p.a) + " BETA=" + num(p.beta) + " ALPHAS=" + num(p.alphaS);
    out += "\n";
    out += "* Fit: RMS error " + formatGeneral(fit.rmsMa) + " mA, largest error " + formatGeneral(fit.maxErrMa) + " mA over " +
           std::to_string(fit.points) + " points, " + std::to_string(fit.iterations) + " iterations" +
           (fit.converged ? "" : " (did not converge)") + "\n";
    if (isPentodeModel(fit.kind))
        out += "* The screen current uses KG2" +
               std::string(fit.kind == TubeModelKind::DerkEPentode ? " and ALPHAS" : "") +
               " as given, not fitted: the family holds no screen current.\n";

    // Koren's E1; ln(1 + exp(x)) is written as it stands, which both
    // simulators evaluate without overflow for the grid voltages of a family.
    const std::string vak = "V(A,K)", vgk = "V(G,K)";
    if (fit.kind == TubeModelKind::KorenTriode) {
        out += "* Pins: anode grid cathode\n";
        out += ".SUBCKT " + n + " A G K\n";
        const std::string e1 = vak + "/" + kp + "*ln(1+exp(" + kp + "*(1/" + mu + "+" + vgk + "/sqrt(" + kvb + "+" +
                               vak + "*" + vak + "))))";
        out += "BIA A K I=2*pwr(max(" + e1 + ",0)," + ex + ")/" + kg1 + "\n";
    } else {
        out += "* Pins: anode screen grid cathode\n";
        out += ".SUBCKT " + n + " A S G K\n";
        // A screen at or below 0 V gives no current; max() keeps the division defined.
        const std::string vsk = "max(V(S,K),1e-9)";
        const std::string e1 = vsk + "/" + kp + "*ln(1+exp(" + kp + "*(1/" + mu + "+" + vgk + "/" + vsk + ")))";
        const std::string ip = "2*pwr(max(" + e1 + ",0)," + ex + ")";
        if (fit.kind == TubeModelKind::KorenPentode) {
            out += "BIA A K I=max(" + ip + "/" + kg1 + "*atan(" + vak + "/" + kvb + "),0)\n";
            out += "BIS S K I=pwr(max(V(S,K)/" + mu + "+" + vgk + ",0)," + ex + ")/" + kg2 + "\n";
        } else {
            const std::string knee = "exp(-pwr(max(" + num(p.beta) + "*" + vak + ",0),1.5))";
            out += "BIA A K I=max(" + ip + "*((1/" + kg1 + "-1/" + kg2 + ")*(1-" + knee + ")+" + num(p.a) + "*" +
                   vak + "/" + kg1 + "),0)\n";
            out += "BIS S K I=" + ip + "/" + kg2 + "*(1+" + num(p.alphaS) + "*" + knee + ")\n";
        }
    }
    out += ".ENDS " + n + "\n";
    return out;
}

}  // namespace zov
