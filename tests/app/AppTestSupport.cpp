#include "tests/app/AppTestSupport.h"

namespace lqapptest {

using namespace lq;

Part MakePart(const std::string& ref, Point at, const std::vector<Point>& pins, const Attributes& pinAttributes)
{
    Part part;
    part.ref = ref;
    part.at = at;
    part.outline = Rect{-1000, -1000, 1000, 1000};
    for (std::size_t i = 0; i < pins.size(); ++i) {
        Pin pin;
        pin.at = pins[i];
        pin.pad = Rect{-100, -100, 100, 100};
        pin.attributes.push_back(Attribute{"LQ_PIN", std::to_string(i + 1)});
        for (const Attribute& a : pinAttributes)
            pin.attributes.push_back(a);
        part.pins.push_back(pin);
    }
    return part;
}

Board SmallBoard()
{
    constexpr int kMm = 1000000;
    Board board;
    board.sheet.zoom = 20000;
    auto gatePin = [](const std::string& gate, const std::string& group) {
        return Attributes{{"LQ_GATE", gate}, {"LQ_GATEGROUP", "NAND"}, {"LQ_PINGROUP", group}};
    };
    for (const char* ref : {"U1", "U2"}) {
        const int x = ref[1] == '1' ? 0 : 100 * kMm;
        Part u = MakePart(ref, Point{x, 0}, {{-3 * kMm, -2 * kMm}, {-1 * kMm, -2 * kMm}, {1 * kMm, -2 * kMm},
                                             {-3 * kMm, 2 * kMm}, {-1 * kMm, 2 * kMm}, {1 * kMm, 2 * kMm}, {3 * kMm, -2 * kMm}});
        u.attributes = {{"LQ_GATESWAP", "2"}, {"VALUE", "7400"}};
        const char* gates[] = {"A", "A", "A", "B", "B", "B"};
        const char* groups[] = {"IN", "IN", "OUT", "IN", "IN", "OUT"};
        for (int i = 0; i < 6; ++i)
            for (const Attribute& a : gatePin(gates[i], groups[i]))
                u.pins[static_cast<std::size_t>(i)].attributes.push_back(a);
        u.pins[6].attributes.push_back(Attribute{"LQ_PINTYPE", "PWR"});
        board.parts.push_back(u);
    }
    Part r = MakePart("R1", Point{50 * kMm, -20 * kMm}, {{-5 * kMm, 0}, {5 * kMm, 0}},
                      {{"LQ_GATE", "R"}, {"LQ_GATEGROUP", "RES"}, {"LQ_PINGROUP", "1"}});
    r.attributes = {{"LQ_GATESWAP", "1"}};
    board.parts.push_back(r);
    Part j1 = MakePart("J1", Point{-50 * kMm, 0}, {{0, 5 * kMm}, {0, 0}, {0, -5 * kMm}, {0, -10 * kMm}});
    j1.attributes = {{"LQ_GATESWAP", "0"}};
    j1.pinSwap = false;
    Part j2 = MakePart("J2", Point{150 * kMm, 0}, {{0, 5 * kMm}, {0, 0}, {0, -5 * kMm}, {0, -10 * kMm}});
    j2.attributes = j1.attributes;
    j2.pinSwap = false;
    board.parts.push_back(j1);
    board.parts.push_back(j2);

    // U1's gate A serves the right-hand connector and U2's the left-hand one.
    board.nets = {Net{"A1", {{"J2", "1"}, {"U1", "1"}}}, Net{"A2", {{"J2", "2"}, {"U1", "2"}}},
                  Net{"AY", {{"J2", "3"}, {"U1", "3"}}}, Net{"B1", {{"J1", "1"}, {"U2", "1"}}},
                  Net{"B2", {{"J1", "2"}, {"U2", "2"}}}, Net{"BY", {{"J1", "3"}, {"U2", "3"}}},
                  Net{"RL", {{"R1", "2"}, {"J1", "4"}}}, Net{"RR", {{"R1", "1"}, {"J2", "4"}}},
                  Net{"GND", {{"U1", "7"}, {"U2", "7"}}}};
    board.tracks = {Track{"GND", 1, 200000, Point{3 * kMm, -2 * kMm}, Point{3 * kMm, -6 * kMm}}};
    board.vias = {Via{"GND", Point{3 * kMm, -6 * kMm}, 600000}};
    board.polygons = {Polygon{"", 2, {{0, -40 * kMm}, {10 * kMm, -40 * kMm}, {10 * kMm, -30 * kMm}}}};
    return board;
}

}  // namespace lqapptest
