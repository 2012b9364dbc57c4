// Whose rights the programs an installation starts at its end run with.
#pragma once

enum class LaunchMode {
    OwnToken,          // this process's rights: it is not elevated
    SignedInUser,      // the signed-in user's unelevated token
    Skip,              // nobody to start them for: nothing is started
    SkipElevatedUser,  // the signed-in user's token is elevated itself: nothing is started
};

// What the signed-in user's token is, as far as the launch cares.
enum class SignedInUser {
    None,      // no shell's user was found, or its token could not be read
    Limited,   // found, and its token is not elevated
    Elevated,  // found, but its token is elevated (User Account Control is off)
};

// An elevated run never starts a program with its own rights: the panel
// reads a configuration file from the shared documents folder, which every
// user may change, so it runs as the signed-in user; without one (a service,
// session 0, a desktop without a shell) nothing is started. A LocalSystem run
// is a deployment tool's, made for whoever signs in later: it starts nothing,
// whatever desktop it finds. With User Account Control off the shell's own
// token is elevated, so starting with it would be starting with full rights
// again: nothing is started then either. A run that is not elevated has no
// rights to give away.
LaunchMode ChooseLaunchMode(bool elevated, SignedInUser user, bool localSystem);
