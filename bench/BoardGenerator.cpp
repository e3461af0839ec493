#include "bench/BoardGenerator.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/Net.h"

namespace lqbench {
namespace {

// Avoids GCC 12's false -Wrestrict on literal + std::string.
std::string Name(const char* pszPrefix, std::size_t n) { return std::string(pszPrefix).append(std::to_string(n)); }

constexpr std::int32_t kHalfPad = 400000;
// Room for a DIP-14 and its neighbours' routing.
constexpr std::int32_t kPackagePitch = 10 * kPinPitch;

// mt19937's output is fixed by the standard, unlike the library's distributions.
int Draw(std::mt19937& rng, int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); }

CLayoutComponent* AddPart(CLayoutSubSheet* pSheet, const std::string& refDes, const CLQRect& outline, int nGateSwap)
{
    auto* pPart = pSheet->GetDrawingStore()->Add(std::make_unique<CLayoutComponent>(outline));
    pPart->AddAttribute(LQ_REFDES, refDes.c_str());
    pPart->AddAttribute(LQ_GATESWAP, std::to_string(nGateSwap).c_str());
    pPart->SetAllowPinSwapping(true);
    return pPart;
}

struct PinAttrs {
    const char* pszPin;
    const char* pszLabel;
    const char* pszGate;      // null for none
    const char* pszPinGroup;  // null for none
    const char* pszType;      // null for none
};

CLayoutPin* AddPin(CLayoutSubSheet* pSheet, CLayoutComponent* pPart, CLQPoint at, const PinAttrs& a)
{
    const CLQRect pad(at.x - kHalfPad, at.y - kHalfPad, at.x + kHalfPad, at.y + kHalfPad);
    auto* pPin = pSheet->GetDrawingStore()->Add(std::make_unique<CLayoutPin>(at, pad));
    pPin->AddAttribute(LQ_PIN, a.pszPin);
    pPin->AddAttribute(LQ_LABEL, a.pszLabel);
    if (a.pszGate != nullptr) {
        pPin->AddAttribute(LQ_GATE, a.pszGate);
        pPin->AddAttribute(LQ_GATEGROUP, "NAND2");
    }
    if (a.pszPinGroup != nullptr)
        pPin->AddAttribute(LQ_PINGROUP, a.pszPinGroup);
    if (a.pszType != nullptr)
        pPin->AddAttribute(LQ_PINTYPE, a.pszType);
    pPart->AddChild(pPin);
    return pPin;
}

// The 7400 pinout, pins 1 to 14.
const PinAttrs kQuadGatePins[14] = {
    {"1", "1A", "A", "1", nullptr},  {"2", "1B", "A", "1", nullptr},     {"3", "1Y", "A", "2", nullptr},
    {"4", "2A", "B", "1", nullptr},  {"5", "2B", "B", "1", nullptr},     {"6", "2Y", "B", "2", nullptr},
    {"7", "GND", nullptr, nullptr, "PWR"},                                {"8", "3Y", "C", "2", nullptr},
    {"9", "3A", "C", "1", nullptr},  {"10", "3B", "C", "1", nullptr},    {"11", "4Y", "D", "2", nullptr},
    {"12", "4A", "D", "1", nullptr}, {"13", "4B", "D", "1", nullptr},    {"14", "VCC", nullptr, nullptr, "PWR"},
};

bool IsOutput(int nIndex) { return nIndex == 2 || nIndex == 5 || nIndex == 7 || nIndex == 10; }
}  // namespace

std::unique_ptr<CLayoutSubSheet> MakeQuadGateBoard(int nPackages, std::uint32_t nSeed, int nReach)
{
    auto pSheet = std::make_unique<CLayoutSubSheet>();
    std::mt19937 rng(nSeed);
    int nColumns = 1;
    while (nColumns * nColumns < nPackages)
        ++nColumns;

    std::vector<CLayoutPin*> outputs, inputs, grounds, supplies;
    for (int p = 0; p < nPackages; ++p) {
        const std::int32_t x0 = (p % nColumns) * kPackagePitch;
        const std::int32_t y0 = (p / nColumns) * kPackagePitch;
        const CLQRect outline(x0 - kPinPitch, y0 - kPinPitch, x0 + 4 * kPinPitch, y0 + 7 * kPinPitch);
        CLayoutComponent* pPart = AddPart(pSheet.get(), Name("U", static_cast<std::size_t>(p) + 1), outline, 2);
        pPart->AddAttribute("PACKAGE", "DIP14");
        pPart->AddAttribute("VALUE", "74HC00");
        for (int i = 0; i < 14; ++i) {
            // Pins 1-7 down the left side, 8-14 up the right side, 300 mil apart.
            const CLQPoint at = i < 7 ? CLQPoint(x0, y0 + i * kPinPitch) : CLQPoint(x0 + 3 * kPinPitch, y0 + (13 - i) * kPinPitch);
            CLayoutPin* pPin = AddPin(pSheet.get(), pPart, at, kQuadGatePins[i]);
            if (i == 6)
                grounds.push_back(pPin);
            else if (i == 13)
                supplies.push_back(pPin);
            else if (IsOutput(i))
                outputs.push_back(pPin);
            else
                inputs.push_back(pPin);
        }
    }

    // Each input listens to an output of another package; 4 outputs per package come first.
    std::vector<std::vector<CLayoutPin*>> fanout(outputs.size());
    if (nPackages > 1) {
        const int nOthers = static_cast<int>(outputs.size()) - 4;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const int nOwn = static_cast<int>(i / 8);
            int o = 0;
            if (nReach > 0) {
                // A package near this one; the draws repeat until one is on the board.
                int p = nOwn;
                while (p == nOwn || p < 0 || p >= nPackages) {
                    const int x = nOwn % nColumns + Draw(rng, 2 * nReach + 1) - nReach;
                    const int y = nOwn / nColumns + Draw(rng, 2 * nReach + 1) - nReach;
                    p = x < 0 || x >= nColumns ? -1 : y * nColumns + x;
                }
                o = p * 4 + Draw(rng, 4);
            } else {
                o = Draw(rng, nOthers);
                if (o >= nOwn * 4)
                    o += 4;
            }
            fanout[static_cast<std::size_t>(o)].push_back(inputs[i]);
        }
    }
    CLayoutNetlist* pNetlist = pSheet->GetNetlist();
    for (std::size_t o = 0; o < outputs.size(); ++o) {
        if (fanout[o].empty())
            continue;
        CLayoutNet* pNet = pNetlist->AddNet(Name("N", o + 1).c_str());
        CLayoutNetlist::AttachPin(outputs[o], pNet);
        for (CLayoutPin* pPin : fanout[o])
            CLayoutNetlist::AttachPin(pPin, pNet);
    }
    CLayoutNet* pGnd = pNetlist->AddNet("GND");
    for (CLayoutPin* pPin : grounds)
        CLayoutNetlist::AttachPin(pPin, pGnd);
    CLayoutNet* pVcc = pNetlist->AddNet("VCC");
    for (CLayoutPin* pPin : supplies)
        CLayoutNetlist::AttachPin(pPin, pVcc);
    return pSheet;
}

