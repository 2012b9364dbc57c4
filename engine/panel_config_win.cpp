#include <cstdio>

#include "engine/panel_config.h"
#include "system/text_win.h"

bool WritePanelConfig(const PanelConfig& config, const std::u16string& path) {
    // _wfopen takes the UTF-16 path as it is: converting it to the ANSI code
    // page would lose any character outside that page and open another name.
    // Text mode ("w") writes each line end as CR LF.
    FILE* stream = _wfopen(WidePtr(path), L"w");
    if (!stream)
        return false;
    bool printed = PrintPanelConfig(config, stream);
    // fclose flushes the buffered text: a write that fails only then still counts.
    bool closed = std::fclose(stream) == 0;
    return printed && closed;
}
