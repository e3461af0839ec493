#include "tests/app/kicad/KicadFixture.h"

#include <fmt/core.h>

#include <sstream>

#include "app/formats/kicad/KicadCopper.h"
#include "tests/e2e/LqhostProcess.h"

namespace lqkicad {

namespace {

const char* const kRoot = "10000000-0000-0000-0000-000000000000";

std::string Uuid(int n) { return fmt::format("00000000-0000-0000-0000-{:012d}", n); }

// Millimetres as KiCad writes them: at most four decimals, no trailing zeros.
std::string Mm(double v)
{
    std::string s = fmt::format("{:.4f}", v);
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

struct Placed {
    std::string lib;
    std::string ref;
    int unit;
    double x, y;
    int uuid;
};

// 74HC00 units 1-4: inputs at (-7.62, +-2.54), output at (7.62, 0); unit 5: VCC and GND.
const int kGatePins[4][3] = {{1, 2, 3}, {4, 5, 6}, {9, 10, 8}, {12, 13, 11}};

std::string LibSymbols()
{
    std::string s = "  (lib_symbols\n    (symbol \"74xx:74HC00\" (in_bom yes) (on_board yes)\n";
    for (int u = 1; u <= 4; ++u) {
        const int* p = kGatePins[u - 1];
        s += fmt::format("      (symbol \"74HC00_{}_1\"\n"
                         "        (pin input line (at -7.62 2.54 0) (length 3.81) (name \"~\" (effects (font (size 1.27 1.27)))) (number \"{}\" (effects (font (size 1.27 1.27)))))\n"
                         "        (pin input line (at -7.62 -2.54 0) (length 3.81) (name \"~\" (effects (font (size 1.27 1.27)))) (number \"{}\" (effects (font (size 1.27 1.27)))))\n"
                         "        (pin output inverted (at 7.62 0 180) (length 3.81) (name \"~\" (effects (font (size 1.27 1.27)))) (number \"{}\" (effects (font (size 1.27 1.27)))))\n"
                         "      )\n",
                         u, p[0], p[1], p[2]);
    }
    s += "      (symbol \"74HC00_5_0\"\n"
         "        (pin power_in line (at 0 7.62 270) (length 2.54) (name \"VCC\" (effects (font (size 1.27 1.27)))) (number \"14\" (effects (font (size 1.27 1.27)))))\n"
         "        (pin power_in line (at 0 -7.62 90) (length 2.54) (name \"GND\" (effects (font (size 1.27 1.27)))) (number \"7\" (effects (font (size 1.27 1.27)))))\n"
         "      )\n    )\n"
         "    (symbol \"Device:R\" (in_bom yes) (on_board yes)\n"
         "      (symbol \"R_1_1\"\n"
         "        (pin passive line (at 0 3.81 270) (length 1.27) (name \"~\" (effects (font (size 1.27 1.27)))) (number \"1\" (effects (font (size 1.27 1.27)))))\n"
         "        (pin passive line (at 0 -3.81 90) (length 1.27) (name \"~\" (effects (font (size 1.27 1.27)))) (number \"2\" (effects (font (size 1.27 1.27)))))\n"
         "      )\n    )\n  )\n";
    return s;
}

std::vector<Placed> Symbols()
{
    std::vector<Placed> s{{"74xx:74HC00", "U1", 1, 50.8, 50.8, 101}, {"74xx:74HC00", "U1", 2, 50.8, 76.2, 102},
                          {"74xx:74HC00", "U1", 5, 101.6, 50.8, 105}, {"74xx:74HC00", "U2", 1, 50.8, 101.6, 201},
                          {"74xx:74HC00", "U2", 5, 101.6, 101.6, 205}};
    for (int r = 1; r <= 5; ++r)
        s.push_back({"Device:R", fmt::format("R{}", r), 1, 127 + 12.7 * r, 50.8, 300 + r});
    return s;
}

// Label texts at the pins: U1A, U1B, U2A, then R1..R5 (pin 1, pin 2).
const char* const kGateLabels[3][3] = {{"A1", "B1", "Y1"}, {"A2", "B2", "Y2"}, {"A3", "B3", "Y3"}};
const char* const kResistorLabels[5][2] = {{"A1", "Y3"}, {"B1", "A2"}, {"Y1", "B3"}, {"B2", "A3"}, {"Y2", "GND"}};

std::string Labels()
{
    std::string s;
    auto label = [&](const char* text, double x, double y) {
        s += fmt::format("  (label \"{}\" (at {} {} 0)\n    (effects (font (size 1.27 1.27)) (justify left bottom))\n  )\n", text, Mm(x), Mm(y));
    };
    const double gateY[3] = {50.8, 76.2, 101.6};
    for (int g = 0; g < 3; ++g) {
        label(kGateLabels[g][0], 43.18, gateY[g] - 2.54);
        label(kGateLabels[g][1], 43.18, gateY[g] + 2.54);
        label(kGateLabels[g][2], 58.42, gateY[g]);
    }
    for (const double y : {50.8, 101.6}) {
        label("VCC", 101.6, y - 7.62);
        label("GND", 101.6, y + 7.62);
    }
    for (int r = 1; r <= 5; ++r) {
        label(kResistorLabels[r - 1][0], 127 + 12.7 * r, 50.8 - 3.81);
        label(kResistorLabels[r - 1][1], 127 + 12.7 * r, 50.8 + 3.81);
    }
    return s;
}

std::string Schematic(Style style)
{
    const bool k6 = style == Style::Kicad6;
    std::string s = fmt::format("(kicad_sch (version {}) (generator eeschema)\n\n  (uuid {})\n\n  (paper \"A4\")\n\n",
                                k6 ? 20211123 : 20260306, k6 ? std::string(kRoot) : fmt::format("\"{}\"", kRoot));
    s += LibSymbols() + "\n" + Labels() + "\n";
    for (const Placed& p : Symbols()) {
        s += fmt::format("  (symbol (lib_id \"{}\") (at {} {} 0) (unit {})\n    (in_bom yes) (on_board yes)\n"
                         "    (uuid {})\n"
                         "    (property \"Reference\" \"{}\" (at {} {} 0)\n      (effects (font (size 1.27 1.27)))\n    )\n"
                         "    (property \"Value\" \"{}\" (at {} {} 0)\n      (effects (font (size 1.27 1.27)))\n    )\n",
                         p.lib, Mm(p.x), Mm(p.y), p.unit, k6 ? Uuid(p.uuid) : "\"" + Uuid(p.uuid) + "\"", p.ref, Mm(p.x),
                         Mm(p.y - 10), p.lib == "Device:R" ? "10k" : "74HC00", Mm(p.x), Mm(p.y + 10));
        if (!k6)
            s += fmt::format("    (instances\n      (project \"fix\"\n        (path \"/{}\"\n          (reference \"{}\") (unit {})\n"
                             "        )\n      )\n    )\n",
                             kRoot, p.ref, p.unit);
        s += "  )\n\n";
    }
    if (k6) {
        s += "  (sheet_instances\n    (path \"/\" (page \"1\"))\n  )\n\n  (symbol_instances\n";
        for (const Placed& p : Symbols())
            s += fmt::format("    (path \"/{}\"\n      (reference \"{}\") (unit {}) (value \"{}\") (footprint \"\")\n    )\n",
                             Uuid(p.uuid), p.ref, p.unit, p.lib == "Device:R" ? "10k" : "74HC00");
        s += "  )\n";
    }
    return s + ")\n";
}

struct Pad {
    std::string number;
    double x, y;
    std::string net;  // empty: none
    const char* type;
};

std::vector<Pad> DipPads(const std::string& ref)
{
    // The nets of the pins of placed units; the pads of units not placed are on none.
    std::map<int, std::string> nets{{7, "GND"}, {14, "VCC"}};
    const int gates = ref == "U1" ? 2 : 1;
    for (int g = 0; g < gates; ++g)
        for (int k = 0; k < 3; ++k)
            nets[kGatePins[g][k]] = kGateLabels[ref == "U1" ? g : 2][k];
    std::vector<Pad> pads;
    for (int n = 1; n <= 14; ++n) {
        const double x = n <= 7 ? 0 : 7.62, y = 2.54 * (n <= 7 ? n - 1 : 14 - n);
        const bool power = n == 7 || n == 14;
        const bool output = n == 3 || n == 6 || n == 8 || n == 11;
        pads.push_back({std::to_string(n), x, y, nets.count(n) ? nets[n] : "", power ? "power_in" : output ? "output" : "input"});
    }
    return pads;
}

std::string Board(Style style)
{
    const bool k6 = style == Style::Kicad6;
    std::vector<std::string> netNames{"A1", "B1", "Y1", "A2", "B2", "Y2", "A3", "B3", "Y3", "GND", "VCC"};
    std::map<std::string, int> code;
    std::string s = fmt::format("(kicad_pcb (version {}) (generator pcbnew)\n\n  (layers\n    (0 \"F.Cu\" signal)\n"
                                "    ({} \"B.Cu\" signal)\n  )\n\n",
                                k6 ? 20211014 : 20260206, k6 ? 31 : 2);
    if (k6) {
        s += "  (net 0 \"\")\n";
        for (std::size_t i = 0; i < netNames.size(); ++i) {
            code[netNames[i]] = static_cast<int>(i) + 1;
            s += fmt::format("  (net {} \"{}\")\n", i + 1, netNames[i]);
        }
        s += "\n";
    }
    auto net = [&](const std::string& name) {
        return k6 ? fmt::format("(net {} \"{}\")", code[name], name) : fmt::format("(net \"{}\")", name);
    };
    auto footprint = [&](const std::string& lib, const std::string& ref, const std::string& value, double x, double y,
                         int symbol, const std::vector<Pad>& pads) {
        s += fmt::format("  (footprint \"{}\" (layer \"F.Cu\")\n    (at {} {})\n    (path \"/{}\")\n", lib, x, y, Uuid(symbol));
        if (k6)
            s += fmt::format("    (fp_text reference \"{}\" (at 0 -3) (layer \"F.SilkS\"))\n"
                             "    (fp_text value \"{}\" (at 0 20) (layer \"F.Fab\"))\n",
                             ref, value);
        else
            s += fmt::format("    (property \"Reference\" \"{}\" (at 0 -3 0) (layer \"F.SilkS\"))\n"
                             "    (property \"Value\" \"{}\" (at 0 20 0) (layer \"F.Fab\"))\n",
                             ref, value);
        for (const Pad& p : pads)
            s += fmt::format("    (pad \"{}\" thru_hole circle (at {} {}) (size 1.6 1.6) (drill 0.8) (layers {})\n      {}(pintype \"{}\"))\n",
                             p.number, Mm(p.x), Mm(p.y), k6 ? "*.Cu *.Mask" : "\"*.Cu\" \"*.Mask\"",
                             p.net.empty() ? "" : net(p.net) + " ", p.type);
        s += "  )\n\n";
    };
    footprint("Package_DIP:DIP-14_W7.62mm", "U1", "74HC00", 100, 100, 101, DipPads("U1"));
    footprint("Package_DIP:DIP-14_W7.62mm", "U2", "74HC00", 130, 100, 201, DipPads("U2"));
    for (int r = 1; r <= 5; ++r)
        footprint("Resistor_THT:R_Axial_DIN0207_L6.3mm_D2.5mm_P7.62mm_Horizontal", fmt::format("R{}", r), "10k",
                  100 + 10 * r, 130, 300 + r,
                  {{"1", 0, 0, kResistorLabels[r - 1][0], "passive"}, {"2", 7.62, 0, kResistorLabels[r - 1][1], "passive"}});
    const std::string a1 = k6 ? "(net 1)" : "(net \"A1\")";
    s += fmt::format("  (segment (start 110 130) (end 110 120) (width 0.25) (layer \"F.Cu\") {})\n", a1);
    s += fmt::format("  (via (at 110 120) (size 0.8) (drill 0.4) (layers \"F.Cu\" \"B.Cu\") {})\n", a1);
    return s + ")\n";
}

}  // namespace

const char* const kSharedProjects[7] = {"clock", "attenuverters", "kdlfo", "dualvca", "andes_12hp", "herford", "divn"};

Project MakeProject(Style style) { return Project{Board(style), Schematic(style)}; }

lq::kicad::FileReader Files(const Project& project)
{
    return [project](const std::string& path) -> std::optional<std::string> {
        if (path == "fix.kicad_pcb")
            return project.board;
        if (path == "fix.kicad_sch")
            return project.schematic;
        return std::nullopt;
    };
}

KicadImport Import(const Project& project, bool unrouted)
{
    lq::kicad::KicadReadOptions options;
    options.schematic = "fix.kicad_sch";
    options.unrouted = unrouted;
    return lq::kicad::ReadKicadBoard("fix.kicad_pcb", options, Files(project));
}

std::string SharedBoard(const std::string& name)
{
    return std::string(QUILLON_SHARED_DIR) + "/boards/kicad/" + name + "/" + name + ".kicad_pcb";
}

std::string PcbnewProblem()
{
    const lqe2e::Result r = lqe2e::RunProcess({"/usr/bin/python3", "-c", "import pcbnew"});
    return r.exitCode == 0 ? "" : "/usr/bin/python3 cannot import pcbnew (KiCad 6, Debian package kicad): " + r.err;
}

std::map<std::string, std::string> LqhostPads(const lq::kicad::KicadBoard& board)
{
    const std::vector<std::vector<bool>> routed = lq::kicad::PadsOnCopper(board);
    std::map<std::string, std::string> pads;
    for (std::size_t f = 0; f < board.footprints.size(); ++f) {
        std::map<std::string, int> seen;
        for (std::size_t k = 0; k < board.footprints[f].pads.size(); ++k) {
            const lq::kicad::KicadPad& pad = board.footprints[f].pads[k];
            if (pad.number.empty() || pad.kind == lq::kicad::PadKind::NonPlated)
                continue;
            const int n = ++seen[pad.number];
            pads[board.footprints[f].ref + "." + pad.number + (n == 1 ? "" : fmt::format("#{}", n))] =
                fmt::format("{} {} {} {}", pad.net, routed[f][k] ? 1 : 0, pad.at.x, pad.at.y);
        }
    }
    return pads;
}

std::map<std::string, std::string> PcbnewPads(const std::string& board)
{
    const lqe2e::Result r = lqe2e::RunProcess({"/usr/bin/python3", std::string(QUILLON_TESTS_DIR) + "/app/kicad/pcbnew_pads.py", board});
    std::map<std::string, std::string> pads;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        pads[line.substr(0, tab)] = line.substr(tab + 1);
    }
    if (r.exitCode != 0)
        pads["(error)"] = r.err;
    return pads;
}

}  // namespace lqkicad
