// reader_bench: the board readers on the largest files their limits allow, and on hostile ones.
//
//   reader_bench json FILE          writes the largest legal board JSON (just under 64 MiB)
//   reader_bench eagle FILE.brd     writes the largest legal Eagle board (just under 64 MiB)
//   reader_bench kicad FILE.kicad_pcb [MB]  writes a routed KiCad 6 board of MB megabytes (default 50)
//   reader_bench play FILE.play     writes the largest legal play script (just under 16 MiB)
//   reader_bench hostile KIND FILE  writes a hostile file: empty-objects, list-items, nets, dense-eagle
//   reader_bench read FILE          reads FILE as lqhost does (a .play script is parsed, its
//                                   boards not opened) and prints its size, the time and the peak
//                                   resident memory of this process
//
// Run each read in a process of its own (bench/readers.sh does), so that the peak is the reader's.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <fmt/core.h>

#include "app/core/Errors.h"
#include "app/formats/BoardFiles.h"
#include "app/formats/BoardJson.h"
#include "app/play/PlayParser.h"

namespace {

constexpr std::size_t kTarget = (64u << 20) - (64u << 10);  // under the 64 MiB limit, with room

double PeakMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Processor time of this process: steadier than the clock on a shared machine.
double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

void Save(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
    fmt::print("{}: {} bytes\n", path, text.size());
}

lq::Board Parts(std::size_t count)
{
    lq::Board board;
    for (std::size_t i = 0; i < count; ++i) {
        lq::Part part;
        part.ref = fmt::format("U{}", i);
        part.at = lq::Point{static_cast<std::int32_t>(i % 1000) * 100000, static_cast<std::int32_t>(i / 1000) * 100000};
        part.outline = lq::Rect{-40000, -40000, 40000, 40000};
        part.attributes = {{"LQ_GATESWAP", "1"}};
        for (int k = 0; k < 10; ++k)
            part.pins.push_back(lq::Pin{lq::Point{(k % 5) * 10000, (k / 5) * 10000}, lq::Rect{-3000, -3000, 3000, 3000},
                                        lq::kAllCopperLayers,
                                        {{"LQ_PIN", std::to_string(k + 1)}, {"LQ_GATE", k < 5 ? "A" : "B"}, {"LQ_GATEGROUP", "G"},
                                         {"LQ_PINGROUP", k % 5 == 4 ? "OUT" : "IN"}}});
        board.parts.push_back(std::move(part));
    }
    // Every pin on a net of two: pin k of part i with pin k of part i + 1, for even i.
    for (std::size_t i = 0; i + 1 < count; i += 2)
        for (int k = 1; k <= 10; ++k)
            board.nets.push_back(lq::Net{fmt::format("N{}_{}", i, k), {{fmt::format("U{}", i), std::to_string(k)},
                                                                       {fmt::format("U{}", i + 1), std::to_string(k)}}});
    return board;
}

// As many parts of ten pins as fit, then tracks to the size limit.
std::string LargestJson()
{
    const std::size_t perPart = lq::WriteBoardJson(Parts(2000)).size() / 2000 + 1;
    lq::Board board = Parts((kTarget - (1u << 20)) / perPart);
    const std::size_t perTrack = 96;
    const std::size_t tracks = (kTarget - lq::WriteBoardJson(board).size()) / perTrack;
    for (std::size_t t = 0; t < tracks; ++t)
        board.tracks.push_back(lq::Track{"", 1, 150000, lq::Point{static_cast<std::int32_t>(t % 100000) * 1000, -5000000},
                                         lq::Point{static_cast<std::int32_t>(t % 100000) * 1000, -6000000}});
    return lq::WriteBoardJson(board);
}

// An Eagle board of resistors in pairs on signals, its signals filled with wires to the limit.
std::string LargestEagle()
{
    std::string head = R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE eagle SYSTEM "eagle.dtd">
<eagle version="9.6.2">
<drawing>
<layers>
<layer number="1" name="Top" color="4" fill="1" visible="yes" active="yes"/>
<layer number="16" name="Bottom" color="1" fill="1" visible="yes" active="yes"/>
</layers>
<board>
<libraries>
<library name="demo">
<packages>
<package name="R0805">
<smd name="1" x="-1" y="0" dx="1" dy="1.2" layer="1"/>
<smd name="2" x="1" y="0" dx="1" dy="1.2" layer="1"/>
</package>
</packages>
</library>
</libraries>
<elements>
)";
    constexpr int kElements = 100000;
    std::string out = head;
    for (int i = 0; i < kElements; ++i)
        out += fmt::format("<element name=\"R{}\" library=\"demo\" package=\"R0805\" value=\"10k\" x=\"{}\" y=\"{}\"/>\n", i,
                           (i % 400) * 5, (i / 400) * 5);
    out += "</elements>\n<signals>\n";
    const std::string tail = "</signals>\n</board>\n</drawing>\n</eagle>\n";
    const std::size_t signals = kElements / 2;
    const std::size_t contacts = 200;  // the bytes of a signal's head and contacts, about
    const std::size_t wireBytes = 84;
    const std::size_t wiresPerSignal = (kTarget - out.size() - tail.size() - signals * contacts) / signals / wireBytes;
    for (std::size_t s = 0; s < signals; ++s) {
        const std::size_t a = 2 * s, b = 2 * s + 1;
        out += fmt::format("<signal name=\"S{}\">\n<contactref element=\"R{}\" pad=\"2\"/>\n<contactref element=\"R{}\" pad=\"1\"/>\n",
                           s, a, b);
        const double x = static_cast<double>(a % 400) * 5 + 1, y = static_cast<double>(a / 400) * 5;
        for (std::size_t w = 0; w < wiresPerSignal; ++w)
            out += fmt::format("<wire x1=\"{:.4f}\" y1=\"{:.4f}\" x2=\"{:.4f}\" y2=\"{:.4f}\" width=\"0.1524\" layer=\"1\"/>\n",
                               x + 0.001 * static_cast<double>(w), y, x + 0.001 * static_cast<double>(w + 1), y);
        out += "</signal>\n";
    }
    return out + tail;
}

