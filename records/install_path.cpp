#include "records/install_path.h"

std::optional<InstallPathChoice> InstallPathForFolder(std::u16string_view folder,
                                                      std::u16string_view company,
                                                      std::u16string_view product) {
    if (!folder.empty() && folder.back() == u'\\')
        folder.remove_suffix(1);
    if (folder.empty())
        return std::nullopt;
    InstallPathChoice choice;
    choice.BaseFolder = std::u16string(folder);
    choice.FullInstallPath = choice.BaseFolder + u'\\' + std::u16string(company) + u'\\' + std::u16string(product);
    if (choice.FullInstallPath.size() > kMaxPathField)
        return std::nullopt;
    return choice;
}

InstallPathChoice CutInstallPath(std::u16string_view base, std::u16string_view company, std::u16string_view product) {
    InstallPathChoice choice;
    choice.BaseFolder = std::u16string(base.substr(0, kMaxPathField));
    choice.FullInstallPath = choice.BaseFolder + u'\\' + std::u16string(company) + u'\\' + std::u16string(product);
    if (choice.FullInstallPath.size() > kMaxPathField)
        choice.FullInstallPath.resize(kMaxPathField);
    return choice;
}
