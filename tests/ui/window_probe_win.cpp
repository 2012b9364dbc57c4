// Looks at the installer's window from another process of the same Wine
// session, for the window test script:
//
//   window_probe find                     main window: "VISIBLE LEFT TOP WIDTH HEIGHT CLIENTW CLIENTH"
//   window_probe dpi                      the dots per inch the main window's page is drawn for
//   window_probe wait visible|hidden|gone MS   waits for that state of the main window
//   window_probe spoil-package IN OUT     a copy of program IN whose package resource is no package
//   window_probe post-clicks X Y [X Y...]  queues clicks at client points on the main window at once
//   window_probe post MESSAGE WPARAM [WPARAM...]  posts MESSAGE once with each WPARAM (0x for hex), lParam 0
//   window_probe answers MS               the main window's thread answers a message within MS
//   window_probe msgbox                   a message box of the main window: its text
//   window_probe report CODE TEXT CBDATA  sends one worker report (WM_COPYDATA) to the main window
//   window_probe titled TITLE             any window titled TITLE exists
//   window_probe wait-titled TITLE MS     waits for a visible window titled TITLE: "LEFT TOP"
//   window_probe wait-gone-titled TITLE MS  waits until no window is titled TITLE
//   window_probe license                  licence dialog: "OWNED SELSTART SELEND FIRSTLINE LENGTH"
//   window_probe accessible              the page's parts as a screen reader gets them through
//                                         AccessibleObjectFromWindow and AccessibleChildren, one
//                                         line each (UTF-8): "ID<TAB>ROLE<TAB>NAME<TAB>STATES[<TAB>VALUE]"
//   window_probe press ID                 the default action of part ID, as a screen reader's user asks it
//   window_probe events MS                for MS ms, the main window's focus and name-change
//                                         events: "focus|namechange ID NAME", one line each
//   window_probe render-status W H TEXT OUT.bmp
//                                         the page background with TEXT in the status band
//                                         (a written-out \r\n is the line break),
//                                         drawn by the window's own painters into a W x H BMP
//
// The probe is DPI-aware itself, so on a scaled display it sees the window's
// real pixels, as the screenshots do.
//
// Exit status 0 when the window or state was found, 1 when not, 2 on bad use.
#include <windows.h>

#include <gdiplus.h>
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "platform/com_win.h"
#include "ui/skin_dpi_win.h"
#include "ui/skin_surface_win.h"

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kMainTitle[] = L"Zorvanelle Driver Installation";
constexpr wchar_t kLicenseTitle[] = L"License Agreement";

struct TitleSearch {
    const wchar_t* Title;
    bool Owned;  // false: the unowned (main) window; true: one owned by another window
    HWND Found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    wchar_t title[128] = {};
    wchar_t className[16] = {};
    GetWindowTextW(window, title, 128);
    GetClassNameW(window, className, 16);
    bool owned = GetWindow(window, GW_OWNER) != nullptr;
    if (std::wcscmp(title, search->Title) == 0 && std::wcscmp(className, kDialogClass) == 0 && owned == search->Owned) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(const wchar_t* title, bool owned) {
    TitleSearch search = {title, owned, nullptr};
    EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// The main window; its message boxes carry the same title but have an owner.
HWND MainWindow() {
    return FindDialog(kMainTitle, false);
}

// A message box of the main window: prints its text.
int MessageBoxText() {
    HWND box = FindDialog(kMainTitle, true);
    if (!box || !IsWindowVisible(box)) {
        std::printf("none\n");
        return 1;
    }
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xffff, text, 512);
    std::printf("%ls\n", text);
    return 0;
}

// Sends the main window one report the way the worker does, with `cbData`
// bytes of `text` (which may be fewer than the text holds).
int SendReportTo(int code, const wchar_t* text, int cbData) {
    HWND window = MainWindow();
    if (!window)
        return 1;
    COPYDATASTRUCT report = {};
    report.dwData = static_cast<ULONG_PTR>(code);
    report.cbData = static_cast<DWORD>(cbData);
    report.lpData = const_cast<wchar_t*>(text);
    SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&report));
    return 0;
}

