#include <gtest/gtest.h>

#include "tests/support/ModuleFixture.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new lqtest::ModuleEnvironment);
    return RUN_ALL_TESTS();
}
