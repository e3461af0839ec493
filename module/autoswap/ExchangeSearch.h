// The pairwise exchange of one group, pass after pass: each item in turn takes the partner whose
// exchange gains most (strictly more than nothing; the lowest index among equal gains), if the
// exchange can be carried out whole. Models of the group find the partner; this file holds what
// every model shares: the rule that decides between two partners, and carrying an exchange out.
#pragma once
#include <cstdint>
#include <vector>

#include "module/swap/SwapItem.h"

using LQGain = __int128;

// The partner chosen so far for one item, with the connection-data lists of the exchange.
struct CExchangeChoice {
    std::int32_t partner = -1;
    LQGain gain = 0;
    CObject** listIP = nullptr;  // how the item takes the partner's place; owned
    CObject** listPI = nullptr;  // how the partner takes the item's place; owned

    CExchangeChoice() = default;
    ~CExchangeChoice() { Release(); }
    CExchangeChoice(const CExchangeChoice&) = delete;
    CExchangeChoice& operator=(const CExchangeChoice&) = delete;
    void Release();
    // Whether j with this gain would be chosen in place of the partner so far.
    bool IsBeatenBy(LQGain g, std::int32_t j) const { return g > gain || (g == gain && partner >= 0 && j < partner); }
};

class CExchangeModel {
public:
    virtual ~CExchangeModel() = default;
    virtual void BeginPass() {}
    // Chooses item i's partner among all other items of the group.
    virtual void FindPartner(std::int32_t i, CExchangeChoice& choice) = 0;
    // Items i and p have just exchanged their connections.
    virtual void Exchanged(std::int32_t i, std::int32_t p) {}
};

// Takes j as i's partner with the exchange's lists if the exchange can be applied whole; the
// lists are released otherwise. The caller has checked that the gain beats the choice so far.
void LQTakePartner(const std::vector<CSwapItem*>& items, std::int32_t i, std::int32_t j, LQGain gain, CObject** listIJ,
                   CObject** listJI, CExchangeChoice& choice);
// The same, where the caller knows whether the exchange can be applied whole.
void LQTakePartnerIf(bool bApplies, std::int32_t j, LQGain gain, CObject** listIJ, CObject** listJI,
                     CExchangeChoice& choice);
// Passes over the group until one exchanges nothing, five at the most.
void LQRunExchanges(const std::vector<CSwapItem*>& items, CExchangeModel& model);
// The group optimiser's engine: a model fitted to the items (gates, pins, or anything else).
void LQRunGroup(const std::vector<CSwapItem*>& items);

// A distance that measured something: not negative, and not the value for nothing measurable.
inline bool LQIsMeasured(std::int64_t d) { return d >= 0 && d < INT64_MAX; }
