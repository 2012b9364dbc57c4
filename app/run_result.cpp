#include "app/run_result.h"

#include <cstdio>

#include "platform/text.h"

namespace {

std::u16string IsoTime(const LogTime& t) {
    char text[32];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02dZ", t.Year, t.Month, t.Day, t.Hour, t.Minute,
                  t.Second);
    return Utf8ToUtf16(text);
}

std::u16string Limited(std::u16string text) {
    if (text.size() <= kResultTextLimit)
        return text;
    size_t cut = kResultTextLimit;
    // A high surrogate left without its low half is no character.
    if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF)
        --cut;
    text.resize(cut);
    return text;
}

bool Succeeded(ExitCode code) {
    return code == ExitCode::Success || code == ExitCode::RestartRequired;
}

}  // namespace

std::u16string ExitLineText(ExitCode code, RunKind kind) {
    return Utf8ToUtf16(std::to_string(static_cast<int>(code))) + u" " + Utf8ToUtf16(ExitCodeMeaning(code, kind));
}

RunResultValues RunResultOf(ExitCode code, RunKind kind, const LogFailure& failure, const LogTime& utc) {
    RunResultValues values;
    values.Result = static_cast<uint32_t>(code);
    values.Time = IsoTime(utc);
    if (!Succeeded(code) && failure.Found) {
        values.Error = failure.Error;
        values.Text = Limited(failure.Line);
    } else {
        values.Text = Limited(u"exit " + ExitLineText(code, kind));
    }
    return values;
}
