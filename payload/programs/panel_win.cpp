// ZorvanellePanelV7.exe of the demo payload: the product's control panel. A
// small window titled "ZorvanellePanelV7" that shows the company and
// language recorded in the product key (HKLM, the 32-bit view the installer
// writes) and the language and service endpoint of PanelConfig.ini in the
// shared documents folder. Either may be missing; the window then says "not
// configured" for what it lacks.
//
// With the argument -h (added by the installer's launch and Run entries) the
// window is created but not shown. Closing the window (WM_CLOSE) ends the
// program with exit code 0.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "payload/programs/panel_view.h"
#include "payload/programs/program_files_win.h"
#include "platform/dll_search_win.h"
#include "platform/product_constants.h"
#include "platform/text_win.h"
#include "platform/unique_handle_win.h"

namespace {

constexpr wchar_t kWindowClass[] = L"ZorvanellePanelV7Window";
constexpr wchar_t kWindowTitle[] = L"ZorvanellePanelV7";
constexpr int kTextId = 100;

std::optional<std::u16string> ReadStringValue(HKEY key, const wchar_t* name) {
    wchar_t text[MAX_PATH] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);  // room for a terminator the data may lack
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::u16string value = FromWide(std::wstring_view(text, bytes / sizeof(wchar_t)));
    while (!value.empty() && value.back() == u'\0')
        value.pop_back();
    return value;
}

std::optional<uint32_t> ReadDwordValue(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

ProductKeyValues ReadProductKeyValues() {
    ProductKeyValues values;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WidePtr(kProductKeyPath), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return values;
    UniqueKey key(opened);
    values.company = ReadStringValue(key.Get(), L"Company");
    values.languageId = ReadDwordValue(key.Get(), L"LanguageID");
    return values;
}

std::wstring PanelConfigPath() {
    wchar_t documents[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, documents, CSIDL_COMMON_DOCUMENTS, FALSE))
        return {};
    return std::wstring(documents) + L"\\" + ToWide(kPanelConfigFolderName) + L"\\" + ToWide(kPanelConfigFileName);
}

std::optional<PanelSettings> ReadPanelSettings() {
    const std::wstring path = PanelConfigPath();
    if (path.empty())
        return std::nullopt;
    const std::optional<std::string> xml = ReadWholeFile(path);
    if (!xml)
        return std::nullopt;
    return ParsePanelSettings(*xml);
}

// True when the command line holds the argument "-h".
bool StartsHidden() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return false;
    bool hidden = false;
    for (int i = 1; i < count; ++i)
        hidden = hidden || lstrcmpW(arguments[i], L"-h") == 0;
    LocalFree(arguments);
    return hidden;
}

void CreateTextControl(HWND window, const std::u16string& text) {
    RECT client = {};
    GetClientRect(window, &client);
    HWND control = CreateWindowExW(0, L"STATIC", WidePtr(text), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12,
                                   client.right - 24, client.bottom - 24, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

LRESULT CALLBACK PanelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateTextControl(window, ComposePanelText(ReadProductKeyValues(), ReadPanelSettings()));
            return 0;
        case WM_SIZE:
            MoveWindow(GetDlgItem(window, kTextId), 12, 12, LOWORD(lParam) - 24, HIWORD(lParam) - 24, TRUE);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreatePanelWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PanelWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass))
        return nullptr;
    return CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 420, 170,
                           nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Started at every logon, hidden: nobody would answer a message box.
    if (!RestrictDllSearchToSystem32())
        return kLibrarySearchRefusedExitCode;
    HWND window = CreatePanelWindow(instance);
    if (!window)
        return 1;
    if (!StartsHidden()) {
        // The installer starts every program with a hidden start-up window
        // state, which the first ShowWindow applies; only -h is to hide the
        // panel, so a window still hidden after it is shown again.
        ShowWindow(window, showCommand);
        if (!IsWindowVisible(window))
            ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
