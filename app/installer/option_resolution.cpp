#include "app/installer/option_resolution.h"

#include "config/language_table.h"
#include "platform/text.h"
#include "records/install_path.h"

namespace {

std::u16string Number(int64_t value) {
    return Utf8ToUtf16(std::to_string(value));
}

void Record(ResolvedOptions& resolved,
            std::u16string name,
            std::u16string value,
            OptionSource source,
            std::u16string from) {
    resolved.Settings.push_back({std::move(name), std::move(value), source, std::move(from)});
}

// The source of a setting that only script.ini can give.
void RecordScriptOrDefault(const OptionFacts& facts,
                           ResolvedOptions& resolved,
                           std::u16string name,
                           std::u16string value) {
    if (facts.Script)
        Record(resolved, std::move(name), std::move(value), OptionSource::ScriptIni, u"script.ini");
    else
        Record(resolved, std::move(name), std::move(value), OptionSource::BuiltIn, u"default");
}

std::u16string BuiltInFolder(const OptionFacts& facts) {
    return facts.ProgramFiles ? facts.ProgramFiles() : std::u16string();
}

void TakeFolder(const InstallPathChoice& place, ResolvedOptions& resolved) {
    resolved.Options.BaseFolder = place.BaseFolder;
    resolved.FullInstallPath = place.FullInstallPath;
}

// A folder named by /dir or script.ini: its canonical form when its text is
// allowed, else nothing and why.
struct GivenFolder {
    std::optional<std::u16string> Canonical;
    FolderProblem Problem = FolderProblem::TooLong;
};

GivenFolder JudgeGivenFolder(const OptionFacts& facts, const std::u16string& text) {
    if (text.empty())
        return {};
    if (facts.FolderFacts) {
        if (std::optional<std::u16string> canonical = CanonicalBaseFolder(text, facts.FolderFacts(text)))
            return {std::move(canonical)};
    }
    return {std::nullopt, FolderProblem::NotAllowed};
}

void MarkUnfit(ResolvedOptions& resolved, const std::u16string& text, FolderProblem problem) {
    if (resolved.UnfitFolder)
        return;  // the first folder refused is the one asked for
    resolved.UnfitFolder = text;
    resolved.UnfitProblem = problem;
}

// The installation place of a folder from /dir or script.ini, or nothing
// with the folder marked unfit.
std::optional<InstallPathChoice> PlaceOfGivenFolder(const OptionFacts& facts,
                                                    const std::u16string& text,
                                                    ResolvedOptions& resolved) {
    const GivenFolder given = JudgeGivenFolder(facts, text);
    std::optional<InstallPathChoice> place;
    if (given.Canonical)
        place = InstallPathForFolder(*given.Canonical, facts.Company, facts.Product);
    if (!place)
        MarkUnfit(resolved, text, given.Problem);
    return place;
}

// The window can still let the user choose: a /dir that does not fit gives
// way to script.ini's folder or the default, shown as the page shows paths.
// A script.ini folder whose text is refused gives way to the default.
void ResolveWindowFolder(const OptionFacts& facts, ResolvedOptions& resolved) {
    if (const std::optional<std::u16string>& dir = facts.CommandLine.Dir) {
        if (std::optional<InstallPathChoice> chosen = PlaceOfGivenFolder(facts, *dir, resolved)) {
            TakeFolder(*chosen, resolved);
            Record(resolved, u"BaseFolder", chosen->BaseFolder, OptionSource::CommandLine, u"/dir");
            return;
        }
    }
    if (facts.Script) {
        const GivenFolder given = JudgeGivenFolder(facts, facts.Script->Path);
        if (given.Canonical || given.Problem == FolderProblem::TooLong) {
            TakeFolder(CutInstallPath(given.Canonical.value_or(facts.Script->Path), facts.Company, facts.Product),
                       resolved);
            Record(resolved, u"BaseFolder", resolved.Options.BaseFolder, OptionSource::ScriptIni, u"script.ini");
            return;
        }
        MarkUnfit(resolved, facts.Script->Path, given.Problem);
    }
    TakeFolder(CutInstallPath(BuiltInFolder(facts), facts.Company, facts.Product), resolved);
    Record(resolved, u"BaseFolder", resolved.Options.BaseFolder, OptionSource::BuiltIn, u"default");
}

// A quiet run cannot ask: the first folder named is the one, and it must fit.
void ResolveQuietFolder(const OptionFacts& facts, ResolvedOptions& resolved) {
    const std::optional<std::u16string>& dir = facts.CommandLine.Dir;
    std::optional<InstallPathChoice> place;
    if (dir || facts.Script) {
        const std::u16string& text = dir ? *dir : facts.Script->Path;
        place = PlaceOfGivenFolder(facts, text, resolved);
        resolved.Options.BaseFolder = text;
    } else {
        resolved.Options.BaseFolder = BuiltInFolder(facts);
        place = InstallPathForFolder(resolved.Options.BaseFolder, facts.Company, facts.Product);
        if (!place)
            MarkUnfit(resolved, resolved.Options.BaseFolder, FolderProblem::TooLong);
    }
    if (place)
        TakeFolder(*place, resolved);
    if (dir)
        Record(resolved, u"BaseFolder", resolved.Options.BaseFolder, OptionSource::CommandLine, u"/dir");
    else
        RecordScriptOrDefault(facts, resolved, u"BaseFolder", resolved.Options.BaseFolder);
}

// Only the runs that install without asking depend on it; the window asks.
void ResolveLicense(const OptionFacts& facts, ResolvedOptions& resolved) {
    const bool byScript = facts.Script && facts.Script->EndUserLicenseAgreed;
    resolved.LicenseAccepted = facts.CommandLine.AcceptLicense || byScript;
    if (resolved.Mode == RunMode::Window)
        return;
    if (facts.CommandLine.AcceptLicense)
        Record(resolved, u"License", u"accepted", OptionSource::CommandLine, u"/accept-license");
    else
        RecordScriptOrDefault(facts, resolved, u"License", byScript ? u"accepted" : u"not accepted");
}

// SYSTEM's own Run key, Programs menu and desktop are seen by nobody: a
// LocalSystem run places them for all users as /allusers does.
void ResolveAllUsers(const OptionFacts& facts, ResolvedOptions& resolved) {
    resolved.Options.AllUsers = facts.CommandLine.AllUsers || facts.LocalSystem;
    if (facts.CommandLine.AllUsers)
        Record(resolved, u"AllUsers", u"yes", OptionSource::CommandLine, u"/allusers");
    else if (facts.LocalSystem)
        Record(resolved, u"AllUsers", u"yes", OptionSource::BuiltIn, u"LocalSystem");
    else
        Record(resolved, u"AllUsers", u"no", OptionSource::BuiltIn, u"default");
}

}  // namespace

