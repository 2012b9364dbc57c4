#include "engine/launch_rule.h"

LaunchMode ChooseLaunchMode(bool elevated, SignedInUser user, bool localSystem) {
    if (localSystem)
        return LaunchMode::Skip;
    if (!elevated)
        return LaunchMode::OwnToken;
    switch (user) {
        case SignedInUser::Limited:
            return LaunchMode::SignedInUser;
        case SignedInUser::Elevated:
            return LaunchMode::SkipElevatedUser;
        default:
            return LaunchMode::Skip;
    }
}