std::unique_ptr<CLayoutSubSheet> MakeConnectorBoard(int nPins, std::uint32_t nSeed)
{
    auto pSheet = std::make_unique<CLayoutSubSheet>();
    std::mt19937 rng(nSeed);
    constexpr std::int32_t kWidth = 200000000, kHeight = 150000000;
    const CLQPoint origin(kWidth / 2, 5 * kPinPitch);
    const CLQRect outline(origin.x - kPinPitch, origin.y - kPinPitch, origin.x + nPins * kPinPitch, origin.y + kPinPitch);
    CLayoutComponent* pConnector = AddPart(pSheet.get(), "J1", outline, 1);
    int nPart = 0;
    for (int i = 0; i < nPins; ++i) {
        const std::string number = std::to_string(i + 1);
        const std::string label = Name("IO", static_cast<std::size_t>(i) + 1);
        CLayoutPin* pPin = AddPin(pSheet.get(), pConnector, CLQPoint(origin.x + i * kPinPitch, origin.y),
                                  PinAttrs{number.c_str(), label.c_str(), "J", "1", nullptr});
        CLayoutNet* pNet = pSheet->GetNetlist()->AddNet(Name("S", static_cast<std::size_t>(i) + 1).c_str());
        CLayoutNetlist::AttachPin(pPin, pNet);
        const int nFar = 1 + Draw(rng, 3);
        for (int k = 0; k < nFar; ++k) {
            const CLQPoint at(Draw(rng, kWidth), 20 * kPinPitch + Draw(rng, kHeight - 20 * kPinPitch));
            const CLQRect small(at.x - kPinPitch, at.y - kPinPitch, at.x + kPinPitch, at.y + kPinPitch);
            CLayoutComponent* pPart = AddPart(pSheet.get(), Name("TP", static_cast<std::size_t>(++nPart)), small, 0);
            CLayoutNetlist::AttachPin(AddPin(pSheet.get(), pPart, at, PinAttrs{"1", "1", nullptr, nullptr, nullptr}), pNet);
        }
    }
    return pSheet;
}

BoardFigures MeasureBoard(const CLayoutSubSheet* pSheet)
{
    BoardFigures figures;
    std::vector<CDrawObject*> objects;
    pSheet->GetDrawingStore()->GetObjectList(objects, 0x1FF, 0, 0);
    // FNV-1a over the net serials of the pins in drawing order.
    std::uint32_t h = 2166136261u;
    for (CDrawObject* pObject : objects) {
        auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pObject);
        if (pPin == nullptr)
            continue;
        const CNet* pNet = pPin->GetNetConnection()->GetNet();
        const std::string name = pNet != nullptr ? pNet->GetName().GetString() : "";
        for (char c : name + "|")
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        if (pNet != nullptr)
            ++figures.nConnectedPins;
    }
    figures.nHash = h;
    for (const auto& pNet : pSheet->GetNetlist()->GetNets()) {
        const auto& netPins = pNet->GetNetPins();
        if (netPins.empty())
            continue;
        const auto* pFirst = DYNAMIC_DOWNCAST(CLayoutPin, netPins.front()->GetDrawObject());
        for (std::size_t i = 1; i < netPins.size(); ++i) {
            const auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, netPins[i]->GetDrawObject());
            if (pFirst == nullptr || pPin == nullptr)
                continue;
            const double dx = static_cast<double>(pPin->GetLocation().x) - pFirst->GetLocation().x;
            const double dy = static_cast<double>(pPin->GetLocation().y) - pFirst->GetLocation().y;
            figures.dWireMm += std::sqrt(dx * dx + dy * dy) / 1e6;
        }
    }
    return figures;
}

}  // namespace lqbench
