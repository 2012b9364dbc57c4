#include "engine/panel_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class PanelConfigTest : public ::testing::Test {};

// "0x0" then lower-case hexadecimal digits, however many the value needs.
TEST_F(PanelConfigTest, LanguageIdTextIsZeroPrefixedLowerHex) {
    const std::vector<std::pair<uint16_t, std::string>> cases = {
        {2052, "0x0804"}, {1033, "0x0409"}, {1031, "0x0407"}, {0, "0x00"}, {0x1A, "0x01a"}, {0xFFFF, "0x0ffff"},
    };
    for (const auto& [language, text] : cases)
        EXPECT_EQ(LanguageIdText(language), text) << language;
}

// The least significant byte is the first octet.
TEST_F(PanelConfigTest, DottedAddressTextStartsWithLeastSignificantByte) {
    const std::vector<std::pair<uint32_t, std::string>> cases = {
        {kPanelLoopbackAddress, "127.0.0.1"},
        {0, "0.0.0.0"},
        {0xFFFFFFFF, "255.255.255.255"},
        {0x0A01A8C0, "192.168.1.10"},
    };
    for (const auto& [address, text] : cases)
        EXPECT_EQ(DottedAddressText(address), text) << address;
}

// An installation in Chinese writes exactly these two lines: CR LF line ends, no declaration, no BOM.
TEST_F(PanelConfigTest, DocumentForChineseInstallationIsExactlyTwoElements) {
    EXPECT_EQ(PanelConfigText({2052, kPanelLoopbackAddress, kPanelPort}),
              "<Lang Id=\"0x0804\" />\r\n"
              "<IPEndpoint IP=\"127.0.0.1\" Port=\"7550\" />\r\n");
}

// Other values go into the same places: English, another address, port 0.
TEST_F(PanelConfigTest, DocumentCarriesLanguageAddressAndPort) {
    EXPECT_EQ(PanelConfigText({1033, 0x0A01A8C0, 0}),
              "<Lang Id=\"0x0409\" />\r\n"
              "<IPEndpoint IP=\"192.168.1.10\" Port=\"0\" />\r\n");
    EXPECT_EQ(PanelConfigText({1033, kPanelLoopbackAddress, 65535}),
              "<Lang Id=\"0x0409\" />\r\n"
              "<IPEndpoint IP=\"127.0.0.1\" Port=\"65535\" />\r\n");
}

}  // namespace
