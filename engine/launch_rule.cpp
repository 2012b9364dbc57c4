#include "engine/launch_rule.h"

LaunchMode ChooseLaunchMode(bool elevated, bool signedInUserFound, bool localSystem) {
    if (localSystem)
        return LaunchMode::Skip;
    if (!elevated)
        return LaunchMode::OwnToken;
    return signedInUserFound ? LaunchMode::SignedInUser : LaunchMode::Skip;
}