int Find() {
    HWND window = MainWindow();
    if (!window) {
        std::printf("none\n");
        return 1;
    }
    RECT rect = {};
    RECT client = {};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    std::printf("%d %ld %ld %ld %ld %ld %ld\n", IsWindowVisible(window) ? 1 : 0, rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, client.right, client.bottom);
    return 0;
}

// Read as the installer reads it when it makes its surface.
int Dpi() {
    HWND window = MainWindow();
    if (!window)
        return 1;
    HDC dc = GetDC(window);
    std::printf("%d\n", static_cast<int>(ReadWindowDpi(window, dc)));
    if (dc)
        ReleaseDC(window, dc);
    return 0;
}

bool InState(const wchar_t* state) {
    HWND window = MainWindow();
    if (std::wcscmp(state, L"gone") == 0)
        return !window;
    if (!window)
        return false;
    bool visible = IsWindowVisible(window) != 0;
    return std::wcscmp(state, L"visible") == 0 ? visible : !visible;
}

int Wait(const wchar_t* state, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (InState(state))
            return 0;
        Sleep(20);
    }
    return 1;
}

int License() {
    HWND dialog = FindWindowW(kDialogClass, kLicenseTitle);
    if (!dialog || !IsWindowVisible(dialog)) {
        std::printf("none\n");
        return 1;
    }
    HWND box = GetDlgItem(dialog, 1001);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    LRESULT firstLine = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    int length = static_cast<int>(SendMessageW(box, WM_GETTEXTLENGTH, 0, 0));
    bool owned = GetWindow(dialog, GW_OWNER) == MainWindow();
    std::printf("%d %lu %lu %ld %d\n", owned ? 1 : 0, start, end, static_cast<long>(firstLine), length);
    return 0;
}

// A 24-bit bottom-up BMP of the bitmap's pixels.
bool SaveBitmap(HBITMAP bitmap, int width, int height, const wchar_t* path) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    HDC dc = GetDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != height)
        return false;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4d42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = _wfopen(path, L"wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

int RenderStatus(int width, int height, const wchar_t* text, const wchar_t* path) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    int rc = 1;
    {
        SkinPage page;
        RECT saved = {};
        CreateSurface(page, window, GetModuleHandleW(nullptr), saved);
        ComputeLayout(page);
        if (std::unique_ptr<Gdiplus::Graphics> graphics = OpenDrawingContext(page))
            DrawBackground(*graphics, page);
        ShowStatus(page, text);
        if (page.Surface.Bitmap)
            rc = SaveBitmap(static_cast<HBITMAP>(page.Surface.Bitmap.Get()), width, height, path) ? 0 : 1;
        ReleaseSkinPage(page);
    }
    DestroyWindow(window);
    return rc;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context) {
    reinterpret_cast<std::vector<WORD>*>(context)->push_back(language);
    return TRUE;
}

