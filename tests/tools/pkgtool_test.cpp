#include "tools/pkgtool/pkgtool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "records/package_container.h"
#include "tools/package_writer.h"
#include "tools/pkgtool/host_files.h"

namespace fs = std::filesystem;

namespace {

using FileMap = std::map<std::string, std::vector<uint8_t>>;  // UTF-8 relative path -> bytes

std::vector<uint8_t> Bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Every file and folder below `dir`; folders map to an empty marker entry
// ending in "/" so empty folders count too.
FileMap ReadTree(const fs::path& dir) {
    FileMap files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        const std::string relative = entry.path().lexically_relative(dir).generic_u8string();
        std::vector<uint8_t> bytes;
        std::string error;
        if (entry.is_directory())
            files[relative + "/"] = {};
        else if (ReadFileBytes(entry.path(), &bytes, &error))
            files[relative] = bytes;
    }
    return files;
}

struct RunResult {
    int Status = 0;
    std::string Out;
    std::string Err;
};

class PkgtoolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        scratch_ =
            fs::temp_directory_path() / ("pkgtool-" + std::string(info->name()) + "-" + std::to_string(counter++));
        fs::remove_all(scratch_);
        fs::create_directories(scratch_);
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    fs::path Path(std::string_view relative) const { return scratch_ / PathFromUtf8(relative); }
    std::string Name(std::string_view relative) const { return PathToUtf8(Path(relative)); }

    void Write(std::string_view relative, std::string_view content) {
        const fs::path path = Path(relative);
        fs::create_directories(path.parent_path());
        std::string error;
        ASSERT_TRUE(WriteFileBytes(path, Bytes(content), &error)) << error;
    }

    RunResult Run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        RunResult result;
        result.Status = RunPkgtool(args, out, err);
        result.Out = out.str();
        result.Err = err.str();
        return result;
    }

    // Builds m.manifest and the payload folder Demo into out.pkg, stored:
    // most tests look at the stored layout itself.
    RunResult Build() { return Run({"build", "--store", Name("m.manifest"), Name("Demo"), "-o", Name("out.pkg")}); }
    RunResult BuildCompressed() { return Run({"build", Name("m.manifest"), Name("Demo"), "-o", Name("out.pkz")}); }

    std::vector<uint8_t> ReadPackage(std::string_view relative) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_TRUE(ReadFileBytes(Path(relative), &bytes, &error)) << error;
        return bytes;
    }

    // A small payload with nested folders, an empty file and non-ASCII names.
    void WriteDemoPayload(std::string_view root) {
        const std::string base(root);
        Write(base + "/Panel.exe", "MZ panel");
        Write(base + "/License.txt", std::string("\xFF\xFEL\0i\0", 6));
        Write(base +
                  "/\xC3\x9C"
                  "bersicht \xE8\xAA\xAC\xE6\x98\x8E.txt",
              "non-ASCII name");
        Write(base + "/empty.dat", "");
        Write(base + "/driver/Install X86.bat", "@echo off\r\n");
        Write(base + "/driver/USB/a.inf", "[Version]\r\n");
        Write(base + "/driver/USB/i386/a.sys", std::string(70000, '\x5A'));
        fs::create_directories(Path(base + "/driver/Caf\xC3\xA9"));
    }

    fs::path scratch_;
};

constexpr char kDemoManifest[] =
    "company Zorvanelle\n"
    "product ZorvanelleV7\n"
    "main-app Panel.exe\n"
    "license english .\\License.txt\n"
    "system-file \"\xC3\x9C"
    "bersicht \xE8\xAA\xAC\xE6\x98\x8E.txt\"\n"
    "driver-batches x86=\"driver\\Install X86.bat\"\n";

