#include "records/install_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/shipped_package.h"
#include "tools/package_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::u16string_view text) {
    Bytes bytes;
    AppendString16(bytes, text);
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

class InstallScriptTest : public ::testing::Test {
  protected:
    // Reads the first command of a script block made of `body`.
    ScriptReadStatus ReadFirst(const Bytes& body) {
        block_ = MakeScriptBlock(body);
        position_ = 4;
        return ReadScriptCommand(block_.data(), block_.size(), &position_, &command_);
    }

    Bytes block_;
    size_t position_ = 4;
    ScriptCommand command_;
};

struct StatusCase {
    const char* name;
    Bytes body;
    ScriptReadStatus expected;
};

// Every decoding rule that decides between a command and a fault.
TEST_F(InstallScriptTest, DecodesStatusPerGrammar) {
    const std::u16string longest(259, u'a');
    const std::u16string tooLong(260, u'a');
    const StatusCase cases[] = {
        {"bare pair", {5, 0x7F}, ScriptReadStatus::Command},
        {"bare pair of code above 13", {0xEE, 0x7F}, ScriptReadStatus::Command},
        {"code above 13 with arguments", Join({{14, 0x7E}, Text(u"x"), {0x7F}}), ScriptReadStatus::Malformed},
        {"marker neither 0x7E nor 0x7F", {1, 0x41}, ScriptReadStatus::Malformed},
        {"end byte not 0x7F", Join({{1, 0x7E}, Text(u"x"), {0x7E}}), ScriptReadStatus::Unterminated},
        {"code without marker", {1}, ScriptReadStatus::Malformed},
        {"end byte missing", Join({{1, 0x7E}, Text(u"x")}), ScriptReadStatus::Unterminated},
        {"path unterminated", {1, 0x7E, 'x', 0}, ScriptReadStatus::Malformed},
        {"shortcut without display name", Join({{3, 0x7E}, Text(u"x"), {0x7F}}), ScriptReadStatus::Malformed},
        {"text of 259 units", Join({{0, 0x7E}, Text(longest), {0x7F}}), ScriptReadStatus::Command},
        {"text of 260 units", Join({{0, 0x7E}, Text(tooLong), {0x7F}}), ScriptReadStatus::Invalid},
        {"path of 260 units", Join({{1, 0x7E}, Text(tooLong), {0x7F}}), ScriptReadStatus::Invalid},
        {"batch index 3", Join({{8, 0x7E, 3}, Text(u"x"), {0x7F}}), ScriptReadStatus::Command},
        {"batch index 4", Join({{8, 0x7E, 4}, Text(u"x"), {0x7F}}), ScriptReadStatus::Malformed},
        {"batch entry ended by other byte", Join({{8, 0x7E, 0}, Text(u"x"), {0x41}}), ScriptReadStatus::Unterminated},
        {"batch introducer without entry", Join({{8, 0x7E, 0}, Text(u"x"), {0x7E}}), ScriptReadStatus::Malformed},
        {"licence without path", {9, 0x7E, 1}, ScriptReadStatus::Malformed},
        {"service without end byte", Join({{7, 0x7E}, Text(u"x")}), ScriptReadStatus::Malformed},
        {"service description unterminated", Join({{7, 0x7E}, Text(u"x"), {0x7E, 'd', 0}}),
         ScriptReadStatus::Malformed},
    };
    for (const StatusCase& c : cases)
        EXPECT_EQ(ReadFirst(c.body), c.expected) << c.name;
}

// A pair (code, 0x7F) decodes as a command without arguments, whatever the code.
TEST_F(InstallScriptTest, DecodesBarePairWithoutArguments) {
    ASSERT_EQ(ReadFirst({0x7E, 0x7F}), ScriptReadStatus::Command);
    EXPECT_FALSE(command_.HasArguments);
    EXPECT_EQ(command_.Code, 0x7E);
    EXPECT_EQ(position_, 6u);
}

TEST_F(InstallScriptTest, ReportsEndAtScriptSize) {
    EXPECT_EQ(ReadFirst({}), ScriptReadStatus::End);
}

TEST_F(InstallScriptTest, AdvancesPastEachCommandThenReportsEnd) {
    block_ = MakeScriptBlock({1, 0x7F, 2, 0x7F});
    EXPECT_EQ(ReadScriptCommand(block_.data(), block_.size(), &position_, &command_), ScriptReadStatus::Command);
    EXPECT_EQ(ReadScriptCommand(block_.data(), block_.size(), &position_, &command_), ScriptReadStatus::Command);
    EXPECT_EQ(command_.Code, 2);
    EXPECT_EQ(ReadScriptCommand(block_.data(), block_.size(), &position_, &command_), ScriptReadStatus::End);
}

