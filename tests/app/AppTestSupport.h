// Small boards and scratch folders for the application's tests.
#pragma once
#include <string>

#include "app/model/Board.h"
#include "tests/e2e/LqhostProcess.h"

namespace lqapptest {

// A part with LQ_PIN-named pins at the given offsets; pins get a pad of +-100 nm.
lq::Part MakePart(const std::string& ref, lq::Point at, const std::vector<lq::Point>& pins,
                  const lq::Attributes& pinAttributes = {});

// Two NAND-like packages wired so that exchanging their gates shortens the airwires, a
// resistor whose pins are wired crossed, a routed connector pin and every kind of copper.
lq::Board SmallBoard();

using lqe2e::Count;
using lqe2e::ReadFile;
using ScratchDir = lqe2e::TempDir;

}  // namespace lqapptest
