#include "platform/run_mutex_win.h"

#include "platform/product_constants.h"

namespace {

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// Looked up rather than imported: a static import of a function Wine lacks
// would keep the programs from starting there at all.
struct NamespaceCalls {
    HANDLE(WINAPI* CreateBoundary)(LPCWSTR, ULONG) = nullptr;
    BOOL(WINAPI* AddSid)(HANDLE*, PSID) = nullptr;
    VOID(WINAPI* DeleteBoundary)(HANDLE) = nullptr;
    HANDLE(WINAPI* Create)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
    HANDLE(WINAPI* Open)(LPVOID, LPCWSTR) = nullptr;
};

template <typename Fn>
void LookUp(HMODULE kernel32, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel32, name)));
}

bool LookUpNamespaceCalls(NamespaceCalls* calls) {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (!kernel32)
        return false;
    LookUp(kernel32, "CreateBoundaryDescriptorW", &calls->CreateBoundary);
    LookUp(kernel32, "AddSIDToBoundaryDescriptor", &calls->AddSid);
    LookUp(kernel32, "DeleteBoundaryDescriptor", &calls->DeleteBoundary);
    LookUp(kernel32, "CreatePrivateNamespaceW", &calls->Create);
    LookUp(kernel32, "OpenPrivateNamespaceW", &calls->Open);
    return calls->CreateBoundary && calls->AddSid && calls->DeleteBoundary && calls->Create && calls->Open;
}

// The boundary "Administrators"; null when it cannot be made.
HANDLE AdministratorsBoundary(const NamespaceCalls& calls) {
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size))
        return nullptr;
    HANDLE boundary = calls.CreateBoundary(Wide(kRunMutexNamespace), 0);
    if (boundary && !calls.AddSid(&boundary, administrators)) {
        calls.DeleteBoundary(boundary);
        return nullptr;
    }
    return boundary;
}

// Never closed: see CreateRunMutex.
HANDLE OpenAdministratorsNamespace(const NamespaceCalls& calls, HANDLE boundary) {
    HANDLE space = calls.Create(nullptr, boundary, Wide(kRunMutexNamespace));
    if (!space && GetLastError() == ERROR_ALREADY_EXISTS)
        space = calls.Open(boundary, Wide(kRunMutexNamespace));
    return space;
}

}  // namespace

RunMutex CreateRunMutex() {
    RunMutex run;
    NamespaceCalls calls;
    HANDLE boundary = LookUpNamespaceCalls(&calls) ? AdministratorsBoundary(calls) : nullptr;
    if (!boundary) {
        run.Mutex.Reset(CreateMutexW(nullptr, FALSE, Wide(kRunMutexName)));
        return run;
    }
    run.Private = true;
    const HANDLE space = OpenAdministratorsNamespace(calls, boundary);
    const DWORD error = GetLastError();
    calls.DeleteBoundary(boundary);
    SetLastError(error);
    if (space)
        run.Mutex.Reset(CreateMutexW(nullptr, FALSE, Wide(kRunMutexInNamespace)));
    return run;
}