// Command 7 followed directly by 0x7F has no description.
TEST_F(InstallScriptTest, DecodesServiceWithoutDescription) {
    ASSERT_EQ(ReadFirst(Join({{7, 0x7E}, Text(u"svc.exe"), {0x7F}})), ScriptReadStatus::Command);
    EXPECT_EQ(command_.Path, u"svc.exe");
    EXPECT_FALSE(command_.HasText);
}

// Any byte other than 0x7F after the service path introduces a description.
TEST_F(InstallScriptTest, DecodesServiceDescriptionAfterAnyIntroducer) {
    ASSERT_EQ(ReadFirst(Join({{7, 0x7E}, Text(u"svc.exe"), {0x20}, Text(u"About"), {0x7F}})),
              ScriptReadStatus::Command);
    EXPECT_TRUE(command_.HasText);
    EXPECT_EQ(command_.Introducer, 0x20);
    EXPECT_EQ(command_.Text, u"About");
}

TEST_F(InstallScriptTest, DecodesBatchEntriesInStoredOrder) {
    ASSERT_EQ(ReadFirst(Join({{8, 0x7E, 2}, Text(u"u.bat"), {0x7E, 0}, Text(u"i.bat"), {0x7F}})),
              ScriptReadStatus::Command);
    ASSERT_EQ(command_.Batches.size(), 2u);
    EXPECT_EQ(command_.Batches[0].Index, 2);
    EXPECT_EQ(command_.Batches[0].Path, u"u.bat");
    EXPECT_EQ(command_.Batches[1].Index, 0);
    EXPECT_EQ(command_.Batches[1].Path, u"i.bat");
}

// ScriptSize, not the bytes given, bounds a command: the store that follows
// the script must never complete a cut command.
TEST_F(InstallScriptTest, RejectsCommandCompletedOnlyPastScriptSize) {
    Bytes body = Join({{1, 0x7E}, Text(u"x"), {0x7F}});
    block_ = MakeScriptBlock(body);
    block_[0] = static_cast<uint8_t>(block_.size() - 1);  // cut the end byte off
    EXPECT_EQ(ReadScriptCommand(block_.data(), block_.size(), &position_, &command_), ScriptReadStatus::Unterminated);
    EXPECT_EQ(position_, 4u);
}

TEST_F(InstallScriptTest, RejectsScriptSizeBeyondBytesGiven) {
    Bytes block = {0xFF, 0, 0, 0, 1, 0x7E, 'x', 0};
    EXPECT_EQ(ReadScriptCommand(block.data(), block.size(), &position_, &command_), ScriptReadStatus::Malformed);
}

TEST_F(InstallScriptTest, RejectsBlockShorterThanSizeField) {
    Bytes block = {8, 0, 0};
    EXPECT_EQ(ReadScriptCommand(block.data(), block.size(), &position_, &command_), ScriptReadStatus::Malformed);
}

TEST_F(InstallScriptTest, ExplainsFault) {
    block_ = MakeScriptBlock({14, 0x7E, 0x7F});
    std::string reason;
    EXPECT_EQ(ReadScriptCommand(block_.data(), block_.size(), &position_, &command_, &reason),
              ScriptReadStatus::Malformed);
    EXPECT_NE(reason.find("above 13"), std::string::npos) << reason;
}

// What the writer encodes, the reader decodes unchanged.
TEST_F(InstallScriptTest, DecodesShippedScriptAsWritten) {
    const std::vector<ScriptCommand> written = ShippedScriptCommands();
    block_ = ShippedScriptBlock();
    for (const ScriptCommand& expected : written) {
        ASSERT_EQ(ReadScriptCommand(block_.data(), block_.size(), &position_, &command_), ScriptReadStatus::Command);
        EXPECT_EQ(command_.Code, expected.Code);
        EXPECT_EQ(command_.Path, expected.Path);
        EXPECT_EQ(command_.Text, expected.Text);
        EXPECT_EQ(command_.HasText, expected.HasText);
        EXPECT_EQ(command_.Language, expected.Language);
        ASSERT_EQ(command_.Batches.size(), expected.Batches.size());
        for (size_t i = 0; i < expected.Batches.size(); ++i) {
            EXPECT_EQ(command_.Batches[i].Index, expected.Batches[i].Index);
            EXPECT_EQ(command_.Batches[i].Path, expected.Batches[i].Path);
        }
    }
    EXPECT_EQ(ReadScriptCommand(block_.data(), block_.size(), &position_, &command_), ScriptReadStatus::End);
}

}  // namespace
