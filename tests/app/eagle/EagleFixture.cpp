#include "tests/app/eagle/EagleFixture.h"

#include <fmt/core.h>

#include <map>
#include <sstream>
#include <stdexcept>

#include "app/formats/eagle/EagleValues.h"
#include "app/formats/eagle/EagleXml.h"

namespace lqeagle {

namespace {

const char* const kHead = R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE eagle SYSTEM "eagle.dtd">
<eagle version="9.6.2">
<drawing>
<layers>
<layer number="1" name="Top" color="4" fill="1" visible="yes" active="yes"/>
<layer number="16" name="Bottom" color="1" fill="1" visible="yes" active="yes"/>
</layers>
)";

// DIL14 pads 1-7 along the bottom from the left, 8-14 along the top from the right.
std::string Packages()
{
    std::string out = "<packages>\n<package name=\"DIL14\">\n";
    for (int pad = 1; pad <= 14; ++pad)
        out += fmt::format("<pad name=\"{}\" x=\"{}\" y=\"{}\" drill=\"0.8\" diameter=\"1.6\"/>\n", pad,
                           lq::eagle::FormatMillimetres(pad <= 7 ? -7.62 + 2.54 * (pad - 1) : 7.62 - 2.54 * (pad - 8)),
                           pad <= 7 ? "-3.81" : "3.81");
    return out + "</package>\n<package name=\"R0805\">\n<smd name=\"1\" x=\"-1\" y=\"0\" dx=\"1\" dy=\"1.2\" layer=\"1\"/>\n"
                 "<smd name=\"2\" x=\"1\" y=\"0\" dx=\"1\" dy=\"1.2\" layer=\"1\"/>\n</package>\n</packages>\n";
}

struct GatePin {
    std::string gate;
    std::string pin;
};

GatePin PinOfPad(const std::string& element, const std::string& pad)
{
    if (element == "R1")
        return {"G$1", pad};
    static const GatePin kDil[] = {{"A", "A"}, {"A", "B"}, {"A", "Y"}, {"B", "A"}, {"B", "B"}, {"B", "Y"}, {"P", "GND"},
                                   {"C", "Y"}, {"C", "A"}, {"C", "B"}, {"D", "Y"}, {"D", "A"}, {"D", "B"}, {"P", "VCC"}};
    return kDil[std::stoi(pad) - 1];
}

std::string DeviceSet(const std::string& name, const std::string& gates, const std::string& device, const std::string& package,
                      const std::string& connects)
{
    return fmt::format("<deviceset name=\"{}\">\n<gates>\n{}</gates>\n<devices>\n<device name=\"{}\" package=\"{}\">\n<connects>\n{}"
                       "</connects>\n<technologies>\n<technology name=\"\"/>\n</technologies>\n</device>\n</devices>\n</deviceset>\n",
                       name, gates, device, package, connects);
}

std::string SymbolsAndDevices()
{
    std::string dil;
    for (int pad = 1; pad <= 14; ++pad) {
        const GatePin gp = PinOfPad("IC1", std::to_string(pad));
        dil += fmt::format("<connect gate=\"{}\" pin=\"{}\" pad=\"{}\"/>\n", gp.gate, gp.pin, pad);
    }
    return R"(<symbols>
<symbol name="NAND">
<pin name="A" x="-7.62" y="2.54" direction="in" swaplevel="1"/>
<pin name="B" x="-7.62" y="-2.54" direction="in" swaplevel="1"/>
<pin name="Y" x="7.62" y="0" direction="out" rot="R180"/>
</symbol>
<symbol name="PWRN">
<pin name="GND" x="0" y="-7.62" direction="pwr" rot="R90"/>
<pin name="VCC" x="0" y="7.62" direction="pwr" rot="R270"/>
</symbol>
<symbol name="R">
<pin name="1" x="-5.08" y="0" direction="pas" swaplevel="1"/>
<pin name="2" x="5.08" y="0" direction="pas" swaplevel="1" rot="R180"/>
</symbol>
</symbols>
<devicesets>
)" + DeviceSet("7400", R"(<gate name="A" symbol="NAND" x="0" y="0" swaplevel="1"/>
<gate name="B" symbol="NAND" x="0" y="20" swaplevel="1"/>
<gate name="C" symbol="NAND" x="0" y="40" swaplevel="1"/>
<gate name="D" symbol="NAND" x="0" y="60" swaplevel="1"/>
<gate name="P" symbol="PWRN" x="20" y="0" addlevel="request"/>
)", "N", "DIL14", dil) +
           DeviceSet("R", "<gate name=\"G$1\" symbol=\"R\" x=\"0\" y=\"0\"/>\n", "", "R0805",
                     "<connect gate=\"G$1\" pin=\"1\" pad=\"1\"/>\n<connect gate=\"G$1\" pin=\"2\" pad=\"2\"/>\n") +
           "</devicesets>\n";
}

