#include "platform/service_control_win.h"

#include <vector>

#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

UniqueService OpenManager() {
    return UniqueService(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

UniqueService OpenNamedService(const UniqueService& manager, const std::u16string& name) {
    return UniqueService(OpenServiceW(manager.Get(), WidePtr(name), SERVICE_ALL_ACCESS));
}

// The service's current state (SERVICE_RUNNING, ...), or nothing when the
// query fails.
std::optional<DWORD> QueryState(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                              &needed))
        return std::nullopt;
    return status.dwCurrentState;
}

// Compared as an unsigned difference, so a wrap of the tick count between
// `start` and now still gives the true elapsed time.
bool WaitLimitPassed(DWORD start) {
    return GetTickCount() - start > kServiceWaitLimitMs;
}

// Stored image path: quoted, because the service manager splits an unquoted
// path at its blanks and would run "C:\Program.exe" for
// "C:\Program Files\...\Svc.exe" if such a file existed.
std::optional<std::wstring> QuotedImagePath(const std::u16string& path) {
    if (path.find(u'"') != std::u16string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    return L"\"" + ToWide(path) + L"\"";
}

void SetDescription(SC_HANDLE service, const std::u16string& description) {
    std::wstring text = ToWide(description);
    SERVICE_DESCRIPTIONW info = {text.data()};
    ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &info);
}

}  // namespace

bool ServiceExists(const std::u16string& name) {
    UniqueService manager = OpenManager();
    return manager && OpenNamedService(manager, name);
}

bool CreateAutoStartService(const std::u16string& name,
                            const std::u16string& executablePath,
                            const std::optional<std::u16string>& description) {
    std::optional<std::wstring> imagePath = QuotedImagePath(executablePath);
    if (!imagePath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    UniqueService manager = OpenManager();
    if (!manager)
        return false;
    // No account name: the service runs as LocalSystem and needs no password.
    UniqueService service(CreateServiceW(manager.Get(), WidePtr(name), WidePtr(name), SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                         imagePath->c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        // Closing the manager must not hide why the creation failed.
        const DWORD error = GetLastError();
        manager.Reset();
        SetLastError(error);
        return false;
    }
    if (description)
        SetDescription(service.Get(), *description);
    return true;
}

bool StartServiceAndWait(SC_HANDLE service) {
    std::optional<DWORD> state = QueryState(service);
    if (!state)
        return false;
    if (*state == SERVICE_RUNNING)
        return true;
    if (!StartServiceW(service, 0, nullptr))
        return false;
    DWORD start = GetTickCount();
    for (;;) {
        state = QueryState(service);
        if (!state)
            return false;
        if (*state != SERVICE_START_PENDING)
            return *state == SERVICE_RUNNING;
        if (WaitLimitPassed(start))
            return false;
        Sleep(kServicePollIntervalMs);
    }
}

namespace {

// Whether a failed stop request may still end with the service stopped: it
// stopped, or began stopping, between the query and the request. Wine also
// fails the request with a broken pipe when the service process exits while
// it answers.
bool StopRequestMayHaveRaced(DWORD error) {
    return error == ERROR_SERVICE_NOT_ACTIVE || error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL || error == ERROR_BROKEN_PIPE;
}

// Polls until the service is stopped (true) or kServiceWaitLimitMs have passed
// or the query fails (false). With `pauseFirst` clear it looks at once.
bool WaitUntilStopped(SC_HANDLE service, bool pauseFirst) {
    if (pauseFirst)
        Sleep(kServicePollIntervalMs);
    DWORD start = GetTickCount();
    for (;;) {
        std::optional<DWORD> state = QueryState(service);
        if (!state)
            return false;
        if (*state == SERVICE_STOPPED)
            return true;
        if (WaitLimitPassed(start))
            return false;
        Sleep(kServicePollIntervalMs);
    }
}

}  // namespace

bool StopServiceAndWait(SC_HANDLE service) {
    std::optional<DWORD> state = QueryState(service);
    if (!state)
        return false;
    if (*state == SERVICE_STOPPED)
        return true;
    // ControlService returns the status the service reported last; a service
    // that stops inside its control handler is already stopped here.
    SERVICE_STATUS status = {};
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status))
        return StopRequestMayHaveRaced(GetLastError()) && WaitUntilStopped(service, false);
    if (status.dwCurrentState == SERVICE_STOPPED)
        return true;
    return WaitUntilStopped(service, true);
}

void StartServiceByName(const std::u16string& name) {
    UniqueService manager = OpenManager();
    if (!manager)
        return;
    if (UniqueService service = OpenNamedService(manager, name))
        StartServiceAndWait(service.Get());
}

void StopServiceByName(const std::u16string& name) {
    UniqueService manager = OpenManager();
    if (!manager)
        return;
    if (UniqueService service = OpenNamedService(manager, name))
        StopServiceAndWait(service.Get());
}

bool StopAndDeleteService(const std::u16string& name) {
    UniqueService manager = OpenManager();
    if (!manager)
        return false;
    UniqueService service = OpenNamedService(manager, name);
    if (!service)
        return false;
    StopServiceAndWait(service.Get());
    return DeleteService(service.Get()) != FALSE;
}

std::optional<std::u16string> ServiceImagePath(const std::u16string& name) {
    UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return std::nullopt;
    UniqueService service(OpenServiceW(manager.Get(), WidePtr(name), SERVICE_QUERY_CONFIG));
    DWORD needed = 0;
    if (!service || QueryServiceConfigW(service.Get(), nullptr, 0, &needed) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return std::nullopt;
    // QUERY_SERVICE_CONFIGW holds pointers: the buffer must be aligned for them.
    std::vector<QUERY_SERVICE_CONFIGW> buffer(needed / sizeof(QUERY_SERVICE_CONFIGW) + 1);
    QUERY_SERVICE_CONFIGW* config = buffer.data();
    if (!QueryServiceConfigW(service.Get(), config, static_cast<DWORD>(buffer.size() * sizeof(*config)), &needed) ||
        !config->lpBinaryPathName)
        return std::nullopt;
    return FromWide(config->lpBinaryPathName);
}
