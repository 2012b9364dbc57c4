// The panel's view: the configuration document it reads and the text its
// window shows.
#include <gtest/gtest.h>

#include <string>

#include "payload/programs/panel_view.h"

namespace {

const std::string kInstalledConfig = "<Lang Id=\"0x0804\" />\n<IPEndpoint IP=\"127.0.0.1\" Port=\"7550\" />\n";

bool Contains(const std::u16string& text, const std::u16string& part) {
    return text.find(part) != std::u16string::npos;
}

class PanelViewTest : public ::testing::Test {};

// The document an installation writes gives all three settings.
TEST_F(PanelViewTest, ReadsInstalledConfiguration) {
    PanelSettings settings = ParsePanelSettings(kInstalledConfig);
    EXPECT_EQ(settings.languageId, uint16_t{0x0804});
    EXPECT_EQ(settings.address, std::string("127.0.0.1"));
    EXPECT_EQ(settings.port, uint16_t{7550});
}

// Language ids are hexadecimal after 0x and decimal without it.
TEST_F(PanelViewTest, ReadsLanguageInHexOrDecimal) {
    EXPECT_EQ(ParsePanelSettings("<Lang Id=\"0x0409\" />").languageId, uint16_t{1033});
    EXPECT_EQ(ParsePanelSettings("<Lang Id=\"2052\" />").languageId, uint16_t{2052});
}

// Values that are no number, too large, zero or signed leave the setting empty.
TEST_F(PanelViewTest, RejectsMalformedNumbers) {
    for (const char* id : {"", "zh", "0x10000", "0", "-1", "0x0804x"})
        EXPECT_FALSE(ParsePanelSettings(std::string("<Lang Id=\"") + id + "\" />").languageId) << id;
    for (const char* port : {"", "65536", "-80", "80 "})
        EXPECT_FALSE(ParsePanelSettings(std::string("<IPEndpoint IP=\"1.2.3.4\" Port=\"") + port + "\" />").port)
            << port;
}

// Port 0 is a port like any other.
TEST_F(PanelViewTest, AcceptsPortZero) {
    EXPECT_EQ(ParsePanelSettings("<IPEndpoint IP=\"1.2.3.4\" Port=\"0\" />").port, uint16_t{0});
}

// Only four decimal octets up to 255 make an address.
TEST_F(PanelViewTest, RejectsAddressesThatAreNotDottedQuads) {
    for (const char* ip : {"", "localhost", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "1.2.3.4."})
        EXPECT_FALSE(ParsePanelSettings(std::string("<IPEndpoint IP=\"") + ip + "\" Port=\"1\" />").address) << ip;
    EXPECT_EQ(ParsePanelSettings("<IPEndpoint IP=\"255.0.10.1\" />").address, std::string("255.0.10.1"));
}

// A document that is not XML gives no settings at all.
TEST_F(PanelViewTest, MalformedDocumentGivesNoSettings) {
    PanelSettings settings = ParsePanelSettings("<Lang Id=\"0x0804\" ><IPEndpoint");
    EXPECT_FALSE(settings.languageId);
    EXPECT_FALSE(settings.address);
    EXPECT_FALSE(settings.port);
}

// The text names the company, both languages and the endpoint.
TEST_F(PanelViewTest, ComposesConfiguredValues) {
    ProductKeyValues key{u"Zorvanelle", 1033};
    std::u16string text = ComposePanelText(key, ParsePanelSettings(kInstalledConfig));
    EXPECT_EQ(text,
              u"Company: Zorvanelle\r\n"
              u"Installed language: 0x0409 English\r\n"
              u"Panel language: 0x0804 Chinese (Simplified)\r\n"
              u"Service endpoint: 127.0.0.1:7550\r\n");
}

// Whatever is missing reads "not configured".
TEST_F(PanelViewTest, ComposesNotConfiguredForMissingValues) {
    std::u16string text = ComposePanelText(ProductKeyValues{}, std::nullopt);
    EXPECT_EQ(text,
              u"Company: not configured\r\n"
              u"Installed language: not configured\r\n"
              u"Panel language: not configured\r\n"
              u"Service endpoint: not configured\r\n");
}

// An endpoint needs both its address and its port.
TEST_F(PanelViewTest, EndpointWithoutPortIsNotConfigured) {
    PanelSettings settings;
    settings.address = "127.0.0.1";
    EXPECT_TRUE(Contains(ComposePanelText(ProductKeyValues{}, settings), u"Service endpoint: not configured\r\n"));
}

// A language without a known name shows its number alone.
TEST_F(PanelViewTest, UnknownLanguageShowsItsNumberOnly) {
    ProductKeyValues key{std::nullopt, 1031};
    EXPECT_TRUE(Contains(ComposePanelText(key, std::nullopt), u"Installed language: 0x0407\r\n"));
}

}  // namespace