// A routed KiCad 6 board: DIP-14 footprints in a grid, each pad on a net with the same pad of the
// next footprint, a track from every pad, a ground zone with a filled area, and tracks on to the size.
std::string KicadBoard(std::size_t megabytes)
{
    const std::size_t target = megabytes * 1000000;
    const int footprints = static_cast<int>(std::max<std::size_t>(1, target / 20000) * 2);
    std::string out = "(kicad_pcb (version 20211014) (generator pcbnew)\n\n  (layers\n    (0 \"F.Cu\" signal)\n    (31 \"B.Cu\" signal)\n  )\n\n";
    out += "  (net 0 \"\")\n  (net 1 \"GND\")\n";
    auto netCode = [](int f, int k) { return 2 + (f / 2) * 14 + (k - 1); };
    for (int f = 0; f < footprints; f += 2)
        for (int k = 1; k <= 14; ++k)
            out += fmt::format("  (net {} \"N{}_{}\")\n", netCode(f, k), f, k);
    auto at = [](int f) { return std::pair<double, double>{10.0 + (f % 100) * 20.0, 10.0 + (f / 100) * 25.0}; };
    for (int f = 0; f < footprints; ++f) {
        const auto [x, y] = at(f);
        out += fmt::format("  (footprint \"Package_DIP:DIP-14_W7.62mm\" (layer \"F.Cu\")\n    (tedit 5A02E8C5) (tstamp 00000000-0000-0000-0000-{:012d})\n"
                           "    (at {} {})\n    (path \"/00000000-0000-0000-0000-{:012d}\")\n    (attr through_hole)\n"
                           "    (fp_text reference \"U{}\" (at 3.81 -2.33) (layer \"F.SilkS\")\n      (effects (font (size 1 1) (thickness 0.15)))\n    )\n"
                           "    (fp_text value \"74HC00\" (at 3.81 17.57) (layer \"F.Fab\")\n      (effects (font (size 1 1) (thickness 0.15)))\n    )\n",
                           f, x, y, f, f);
        for (int k = 1; k <= 14; ++k) {
            const double px = k <= 7 ? 0 : 7.62, py = 2.54 * (k <= 7 ? k - 1 : 14 - k);
            const int net = k == 7 ? 1 : netCode(f, k);
            out += fmt::format("    (pad \"{}\" thru_hole oval (at {} {}) (size 2.4 1.6) (drill 0.8) (layers *.Cu *.Mask)\n"
                               "      (net {} \"{}\") (pintype \"input\") (tstamp 00000000-0000-0000-0001-{:012d}))\n",
                               k, px, py, net, k == 7 ? "GND" : fmt::format("N{}_{}", f - f % 2, k), f * 14 + k);
        }
        out += "  )\n\n";
    }
    // A track from every pad; GND as a filled zone over the whole board.
    for (int f = 0; f < footprints; ++f) {
        const auto [x, y] = at(f);
        for (int k = 1; k <= 14; ++k) {
            const double px = x + (k <= 7 ? 0 : 7.62), py = y + 2.54 * (k <= 7 ? k - 1 : 14 - k);
            out += fmt::format("  (segment (start {} {}) (end {} {}) (width 0.25) (layer \"F.Cu\") (net {}) (tstamp 00000000-0000-0000-0002-{:012d}))\n",
                               px, py, px + 1.5, py + 0.5, k == 7 ? 1 : netCode(f, k), f * 14 + k);
        }
    }
    out += "  (zone (net 1) (net_name \"GND\") (layer \"B.Cu\") (tstamp 00000000-0000-0000-0003-000000000000) (hatch edge 0.508)\n"
           "    (connect_pads (clearance 0.508))\n    (min_thickness 0.254) (filled_areas_thickness no)\n"
           "    (fill yes (thermal_gap 0.508) (thermal_bridge_width 0.508))\n"
           "    (polygon\n      (pts\n        (xy 0 0) (xy 900 0) (xy 900 900) (xy 0 900)\n      )\n    )\n"
           "    (filled_polygon\n      (layer \"B.Cu\")\n      (pts\n";
    for (int v = 0; v < 20000; ++v)
        out += fmt::format("        (xy {:.6f} {:.6f})\n", 450 + 440 * std::cos(v * 2 * M_PI / 20000), 450 + 440 * std::sin(v * 2 * M_PI / 20000));
    out += "      )\n    )\n  )\n";
    for (std::size_t s = 0; out.size() + 200 < target; ++s) {
        const int f = static_cast<int>(s % static_cast<std::size_t>(footprints)), k = 1 + static_cast<int>(s / footprints % 14);
        const auto [x, y] = at(f);
        out += fmt::format("  (segment (start {:.4f} {:.4f}) (end {:.4f} {:.4f}) (width 0.25) (layer \"B.Cu\") (net {}) (tstamp 00000000-0000-0000-0004-{:012d}))\n",
                           x + 3, y + 0.01 * static_cast<double>(s % 1000), x + 4, y + 0.01 * static_cast<double>(s % 1000),
                           k == 7 ? 1 : netCode(f, k), s);
    }
    return out + ")\n";
}

