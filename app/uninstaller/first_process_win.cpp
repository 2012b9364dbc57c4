// The uninstaller's first process: the one Windows, a deployment tool or a
// script starts. It checks the uninstall.log beside it, asks for confirmation
// unless quiet or passive, and hands the work to a temporary copy of itself
// (temporary_copy_win.h), ending only when the copy reports that the product
// is gone.
#include "app/uninstaller/first_process_win.h"

#include <optional>

#include "app/program_run_win.h"
#include "app/run_contract.h"
#include "app/uninstaller/temporary_copy_win.h"
#include "app/uninstaller/uninstall_texts.h"
#include "config/language_table.h"
#include "platform/path_names.h"
#include "platform/run_log.h"
#include "platform/text_win.h"
#include "removal/product_key_win.h"
#include "removal/uninstall_log_file_win.h"
#include "removal/uninstall_plausibility.h"

namespace {

constexpr char16_t kProgramName[] = u"Uninstall.exe";
constexpr char16_t kLogFileName[] = u"uninstall.log";

// The language the installation ran in, as its product key keeps it; the
// installer's own rule maps anything else (or nothing) to English.
uint32_t ProductLanguage() {
    return ProductLanguageFor(ReadProductKey().LanguageId.value_or(kLangEnglish));
}

void ShowMessage(const std::u16string& text, const std::u16string& title, UINT icon) {
    MessageBoxW(nullptr, WidePtr(text), WidePtr(title), MB_OK | icon);
}

// The installation beside this program: its log's header, when the log can
// be read at least that far and names this program's own folder.
std::optional<UninstallLog> InstallationBeside(const std::u16string& logPath) {
    UninstallLog log;
    if (LoadUninstallLogPrefix(log, logPath) == LogPrefixParse::Unreadable ||
        !LogHeaderNamesFolder(log, FolderOf(logPath)))
        return std::nullopt;
    return log;
}

ExitCode NothingHere(const std::u16string& logPath, const CommandLineOptions& options, uint32_t lang) {
    WriteLogLine("error", u"no uninstall log of an installation in this folder: " + logPath);
    if (!AsksNothing(options))
        ShowMessage(UninstallTextOf(UninstallText::NothingToRemove, lang, FileNameOfPath(FolderOf(logPath))),
                    UninstallTextOf(UninstallText::ConfirmTitle, lang, FileNameOfPath(FolderOf(logPath))),
                    MB_ICONINFORMATION);
    return ExitCode::NothingToRemove;
}

bool Confirmed(const std::u16string& product, uint32_t lang) {
    return MessageBoxW(nullptr, WidePtr(UninstallTextOf(UninstallText::Confirm, lang, product)),
                       WidePtr(UninstallTextOf(UninstallText::ConfirmTitle, lang, product)),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

}  // namespace

int RunFirstProcess(const std::vector<std::u16string>& args, const char16_t* version) {
    std::optional<ExitCode> endNow;
    const CommandLineOptions options = ReadProgramCommandLine(args, UninstallerSwitches(), kProgramName, &endNow);
    if (endNow)
        return static_cast<int>(*endNow);
    const std::u16string own = OwnProgramPath();
    const std::u16string logPath = FolderOf(own) + u"\\" + kLogFileName;
    std::optional<UninstallLog> installation = InstallationBeside(logPath);
    // Without a header the folder's name stands for the product.
    const std::u16string product = installation ? installation->Product : FileNameOfPath(FolderOf(own));
    std::optional<std::u16string> runLog = RunLogPath(
        options.Log, AsksNothing(options), u"Uninstall-" + (product.empty() ? u"product" : product) + u".log");
    // A log refused at its name goes to a fresh one; the copy and this
    // process's end append to that one.
    if (runLog && OpenRunLog(*runLog))
        runLog = RunLogPathInUse();
    LogProgramStart(version);
    const uint32_t lang = ProductLanguage();
    if (!installation)
        return EndRun(NothingHere(logPath, options, lang), RunKind::Removal);
    WriteLogLine("info", u"installation " + FolderOf(logPath) + u" of " + installation->Company + u" " + product);
    if (!AsksNothing(options) && !Confirmed(product, lang)) {
        WriteLogLine("info", u"the removal was declined");
        return EndRun(ExitCode::UserCancelled, RunKind::Removal);
    }
    RemovalRequest request{logPath, own, runLog.value_or(u""), options.Quiet, options.Passive && !options.Quiet, lang};
    WriteLogLine("info", u"the removal goes on in a temporary copy of this program");
    // The copy writes to the log now; it hands it back with the exit code.
    CloseRunLog();
    const ExitCode code = RunRemovalCopy(request);
    if (runLog)
        AppendToRunLog(*runLog);
    return EndRun(code, RunKind::Removal);
}
