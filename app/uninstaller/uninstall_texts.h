// The uninstaller's texts in the product's two languages: Chinese when the
// product key's LanguageID is 2052 (Chinese, simplified), English otherwise.
// "%s" stands for the product's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/language_table.h"

enum class UninstallText {
    ConfirmTitle,
    Confirm,
    ProgressTitle,
    StoppingPrograms,
    UndoingRecords,
    RemovingFolders,
    Removed,
    RemovedAtRestart,
    NotRemoved,
    NothingToRemove,
    Busy,
    Close,
};

// The text `id` in the language `langId`, the product's name put in.
inline std::u16string UninstallTextOf(UninstallText id, uint32_t langId, std::u16string_view product) {
    struct Pair {
        const char16_t* English;
        const char16_t* Chinese;
    };
    static constexpr Pair kTexts[] = {
        {u"Uninstall %s", u"卸载 %s"},
        {u"Remove %s and all of its components from this computer?", u"确定要从这台计算机上删除 %s 及其所有组件吗？"},
        {u"Removing %s", u"正在卸载 %s"},
        {u"Closing the programs and stopping the services...", u"正在关闭程序并停止服务..."},
        {u"Removing files, services, shortcuts and registry entries...", u"正在删除文件、服务、快捷方式和注册表项..."},
        {u"Removing the installation folders...", u"正在删除安装文件夹..."},
        {u"%s was removed from this computer.", u"已从这台计算机上删除 %s。"},
        {u"%s was removed. Files that were in use are deleted when the computer restarts.",
         u"已删除 %s。正在使用的文件将在计算机重新启动后删除。"},
        {u"%s could not be removed completely. The log lists what is left.",
         u"%s 未能完全删除。日志列出了剩下的内容。"},
        {u"There is nothing to remove here: no installation log of %s lies beside the uninstaller.",
         u"这里没有可删除的内容：卸载程序旁边没有 %s 的安装日志。"},
        {u"Another installation or removal of %s is running. Try again when it has finished.",
         u"%s 的另一个安装或卸载正在运行。请在它结束后再试。"},
        {u"Close", u"关闭"},
    };
    const Pair& pair = kTexts[static_cast<size_t>(id)];
    std::u16string text = langId == kLangChinese ? pair.Chinese : pair.English;
    const size_t at = text.find(u"%s");
    if (at != std::u16string::npos)
        text.replace(at, 2, product);
    return text;
}
