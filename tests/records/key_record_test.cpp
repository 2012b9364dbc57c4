#include "records/key_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kLocalMachine = 0x80000002;

class KeyRecordTest : public ::testing::Test {
  protected:
    static std::optional<KeyRecord> Decode(const std::vector<uint8_t>& bytes) {
        return DecodeKeyRecord(bytes.data(), bytes.size());
    }
};

// Root little-endian, then the path in UTF-16LE and its terminator.
TEST_F(KeyRecordTest, EncodesRootThenTerminatedPath) {
    const std::vector<uint8_t> expected = {0x02, 0x00, 0x00, 0x80, u'S', 0, u'W', 0, 0xAC, 0x20, 0, 0};
    EXPECT_EQ(EncodeKeyRecord(kLocalMachine, u"SW\u20AC"), expected);
}

// The size the uninstall log expects: 4 + (length + 1) x 2.
TEST_F(KeyRecordTest, EncodedSizeCountsRootAndTerminator) {
    EXPECT_EQ(EncodeKeyRecord(kLocalMachine, u"SOFTWARE\\Product").size(), 4u + 17u * 2u);
    EXPECT_EQ(EncodeKeyRecord(kLocalMachine, u"").size(), 6u);
}

// A path over 255 units, or one holding a NUL, gives no record at all.
TEST_F(KeyRecordTest, EncodeRefusesPathsThatCannotBeReadBack) {
    EXPECT_EQ(EncodeKeyRecord(kLocalMachine, std::u16string(255, u'k')).size(), 4u + 256u * 2u);
    EXPECT_TRUE(EncodeKeyRecord(kLocalMachine, std::u16string(256, u'k')).empty());
    EXPECT_TRUE(EncodeKeyRecord(kLocalMachine, std::u16string(u"a\0b", 3)).empty());
}

// What is encoded decodes to the same root and path, also at the longest path.
TEST_F(KeyRecordTest, DecodeReturnsWhatWasEncoded) {
    for (const std::u16string& path : {std::u16string(u"SOFTWARE\\Product"), std::u16string(255, u'z')}) {
        std::optional<KeyRecord> record = Decode(EncodeKeyRecord(0x80000001, path));
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->RootValue, 0x80000001u);
        EXPECT_EQ(record->Path, path);
    }
}

// Bytes after the terminator (and an odd last byte) are not part of the path.
TEST_F(KeyRecordTest, DecodeEndsThePathAtItsTerminator) {
    std::vector<uint8_t> bytes = EncodeKeyRecord(kLocalMachine, u"Key");
    bytes.insert(bytes.end(), {u'X', 0, 0, 0, 7});
    std::optional<KeyRecord> record = Decode(bytes);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Path, u"Key");
}

// Short, unterminated or over-long records are damaged and give nothing.
TEST_F(KeyRecordTest, DecodeRefusesDamagedRecords) {
    const std::vector<std::vector<uint8_t>> damaged = {
        {},
        {0x02, 0x00, 0x00},
        {0x02, 0x00, 0x00, 0x80},
        {0x02, 0x00, 0x00, 0x80, 0x00},
        {0x02, 0x00, 0x00, 0x80, u'K', 0, u'e', 0},
        {0x02, 0x00, 0x00, 0x80, u'K', 0, 0},
    };
    for (const std::vector<uint8_t>& bytes : damaged)
        EXPECT_FALSE(Decode(bytes).has_value()) << "record of " << bytes.size() << " bytes";
    std::vector<uint8_t> tooLong = {0x02, 0x00, 0x00, 0x80};
    tooLong.resize(4 + 256 * 2, u'k');
    for (size_t i = 5; i < tooLong.size(); i += 2)
        tooLong[i] = 0;
    tooLong.insert(tooLong.end(), {0, 0});
    EXPECT_FALSE(Decode(tooLong).has_value());
}

// The empty path is a well-formed record; acting on it is the caller's call.
TEST_F(KeyRecordTest, DecodeAcceptsEmptyPath) {
    std::optional<KeyRecord> record = Decode({0x02, 0x00, 0x00, 0x80, 0, 0});
    ASSERT_TRUE(record.has_value());
    EXPECT_TRUE(record->Path.empty());
}

}  // namespace
