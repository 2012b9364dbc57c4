#include "engine/launch_rule.h"

#include <gtest/gtest.h>

namespace {

struct LaunchCase {
    bool Elevated;
    bool SignedInUserFound;
    bool LocalSystem;
    LaunchMode Expected;
};

TEST(LaunchRuleTest, AnElevatedRunStartsNothingWithItsOwnRights) {
    const LaunchCase cases[] = {
        {true, true, false, LaunchMode::SignedInUser},
        {true, false, false, LaunchMode::Skip},
        {false, true, false, LaunchMode::OwnToken},
        {false, false, false, LaunchMode::OwnToken},
    };
    for (const LaunchCase& c : cases)
        EXPECT_EQ(ChooseLaunchMode(c.Elevated, c.SignedInUserFound, c.LocalSystem), c.Expected)
            << "elevated " << c.Elevated << ", user found " << c.SignedInUserFound;
}

// A deployment tool's run starts nothing, even where a shell's user is found.
TEST(LaunchRuleTest, ALocalSystemRunStartsNothing) {
    for (bool userFound : {true, false})
        EXPECT_EQ(ChooseLaunchMode(true, userFound, true), LaunchMode::Skip) << "user found " << userFound;
}

}  // namespace
