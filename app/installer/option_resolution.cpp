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

// The window can still let the user choose: a /dir that does not fit gives
// way to script.ini's folder or the default, shown as the page shows paths.
void ResolveWindowFolder(const OptionFacts& facts, ResolvedOptions& resolved) {
    if (const std::optional<std::u16string>& dir = facts.CommandLine.Dir) {
        if (std::optional<InstallPathChoice> chosen = InstallPathForFolder(*dir, facts.Company, facts.Product)) {
            TakeFolder(*chosen, resolved);
            Record(resolved, u"BaseFolder", chosen->BaseFolder, OptionSource::CommandLine, u"/dir");
            return;
        }
        resolved.UnfitFolder = *dir;
    }
    const std::u16string base = facts.Script ? facts.Script->Path : BuiltInFolder(facts);
    TakeFolder(CutInstallPath(base, facts.Company, facts.Product), resolved);
    RecordScriptOrDefault(facts, resolved, u"BaseFolder", resolved.Options.BaseFolder);
}

// A quiet run cannot ask: the first folder named is the one, and it must fit.
void ResolveQuietFolder(const OptionFacts& facts, ResolvedOptions& resolved) {
    const std::optional<std::u16string>& dir = facts.CommandLine.Dir;
    const std::u16string base = dir ? *dir : facts.Script ? facts.Script->Path : BuiltInFolder(facts);
    if (std::optional<InstallPathChoice> place = InstallPathForFolder(base, facts.Company, facts.Product)) {
        TakeFolder(*place, resolved);
    } else {
        resolved.Options.BaseFolder = base;
        resolved.UnfitFolder = base;
    }
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

std::u16string OptionLogText(const OptionSetting& setting) {
    return u"option " + setting.Name + u"=" + setting.Value + u" from " + setting.From;
}
