#include "engine/panel_config.h"

#include <cstdio>

#include <tinyxml.h>

namespace {

TiXmlDocument BuildDocument(const PanelConfig& config) {
    TiXmlDocument document;
    TiXmlElement language("Lang");
    language.SetAttribute("Id", LanguageIdText(config.Language));
    document.InsertEndChild(language);
    TiXmlElement endpoint("IPEndpoint");
    endpoint.SetAttribute("IP", DottedAddressText(config.Address));
    endpoint.SetAttribute("Port", std::to_string(config.Port));
    document.InsertEndChild(endpoint);
    return document;
}

}  // namespace

std::string LanguageIdText(uint16_t language) {
    char text[16];
    std::snprintf(text, sizeof text, "0x0%x", static_cast<unsigned>(language));
    return text;
}

std::string DottedAddressText(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address & 0xFF, (address >> 8) & 0xFF, (address >> 16) & 0xFF,
                  address >> 24);
    return text;
}

std::string PanelConfigText(const PanelConfig& config) {
    TiXmlPrinter printer;
    printer.SetLineBreak("\r\n");
    BuildDocument(config).Accept(&printer);
    return printer.CStr();
}
