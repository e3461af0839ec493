// The run report and its three views.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/report/RunReport.h"
#include "host/BackAnnotation.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {

RunReport OneRun()
{
    BoardRun run;
    run.board = "a,b.qbrd.json";
    run.output = "out.qbrd.json";
    run.before = AirwireFigures{3, 2000000, 4};
    run.after = AirwireFigures{3, 1500000, 0};
    run.changes = {PinChange{{0, 0}, "U1", "1", "N\"1", ""}, PinChange{{0, 1}, "U1", "2", "", "+5V"}};
    run.records = {BackAnnotationEntry{13, 0xFFFFFFFFu, {"U1", "1", "U1", "2"}}};
    run.seconds = 0.25;
    RunReport report;
    report.boards.push_back(run);
    return report;
}

}  // namespace

TEST(RunReportData, NetChangesListPinsWhoseNetDiffers)
{
    const Board before = SmallBoard();
    Board after = before;
    std::swap(after.nets[6].pins[0], after.nets[7].pins[0]);  // R1.2 and R1.1 exchange nets
    after.nets[8].pins.pop_back();                             // U2.7 leaves GND
    EXPECT_EQ(NetChanges(before, after), (std::vector<PinChange>{{{1, 6}, "U2", "7", "GND", ""},
                                                                 {{2, 0}, "R1", "1", "RR", "RL"},
                                                                 {{2, 1}, "R1", "2", "RL", "RR"}}));
    EXPECT_TRUE(NetChanges(before, before).empty());
}

TEST(RunReportData, BackAnnotationRecordsAreTakenInOrder)
{
    CBackAnnotationManager manager;
    CStringArray texts;
    for (const char* t : {"U1", "3", "U2", "5"})
        texts.Add(t);
    manager.AddBackAnnotation(7, BACKANNO_GATESWAP, &texts);
    manager.AddBackAnnotation(0xFFFFFFFF, BACKANNO_PINSWAP, &texts);
    const auto entries = BackAnnotationEntries(&manager);
    EXPECT_EQ(entries, (std::vector<BackAnnotationEntry>{{12, 7, {"U1", "3", "U2", "5"}}, {13, 0xFFFFFFFF, {"U1", "3", "U2", "5"}}}));
    EXPECT_TRUE(BackAnnotationEntries(nullptr).empty());
}

TEST(RunReportData, PercentAndMillimetres)
{
    EXPECT_DOUBLE_EQ(*PercentChange(200, 150), -25.0);
    EXPECT_DOUBLE_EQ(*PercentChange(4, 6), 50.0);
    EXPECT_FALSE(PercentChange(0, 5).has_value());
    EXPECT_EQ(Millimetres(1234567891), "1234.567 mm");
    EXPECT_EQ(Millimetres(999), "0.000 mm");
    EXPECT_EQ(Millimetres(5001000), "5.001 mm");
}

TEST(RunReportViews, JsonCarriesEveryFigure)
{
    const auto j = nlohmann::json::parse(FormatReportJson(OneRun()));
    EXPECT_EQ(j["format"], "quillon-report");
    const auto& b = j["boards"][0];
    EXPECT_EQ(b["board"], "a,b.qbrd.json");
    EXPECT_EQ(b["output"], "out.qbrd.json");
    EXPECT_EQ(b["before"]["length"], 2000000);
    EXPECT_EQ(b["after"]["crossings"], 0);
    EXPECT_EQ(b["lengthChangePercent"], -25.0);
    EXPECT_EQ(b["crossingsChangePercent"], -100.0);
    EXPECT_EQ(b["pinsMoved"], 2);
    EXPECT_EQ(b["changes"][0]["oldNet"], "N\"1");
    EXPECT_EQ(b["changes"][1]["newNet"], "+5V");
    EXPECT_EQ(b["backAnnotation"][0]["undoId"], 0xFFFFFFFFu);
    EXPECT_EQ(b["backAnnotation"][0]["texts"][3], "2");
    RunReport none = OneRun();
    none.boards[0].before = AirwireFigures{};
    none.boards[0].output.clear();
    const auto k = nlohmann::json::parse(FormatReportJson(none));
    EXPECT_TRUE(k["boards"][0]["lengthChangePercent"].is_null());
    EXPECT_TRUE(k["boards"][0]["output"].is_null());
}

TEST(RunReportViews, EcoCsvQuotesWhereNeeded)
{
    EXPECT_EQ(FormatEcoCsv(OneRun()),
              "board,record,part,pin,old_net,new_net,kind,undo_id,text1,text2,text3,text4\r\n"
              "\"a,b.qbrd.json\",net,U1,1,\"N\"\"1\",,,,,,,\r\n"
              "\"a,b.qbrd.json\",net,U1,2,,+5V,,,,,,\r\n"
              "\"a,b.qbrd.json\",backannotation,,,,,13,0xFFFFFFFF,U1,1,U1,2\r\n");
}

TEST(RunReportViews, TableShowsFiguresChangesAndRecordsAndCutsLongLists)
{
    const std::string t = FormatReportTable(OneRun());
    EXPECT_NE(t.find("airwire length           2.000 mm       1.500 mm   -25.0 %"), std::string::npos) << t;
    EXPECT_NE(t.find("airwire crossings               4              0  -100.0 %"), std::string::npos) << t;
    EXPECT_NE(t.find("pins moved: 2"), std::string::npos);
    EXPECT_NE(t.find("written to out.qbrd.json"), std::string::npos);
    EXPECT_NE(t.find("U1    2    (none)   +5V"), std::string::npos) << t;
    EXPECT_NE(t.find("kind 13 (pin swap), undo id 0xFFFFFFFF: \"U1\", \"1\", \"U1\", \"2\""), std::string::npos) << t;
    // Long lists are cut.
    RunReport report = OneRun();
    report.boards[0].changes.assign(25, PinChange{{0, 0}, "U1", "1", "A", "B"});
    EXPECT_NE(FormatReportTable(report).find("... and 5 more"), std::string::npos);
}
