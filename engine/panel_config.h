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
#include <cstdio>
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

// Prints the document to an open stream, one element per "\n"-ended line
// (a text-mode stream turns each "\n" into the platform's line end). True when the stream reports no error afterwards;
// the stream stays open and owned by the caller.
bool PrintPanelConfig(const PanelConfig& config, FILE* stream);

// The document as the file holds it: the same elements, each line ending in
// CR LF.
std::string PanelConfigText(const PanelConfig& config);

// Replaces the file at `path` (UTF-16) with a new file holding
// PanelConfigText. The folder is opened without following a link and the file
// is created relative to it (WriteNewFileInFolder): a link planted as the
// folder or as the file is never followed. False when the folder is missing or
// a link, or the file cannot be created or written. Windows layer.
bool WritePanelConfig(const PanelConfig& config, const std::u16string& path);
