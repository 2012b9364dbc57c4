// Windows services of the package: existence, creation as an auto-start
// own-process service, starting and stopping with a bounded wait, and
// deletion.
//
// Every operation that takes a name opens the local service control manager
// (SC_MANAGER_ALL_ACCESS) and the service (SERVICE_ALL_ACCESS) itself and
// closes both before it returns; no handle outlives a call. Failures are
// reported only as false (or not at all); GetLastError() after a false result
// names the Win32 call that failed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// A wait for a service state polls at this interval...
inline constexpr DWORD kServicePollIntervalMs = 500;
// ...and gives up once more than this has passed since it began.
inline constexpr DWORD kServiceWaitLimitMs = 5000;

// True when the service `name` can be opened.
[[nodiscard]] bool ServiceExists(const std::u16string& name);

// Creates the service `name` (display name the same) running
// `executablePath` as its own process under LocalSystem, started
// automatically, with normal error control. `executablePath` is given
// unquoted and without arguments; it is stored quoted, so a path with blanks
// cannot start a program at a shorter prefix of it. The description is set
// when present (a failure to set it is ignored). False when the manager cannot
// be opened, a service of that name exists, or the path holds a quote.
[[nodiscard]] bool CreateAutoStartService(const std::u16string& name,
                                          const std::u16string& executablePath,
                                          const std::optional<std::u16string>& description);

// Starts the service behind `service` (opened with at least
// SERVICE_QUERY_STATUS | SERVICE_START) unless it is already running, and
// waits while it is start-pending. True when it ends up running; false when
// the query or the start request fails, the service settles in another state,
// or it is still start-pending after kServiceWaitLimitMs.
bool StartServiceAndWait(SC_HANDLE service);

// Asks the service behind `service` (opened with at least
// SERVICE_QUERY_STATUS | SERVICE_STOP) to stop unless it is already stopped,
// and waits for it. True when it is stopped; false when the query or the stop
// request fails, or it has not stopped about kServicePollIntervalMs +
// kServiceWaitLimitMs after the request. The service is left in whatever state
// it reached.
bool StopServiceAndWait(SC_HANDLE service);

// StartServiceAndWait / StopServiceAndWait on the service `name`; a missing
// service (or manager) does nothing. The outcome is not reported.
void StartServiceByName(const std::u16string& name);
void StopServiceByName(const std::u16string& name);

// Stops the service `name` (whether that succeeds does not matter) and
// deletes it. True when DeleteService succeeded; a service still running is
// then only marked and goes once it stops. False, changing nothing, when the
// service does not exist.
bool StopAndDeleteService(const std::u16string& name);

// The configured image path of the service `name`, exactly as stored (quotes
// and arguments included). Absent when the service (or the manager) cannot be
// opened or its configuration cannot be read.
std::optional<std::u16string> ServiceImagePath(const std::u16string& name);
