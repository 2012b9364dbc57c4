#include "tools/pkgtool/manifest.h"

#include "platform/path_names.h"
#include "platform/text.h"
#include "tools/pkgtool/manifest_tokens.h"
#include "tools/pkgtool/script_words.h"
#include "tools/pkgtool/store_names.h"

namespace {

using Words = std::vector<std::string>;  // the arguments after the keyword

bool IsValidUtf8(std::string_view text) {
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

std::string Quoted(std::string_view word) {
    return "\"" + std::string(word) + "\"";
}

// Empty when args holds between min and max words, else the complaint.
std::string CheckCount(uint8_t code, const Words& args, size_t min, size_t max, std::string_view usage) {
    if (args.size() >= min && args.size() <= max)
        return {};
    return Quoted(CommandKeyword(code)) + " takes " + std::string(usage) + ", got " + std::to_string(args.size()) +
           " argument" + (args.size() == 1 ? "" : "s");
}

// Converts an argument, checking the length every package text shares.
std::string ToText(const std::string& word, std::string_view what, std::u16string* out) {
    *out = Utf8ToUtf16(word);
    std::string reason = CheckTextLength(*out);
    return reason.empty() ? reason : std::string(what) + " " + Quoted(word) + " " + reason;
}

// Company and product become folders of the install path.
std::string ToFolderName(const std::string& word, std::string_view what, std::u16string* out) {
    *out = Utf8ToUtf16(word);
    std::string reason = CheckPlainName(*out);
    return reason.empty() ? reason : std::string(what) + " " + Quoted(word) + " " + reason;
}

std::string ParseNameCommand(const Words& args, ScriptCommand* command) {
    if (std::string error = CheckCount(command->Code, args, 1, 1, "1 argument (NAME)"); !error.empty())
        return error;
    return ToFolderName(args[0], command->Code == kScriptCompany ? "company" : "product", &command->Text);
}

std::string ParsePathCommand(const Words& args, ScriptCommand* command) {
    if (std::string error = CheckCount(command->Code, args, 1, 1, "1 argument (PATH)"); !error.empty())
        return error;
    return ToText(args[0], "path", &command->Path);
}

// A display name names a link file or a context-menu key. The installer
// ignores a command whose name is not a plain name (the removal could not
// undo it), so such a name is refused here rather than built in silently.
std::string ToDisplayName(const std::string& word, std::u16string* out) {
    if (std::string error = ToText(word, "display name", out); !error.empty())
        return error;
    if (IsPlainName(*out))
        return {};
    return "display name " + Quoted(word) +
           " is not a plain name (empty, \".\" or \"..\", one of \\ / : * ? < > | \" % or a control character, a "
           "device name such as NUL or COM1, or a trailing dot or blank): the installer would ignore this command";
}

std::string ParseShortcutCommand(const Words& args, ScriptCommand* command) {
    if (std::string error = CheckCount(command->Code, args, 2, 2, "2 arguments (PATH NAME)"); !error.empty())
        return error;
    if (std::string error = ToText(args[0], "path", &command->Path); !error.empty())
        return error;
    return ToDisplayName(args[1], &command->Text);
}

std::string ParseIntroducer(const std::string& word, uint8_t* out) {
    const std::optional<uint8_t> value = ParseByte(word);
    if (!value)
        return "introducer " + Quoted(word) + " is not a byte (0-255, or 0x00-0xFF)";
    if (*value == kScriptTerminator)
        return "introducer 0x7F would end the command before its description";
    *out = *value;
    return {};
}

std::string ParseServiceCommand(const Words& args, ScriptCommand* command) {
    const char* usage = "1 to 3 arguments (PATH [DESCRIPTION [INTRODUCER]])";
    if (std::string error = CheckCount(command->Code, args, 1, 3, usage); !error.empty())
        return error;
    if (std::string error = ToText(args[0], "path", &command->Path); !error.empty())
        return error;
    command->HasText = args.size() >= 2;
    if (command->HasText) {
        if (std::string error = ToText(args[1], "description", &command->Text); !error.empty())
            return error;
    }
    return args.size() == 3 ? ParseIntroducer(args[2], &command->Introducer) : std::string();
}

std::string ParseBatchEntry(const std::string& word, DriverBatchEntry* entry) {
    const size_t equals = word.find('=');
    const std::string slot = word.substr(0, equals);
    const std::optional<uint8_t> index = BatchIndexOf(slot);
    if (equals == std::string::npos || !index)
        return "driver batch entry " + Quoted(word) +
               " is not SLOT=PATH (SLOT: x86, x64, uninstall-x86, uninstall-x64)";
    entry->Index = *index;
    return ToText(word.substr(equals + 1), "path", &entry->Path);
}

std::string ParseBatchCommand(const Words& args, ScriptCommand* command) {
    if (args.empty())
        return Quoted(CommandKeyword(command->Code)) + " needs at least one SLOT=PATH entry";
    for (const std::string& word : args) {
        DriverBatchEntry entry;
        if (std::string error = ParseBatchEntry(word, &entry); !error.empty())
            return error;
        command->Batches.push_back(std::move(entry));
    }
    return {};
}

std::string ParseLicenseCommand(const Words& args, ScriptCommand* command) {
    if (std::string error = CheckCount(command->Code, args, 2, 2, "2 arguments (LANGUAGE PATH)"); !error.empty())
        return error;
    std::optional<uint8_t> language = LanguageIndexOf(args[0]);
    if (!language)
        language = ParseByte(args[0]);
    if (!language)
        return "language " + Quoted(args[0]) + " is neither chinese, english, italian, german, korean nor a byte";
    command->Language = *language;
    return ToText(args[1], "path", &command->Path);
}

std::string ParseCommand(uint8_t code, const Words& args, ScriptCommand* command) {
    command->Code = code;
    switch (code) {
        case kScriptCompany:
        case kScriptProduct:
            return ParseNameCommand(args, command);
        case kScriptProgramsShortcut:
        case kScriptDesktopMenu:
        case kScriptDesktopShortcut:
            return ParseShortcutCommand(args, command);
        case kScriptService:
            return ParseServiceCommand(args, command);
        case kScriptDriverBatchSet:
            return ParseBatchCommand(args, command);
        case kScriptLicense:
            return ParseLicenseCommand(args, command);
        default:
            return ParsePathCommand(args, command);
    }
}

std::string ParseSkip(const Words& args, ScriptCommand* command) {
    if (args.size() != 1)
        return "\"skip\" takes 1 argument (CODE)";
    const std::optional<uint8_t> code = ParseByte(args[0]);
    if (!code)
        return "skip code " + Quoted(args[0]) + " is not a byte (0-255, or 0x00-0xFF)";
    command->Code = *code;
    command->HasArguments = false;
    return {};
}

struct LineContext {
    Manifest* Target = nullptr;
    int RootLine = 0;  // line of the first "root", 0 before it
};

std::string ParseRoot(const Words& args, int line, LineContext* context) {
    if (args.size() != 1)
        return "\"root\" takes 1 argument (NAME)";
    if (context->RootLine != 0)
        return "root folder already named on line " + std::to_string(context->RootLine);
    context->RootLine = line;
    std::u16string name;
    std::string error = ToFolderName(args[0], "root name", &name);
    context->Target->RootName = std::move(name);
    return error;
}

std::string ParseOrder(const Words& args, int line, LineContext* context) {
    if (args.size() < 2)
        return "\"order\" takes a FOLDER (\".\" for the root) and at least one NAME";
    ManifestOrder order{args[0] == "." ? std::u16string() : Utf8ToUtf16(args[0]), {}, line};
    for (const ManifestOrder& earlier : context->Target->Orders) {
        if (earlier.Folder == order.Folder)
            return "order of folder " + Quoted(args[0]) + " already given on line " + std::to_string(earlier.Line);
    }
    for (auto it = args.begin() + 1; it != args.end(); ++it) {
        order.Names.push_back(Utf8ToUtf16(*it));
        if (std::string reason = CheckPlainName(order.Names.back()); !reason.empty())
            return "name " + Quoted(*it) + " " + reason;
    }
    context->Target->Orders.push_back(std::move(order));
    return {};
}

std::string ParseWords(Words words, int line, LineContext* context) {
    ManifestCommand entry;
    entry.Line = line;
    if (words[0] == "unchecked") {
        entry.Unchecked = true;
        words.erase(words.begin());
        if (words.empty() || !CommandCodeOf(words[0]))
            return "\"unchecked\" must be followed by a script command";
    }
    const std::string keyword = words[0];
    const Words args(words.begin() + 1, words.end());
    if (keyword == "root")
        return ParseRoot(args, line, context);
    if (keyword == "order")
        return ParseOrder(args, line, context);
    std::string error;
    if (keyword == "skip")
        error = ParseSkip(args, &entry.Command);
    else if (const std::optional<uint8_t> code = CommandCodeOf(keyword))
        error = ParseCommand(*code, args, &entry.Command);
    else
        return "unknown command " + Quoted(keyword);
    if (error.empty())
        context->Target->Commands.push_back(std::move(entry));
    return error;
}

std::string ParseLine(std::string_view text, int line, LineContext* context) {
    if (!IsValidUtf8(text))
        return "line is not valid UTF-8";
    Words words;
    std::string error;
    if (!SplitManifestLine(text, &words, &error))
        return error;
    return words.empty() ? std::string() : ParseWords(std::move(words), line, context);
}

}  // namespace

std::vector<ManifestError> ParseManifest(std::string_view text, Manifest* out) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());
    Manifest manifest;
    LineContext context{&manifest};
    std::vector<ManifestError> errors;
    for (int line = 1; !text.empty(); ++line) {
        const size_t end = text.find('\n');
        std::string_view current = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!current.empty() && current.back() == '\r')
            current.remove_suffix(1);
        if (std::string error = ParseLine(current, line, &context); !error.empty())
            errors.push_back({line, std::move(error)});
    }
    if (errors.empty())
        *out = std::move(manifest);
    return errors;
}

std::string FormatManifestError(std::string_view manifestName, const ManifestError& error) {
    std::string text(manifestName);
    if (error.Line > 0)
        text += ":" + std::to_string(error.Line);
    return text + ": " + error.Message;
}
