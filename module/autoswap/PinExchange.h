// The exchange model of a group of pin items: what the pin items would measure, read from an
// index of the nets their pins are on.
#pragma once
#include <memory>
#include <vector>

#include "module/autoswap/ExchangeSearch.h"

// Null unless every item is a pin item and no pin is in two of the items' gates.
std::unique_ptr<CExchangeModel> LQMakePinModel(const std::vector<CSwapItem*>& items);
