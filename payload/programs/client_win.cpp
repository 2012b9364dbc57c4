// ZorvanelleClient.dll of the demo payload: the library the product's
// programs use to talk to the touch service. Exports use the C calling
// convention so their names carry no decoration.
#include <windows.h>

#include <cwchar>

namespace {

constexpr unsigned int kClientVersion = 0x07000076;  // 7.0, build 118
constexpr wchar_t kServiceName[] = L"ZorvanelleServiceV7";

}  // namespace

// Version of the client library: major in the top byte, minor in the next,
// build number in the low 16 bits.
extern "C" __declspec(dllexport) unsigned int ZorvanelleClientVersion() {
    return kClientVersion;
}

// Copies the name of the service the client talks to into `buffer`
// (`units` wide characters, terminator included). Returns the name's length
// without terminator, or 0 when the buffer is too small (nothing written).
extern "C" __declspec(dllexport) unsigned int ZorvanelleClientServiceName(wchar_t* buffer, unsigned int units) {
    const size_t length = std::wcslen(kServiceName);
    if (!buffer || units <= length)
        return 0;
    std::wmemcpy(buffer, kServiceName, length + 1);
    return static_cast<unsigned int>(length);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
