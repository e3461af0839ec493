// Every lqhost subcommand explains itself: a help line and an example that names it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/cli/CommandTable.h"

TEST(CommandTable, EveryCommandHasHelpAndAnExampleOfItself)
{
    std::set<std::string> names;
    for (const lq::CommandSpec& c : lq::CommandTable()) {
        ASSERT_NE(c.name, nullptr);
        EXPECT_TRUE(names.insert(c.name).second) << c.name << " is in the table twice";
        EXPECT_GT(std::string(c.help).size(), 10u) << c.name;
        EXPECT_EQ(std::string(c.example).rfind(std::string("lqhost ") + c.name + " ", 0), 0u) << c.name << ": " << c.example;
        EXPECT_TRUE(c.setup) << c.name;
    }
    for (const char* mine : {"play", "render", "info"})
        EXPECT_EQ(names.count(mine), 1u) << mine;
}
