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
//              for "exit" it is  CODE " " MEANING
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

// Windows layer: the one log of this process. Safe to call from any thread;
// every call is a no-op while no log is open.

// Creates (or replaces) the log file at `path` and makes it the process's
// log. False when the file cannot be created; there is then no log.
bool OpenRunLog(const std::u16string& path);

// Opens the log file at `path` to go on writing at its end (made when
// missing): a run carried on by a second process, one after the other.
bool AppendToRunLog(const std::u16string& path);
void CloseRunLog();
bool IsRunLogOpen();

// Appends one line now (one write to the file, no buffering in this process).
void WriteLogLine(std::string_view kind, std::u16string_view text);
// Appends a result line of `kind` ("action", "removal", "rollback").
void WriteLogResult(std::string_view kind, std::string_view what, bool ok, uint32_t error, std::u16string_view subject);
