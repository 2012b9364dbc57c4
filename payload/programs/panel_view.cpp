#include "payload/programs/panel_view.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace {

constexpr char16_t kNotConfigured[] = u"not configured";

// An unsigned number in C notation ("7550", "0x0804") that fits `limit`.
std::optional<uint32_t> ParseNumber(const char* text, uint32_t limit) {
    if (!text || !*text || *text == '-' || *text == '+' || *text == ' ')
        return std::nullopt;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (*end != '\0' || value > limit)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

// True for four decimal octets 0-255 joined by dots, nothing else.
bool IsDottedAddress(const std::string& text) {
    int octets = 0;
    size_t at = 0;
    while (at <= text.size() && octets < 4) {
        const size_t dot = text.find('.', at);
        const std::string part = text.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(part.c_str()) > 255)
            return false;
        ++octets;
        if (dot == std::string::npos)
            return octets == 4;
        at = dot + 1;
    }
    return false;
}

std::u16string Ascii(const std::string& text) {
    return Utf8ToUtf16(text);
}

std::u16string LanguageText(const std::optional<uint32_t>& id) {
    if (!id)
        return kNotConfigured;
    char hex[16] = {};
    std::snprintf(hex, sizeof(hex), "0x%04X", static_cast<unsigned>(*id));
    std::u16string text = Ascii(hex);
    if (*id == 0x0804)
        text += u" Chinese (Simplified)";
    else if (*id == 0x0409)
        text += u" English";
    return text;
}

std::u16string EndpointText(const std::optional<PanelSettings>& settings) {
    if (!settings || !settings->address || !settings->port)
        return kNotConfigured;
    return Ascii(*settings->address + ":" + std::to_string(*settings->port));
}

}  // namespace

PanelSettings ParsePanelSettings(const std::string& xml) {
    PanelSettings settings;
    TiXmlDocument document;
    document.Parse(xml.c_str());
    if (document.Error())
        return settings;
    if (const TiXmlElement* lang = document.FirstChildElement("Lang")) {
        if (auto id = ParseNumber(lang->Attribute("Id"), 0xFFFF); id && *id != 0)
            settings.languageId = static_cast<uint16_t>(*id);
    }
    if (const TiXmlElement* endpoint = document.FirstChildElement("IPEndpoint")) {
        const char* address = endpoint->Attribute("IP");
        if (address && IsDottedAddress(address))
            settings.address = address;
        if (auto port = ParseNumber(endpoint->Attribute("Port"), 0xFFFF))
            settings.port = static_cast<uint16_t>(*port);
    }
    return settings;
}

std::u16string ComposePanelText(const ProductKeyValues& key, const std::optional<PanelSettings>& settings) {
    const std::optional<uint32_t> panelLanguage =
        settings && settings->languageId ? std::optional<uint32_t>(*settings->languageId) : std::nullopt;
    std::u16string text;
    text += u"Company: " + key.company.value_or(kNotConfigured) + u"\r\n";
    text += u"Installed language: " + LanguageText(key.languageId) + u"\r\n";
    text += u"Panel language: " + LanguageText(panelLanguage) + u"\r\n";
    text += u"Service endpoint: " + EndpointText(settings) + u"\r\n";
    return text;
}
