// The run log: a UTF-8 text file an administrator keeps from an installation
// or a removal, one line per event, each written to the file the moment it
// happens, so a run that is killed still leaves its log.
//
// Grammar of a line (stable; administrators grep it):
//   LINE     = DATE " " TIME " " KIND [" " TEXT] CRLF
//   DATE     = YYYY "-" MM "-" DD          local time
//   TIME     = hh ":" mm ":" ss "." mmm    local time, milliseconds
//   KIND     = "info" | "config" | "report" | "action" | "removal" | "rollback" | "error" | "exit"
//   TEXT     = free text without line breaks; for "action", "removal" and
//              "rollback" it is  WHAT " ok " SUBJECT  or
//              WHAT " failed error=" WIN32-ERROR " " SUBJECT;
//              for "exit" it is  CODE " " MEANING [" (" NOTE ")"], the
//              note saying where the log went when its file was refused
// Line breaks inside a text become blanks. Nothing secret is ever logged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct LogTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// One whole line, CRLF included, in the grammar above.
std::string FormatLogLine(const LogTime& time, std::string_view kind, std::u16string_view text);

// The TEXT of a result line: "WHAT ok SUBJECT" or "WHAT failed error=N SUBJECT".
std::u16string ResultText(std::string_view what, bool ok, uint32_t error, std::u16string_view subject);

// What was found at a log's name when it already existed, read through a
// handle that did not follow a reparse point.
struct LogFileFacts {
    bool ReparsePoint = false;
    uint32_t Links = 1;           // names of the file (hard links)
    bool OwnerTrusted = false;    // Administrators, SYSTEM, or this process's own user
    bool BeginsAsRunLog = false;  // empty, or IsRunLogStart of its first bytes
};

// How many bytes IsRunLogStart looks at: "YYYY-MM-DD hh:mm:ss.mmm ".
inline constexpr size_t kRunLogStartBytes = 24;

// True when `head` (a file's first kRunLogStartBytes bytes, or all of a
// shorter file) is empty or starts as a line of this grammar does: a date,
// a time with milliseconds and a blank.
bool IsRunLogStart(std::string_view head);

// True when an existing file may take the log: no reparse point (a link would
// send the writes elsewhere), a single name (another name may be a file the
// writer must not touch), a file that is empty or begins as a run log does
// (a /log naming a system file by mistake must not cut it), and, where
// `permissionsEnforced`, an owner that is an administrator, SYSTEM or the
// writer itself (anyone else may have planted it, and may read or change it
// while the run goes on).
bool MayWriteLogThrough(const LogFileFacts& facts, bool permissionsEnforced);

// The fresh name beside `path` that a refused log goes to: "-<pid>" before
// the extension of the file name ("C:\Logs.log" gives "C:\Logs-42.log"),
// or at the end when the file name has none.
std::u16string FreshLogName(std::u16string_view path, uint32_t pid);

// Windows layer: the one log of this process. Safe to call from any thread;
// every call is a no-op while no log is open.

// Creates (or replaces) the log file at `path` and makes it the process's
// log. The name is opened without following a reparse point; a file already
// there that MayWriteLogThrough refuses is left as it is, and the log goes
// to a new file of FreshLogName instead, which standard error, an error line
// of the log and its exit line (RunLogNote) name. False when no file can be
// created; there is then no log.
bool OpenRunLog(const std::u16string& path);

// Opens the log file at `path` to go on writing at its end (made when
// missing): a run carried on by a second process, one after the other. A
// refused file is treated as by OpenRunLog.
bool AppendToRunLog(const std::u16string& path);

// The note for the exit line when the log was refused at its name and
// written elsewhere (the refused name and the one written); empty otherwise.
std::u16string RunLogNote();

// The file the log was last opened at: the path asked for, or the fresh name
// a refused one went to. A second process that carries the run on appends
// there.
std::u16string RunLogPathInUse();
void CloseRunLog();
bool IsRunLogOpen();

// Appends one line now (one write to the file, no buffering in this process).
void WriteLogLine(std::string_view kind, std::u16string_view text);
// Appends a result line of `kind` ("action", "removal", "rollback").
void WriteLogResult(std::string_view kind, std::string_view what, bool ok, uint32_t error, std::u16string_view subject);

// The first failure this process logged: its line without date and time
// ("KIND TEXT") and the Win32 error of a failed result line (0 for an
// "error" line, which carries none). Failures are "error" lines and failed
// "action", "removal" and "error" results; a rollback's own failures come
// after the one that caused it and never count. Kept whether or not a log
// file is open.
struct LogFailure {
    bool Found = false;
    uint32_t Error = 0;
    std::u16string Line;
};
LogFailure FirstLogFailure();
