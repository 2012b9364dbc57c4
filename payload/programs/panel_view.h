// What the panel shows: the product's settings from its registry key and
// from its configuration file, composed into the text of its window.
// Portable: the Windows side reads the key and the file and hands them here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The values of the product key the panel shows; empty when absent.
struct ProductKeyValues {
    std::optional<std::u16string> company;
    std::optional<uint32_t> languageId;
};

// The settings of the panel configuration file; each empty when the file
// lacks it or holds it in a form the panel does not understand.
struct PanelSettings {
    std::optional<uint16_t> languageId;  // <Lang Id="0x0804" />
    std::optional<std::string> address;  // <IPEndpoint IP="127.0.0.1" ... />, dotted IPv4
    std::optional<uint16_t> port;        // <IPEndpoint ... Port="7550" />
};

// Reads the configuration document (XML with top-level `Lang` and
// `IPEndpoint` elements). Malformed XML gives empty settings; a malformed
// attribute leaves only its own setting empty.
PanelSettings ParsePanelSettings(const std::string& xml);

// The window text: one line each for the company, the installed language,
// the panel language and the service endpoint, lines ending in CR LF. A
// value that is missing reads "not configured".
std::u16string ComposePanelText(const ProductKeyValues& key, const std::optional<PanelSettings>& settings);
