#include "tests/support/RandomBoard.h"

#include <algorithm>
#include <climits>
#include <string>

#include "host/AttributeNames.h"

namespace lqtest {

RandomBoardShape RandomShape(std::mt19937& rng)
{
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    RandomBoardShape shape;
    const int size = uniform(0, 99);
    shape.nPackages = size < 75 ? uniform(1, 12) : size < 95 ? uniform(13, 60) : uniform(61, 300);
    shape.nValues = 1 + shape.nPackages / uniform(10, 100);
    shape.bNearLimits = uniform(0, 9) == 0;
    return shape;
}

std::vector<CLayoutPin*> GenerateBoard(std::mt19937& rng, BoardBuilder& b, const RandomBoardShape& shape)
{
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto chance = [&](int percent) { return uniform(0, 99) < percent; };
    auto value = [&](const char* stem) { return std::string(stem) + std::to_string(uniform(1, shape.nValues)); };
    std::vector<CLayoutPin*> all, signals, vccPins, gndPins;
    std::vector<int> signalPackage;
    auto add = [&](CLayoutComponent* part, CLQPoint at, Attrs attrs, const std::string& supply = "") {
        all.push_back(b.Pin(part, at, attrs));
        if (supply.empty()) {
            signals.push_back(all.back());
            signalPackage.push_back(0);
        } else {
            (supply == "VCC" ? vccPins : gndPins).push_back(all.back());
        }
    };
    int side = 1;
    while (side * side < shape.nPackages)
        ++side;
    for (int i = 0; i < shape.nPackages; ++i) {
        const std::string ref = "U" + std::to_string(i + 1);
        const CLQPoint at = shape.bNearLimits
                                ? CLQPoint(uniform(INT_MIN + 100, INT_MAX - 4000), uniform(INT_MIN + 100, INT_MAX - 4000))
                                : CLQPoint((i % side) * 1000 + uniform(0, 8) * 50, (i / side) * 1500 + uniform(0, 8) * 50);
        const std::size_t firstSignal = signals.size();
        const int drawn = uniform(0, 9);
        const int kind = shape.bQuadsOnly ? 0 : drawn;
        if (kind < 4) {
            // Quad gates A..D of two inputs and an output; supply pins 7 and 14 outside the gates.
            // Now and then a variant whose output shares the inputs' pin group or lacks one.
            const bool bOdd = chance(10);
            const int gateSwap = chance(60) || shape.bQuadsOnly ? 2 : uniform(0, 2);
            CLayoutComponent* part = b.Part(ref, gateSwap, chance(85), {{"Value", value("74HC")}});
            const int numbers[4][3] = {{1, 2, 3}, {4, 5, 6}, {9, 10, 8}, {12, 13, 11}};
            auto dip = [&](int n) {
                return n <= 7 ? CLQPoint(at.x, at.y + 100 * n) : CLQPoint(at.x + 300, at.y + 100 * (15 - n));
            };
            for (int g = 0; g < 4; ++g)
                for (int k = 0; k < 3; ++k) {
                    Attrs attrs{{LQ_PIN, std::to_string(numbers[g][k])}, {LQ_GATE, std::string(1, char('A' + g))},
                                {LQ_GATEGROUP, "NAND"}};
                    if (k < 2 || !bOdd || g != 3)
                        attrs.emplace_back(LQ_PINGROUP, k < 2 ? "1" : "2");
                    else if (chance(50))
                        attrs.emplace_back(LQ_PINGROUP, "1");
                    add(part, dip(numbers[g][k]), attrs);
                }
            add(part, dip(7), {{LQ_PIN, "7"}, {LQ_LABEL, "GND"}, {LQ_PINTYPE, "PWR"}}, "GND");
            add(part, dip(14), {{LQ_PIN, "14"}, {LQ_LABEL, "VCC"}, {LQ_PINTYPE, "PWR"}}, "VCC");
        } else if (kind < 7) {
            // A buffer that holds its supply pins, stored in random order, in a pin group of their
            // own, a shared one or none.
            CLayoutComponent* part = b.Part(ref, chance(60) ? 2 : uniform(0, 2), chance(85), {{"Value", value("BUF")}});
            const std::string vccGroup = std::vector<std::string>{"", "3", "P"}[uniform(0, 2)];
            const std::string gndGroup = vccGroup == "P" || chance(50) ? vccGroup : "";
            std::vector<Attrs> defs{{{LQ_PIN, "1"}, {LQ_LABEL, "IN"}, {LQ_PINGROUP, "1"}},
                                    {{LQ_PIN, "2"}, {LQ_LABEL, "OUT"}, {LQ_PINGROUP, "2"}},
                                    {{LQ_PIN, "5"}, {LQ_LABEL, "VCC"}, {LQ_PINGROUP, vccGroup}}};
            if (chance(60))
                defs.push_back({{LQ_PIN, "3"}, {LQ_LABEL, "GND"}, {LQ_PINGROUP, gndGroup}});
            std::shuffle(defs.begin(), defs.end(), rng);
            for (std::size_t k = 0; k < defs.size(); ++k) {
                Attrs attrs{{LQ_GATE, "A"}, {LQ_GATEGROUP, "BUF"}};
                for (const auto& [name, text] : defs[k])
                    if (!text.empty())
                        attrs.emplace_back(name, text);
                const std::string label = defs[k][1].second, supply = label == "VCC" || label == "GND" ? label : "";
                if (!supply.empty())
                    attrs.emplace_back(LQ_PINTYPE, chance(80) ? "PWR" : "pwr");
                add(part, {at.x + 100 * static_cast<int>(k), at.y}, attrs, supply);
            }
        } else {
            // Resistors (pseudo-gates only) and connectors kept out of gate swapping.
            const bool bResistor = kind < 9;
            CLayoutComponent* part =
                b.Part(ref, bResistor ? uniform(0, 2) : 0, true, {{"Value", bResistor ? value("R") : "HDR"}});
            for (int n = 1; n <= (bResistor ? 2 : 4); ++n)
                add(part, {at.x + 100 * n, at.y}, {{LQ_PIN, std::to_string(n)}, {LQ_PINGROUP, "1"}});
        }
        for (std::size_t s = firstSignal; s < signals.size(); ++s)
            signalPackage[s] = i;
    }
    // Half of the pins join a net of a nearby package, the others any net.
    std::vector<CLayoutNet*> nets;
    const int nNets = std::max(2, static_cast<int>(signals.size()) / 3);
    for (int i = 0; i < nNets; ++i)
        nets.push_back(b.Net("N" + std::to_string(i + 1)));
    for (std::size_t s = 0; s < signals.size(); ++s) {
        if (chance(15))
            continue;
        int n = uniform(0, nNets - 1);
        if (chance(50)) {
            const int home = signalPackage[s] * nNets / std::max(1, shape.nPackages);
            n = std::clamp(home + uniform(-side, side), 0, nNets - 1);
        }
        CLayoutNetlist::AttachPin(signals[s], nets[static_cast<std::size_t>(n)]);
    }
    // Mostly the supply a pin is named for, so that packages with supply pins in their gates stay
    // exchangeable; now and then another one or none.
    CLayoutNet *vcc = b.Net("VCC"), *gnd = b.Net("GND"), *vcc2 = b.Net("VCC2");
    for (CLayoutPin* pin : vccPins)
        if (!chance(10))
            CLayoutNetlist::AttachPin(pin, chance(85) ? vcc : vcc2);
    for (CLayoutPin* pin : gndPins)
        if (!chance(10))
            CLayoutNetlist::AttachPin(pin, chance(90) ? gnd : vcc2);
    for (CLayoutPin* pin : all)
        if (chance(8)) {
            const CLQPoint p = pin->GetLocation();
            b.Track(p, {p.x < INT_MAX - 40 ? p.x + 40 : p.x - 40, p.y});
        }
    return all;
}

}  // namespace lqtest
