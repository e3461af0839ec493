// Lengths in a KiCad file: millimetres to whole nanometres, exactly, in every form KiCad itself
// reads (exponents too), and refused in one line otherwise.
#include <fmt/core.h>
#include <gtest/gtest.h>

#include <string>

#include "app/core/Errors.h"
#include "app/formats/kicad/KicadValues.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq::kicad;

namespace {
std::int64_t Read(const std::string& text)
{
    const SexprFile f("(at " + text + ")", "t.kicad_pcb");
    return Nanometres(f, f.Arg(f.Root(), 0));
}
}  // namespace

TEST(KicadLengths, DecimalsAndExponentsBecomeNanometresRoundedHalfAwayFromZero)
{
    const struct {
        const char* text;
        std::int64_t nm;
    } cases[] = {
        {"12.5", 12'500'000},        {"-7.62", -7'620'000},   {"+3", 3'000'000},        {".5", 500'000},
        {"5.", 5'000'000},           {"0.0000005", 1},         {"-0.0000005", -1},       {"0.00000049", 0},
        {"1.0000004999", 1'000'000}, {"1e-05", 10},            {"1.5E3", 1'500'000'000}, {"+2.54e+1", 25'400'000},
        {"5e-7", 1},                 {"-5e-7", -1},            {"4.9e-7", 0},            {"0.001e3", 1'000'000},
        {"123e-3", 123'000},         {"1e-400", 0},            {"0e999999", 0},          {"-0", 0},
        {"0000000000000000000000001", 1'000'000},              {"-1000000.0000004", -1'000'000'000'000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.text), c.nm) << c.text;
}

TEST(KicadLengths, AnythingElseOrBeyondAKilometreIsRefusedAtItsPlace)
{
    for (const char* text : {"1e", "e5", "1e+", "1.2e3.4", "1ee3", "0x10", "inf", "1.2.3", "--1"})
        EXPECT_EQ(lqe2e::ErrorText<lq::JobError>([&] { Read(text); }),
                  fmt::format("t.kicad_pcb:1:5: \"{}\" is not a length in millimetres", text));
    for (const char* text : {"1e400", "1000000.0000005", "-0.000001e99999999999999999999999"})
        EXPECT_EQ(lqe2e::ErrorText<lq::JobError>([&] { Read(text); }),
                  fmt::format("t.kicad_pcb:1:5: {} mm is beyond any board", text));
}