// A copy of a program whose package resource ("RES_DATA" 132) holds four
// bytes that are no package.
int SpoilPackage(const wchar_t* from, const wchar_t* to) {
    if (!CopyFileW(from, to, FALSE))
        return 1;
    std::vector<WORD> languages;
    if (HMODULE module = LoadLibraryExW(to, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesW(module, L"RES_DATA", MAKEINTRESOURCEW(132), &CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        FreeLibrary(module);
    }
    if (languages.empty())
        return 1;
    HANDLE update = BeginUpdateResourceW(to, FALSE);
    if (!update)
        return 1;
    char junk[] = "junk";
    for (WORD language : languages)
        UpdateResourceW(update, L"RES_DATA", MAKEINTRESOURCEW(132), language, junk, 4);
    return EndUpdateResourceW(update, FALSE) ? 0 : 1;
}

// Posts a press and a release at each client point in turn, all queued at
// once, so the window handles them back to back.
int PostClicks(const std::vector<POINT>& points) {
    HWND window = MainWindow();
    if (!window)
        return 1;
    for (const POINT& p : points) {
        LPARAM where = MAKELPARAM(p.x, p.y);
        PostMessageW(window, WM_MOUSEMOVE, 0, where);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(window, WM_LBUTTONUP, 0, where);
    }
    return 0;
}

int PostToMainWindow(UINT message, const std::vector<WPARAM>& values) {
    HWND window = MainWindow();
    if (!window)
        return 1;
    for (WPARAM value : values)
        PostMessageW(window, message, value, 0);
    return 0;
}

// A window that still exists may belong to a thread that died or hangs: only
// an answer shows that the thread still runs its messages.
int Answers(int timeoutMs) {
    HWND window = MainWindow();
    DWORD_PTR result = 0;
    if (!window || !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(timeoutMs), &result))
        return 1;
    return 0;
}

std::string Utf8(const wchar_t* text, int length) {
    if (!text || length <= 0)
        return {};
    std::string out(static_cast<size_t>(length) * 4, '\0');
    int written =
        WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

// A BSTR-returning question, as UTF-8 ("" for no text); frees the BSTR.
template <typename Ask>
std::string AskText(Ask ask) {
    BSTR text = nullptr;
    std::string out;
    if (ask(&text) == S_OK && text)
        out = Utf8(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return out;
}

std::string RoleText(IAccessible* object, VARIANT child) {
    VARIANT role;
    VariantInit(&role);
    if (FAILED(object->get_accRole(child, &role)) || role.vt != VT_I4)
        return "?";
    wchar_t text[64] = {};
    int length = static_cast<int>(GetRoleTextW(static_cast<DWORD>(role.lVal), text, 64));
    return Utf8(text, length);
}

std::string StateWords(IAccessible* object, VARIANT child) {
    VARIANT state;
    VariantInit(&state);
    if (FAILED(object->get_accState(child, &state)) || state.vt != VT_I4)
        return "?";
    static const std::pair<LONG, const char*> kWords[] = {
        {STATE_SYSTEM_CHECKED, "checked"},   {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
        {STATE_SYSTEM_FOCUSED, "focused"},   {STATE_SYSTEM_FOCUSABLE, "focusable"},
        {STATE_SYSTEM_READONLY, "readonly"}, {STATE_SYSTEM_INVISIBLE, "invisible"},
        {STATE_SYSTEM_LINKED, "linked"}};
    std::string words;
    for (const auto& [bit, word] : kWords) {
        if (state.lVal & bit)
            words += (words.empty() ? "" : ",") + std::string(word);
    }
    return words.empty() ? "normal" : words;
}

// Reads the page the way a screen reader does: the client object from the
// window, its children with AccessibleChildren, each child's name, role,
// state and value.
IAccessible* PageObject() {
    HWND window = MainWindow();
    IAccessible* object = nullptr;
    if (!window || FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

int Accessible() {
    ComInitialization com;
    IAccessible* object = com.Succeeded() ? PageObject() : nullptr;
    if (!object)
        return 1;
    LONG count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count > 0 ? count : 0));
    LONG got = 0;
    if (count > 0)
        AccessibleChildren(object, 0, count, children.data(), &got);
    for (LONG i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<size_t>(i)];
        if (child.vt == VT_I4) {
            std::string value = AskText([&](BSTR* out) { return object->get_accValue(child, out); });
            std::printf("%ld\t%s\t%s\t%s%s%s\n", child.lVal, RoleText(object, child).c_str(),
                        AskText([&](BSTR* out) { return object->get_accName(child, out); }).c_str(),
                        StateWords(object, child).c_str(), value.empty() ? "" : "\t", value.c_str());
        }
        VariantClear(&child);
    }
    object->Release();
    std::fflush(stdout);
    return got > 0 ? 0 : 1;
}

// A screen reader's "press": the default action of part ID.
int Press(LONG id) {
    ComInitialization com;
    IAccessible* object = com.Succeeded() ? PageObject() : nullptr;
    if (!object)
        return 1;
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    const HRESULT result = object->accDoDefaultAction(child);
    object->Release();
    return result == S_OK ? 0 : 1;
}

HWND g_eventWindow = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD, DWORD) {
    if (window != g_eventWindow || objectId != OBJID_CLIENT)
        return;
    const char* kind = event == EVENT_OBJECT_FOCUS        ? "focus"
                       : event == EVENT_OBJECT_NAMECHANGE ? "namechange"
                                                          : nullptr;
    if (!kind)
        return;
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    std::string name;
    if (SUCCEEDED(AccessibleObjectFromEvent(window, static_cast<DWORD>(objectId), static_cast<DWORD>(childId), &object,
                                            &child)) &&
        object) {
        name = AskText([&](BSTR* out) { return object->get_accName(child, out); });
        object->Release();
    }
    std::printf("%s %ld %s\n", kind, childId, name.c_str());
    std::fflush(stdout);
}

// Listens to the main window's events from outside its process, as a screen
// reader does.
int Events(int timeoutMs) {
    g_eventWindow = MainWindow();
    ComInitialization com;
    DWORD process = 0;
    if (!g_eventWindow || !com.Succeeded() || !GetWindowThreadProcessId(g_eventWindow, &process))
        return 1;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, &OnWinEvent, process, 0,
                                         WINEVENT_OUTOFCONTEXT);
    if (!hook)
        return 1;
    const DWORD end = GetTickCount() + static_cast<DWORD>(timeoutMs);
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    UnhookWinEvent(hook);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: window_probe find|dpi|wait STATE MS|license|render-status W H TEXT OUT\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return Usage();
    SetProcessDPIAware();
    std::wstring command = argv[1];
    if (command == L"find")
        return Find();
    if (command == L"dpi")
        return Dpi();
    if (command == L"wait" && argc == 4)
        return Wait(argv[2], _wtoi(argv[3]));
    if (command == L"spoil-package" && argc == 4)
        return SpoilPackage(argv[2], argv[3]);
    if (command == L"post-clicks" && argc >= 4 && argc % 2 == 0) {
        std::vector<POINT> points;
        for (int i = 2; i + 1 < argc; i += 2)
            points.push_back({_wtoi(argv[i]), _wtoi(argv[i + 1])});
        return PostClicks(points);
    }
    if (command == L"post" && argc >= 4) {
        std::vector<WPARAM> values;
        for (int i = 3; i < argc; ++i)
            values.push_back(static_cast<WPARAM>(std::wcstoull(argv[i], nullptr, 0)));
        return PostToMainWindow(static_cast<UINT>(_wtoi(argv[2])), values);
    }
    if (command == L"answers" && argc == 3)
        return Answers(_wtoi(argv[2]));
    if (command == L"msgbox")
        return MessageBoxText();
    if (command == L"report" && argc == 5)
        return SendReportTo(_wtoi(argv[2]), argv[3], _wtoi(argv[4]));
    if (command == L"titled" && argc == 3)
        return FindWindowW(nullptr, argv[2]) ? 0 : 1;
    if (command == L"wait-titled" && argc == 4) {
        for (int waited = 0; waited <= _wtoi(argv[3]); waited += 20) {
            HWND window = FindWindowW(nullptr, argv[2]);
            if (window && IsWindowVisible(window)) {
                RECT rect = {};
                GetWindowRect(window, &rect);
                std::printf("%ld %ld\n", rect.left, rect.top);
                return 0;
            }
            Sleep(20);
        }
        return 1;
    }
    if (command == L"wait-gone-titled" && argc == 4) {
        for (int waited = 0; waited <= _wtoi(argv[3]); waited += 20) {
            if (!FindWindowW(nullptr, argv[2]))
                return 0;
            Sleep(20);
        }
        return 1;
    }
    if (command == L"license")
        return License();
    if (command == L"accessible")
        return Accessible();
    if (command == L"press" && argc == 3)
        return Press(_wtoi(argv[2]));
    if (command == L"events" && argc == 3)
        return Events(_wtoi(argv[2]));
    if (command == L"render-status" && argc == 6) {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
        // "\r\n" written out in TEXT stands for the line break.
        std::wstring text = argv[4];
        for (size_t at = text.find(L"\\r\\n"); at != std::wstring::npos; at = text.find(L"\\r\\n", at + 2))
            text.replace(at, 4, L"\r\n");
        int rc = RenderStatus(_wtoi(argv[2]), _wtoi(argv[3]), text.c_str(), argv[5]);
        Gdiplus::GdiplusShutdown(token);
        return rc;
    }
    return Usage();
}