RunMode ChooseRunMode(const CommandLineOptions& commandLine, const std::optional<UnattendedConfig>& script) {
    if (commandLine.Quiet)
        return RunMode::Quiet;
    if (commandLine.Passive)
        return RunMode::Passive;
    return script && script->EndUserLicenseAgreed ? RunMode::ScriptRun : RunMode::Window;
}

ResolvedOptions ResolveOptions(const OptionFacts& facts) {
    ResolvedOptions resolved;
    resolved.Mode = ChooseRunMode(facts.CommandLine, facts.Script);
    InstallOptions& options = resolved.Options;
    options.Unattended = resolved.Mode != RunMode::Window;
    Record(resolved, u"Company", facts.Company, OptionSource::Package, u"package");
    Record(resolved, u"Product", facts.Product, OptionSource::Package, u"package");
    // A passive run cannot ask for another folder either.
    if (resolved.Mode == RunMode::Quiet || resolved.Mode == RunMode::Passive)
        ResolveQuietFolder(facts, resolved);
    else
        ResolveWindowFolder(facts, resolved);

    resolved.RequestedLangId = facts.Script ? facts.Script->LangId : facts.UserLanguage;
    options.LangId = ProductLanguageFor(resolved.RequestedLangId);
    RecordScriptOrDefault(facts, resolved, u"LangId", Number(options.LangId));
    // Without script.ini the window's run shows the panel it launches; a
    // quiet run leaves it hidden.
    options.ShowPanel = facts.Script ? facts.Script->ShowPanel : resolved.Mode != RunMode::Quiet;
    RecordScriptOrDefault(facts, resolved, u"ShowPanel", options.ShowPanel ? u"yes" : u"no");
    options.Hid = facts.Script ? facts.Script->Hid : 0;
    RecordScriptOrDefault(facts, resolved, u"Hid", Number(options.Hid));
    ResolveAllUsers(facts, resolved);
    ResolveLicense(facts, resolved);
    return resolved;
}

std::u16string UnfitFolderText(const ResolvedOptions& resolved) {
    if (resolved.UnfitProblem == FolderProblem::NotAllowed)
        return u"the base folder is refused (an absolute path on a local fixed drive is required, of plain names "
               u"without & ^ ( ) ! %): " +
               *resolved.UnfitFolder;
    return u"the base folder cannot hold the installation folder (empty, or longer than 259 characters with "
           u"company and product): " +
           *resolved.UnfitFolder;
}

std::u16string OptionLogText(const OptionSetting& setting) {
    return u"option " + setting.Name + u"=" + setting.Value + u" from " + setting.From;
}
