#include <tinyxml.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "config/unattended_config.h"

namespace {

constexpr char kDefaultPath[] = "C:\\Program Files";

class UnattendedRulesTest : public ::testing::Test {
  protected:
    // Parses `text`, applies the rules to a record of defaults and keeps both.
    UnattendedRulesOutcome Apply(const std::string& text) {
        document_.Parse(text.c_str());
        EXPECT_FALSE(document_.Error()) << document_.ErrorDesc();
        return ApplyUnattendedRules(document_, config_, kDefaultPath);
    }

    // The first top-level "Unattended" element, printed on one line.
    std::string Element() {
        const TiXmlElement* element = document_.FirstChildElement("Unattended");
        return element ? Print(*element) : "(none)";
    }

    std::string Document() { return Print(document_); }

    static std::string Print(const TiXmlNode& node) {
        TiXmlPrinter printer;
        printer.SetStreamPrinting();
        node.Accept(&printer);
        return printer.Str();
    }

    TiXmlDocument document_;
    UnattendedConfig config_;
};

// An element with all five attributes valid is read and left as it was.
TEST_F(UnattendedRulesTest, CompleteElementIsReadWithoutChange) {
    const char* text =
        "<Unattended Lang=\"Chinese\" EndUserLicense=\"Agree\" ShowPanel=\"Yes\" HID=\"3\" Path=\"D:\\Apps\" />";
    UnattendedRulesOutcome outcome = Apply(text);
    EXPECT_FALSE(outcome.Changed);
    EXPECT_EQ(Element(), text);
    EXPECT_EQ(config_.LangId, 2052u);
    EXPECT_TRUE(config_.EndUserLicenseAgreed);
    EXPECT_TRUE(config_.ShowPanel);
    EXPECT_EQ(config_.Hid, 3);
    EXPECT_EQ(outcome.PathText, std::optional<std::string>("D:\\Apps"));
}

// Missing attributes follow the existing ones, always in the order Lang,
// EndUserLicense, ShowPanel, HID, Path, with their defaults.
TEST_F(UnattendedRulesTest, MissingAttributesAreAppendedInFixedOrder) {
    struct Case {
        const char* Input;
        const char* Expected;
    } cases[] = {
        {"<Unattended />",
         "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" "
         "Path=\"C:\\Program Files\" />"},
        {"<Unattended Path=\"E:\\x\" Other=\"o\" HID=\"2\" />",
         "<Unattended Path=\"E:\\x\" Other=\"o\" HID=\"2\" Lang=\"English\" EndUserLicense=\"Disagree\" "
         "ShowPanel=\"No\" />"},
        {"<Unattended ShowPanel=\"Yes\" Lang=\"Korean\" />",
         "<Unattended ShowPanel=\"Yes\" Lang=\"Korean\" EndUserLicense=\"Disagree\" HID=\"1\" "
         "Path=\"C:\\Program Files\" />"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Input);
        document_.Clear();
        config_ = UnattendedConfig{};
        EXPECT_TRUE(Apply(c.Input).Changed);
        EXPECT_EQ(Element(), c.Expected);
    }
}

// An element without attributes leaves every value at its default: interactive.
TEST_F(UnattendedRulesTest, EmptyElementKeepsDefaults) {
    UnattendedRulesOutcome outcome = Apply("<Unattended></Unattended>");
    EXPECT_EQ(config_.LangId, 1033u);
    EXPECT_FALSE(config_.EndUserLicenseAgreed);
    EXPECT_FALSE(config_.ShowPanel);
    EXPECT_EQ(config_.Hid, 1);
    EXPECT_FALSE(outcome.PathText.has_value());
}

// Only the five exact names are recognised; any other spelling is English and stays as written.
TEST_F(UnattendedRulesTest, LangNamesMapExactly) {
    struct Case {
        const char* Lang;
        uint32_t LangId;
    } cases[] = {
        {"English", 1033}, {"Chinese", 2052}, {"Italiano", 1040}, {"Deutsch", 1031},  {"Korean", 1042},
        {"German", 1033},  {"chinese", 1033}, {"KOREAN", 1033},   {" Deutsch", 1033}, {"", 1033},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Lang);
        document_.Clear();
        config_ = UnattendedConfig{};
        std::string text = std::string("<Unattended Lang=\"") + c.Lang +
                           "\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" Path=\"p\" />";
        EXPECT_FALSE(Apply(text).Changed);
        EXPECT_EQ(config_.LangId, c.LangId);
        EXPECT_EQ(Element(), text);
    }
}

