#include "platform/shortcut_win.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/com_win.h"
#include "platform/text_win.h"

namespace {

std::u16string LinkFilePath(const std::u16string& linkBase) {
    return linkBase + u".lnk";
}

// Whether Save succeeds is not examined: a link that could not be written is
// simply missing later, and deleting it then is harmless.
bool SaveLink(IShellLinkW* link, const std::u16string& linkBase) {
    UniqueComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Put())))
        return false;
    file->Save(WidePtr(LinkFilePath(linkBase)), TRUE);
    return true;
}

}  // namespace

bool CreateShortcut(const std::u16string& linkBase, const std::u16string& target) {
    // A thread already in the multithreaded apartment gets RPC_E_CHANGED_MODE
    // here and makes no link.
    ComInitialization com;
    if (!com.Succeeded())
        return false;
    UniqueComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Put())))
        return false;
    link->SetPath(WidePtr(target));
    link->SetShowCmd(SW_SHOW);
    return SaveLink(link.Get(), linkBase);
}

void DeleteShortcut(const std::u16string& linkBase) {
    DeleteFileW(WidePtr(LinkFilePath(linkBase)));
}

std::optional<std::u16string> ShortcutTarget(const std::u16string& linkBase) {
    ComInitialization com;
    UniqueComPtr<IShellLinkW> link;
    UniqueComPtr<IPersistFile> file;
    if (!com.Succeeded() ||
        FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Put())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.Put())) ||
        FAILED(file->Load(WidePtr(LinkFilePath(linkBase)), STGM_READ)))
        return std::nullopt;
    wchar_t target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK || target[0] == L'\0')
        return std::nullopt;
    return FromWide(target);
}