// Instances at R0, so a pin lies at the instance plus the symbol's offset.
const std::map<std::pair<std::string, std::string>, std::pair<double, double>> kInstances{
    {{"IC1", "A"}, {0, 0}}, {{"IC1", "B"}, {0, 25.4}}, {{"IC2", "A"}, {50.8, 0}}, {{"IC2", "B"}, {50.8, 25.4}},
    {{"R1", "G$1"}, {25.4, 50.8}}};

std::pair<double, double> PinOffset(const std::string& pin)
{
    static const std::map<std::string, std::pair<double, double>> kPins{
        {"A", {-7.62, 2.54}}, {"B", {-7.62, -2.54}}, {"Y", {7.62, 0}}, {"1", {-5.08, 0}}, {"2", {5.08, 0}}};
    return kPins.at(pin);
}

std::string Mm(double v) { return lq::eagle::FormatMillimetres(v); }

}  // namespace

SmallDesign MakeDesign(const std::vector<EagleSignal>& signals, const std::string& ic2Rotation)
{
    std::string board = kHead;
    board += "<board>\n<libraries>\n<library name=\"demo\">\n";
    board += Packages();
    board += "</library>\n</libraries>\n<elements>\n";
    board += "<element name=\"IC1\" library=\"demo\" package=\"DIL14\" value=\"7400N\" x=\"10\" y=\"10\"/>\n";
    board += fmt::format("<element name=\"IC2\" library=\"demo\" package=\"DIL14\" value=\"7400N\" x=\"40\" y=\"10\" rot=\"{}\"/>\n",
                         ic2Rotation);
    board += "<element name=\"R1\" library=\"demo\" package=\"R0805\" value=\"10k\" x=\"25\" y=\"30\"/>\n";
    board += "</elements>\n<signals>\n";
    std::string nets;
    for (const EagleSignal& s : signals) {
        board += fmt::format("<signal name=\"{}\">\n", s.name);
        nets += fmt::format("<net name=\"{}\" class=\"0\">\n<segment>\n", s.name);
        for (const Contact& c : s.contacts) {
            board += fmt::format("<contactref element=\"{}\" pad=\"{}\"/>\n", c.element, c.pad);
            const GatePin gp = PinOfPad(c.element, c.pad);
            const auto instance = kInstances.find({c.element, gp.gate});
            if (instance == kInstances.end())
                continue;
            const auto [dx, dy] = PinOffset(gp.pin);
            const double x = instance->second.first + dx, y = instance->second.second + dy;
            nets += fmt::format("<pinref part=\"{}\" gate=\"{}\" pin=\"{}\"/>\n", c.element, gp.gate, gp.pin);
            nets += fmt::format("<wire x1=\"{}\" y1=\"{}\" x2=\"{}\" y2=\"{}\" width=\"0.1524\" layer=\"91\"/>\n", Mm(x), Mm(y),
                                Mm(x), Mm(y + 2.54));
        }
        board += s.copper;
        board += "</signal>\n";
        nets += "</segment>\n</net>\n";
    }
    board += "</signals>\n</board>\n</drawing>\n</eagle>\n";

    std::string sch = kHead;
    sch += "<schematic>\n<libraries>\n<library name=\"demo\">\n";
    sch += Packages();
    sch += SymbolsAndDevices();
    sch += "</library>\n</libraries>\n<parts>\n";
    sch += "<part name=\"IC1\" library=\"demo\" deviceset=\"7400\" device=\"N\" value=\"7400N\"/>\n";
    sch += "<part name=\"IC2\" library=\"demo\" deviceset=\"7400\" device=\"N\" value=\"7400N\"/>\n";
    sch += "<part name=\"R1\" library=\"demo\" deviceset=\"R\" device=\"\" value=\"10k\"/>\n";
    sch += "</parts>\n<sheets>\n<sheet>\n<instances>\n";
    for (const auto& [key, at] : kInstances)
        sch += fmt::format("<instance part=\"{}\" gate=\"{}\" x=\"{}\" y=\"{}\"/>\n", key.first, key.second, Mm(at.first),
                           Mm(at.second));
    sch += "</instances>\n<nets>\n" + nets + "</nets>\n</sheet>\n</sheets>\n</schematic>\n</drawing>\n</eagle>\n";
    return SmallDesign{board, sch};
}