// Acceptance and visible launches need the exact words "Agree" and "Yes".
TEST_F(UnattendedRulesTest, LicenseAndShowPanelNeedExactWords) {
    struct Case {
        const char* License;
        const char* ShowPanel;
        bool Agreed;
        bool Visible;
    } cases[] = {
        {"Agree", "Yes", true, true},     {"agree", "yes", false, false}, {"AGREE", "YES", false, false},
        {"Agree ", "Yes ", false, false}, {"", "", false, false},         {"Disagree", "No", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.License) + "/" + c.ShowPanel);
        document_.Clear();
        config_ = UnattendedConfig{};
        EXPECT_FALSE(Apply(std::string("<Unattended Lang=\"English\" EndUserLicense=\"") + c.License +
                           "\" ShowPanel=\"" + c.ShowPanel + "\" HID=\"1\" Path=\"p\" />")
                         .Changed);
        EXPECT_EQ(config_.EndUserLicenseAgreed, c.Agreed);
        EXPECT_EQ(config_.ShowPanel, c.Visible);
    }
}

// German with acceptance: the record says 1031 and unattended.
TEST_F(UnattendedRulesTest, DeutschWithAgreeGives1031AndAcceptance) {
    EXPECT_TRUE(Apply("<Unattended Lang=\"Deutsch\" EndUserLicense=\"Agree\" />").Changed);
    EXPECT_EQ(config_.LangId, 1031u);
    EXPECT_TRUE(config_.EndUserLicenseAgreed);
}

// A HID with a number is read and kept as written; one without is replaced by "1".
TEST_F(UnattendedRulesTest, HidWithoutNumberIsReplacedInPlace) {
    struct Case {
        const char* Hid;
        int32_t Expected;
        const char* Written;
    } cases[] = {
        {" 7x", 7, " 7x"}, {"-2", -2, "-2"}, {"0", 0, "0"}, {"abc", 1, "1"}, {"", 1, "1"}, {"x7", 1, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Hid);
        document_.Clear();
        config_ = UnattendedConfig{};
        UnattendedRulesOutcome outcome = Apply(std::string("<Unattended Lang=\"English\" HID=\"") + c.Hid +
                                               "\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" Path=\"p\" />");
        EXPECT_EQ(config_.Hid, c.Expected);
        EXPECT_EQ(outcome.Changed, std::string(c.Hid) != c.Written);
        EXPECT_EQ(Element(), std::string("<Unattended Lang=\"English\" HID=\"") + c.Written +
                                 "\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" Path=\"p\" />");
    }
}

// A present Path is reported as its bytes, even when empty; it is never rewritten.
TEST_F(UnattendedRulesTest, PresentPathIsReportedUnchanged) {
    UnattendedRulesOutcome outcome =
        Apply("<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" Path=\"\" />");
    EXPECT_FALSE(outcome.Changed);
    EXPECT_EQ(outcome.PathText, std::optional<std::string>(""));
}

// An element nested in another one is not the configuration: a default
// element is appended at the top level, after everything else.
TEST_F(UnattendedRulesTest, NestedElementIsIgnoredAndDefaultAppended) {
    UnattendedRulesOutcome outcome = Apply("<Root><Unattended Lang=\"Chinese\" EndUserLicense=\"Agree\" /></Root>");
    EXPECT_TRUE(outcome.Changed);
    EXPECT_EQ(config_.LangId, 1033u);
    EXPECT_FALSE(config_.EndUserLicenseAgreed);
    EXPECT_EQ(Document(),
              "<Root><Unattended Lang=\"Chinese\" EndUserLicense=\"Agree\" /></Root>"
              "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" "
              "Path=\"C:\\Program Files\" />");
}

// A document of only a declaration gains the default element after it.
TEST_F(UnattendedRulesTest, DeclarationOnlyDocumentGainsDefaultElement) {
    EXPECT_TRUE(Apply("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n").Changed);
    EXPECT_EQ(Document(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>"
              "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" "
              "Path=\"C:\\Program Files\" />");
}

// Comments, other elements and a second "Unattended" element stay as they were;
// only the first top-level element is read and completed.
TEST_F(UnattendedRulesTest, OnlyFirstTopLevelElementIsConsulted) {
    EXPECT_TRUE(Apply("<!-- site A --><Other a=\"1\" /><Unattended Lang=\"Italiano\" />"
                      "<Unattended Lang=\"Korean\" EndUserLicense=\"Agree\" />")
                    .Changed);
    EXPECT_EQ(config_.LangId, 1040u);
    EXPECT_FALSE(config_.EndUserLicenseAgreed);
    EXPECT_EQ(Document(),
              "<!-- site A --><Other a=\"1\" />"
              "<Unattended Lang=\"Italiano\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" "
              "Path=\"C:\\Program Files\" />"
              "<Unattended Lang=\"Korean\" EndUserLicense=\"Agree\" />");
}

// "%d" reading: blanks, sign and digits; trailing text ignored; clamped to 32 bits.
TEST_F(UnattendedRulesTest, DecimalPrefixIsReadLikeScanfD) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    struct Case {
        const char* Text;
        std::optional<int32_t> Expected;
    } cases[] = {
        {"7", 7},
        {" 7x", 7},
        {"\t\r\n -12", -12},
        {"+5", 5},
        {"007", 7},
        {"1 2", 1},
        {"2147483647", kMax},
        {"-2147483648", kMin},
        {"2147483648", kMax},
        {"-2147483649", kMin},
        {"99999999999999999999999", kMax},
        {"-99999999999999999999999", kMin},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"x7", std::nullopt},
        {"-", std::nullopt},
        {"- 5", std::nullopt},
        {"+-5", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(ParseDecimalPrefix(c.Text), c.Expected);
    }
}

