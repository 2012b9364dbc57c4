#include "platform/run_log.h"

#include <cstdio>

#include "platform/text.h"

namespace {

std::u16string OnOneLine(std::u16string_view text) {
    std::u16string line(text);
    for (char16_t& unit : line) {
        if (unit == u'\r' || unit == u'\n')
            unit = u' ';
    }
    return line;
}

}  // namespace

std::string FormatLogLine(const LogTime& time, std::string_view kind, std::u16string_view text) {
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", time.Year, time.Month, time.Day,
                  time.Hour, time.Minute, time.Second, time.Millisecond);
    std::string line = stamp;
    line += kind;
    if (!text.empty()) {
        line += ' ';
        line += Utf16ToUtf8(OnOneLine(text));
    }
    line += "\r\n";
    return line;
}

std::u16string ResultText(std::string_view what, bool ok, uint32_t error, std::u16string_view subject) {
    std::u16string text = Utf8ToUtf16(what);
    if (ok) {
        text += u" ok";
    } else {
        text += u" failed error=" + Utf8ToUtf16(std::to_string(error));
    }
    if (!subject.empty())
        text += u" " + std::u16string(subject);
    return text;
}

bool IsRunLogStart(std::string_view head) {
    constexpr std::string_view kShape = "0000-00-00 00:00:00.000 ";
    if (head.empty())
        return true;
    if (head.size() < kShape.size())
        return false;
    for (size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = head[i] >= '0' && head[i] <= '9';
        if (kShape[i] == '0' ? !digit : head[i] != kShape[i])
            return false;
    }
    return true;
}

bool MayWriteLogThrough(const LogFileFacts& facts, bool permissionsEnforced) {
    if (facts.ReparsePoint || facts.Links != 1 || !facts.BeginsAsRunLog)
        return false;
    return !permissionsEnforced || facts.OwnerTrusted;
}

std::u16string FreshLogName(std::u16string_view path, uint32_t pid) {
    const size_t name = path.rfind(u'\\') == std::u16string_view::npos ? 0 : path.rfind(u'\\') + 1;
    size_t dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos || dot <= name)
        dot = path.size();
    return std::u16string(path.substr(0, dot)) + u"-" + Utf8ToUtf16(std::to_string(pid)) +
           std::u16string(path.substr(dot));
}
