// The panel program's configuration file "PanelConfig.ini": despite its
// name an XML document of two empty elements, written afresh by every
// successful installation and never read by the installer.
//
//   <Lang Id="0x0804" />
//   <IPEndpoint IP="127.0.0.1" Port="7550" />
//
// No XML declaration, no byte-order mark; one element per line.
#pragma once

#include <cstdint>
#include <string>

struct PanelConfig {
    uint16_t Language = 0;  // Windows language identifier
    uint32_t Address = 0;   // IPv4; the first octet of the dotted form is the least significant byte
    uint16_t Port = 0;
};

// What an installation writes: loopback address and the panel's port.
inline constexpr uint32_t kPanelLoopbackAddress = 0x0100007F;  // 127.0.0.1
inline constexpr uint16_t kPanelPort = 7550;

// "0x0" then the identifier in lower-case hexadecimal: 2052 gives "0x0804".
std::string LanguageIdText(uint16_t language);

// "%d.%d.%d.%d", octets from the least significant byte up.
std::string DottedAddressText(uint32_t address);

// The document as the file holds it: one element per line, each line ending
// in CR LF.
std::string PanelConfigText(const PanelConfig& config);

// Replaces the file at `path` with a new file holding PanelConfigText. The
// folder is opened without following a link and the file is created relative
// to it (WriteNewFileInFolder): a link planted as the folder or as the file is
// never followed, and a hard link planted as the file loses only its name.
// False, with the last error set, when the folder is missing or a link, or the
// file cannot be created or written. Windows layer.
bool WritePanelConfig(const PanelConfig& config, const std::u16string& path);