std::string Nested(size_t depth) {
    std::string text;
    for (size_t i = 0; i < depth; ++i)
        text += "<e>";
    for (size_t i = 0; i < depth; ++i)
        text += "</e>";
    return text;
}

class UnattendedDocumentTest : public ::testing::Test {};

// The depth is counted the way the XML parser reads the bytes: markup inside
// attribute values, comments and CDATA opens nothing, and a UTF-8 lead byte
// (after a byte-order mark) swallows the end tag that follows it.
TEST_F(UnattendedDocumentTest, NestingDepthFollowsTheParser) {
    const struct {
        std::string text;
        size_t depth;
    } cases[] = {
        {"", 0},
        {"<!-- none -->", 0},
        {"<Unattended Lang=\"English\"/>", 1},
        {"<?xml version=\"1.0\" ?>\r\n<a>\r\n<b/>\r\n</a>", 2},
        {"<a x='>' y=\"/>\"><b><c/></b></a>", 3},
        {"<!-- <a><a><a> --><a/>", 1},
        {"<a><![CDATA[<b><c>]]></a>", 1},
        {"<a><!DOCTYPE <b>><?pi <c>?></a>", 1},
        {"<r>" + std::string(3000, ' ') +
             [] {
                 std::string siblings;
                 for (int i = 0; i < 300; ++i)
                     siblings += "<s/><t></t>";
                 return siblings;
             }() +
             "</r>",
         2},
        {"<a>\xE0</a><b></b>", 1},
        {"\xEF\xBB\xBF<a>\xE0</a><b></b></a>", 2},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\xE0</a><b></b></a>", 2},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE0</a><b></b>", 1},
        {Nested(256), 256},
        {Nested(257), 257},
        {"<Unattended/>" + std::string(200000, '<') + "e", 1},
        {"<a></b><c><d>", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        EXPECT_EQ(UnattendedNestingDepth(c.text), c.depth);
    }
}

// A document deeper than the limit is refused before the parser sees it, and
// however deep it goes the count stops just past the limit.
TEST_F(UnattendedDocumentTest, TooDeepDocumentIsNotParsed) {
    std::string deep = "<Unattended Lang=\"Chinese\"/>";
    for (int i = 0; i < 200000; ++i)
        deep += "<e>";
    EXPECT_EQ(UnattendedNestingDepth(deep), kMaxUnattendedNesting + 1);
    TiXmlDocument document;
    EXPECT_FALSE(ParseUnattendedDocument(deep, document));
    EXPECT_EQ(document.FirstChild(), nullptr);
    EXPECT_TRUE(ParseUnattendedDocument("<Unattended/>" + Nested(255), document));
    EXPECT_FALSE(ParseUnattendedDocument("<Unattended/>" + Nested(257), document));
}

// Parsing the bytes gives what TinyXML's own file loader gives: line ends
// normalised, the byte-order mark noted, text after a NUL ignored.
TEST_F(UnattendedDocumentTest, DocumentIsParsedLikeTheFileLoader) {
    static const char kBytes[] = "\xEF\xBB\xBF<a x=\"1\r\n2\r3\"/>\0<b";
    TiXmlDocument document;
    ASSERT_TRUE(ParseUnattendedDocument(std::string(kBytes, sizeof kBytes - 1), document));
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(document.SaveFile(file));  // writes the byte-order mark when one was noted
    std::rewind(file);
    char saved[64] = {};
    const size_t size = std::fread(saved, 1, sizeof saved, file);
    std::fclose(file);
    EXPECT_EQ(std::string(saved, size), "\xEF\xBB\xBF<a x=\"1&#x0A;2&#x0A;3\" />\n");
    EXPECT_FALSE(ParseUnattendedDocument("", document));
    EXPECT_FALSE(ParseUnattendedDocument("<a", document));
}

}  // namespace