TEST_F(PkgtoolTest, BuildListExtractGivesBackThePayloadByteForByte) {
    WriteDemoPayload("Demo");
    Write("m.manifest", kDemoManifest);
    const RunResult built = Build();
    ASSERT_EQ(built.Status, kExitOk) << built.Err;

    const RunResult listed = Run({"list", Name("out.pkg")});
    EXPECT_EQ(listed.Status, kExitOk) << listed.Err;
    EXPECT_NE(listed.Out.find("system-file \"\xC3\x9C"
                              "bersicht \xE8\xAA\xAC\xE6\x98\x8E.txt\"  # found"),
              std::string::npos)
        << listed.Out;
    EXPECT_NE(listed.Out.find("  (the installer reads the whole script)"), std::string::npos);

    const RunResult extracted = Run({"extract", Name("out.pkg"), Name("x")});
    ASSERT_EQ(extracted.Status, kExitOk) << extracted.Err;
    EXPECT_EQ(ReadTree(Path("x/Demo")), ReadTree(Path("Demo")));
}

TEST_F(PkgtoolTest, BuildLaysOutSortedFoldersDepthFirst) {
    // Created out of order: the store must not depend on directory order.
    Write("Demo/b/z.txt", "z");
    Write("Demo/B.txt", "B");
    Write("Demo/a/y.txt", "y");
    Write("Demo/a/sub/x.txt", "x");
    Write("Demo/A.txt", "A");
    Write("m.manifest", "main-app B.txt\n");
    ASSERT_EQ(Build().Status, kExitOk);

    StoreFolder sub{u"a\\sub", {{u"x.txt", Bytes("x")}}, {}};
    StoreFolder a{u"a", {{u"y.txt", Bytes("y")}}, {sub}};
    StoreFolder b{u"b", {{u"z.txt", Bytes("z")}}, {}};
    StoreFolder root{u"Demo", {{u"A.txt", Bytes("A")}, {u"B.txt", Bytes("B")}}, {a, b}};
    std::vector<uint8_t> body;
    ScriptCommand mainApp;
    mainApp.Code = kScriptMainApp;
    mainApp.Path = u"B.txt";
    AppendScriptCommand(body, mainApp);
    EXPECT_EQ(ReadPackage("out.pkg"), MakePackage(MakeScriptBlock(body), MakeFileStore(root, StoreLayout::DepthFirst)));
}

TEST_F(PkgtoolTest, OrderLinesPutNamedEntriesFirst) {
    Write("Demo/a.txt", "a");
    Write("Demo/b.txt", "b");
    Write("Demo/c.txt", "c");
    Write("Demo/d1/x", "x");
    Write("Demo/d2/y", "y");
    Write("m.manifest", "order . c.txt d2\n");
    ASSERT_EQ(Build().Status, kExitOk);

    StoreFolder d1{u"d1", {{u"x", Bytes("x")}}, {}};
    StoreFolder d2{u"d2", {{u"y", Bytes("y")}}, {}};
    StoreFolder root{u"Demo", {{u"c.txt", Bytes("c")}, {u"a.txt", Bytes("a")}, {u"b.txt", Bytes("b")}}, {d2, d1}};
    EXPECT_EQ(ReadPackage("out.pkg"), MakePackage(MakeScriptBlock({}), MakeFileStore(root)));
}

TEST_F(PkgtoolTest, RootLineRenamesTheRootFolder) {
    Write("Demo/a.txt", "a");
    Write("m.manifest", "root \"Zorvanelle V7\"\n");
    ASSERT_EQ(Build().Status, kExitOk);
    ASSERT_EQ(Run({"extract", Name("out.pkg"), Name("x")}).Status, kExitOk);
    EXPECT_TRUE(fs::exists(Path("x/Zorvanelle V7/a.txt")));
}

TEST_F(PkgtoolTest, BuildRejectsAPathThatNamesNoPayloadFile) {
    Write("Demo/driver/a.bat", "a");
    Write("m.manifest", "company C\n\ndriver-batches x86=driver\\a.bat x64=driver\\A.bat\nmain-app a.bat\n");
    const RunResult result = Build();
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_EQ(result.Err, Name("m.manifest") + ":3: \"driver\\A.bat\" names no file of the payload\n" +
                              Name("m.manifest") + ":4: \"a.bat\" names no file of the payload\n");
    EXPECT_FALSE(fs::exists(Path("out.pkg")));
}

