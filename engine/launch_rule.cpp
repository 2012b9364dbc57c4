#include "engine/launch_rule.h"

LaunchMode ChooseLaunchMode(bool elevated, bool signedInUserFound) {
    if (!elevated)
        return LaunchMode::OwnToken;
    return signedInUserFound ? LaunchMode::SignedInUser : LaunchMode::Skip;
}
