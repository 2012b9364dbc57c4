#include "app/run_contract.h"

#include <algorithm>

namespace {

char16_t FoldAscii(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
}

bool EqualsName(std::u16string_view text, std::string_view name) {
    if (text.size() != name.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (FoldAscii(text[i]) != static_cast<char16_t>(name[i]))
            return false;
    }
    return true;
}

bool Knows(const std::vector<std::string_view>& allowed, std::string_view name) {
    return std::find(allowed.begin(), allowed.end(), name) != allowed.end();
}

bool TakesValue(std::string_view name) {
    return name == "dir" || name == "log";
}

// Applies one known switch; false when its value is missing or not wanted.
bool ApplySwitch(std::string_view name, const std::optional<std::u16string>& value, CommandLineOptions& options) {
    if (TakesValue(name) != value.has_value() || (value && value->empty()))
        return false;
    if (name == "quiet")
        options.Quiet = true;
    else if (name == "passive")
        options.Passive = true;
    else if (name == "accept-license")
        options.AcceptLicense = true;
    else if (name == "help")
        options.Help = true;
    else if (name == "allusers")
        options.AllUsers = true;
    else if (name == "dir")
        options.Dir = value;
    else if (name == "log")
        options.Log = value;
    return true;
}

const std::string_view kAllNames[] = {"quiet", "passive", "accept-license", "allusers", "dir", "log", "help"};

// The switch's canonical name, or empty when `text` names none.
std::string_view NameOf(std::u16string_view text) {
    if (text == u"?")
        return "help";
    for (std::string_view name : kAllNames) {
        if (EqualsName(text, name))
            return name;
    }
    return {};
}

}  // namespace

CommandLineParse ParseCommandLine(const std::vector<std::u16string>& args,
                                  const std::vector<std::string_view>& allowed) {
    CommandLineParse parse;
    for (const std::u16string& arg : args) {
        const bool isSwitch = arg.size() > 1 && (arg[0] == u'/' || arg[0] == u'-');
        const size_t equals = arg.find(u'=');
        std::u16string_view body =
            std::u16string_view(arg).substr(1, equals == std::u16string::npos ? arg.npos : equals - 1);
        std::optional<std::u16string> value;
        if (equals != std::u16string::npos)
            value = arg.substr(equals + 1);
        std::string_view name = isSwitch ? NameOf(body) : std::string_view();
        if (name.empty() || !Knows(allowed, name) || !ApplySwitch(name, value, parse.Options)) {
            parse.Problem = arg;
            parse.Options = {};
            return parse;
        }
    }
    parse.Ok = true;
    return parse;
}

bool AsksNothing(const CommandLineOptions& options) {
    return options.Quiet || options.Passive;
}

const std::vector<std::string_view>& InstallerSwitches() {
    static const std::vector<std::string_view> names = {"quiet", "passive", "accept-license", "allusers", "dir",
                                                        "log",   "help"};
    return names;
}

const std::vector<std::string_view>& UninstallerSwitches() {
    static const std::vector<std::string_view> names = {"quiet", "passive", "log", "help"};
    return names;
}

std::u16string UsageText(std::u16string_view programName, const std::vector<std::string_view>& switches) {
    std::u16string text = u"Usage: " + std::u16string(programName) + u" [switches]\r\n";
    struct Line {
        std::string_view Name;
        const char16_t* Text;
    };
    static const Line kLines[] = {
        {"quiet", u"  /quiet            no window and no message; exit code and log tell the outcome\r\n"},
        {"passive", u"  /passive          the window shows the progress and asks nothing; closes by itself\r\n"},
        {"accept-license",
         u"  /accept-license   accept the licence agreement (a quiet or passive install needs it)\r\n"},
        {"allusers", u"  /allusers         Run value and shortcuts for all users (as when run as LocalSystem)\r\n"},
        {"dir", u"  /dir=FOLDER       base folder of the installation (wins over script.ini)\r\n"},
        {"log", u"  /log=FILE         write the log to FILE\r\n"},
        {"help", u"  /? or /help       this text\r\n"},
    };
    for (const Line& line : kLines) {
        if (Knows(switches, line.Name))
            text += line.Text;
    }
    text += u"Exit codes: 0 success, 87 bad command line, 1602 cancelled or declined, 1603 failed,\r\n";
    text += u"1605 nothing to remove, 1618 another installation or removal is running, 1620 bad package.\r\n";
    return text;
}
