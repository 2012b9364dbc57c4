#include <vector>

#include "engine/panel_config.h"
#include "platform/file_ops_win.h"
#include "platform/path_names.h"

bool WritePanelConfig(const PanelConfig& config, const std::u16string& path) {
    // The configuration folder is shared by every user: the file is written
    // through handles that no link planted there can redirect.
    std::u16string folder = path;
    CutLastPathComponent(folder);
    const std::string text = PanelConfigText(config);
    return WriteNewFileInFolder(folder, FileNameOfPath(path), std::vector<uint8_t>(text.begin(), text.end()));
}
