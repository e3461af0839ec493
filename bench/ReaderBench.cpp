// reader_bench: the board readers on the largest files their limits allow, and on hostile ones.
//
//   reader_bench json FILE          writes the largest legal board JSON (just under 64 MiB)
//   reader_bench eagle FILE.brd     writes the largest legal Eagle board (just under 64 MiB)
//   reader_bench hostile KIND FILE  writes a hostile file: empty-objects, list-items, nets, dense-eagle
//   reader_bench read FILE          reads FILE as lqhost does and prints its size, the time and
//                                   the peak resident memory of this process
//
// Run each read in a process of its own (bench/readers.sh does), so that the peak is the reader's.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <fmt/core.h>

#include "app/core/Errors.h"
#include "app/formats/BoardFiles.h"
#include "app/formats/BoardJson.h"

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
    try {
        const lq::LoadedBoard loaded = lq::LoadBoard(path, {});
        for (const lq::Part& part : loaded.board.parts)
            pins += part.pins.size();
    } catch (const lq::JobError& e) {
        outcome = fmt::format("refused: {}", std::string(e.what()).substr(0, 160));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto bytes = static_cast<double>(in.tellg());
    fmt::print("{}: {:.1f} MiB, {:.2f} s ({:.2f} s of processor time), peak RSS {:.0f} MiB ({:.1f} x the file; {:.0f} MiB before reading), {} pins; {}\n", path,
               bytes / 1048576.0, seconds, CpuSeconds() - cpu, PeakMiB(), PeakMiB() * 1048576.0 / bytes, before, pins, outcome);
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
    else if (mode == "hostile" && argc == 4)
        Save(argv[3], Hostile(argv[2]));
    else if (mode == "read" && argc == 3)
        return Read(argv[2]);
    else {
        std::fprintf(stderr, "usage: reader_bench json FILE | eagle FILE.brd | hostile KIND FILE | read FILE\n");
        return 2;
    }
    return 0;
}