TEST_F(PkgtoolTest, UncheckedCommandsMayNameMissingFiles) {
    Write("Demo/a.bat", "a");
    Write("m.manifest", "unchecked main-app Gone.exe\nunchecked driver-batches x86=a.bat uninstall-x86=gone.bat\n");
    ASSERT_EQ(Build().Status, kExitOk);
    const RunResult listed = Run({"list", Name("out.pkg")});
    EXPECT_NE(listed.Out.find("main-app \"Gone.exe\"  # not found\n"), std::string::npos) << listed.Out;
    EXPECT_NE(listed.Out.find("uninstall-x86=\"gone.bat\"  # found, not found\n"), std::string::npos);
    EXPECT_NE(listed.Out.find("(the installer stops reading the script early: "), std::string::npos);
}

TEST_F(PkgtoolTest, BuildReportsManifestErrorsWithLineNumbers) {
    Write("Demo/a.txt", "a");
    Write("m.manifest", "company C\nfly away\n");
    const RunResult result = Build();
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_EQ(result.Err, Name("m.manifest") + ":2: unknown command \"fly\"\n");
}

TEST_F(PkgtoolTest, OrderNamingAMissingEntryIsAManifestError) {
    Write("Demo/a.txt", "a");
    Write("m.manifest", "\norder . a.txt b.txt\n");
    const RunResult result = Build();
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_EQ(result.Err, Name("m.manifest") + ":2: \"b.txt\" is not in payload folder \"\"\n");
}

#ifndef _WIN32  // Windows itself refuses, strips or redirects these names
TEST_F(PkgtoolTest, BuildRejectsPayloadNamesTheInstallerCannotCarry) {
    const char* names[] = {"a:b.txt", "back\\slash.txt", "trailing.", "CON", "com1.log"};
    for (const char* name : names) {
        fs::remove_all(Path("Demo"));
        Write(std::string("Demo/sub/") + name, "x");
        Write("m.manifest", "");
        const RunResult result = Build();
        EXPECT_EQ(result.Status, kExitFailure) << name;
        EXPECT_EQ(result.Err.rfind("pkgtool: " + Name(std::string("Demo/sub/") + name) + ": name ", 0), 0u)
            << result.Err;
    }
}

// Windows hosts without long paths cannot hold such a tree at all.
TEST_F(PkgtoolTest, BuildRejectsAFolderPathLongerThanTheLimit) {
    const std::string part(100, 'f');
    Write("Demo/" + part + "/" + part + "/" + part + "/a.txt", "a");
    Write("m.manifest", "");
    const RunResult result = Build();
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_NE(result.Err.find("relative path is 302 UTF-16 units long"), std::string::npos) << result.Err;
}
#endif

TEST_F(PkgtoolTest, ListRejectsAnInvalidPackageWithOneLine) {
    WriteDemoPayload("Demo");
    Write("m.manifest", kDemoManifest);
    ASSERT_EQ(Build().Status, kExitOk);
    std::vector<uint8_t> bytes = ReadPackage("out.pkg");
    bytes.pop_back();
    std::string error;
    ASSERT_TRUE(WriteFileBytes(Path("cut.pkg"), bytes, &error));

    const RunResult result = Run({"list", Name("cut.pkg")});
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err.rfind("pkgtool: " + Name("cut.pkg") + ": invalid package: ", 0), 0u) << result.Err;
    EXPECT_EQ(result.Err.find('\n'), result.Err.size() - 1) << result.Err;
}

TEST_F(PkgtoolTest, CompressedBuildExtractsToTheSameTreeAsStored) {
    WriteDemoPayload("Demo");
    Write("m.manifest", kDemoManifest);
    ASSERT_EQ(BuildCompressed().Status, kExitOk);
    EXPECT_TRUE(IsPackageContainer(ReadPackage("out.pkz").data(), ReadPackage("out.pkz").size()));
    const RunResult extracted = Run({"extract", Name("out.pkz"), Name("x")});
    ASSERT_EQ(extracted.Status, kExitOk) << extracted.Err;
    EXPECT_EQ(ReadTree(Path("x/Demo")), ReadTree(Path("Demo")));
}

