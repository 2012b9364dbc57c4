#include "engine/launch_rule.h"

#include <gtest/gtest.h>

namespace {

struct LaunchCase {
    bool Elevated;
    SignedInUser User;
    bool LocalSystem;
    LaunchMode Expected;
};

TEST(LaunchRuleTest, AnElevatedRunStartsNothingWithItsOwnRights) {
    const LaunchCase cases[] = {
        {true, SignedInUser::Limited, false, LaunchMode::SignedInUser},
        {true, SignedInUser::None, false, LaunchMode::Skip},
        {false, SignedInUser::Limited, false, LaunchMode::OwnToken},
        {false, SignedInUser::None, false, LaunchMode::OwnToken},
    };
    for (const LaunchCase& c : cases)
        EXPECT_EQ(ChooseLaunchMode(c.Elevated, c.User, c.LocalSystem), c.Expected)
            << "elevated " << c.Elevated << ", user " << static_cast<int>(c.User);
}

// A deployment tool's run starts nothing, even where a shell's user is found.
TEST(LaunchRuleTest, ALocalSystemRunStartsNothing) {
    for (SignedInUser user : {SignedInUser::None, SignedInUser::Limited, SignedInUser::Elevated})
        EXPECT_EQ(ChooseLaunchMode(true, user, true), LaunchMode::Skip) << "user " << static_cast<int>(user);
}

// With User Account Control off the shell's token is elevated: starting the
// panel with it would run it with full rights on a file any user may change.
TEST(LaunchRuleTest, AnElevatedSignedInUserIsNotStartedFor) {
    EXPECT_EQ(ChooseLaunchMode(true, SignedInUser::Elevated, false), LaunchMode::SkipElevatedUser);
    EXPECT_EQ(ChooseLaunchMode(false, SignedInUser::Elevated, false), LaunchMode::OwnToken);
}

}  // namespace
