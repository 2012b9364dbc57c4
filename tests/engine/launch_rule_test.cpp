#include "engine/launch_rule.h"

#include <gtest/gtest.h>

namespace {

struct LaunchCase {
    bool Elevated;
    bool SignedInUserFound;
    LaunchMode Expected;
};

TEST(LaunchRuleTest, AnElevatedRunStartsNothingWithItsOwnRights) {
    const LaunchCase cases[] = {
        {true, true, LaunchMode::SignedInUser},
        {true, false, LaunchMode::Skip},
        {false, true, LaunchMode::OwnToken},
        {false, false, LaunchMode::OwnToken},
    };
    for (const LaunchCase& c : cases)
        EXPECT_EQ(ChooseLaunchMode(c.Elevated, c.SignedInUserFound), c.Expected)
            << "elevated " << c.Elevated << ", user found " << c.SignedInUserFound;
}

}  // namespace