TEST_F(PkgtoolTest, ListRefusesADamagedCompressedPackageWithOneLine) {
    WriteDemoPayload("Demo");
    Write("m.manifest", kDemoManifest);
    ASSERT_EQ(BuildCompressed().Status, kExitOk);
    std::vector<uint8_t> bytes = ReadPackage("out.pkz");
    bytes[bytes.size() / 2] ^= 1;
    std::string error;
    ASSERT_TRUE(WriteFileBytes(Path("bad.pkz"), bytes, &error));

    const RunResult result = Run({"list", Name("bad.pkz")});
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_EQ(result.Err, "pkgtool: " + Name("bad.pkz") +
                              ": damaged package: " + ContainerCheckText(ContainerCheck::Mismatch) + "\n");
}

TEST_F(PkgtoolTest, ListOfAMissingFileFails) {
    const RunResult result = Run({"list", Name("none.pkg")});
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_EQ(result.Err.rfind("pkgtool: " + Name("none.pkg") + ": cannot open", 0), 0u) << result.Err;
}

TEST_F(PkgtoolTest, ListShowsTheTreeInReadingOrderAndAllFilesInListOrder) {
    Write("Demo/r1", "1");
    Write("Demo/r2", "22");
    Write("Demo/f1/a", "a");
    Write("Demo/f2/b", "b");
    Write("m.manifest", "");
    ASSERT_EQ(Build().Status, kExitOk);
    const RunResult listed = Run({"list", Name("out.pkg")});
    // Folders are read in the reverse of their record order; files in stored
    // order; AllFiles is the reverse of the reading order.
    const std::string tree =
        "tree:\n"
        "              Demo\\  (2 files, 2 folders)\n"
        "           1    r1\n"
        "           2    r2\n"
        "                f2\\  (1 file, 0 folders)\n"
        "           1      b\n"
        "                f1\\  (1 file, 0 folders)\n"
        "           1      a\n"
        "all files (list order):\n"
        "           1  f1\\a\n"
        "           1  f2\\b\n"
        "           2  r2\n"
        "           1  r1\n";
    EXPECT_NE(listed.Out.find(tree), std::string::npos) << listed.Out;
}

#ifndef _WIN32
TEST_F(PkgtoolTest, ExtractRefusesToFollowALinkOutOfTheTargetFolder) {
    Write("Demo/a.txt", "a");
    Write("m.manifest", "");
    ASSERT_EQ(Build().Status, kExitOk);
    fs::create_directories(Path("outside"));
    fs::create_directories(Path("x"));
    fs::create_directory_symlink(Path("outside"), Path("x/Demo"));

    const RunResult result = Run({"extract", Name("out.pkg"), Name("x")});
    EXPECT_EQ(result.Status, kExitFailure);
    EXPECT_NE(result.Err.find("resolves outside"), std::string::npos) << result.Err;
    EXPECT_TRUE(fs::is_empty(Path("outside")));
}
#endif

TEST_F(PkgtoolTest, CommandLineMistakesExitWithStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"pack"},
        {"build", "m", "p"},
        {"build", "m", "p", "-o"},
        {"build", "m", "-o", "a", "-o", "b", "p"},
        {"build", "m", "p", "q", "-o", "a"},
        {"list"},
        {"list", "a", "b"},
        {"extract", "a"},
    };
    for (const std::vector<std::string>& args : cases) {
        const RunResult result = Run(args);
        EXPECT_EQ(result.Status, kExitUsage) << (args.empty() ? "" : args[0]);
        EXPECT_NE(result.Err.find("usage: pkgtool build"), std::string::npos);
    }
}

TEST_F(PkgtoolTest, HelpPrintsUsageAndSucceeds) {
    const RunResult result = Run({"--help"});
    EXPECT_EQ(result.Status, kExitOk);
    EXPECT_EQ(result.Out.rfind("usage: pkgtool build [--store] MANIFEST PAYLOAD_DIR -o PACKAGE\n", 0), 0u);
    EXPECT_EQ(result.Err, "");
}

}  // namespace
