// Install and removal judge a display name by one rule: every name the
// package reader keeps is one the removal of a found log undoes, and every
// name the removal would refuse is dropped when the package is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "records/install_script.h"
#include "records/installer_state.h"
#include "records/package.h"
#include "removal/uninstall_plausibility.h"
#include "tests/support/shipped_package.h"
#include "tools/package_writer.h"

namespace {

constexpr char16_t kShortcutFolder[] = u"C:\\users\\a\\Desktop";

class DisplayNameRuleTest : public ::testing::Test {
  protected:
    // True when a script of the one command keeps an entry.
    bool Kept(uint8_t code, const std::u16string& name) {
        const std::vector<uint8_t> store = MakeFileStore(ShippedStoreRoot());
        const std::vector<uint8_t> package =
            MakePackage(MakeScriptBlock(EncodeScriptBody({MakePathTextCommand(code, kShippedPanel, name)})), store);
        EXPECT_TRUE(LoadPackage(state_, package.data(), package.size()));
        return !state_.DesktopMenuList.empty() || !state_.ProgramsShortcutList.empty() ||
               !state_.DesktopShortcutList.empty();
    }

    // True when a removal undoes the record an installation writes for `name`:
    // the menu entry's name, or the link base in the shortcut folder.
    static bool Removable(uint8_t record, const std::u16string& name) {
        RemovalPlaces places;
        places.InstallFolder = u"C:\\Program Files\\Zorvanelle\\ZorvanelleV7";
        places.ShortcutFolders = {kShortcutFolder};
        ActionRecordList list;
        const std::u16string text = record == DesktopMenuRecord ? name : std::u16string(kShortcutFolder) + u"\\" + name;
        AppendTextRecord(list, record, text);
        return IsPlausibleRecord(list.Records.front(), UninstallLog{}, places);
    }

    InstallerState state_;
};

TEST_F(DisplayNameRuleTest, PackageKeepsExactlyTheNamesRemovalUndoes) {
    const struct {
        std::u16string name;
        bool plain;
    } names[] = {
        {u"Zorvanelle Panel", true},
        {u"Panel 2.1", true},
        {u"Panel (x86)", true},
        {u"\u914D\u7F6E", true},
        {u"Panel: Settings", false},
        {u"C:", false},
        {u"Panel.", false},
        {u"Panel ", false},
        {u"a\\b", false},
        {u"a/b", false},
        {u"..", false},
        {u"", false},
    };
    const struct {
        uint8_t code;
        uint8_t record;
    } kinds[] = {
        {kScriptDesktopMenu, DesktopMenuRecord},
        {kScriptProgramsShortcut, ProgramsShortcutRecord},
        {kScriptDesktopShortcut, DesktopShortcutRecord},
    };
    for (const auto& kind : kinds) {
        for (const auto& n : names) {
            SCOPED_TRACE(std::to_string(kind.code) + " [" + Utf16ToUtf8(n.name) + "]");
            EXPECT_EQ(Kept(kind.code, n.name), n.plain);
            // A name with a backslash would be a link below a subfolder;
            // the reader refuses it, whatever a removal would say.
            if (n.name.find(u'\\') == std::u16string::npos) {
                EXPECT_EQ(Removable(kind.record, n.name), n.plain);
            }
        }
    }
}

}  // namespace
