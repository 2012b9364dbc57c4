// Shell links (".lnk" files) of the Programs menu and the desktop. A link is
// named by its link base: the path of the link file without ".lnk", which is
// also what the uninstall log records.
#pragma once

#include <optional>
#include <string>

// Saves "<linkBase>.lnk" pointing at `target`, shown normally, with no
// arguments, working directory, icon or description; an existing file of that
// name is replaced. Initialises COM on the calling thread for the duration of
// the call, so any thread may call it. True when the link object was created
// and asked to save itself (the outcome of the save is not examined); false
// when COM cannot be initialised on this thread or the link object is not
// available.
bool CreateShortcut(const std::u16string& linkBase, const std::u16string& target);

// Deletes "<linkBase>.lnk"; a missing file is not an error. Reports nothing.
void DeleteShortcut(const std::u16string& linkBase);

// The target path that "<linkBase>.lnk" points at, read from the link without
// resolving it (a moved target is not searched for). Initialises COM on the
// calling thread like CreateShortcut. Absent when COM or the link object is
// not available, the file cannot be loaded, or the link has no path target.
std::optional<std::u16string> ShortcutTarget(const std::u16string& linkBase);