std::vector<EagleSignal> TypicalSignals()
{
    return {{"N1", {{"IC1", "1"}, {"R1", "1"}}, ""},
            {"N2", {{"IC1", "2"}, {"R1", "2"}}, ""},
            {"OUT", {{"IC1", "3"}, {"IC2", "4"}}, ""},
            {"VCC", {{"IC1", "14"}, {"IC2", "14"}}, ""}};
}

lq::eagle::EagleImport Import(const SmallDesign& design, bool unrouted)
{
    return lq::eagle::ImportEagle(std::make_unique<lq::eagle::XmlFile>(design.board, "board.brd"),
                                  std::make_unique<lq::eagle::XmlFile>(design.schematic, "board.sch"), unrouted);
}

lq::eagle::EagleImport ImportBoardOnly(const std::string& board)
{
    return lq::eagle::ImportEagle(std::make_unique<lq::eagle::XmlFile>(board, "board.brd"), nullptr, false);
}

std::string Replace(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at == std::string::npos || text.find(from, at + 1) != std::string::npos)
        throw std::logic_error("Replace: \"" + from + "\" does not occur exactly once");
    return text.substr(0, at) + to + text.substr(at + from.size());
}

std::vector<std::string> LineDiff(const std::string& a, const std::string& b)
{
    auto lines = [](const std::string& s) {
        std::vector<std::string> out;
        std::istringstream in(s);
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    };
    const std::vector<std::string> x = lines(a), y = lines(b);
    std::vector<std::vector<int>> lcs(x.size() + 1, std::vector<int>(y.size() + 1, 0));
    for (std::size_t i = x.size(); i-- > 0;)
        for (std::size_t j = y.size(); j-- > 0;)
            lcs[i][j] = x[i] == y[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    std::vector<std::string> diff;
    std::size_t i = 0, j = 0;
    while (i < x.size() || j < y.size()) {
        if (i < x.size() && j < y.size() && x[i] == y[j])
            ++i, ++j;
        else if (i < x.size() && (j == y.size() || lcs[i + 1][j] >= lcs[i][j + 1]))
            diff.push_back("-" + x[i++]);
        else
            diff.push_back("+" + y[j++]);
    }
    return diff;
}

lq::Board WithMoves(lq::Board board, const std::vector<Move>& moves)
{
    for (const Move& m : moves) {
        const lq::PinRef ref{m.part, m.pin};
        for (lq::Net& net : board.nets)
            std::erase(net.pins, ref);
        for (lq::Net& net : board.nets)
            if (net.name == m.net)
                net.pins.push_back(ref);
    }
    return board;
}

std::vector<Move> Exchange(const std::string& a, const std::vector<std::string>& pa, const std::string& b,
                           const std::vector<std::string>& pb, const lq::Board& board)
{
    std::map<std::pair<std::string, std::string>, std::string> net;
    for (const lq::Net& n : board.nets)
        for (const lq::PinRef& p : n.pins)
            net[{p.part, p.pin}] = n.name;
    std::vector<Move> moves;
    for (std::size_t k = 0; k < pa.size(); ++k) {
        moves.push_back({a, pa[k], net[{b, pb[k]}]});
        moves.push_back({b, pb[k], net[{a, pa[k]}]});
    }
    return moves;
}

}  // namespace lqeagle
