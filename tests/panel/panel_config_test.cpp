#include "engine/panel_config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class PanelConfigTest : public ::testing::Test {
  protected:
    // What PrintPanelConfig puts into a stream, read back through a temporary file.
    std::string Printed(const PanelConfig& config) {
        FILE* stream = std::tmpfile();
        EXPECT_NE(stream, nullptr);
        if (!stream)
            return {};
        EXPECT_TRUE(PrintPanelConfig(config, stream));
        std::rewind(stream);
        std::string text;
        for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream))
            text.push_back(static_cast<char>(c));
        std::fclose(stream);
        return text;
    }
};

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

// An installation in Chinese writes exactly these two lines: no declaration, no BOM.
TEST_F(PanelConfigTest, DocumentForChineseInstallationIsExactlyTwoElements) {
    EXPECT_EQ(Printed({2052, kPanelLoopbackAddress, kPanelPort}),
              "<Lang Id=\"0x0804\" />\n"
              "<IPEndpoint IP=\"127.0.0.1\" Port=\"7550\" />\n");
}

// Other values go into the same places: English, another address, port 0.
TEST_F(PanelConfigTest, DocumentCarriesLanguageAddressAndPort) {
    EXPECT_EQ(Printed({1033, 0x0A01A8C0, 0}),
              "<Lang Id=\"0x0409\" />\n"
              "<IPEndpoint IP=\"192.168.1.10\" Port=\"0\" />\n");
    EXPECT_EQ(Printed({1033, kPanelLoopbackAddress, 65535}),
              "<Lang Id=\"0x0409\" />\n"
              "<IPEndpoint IP=\"127.0.0.1\" Port=\"65535\" />\n");
}

}  // namespace
