#include "system/shortcut_win.h"

#include <windows.h>

#include <shlobj.h>

#include "system/com_win.h"
#include "system/text_win.h"

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
