// The installer's option resolution: which run it is, which source each
// setting comes from, and what the log says about it.
#include <gtest/gtest.h>

#include <string>

#include "app/installer/option_resolution.h"

namespace {

constexpr char16_t kProgramFiles[] = u"C:\\Program Files";

// What a run is started with: switches, /dir, and a script.ini (accepting
// the licence or not).
enum Given : unsigned { kNothing = 0, kQuiet = 1, kAccept = 2, kScript = 4, kAgree = 8 | kScript, kPassive = 16 };

struct Inputs {
    unsigned Flags = kNothing;
    const char16_t* Dir = nullptr;
};

OptionFacts FactsOf(const Inputs& in, int* programFilesAsked = nullptr) {
    OptionFacts facts;
    facts.CommandLine.Quiet = in.Flags & kQuiet;
    facts.CommandLine.Passive = in.Flags & kPassive;
    facts.CommandLine.AcceptLicense = in.Flags & kAccept;
    if (in.Dir)
        facts.CommandLine.Dir = std::u16string(in.Dir);
    if (in.Flags & kScript) {
        UnattendedConfig script;
        script.Path = u"D:\\Ini";
        script.LangId = 2052;
        script.ShowPanel = false;
        script.Hid = 3;
        script.EndUserLicenseAgreed = (in.Flags & kAgree) == kAgree;
        facts.Script = script;
    }
    facts.Company = u"Zorvanelle";
    facts.Product = u"ZorvanelleV7";
    facts.UserLanguage = 1031;
    facts.ProgramFiles = [programFilesAsked] {
        if (programFilesAsked)
            ++*programFilesAsked;
        return std::u16string(kProgramFiles);
    };
    // As Windows would say: separators made backslashes, and N: a network drive.
    facts.FolderFacts = [](const std::u16string& text) {
        FolderTextFacts folder{text, !text.empty() && text[0] != u'N', u""};
        for (char16_t& unit : folder.FullPath)
            unit = unit == u'/' ? u'\\' : unit;
        return folder;
    };
    return facts;
}

// The log line of setting `name`, or "(none)".
std::u16string LogLineOf(const ResolvedOptions& resolved, std::u16string_view name) {
    for (const OptionSetting& setting : resolved.Settings) {
        if (setting.Name == name)
            return OptionLogText(setting);
    }
    return u"(none)";
}

std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

struct PrecedenceCase {
    Inputs In;
    const char16_t* BaseFolder;
    const char16_t* LangId;
    const char16_t* ShowPanel;
    const char16_t* Hid;
    const char16_t* License;
};

// The command line wins over script.ini, script.ini over the built-in
// defaults; the package names company and product; each log line says which.
TEST(OptionResolutionTest, EachSettingComesFromTheHighestSourceThatGivesIt) {
    const PrecedenceCase cases[] = {
        {{kNothing},
         u"option BaseFolder=C:\\Program Files from default",
         u"option LangId=1033 from default",
         u"option ShowPanel=yes from default",
         u"option Hid=0 from default",
         u"(none)"},
        {{kScript},
         u"option BaseFolder=D:\\Ini from script.ini",
         u"option LangId=2052 from script.ini",
         u"option ShowPanel=no from script.ini",
         u"option Hid=3 from script.ini",
         u"(none)"},
        {{kScript, u"E:\\Cmd\\"},
         u"option BaseFolder=E:\\Cmd from /dir",
         u"option LangId=2052 from script.ini",
         u"option ShowPanel=no from script.ini",
         u"option Hid=3 from script.ini",
         u"(none)"},
        {{kQuiet},
         u"option BaseFolder=C:\\Program Files from default",
         u"option LangId=1033 from default",
         u"option ShowPanel=no from default",
         u"option Hid=0 from default",
         u"option License=not accepted from default"},
        {{kQuiet | kAgree},
         u"option BaseFolder=D:\\Ini from script.ini",
         u"option LangId=2052 from script.ini",
         u"option ShowPanel=no from script.ini",
         u"option Hid=3 from script.ini",
         u"option License=accepted from script.ini"},
        {{kQuiet | kAccept | kScript, u"E:\\Cmd"},
         u"option BaseFolder=E:\\Cmd from /dir",
         u"option LangId=2052 from script.ini",
         u"option ShowPanel=no from script.ini",
         u"option Hid=3 from script.ini",
         u"option License=accepted from /accept-license"},
        {{kAgree},
         u"option BaseFolder=D:\\Ini from script.ini",
         u"option LangId=2052 from script.ini",
         u"option ShowPanel=no from script.ini",
         u"option Hid=3 from script.ini",
         u"option License=accepted from script.ini"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const PrecedenceCase& c = cases[i];
        const ResolvedOptions resolved = ResolveOptions(FactsOf(c.In));
        EXPECT_EQ(Narrow(LogLineOf(resolved, u"BaseFolder")), Narrow(c.BaseFolder));
        EXPECT_EQ(Narrow(LogLineOf(resolved, u"LangId")), Narrow(c.LangId));
        EXPECT_EQ(Narrow(LogLineOf(resolved, u"ShowPanel")), Narrow(c.ShowPanel));
        EXPECT_EQ(Narrow(LogLineOf(resolved, u"Hid")), Narrow(c.Hid));
        EXPECT_EQ(Narrow(LogLineOf(resolved, u"License")), Narrow(c.License));
        EXPECT_EQ(Narrow(LogLineOf(resolved, u"Company")), "option Company=Zorvanelle from package");
        EXPECT_EQ(resolved.FullInstallPath, resolved.Options.BaseFolder + u"\\Zorvanelle\\ZorvanelleV7");
    }
}

struct ModeCase {
    Inputs In;
    RunMode Mode;
};

// /quiet decides first, then /passive; then a script.ini that accepts the
// licence hides the window; /accept-license alone does not.
TEST(OptionResolutionTest, RunModeFollowsQuietThenPassiveThenScriptAgreement) {
    const ModeCase cases[] = {
        {{kNothing}, RunMode::Window},        // nothing given
        {{kAccept}, RunMode::Window},         // the switch alone
        {{kScript}, RunMode::Window},         // script.ini declines
        {{kAgree}, RunMode::ScriptRun},       // script.ini agrees
        {{kQuiet | kAgree}, RunMode::Quiet},  // /quiet first
        {{kPassive | kAgree}, RunMode::Passive},
        {{kQuiet | kPassive}, RunMode::Quiet},
    };
    for (const ModeCase& c : cases) {
        const ResolvedOptions resolved = ResolveOptions(FactsOf(c.In));
        EXPECT_EQ(resolved.Mode, c.Mode);
        EXPECT_EQ(resolved.Options.Unattended, c.Mode != RunMode::Window);
    }
}

// A /dir too long for the installation folder: a quiet run has no folder to
// fall back to, the window keeps script.ini's and names the refused one.
TEST(OptionResolutionTest, UnfitDirIsRefusedQuietlyAndReplacedInTheWindow) {
    const std::u16string tooLong = u"E:\\" + std::u16string(250, u'x');
    const ResolvedOptions quiet = ResolveOptions(FactsOf({kQuiet | kScript, tooLong.c_str()}));
    EXPECT_EQ(quiet.UnfitFolder, tooLong);
    EXPECT_TRUE(quiet.FullInstallPath.empty());

    const ResolvedOptions passive = ResolveOptions(FactsOf({kPassive | kScript, tooLong.c_str()}));
    EXPECT_EQ(passive.UnfitFolder, tooLong);
    EXPECT_TRUE(passive.FullInstallPath.empty());

    const ResolvedOptions window = ResolveOptions(FactsOf({kScript, tooLong.c_str()}));
    EXPECT_EQ(window.UnfitFolder, tooLong);
    EXPECT_EQ(window.Options.BaseFolder, u"D:\\Ini");
    EXPECT_EQ(Narrow(LogLineOf(window, u"BaseFolder")), "option BaseFolder=D:\\Ini from script.ini");
}

// A folder text that is not a plain absolute path on a local fixed drive is
// never taken: a quiet run stops, the window falls back and names it.
TEST(OptionResolutionTest, RefusedFolderTextsAreNeverTaken) {
    for (const char16_t* text : {u"Apps\\x", u"N:\\Apps", u"C:\\a%TEMP%", u"\\\\server\\share"}) {
        const ResolvedOptions quiet = ResolveOptions(FactsOf({kQuiet | kAccept, text}));
        EXPECT_EQ(quiet.UnfitFolder, text);
        EXPECT_EQ(quiet.UnfitProblem, FolderProblem::NotAllowed);
        EXPECT_TRUE(quiet.FullInstallPath.empty());
        EXPECT_NE(UnfitFolderText(quiet).find(text), std::u16string::npos);

        OptionFacts fromScript = FactsOf({kQuiet | kAgree});
        fromScript.Script->Path = text;
        EXPECT_EQ(ResolveOptions(fromScript).UnfitFolder, text);

        const ResolvedOptions window = ResolveOptions(FactsOf({kScript, text}));
        EXPECT_EQ(window.UnfitFolder, text);
        EXPECT_EQ(window.Options.BaseFolder, u"D:\\Ini");

        fromScript.CommandLine.Quiet = false;
        const ResolvedOptions windowScript = ResolveOptions(fromScript);
        EXPECT_EQ(windowScript.UnfitFolder, text);
        EXPECT_EQ(Narrow(LogLineOf(windowScript, u"BaseFolder")), "option BaseFolder=C:\\Program Files from default");
    }
}

// A folder is used as GetFullPathNameW gives it, which the service manager
// and cmd then see as it is.
TEST(OptionResolutionTest, GivenFoldersAreTakenInTheirCanonicalForm) {
    const ResolvedOptions resolved = ResolveOptions(FactsOf({kQuiet | kAccept, u"E:/Cmd"}));
    EXPECT_EQ(resolved.Options.BaseFolder, u"E:\\Cmd");
    EXPECT_EQ(resolved.FullInstallPath, u"E:\\Cmd\\Zorvanelle\\ZorvanelleV7");
}

// Naming Program Files may start the shell: it is asked only when no other
// source gives a folder the run takes.
TEST(OptionResolutionTest, ProgramFilesIsAskedOnlyWhenNeeded) {
    int asked = 0;
    ResolveOptions(FactsOf({kQuiet, u"E:\\Cmd"}, &asked));
    ResolveOptions(FactsOf({kNothing, u"E:\\Cmd"}, &asked));
    ResolveOptions(FactsOf({kScript}, &asked));
    EXPECT_EQ(asked, 0);
    ResolveOptions(FactsOf({}, &asked));
    EXPECT_EQ(asked, 1);
}

// The run works in Chinese or English only, but the licence text follows the
// language asked for (a German one, when the package carries it).
TEST(OptionResolutionTest, LanguageIsNarrowedWhileTheLicenceFollowsTheRequest) {
    const ResolvedOptions resolved = ResolveOptions(FactsOf({kNothing}));
    EXPECT_EQ(resolved.Options.LangId, 1033u);
    EXPECT_EQ(resolved.RequestedLangId, 1031u);
}

// /allusers, or a LocalSystem run, places the Run value and the shortcuts for
// all users, in the window as in a quiet run; the log names the reason.
TEST(OptionResolutionTest, AllUsersComesFromTheSwitchOrFromLocalSystem) {
    struct Case {
        bool Switch, LocalSystem, Quiet;
        bool Expected;
        const char16_t* Line;
    };
    const Case cases[] = {
        {false, false, false, false, u"option AllUsers=no from default"},
        {true, false, false, true, u"option AllUsers=yes from /allusers"},
        {true, true, true, true, u"option AllUsers=yes from /allusers"},
        {false, true, true, true, u"option AllUsers=yes from LocalSystem"},
        {false, true, false, true, u"option AllUsers=yes from LocalSystem"},
    };
    for (const Case& c : cases) {
        OptionFacts facts = FactsOf({c.Quiet ? kQuiet | kAccept : kNothing});
        facts.CommandLine.AllUsers = c.Switch;
        facts.LocalSystem = c.LocalSystem;
        const ResolvedOptions resolved = ResolveOptions(facts);
        EXPECT_EQ(resolved.Options.AllUsers, c.Expected) << Narrow(c.Line);
        EXPECT_EQ(LogLineOf(resolved, u"AllUsers"), c.Line);
    }
}

}  // namespace