// Every kind of line, over and over, to the 16 MiB a script may have.
std::string LargestPlay()
{
    const std::string lines = "open board.qbrd.json\ntool 0x703E8\nclick U1.3\nclick 12.7mm -3.81mm\n"
                              "expect net U1.3 \"N 5\"  # a comment\nselect U1 U2\nmove 2.54mm 0\n"
                              "expect record 1 pin undo 0x10 U1 3 U1 4\n";
    std::string out;
    while (out.size() + lines.size() < (16u << 20) - 1024)
        out += lines;
    return out;
}

std::string Hostile(const std::string& kind)
{
    std::string out;
    if (kind == "empty-objects") {  // 200000 empty objects in an unknown field
        out = R"({"format": "quillon-board", "version": 1, "extra": [)";
        for (int i = 0; i < 200000; ++i)
            out += i == 0 ? "{}" : ",{}";
        return out + R"(], "parts": [], "nets": []})";
    }
    if (kind == "list-items") {  // [] items up to the size limit
        out = R"({"format": "quillon-board", "version": 1, "parts": [[])";
        while (out.size() < kTarget)
            out += ",[]";
        return out + "]}";
    }
    if (kind == "nets") {  // one net more than the limit allows
        out = R"({"format": "quillon-board", "version": 1, "parts": [], "nets": [)";
        for (std::size_t i = 0; i <= lq::BoardLimits::kNets; ++i)
            out += fmt::format("{}{{\"name\": \"N{}\", \"pins\": []}}", i == 0 ? "" : ",", i);
        return out + "]}";
    }
    out = "<eagle>\n";  // dense-eagle: tiny elements up to the size limit
    while (out.size() < kTarget)
        out += "<a/>\n";
    return out + "</eagle>\n";
}

int Read(const std::string& path)
{
    const double before = PeakMiB();
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::string outcome = "read";
    std::size_t pins = 0;
    const char* counted = "pins";
    try {
        if (path.ends_with(".play")) {
            pins = lq::play::ReadPlayScript(path).steps.size();
            counted = "lines";
        } else {
            const lq::LoadedBoard loaded = lq::LoadBoard(path, {});
            for (const lq::Part& part : loaded.board.parts)
                pins += part.pins.size();
        }
    } catch (const lq::JobError& e) {
        outcome = fmt::format("refused: {}", std::string(e.what()).substr(0, 160));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto bytes = static_cast<double>(in.tellg());
    fmt::print("{}: {:.1f} MiB, {:.2f} s ({:.2f} s of processor time), peak RSS {:.0f} MiB ({:.1f} x the file; {:.0f} MiB before reading), {} {}; {}\n", path,
               bytes / 1048576.0, seconds, CpuSeconds() - cpu, PeakMiB(), PeakMiB() * 1048576.0 / bytes, before, pins, counted, outcome);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "json" && argc == 3)
        Save(argv[2], LargestJson());
    else if (mode == "eagle" && argc == 3)
        Save(argv[2], LargestEagle());
    else if (mode == "kicad" && (argc == 3 || argc == 4))
        Save(argv[2], KicadBoard(argc == 4 ? std::stoul(argv[3]) : 50));
    else if (mode == "play" && argc == 3)
        Save(argv[2], LargestPlay());
    else if (mode == "hostile" && argc == 4)
        Save(argv[3], Hostile(argv[2]));
    else if (mode == "read" && argc == 3)
        return Read(argv[2]);
    else {
        std::fprintf(stderr, "usage: reader_bench json FILE | eagle FILE.brd | kicad FILE.kicad_pcb [MB] | play FILE.play | hostile KIND FILE | read FILE\n");
        return 2;
    }
    return 0;
}
