#include "app/run_result_win.h"

#include <windows.h>

#include "app/run_result.h"
#include "platform/product_constants.h"
#include "platform/registry_win.h"
#include "platform/run_log.h"
#include "platform/text.h"

namespace {

LogTime UtcNow() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

bool WriteValues(HKEY key, const RunResultValues& values) {
    return SetDwordValue(key, L"LastInstallerResult", values.Result) &&
           SetDwordValue(key, L"LastInstallerError", values.Error) &&
           SetStringValue(key, L"LastInstallerResultText", values.Text) &&
           SetStringValue(key, L"LastInstallerTime", values.Time);
}

}  // namespace

bool WriteRunResult(ExitCode code, RunKind kind) {
    const RunResultValues values = RunResultOf(code, kind, FirstLogFailure(), UtcNow());
    UniqueKey key = CreateRegistryKey(HKEY_LOCAL_MACHINE, kProductKeyPath);
    if (key && WriteValues(key.Get(), values))
        return true;
    const DWORD error = GetLastError();
    WriteLogLine("info", u"the run's result was not written to HKLM\\" + std::u16string(kProductKeyPath) +
                             u": error=" + Utf8ToUtf16(std::to_string(error)));
    return false;
}
