// make_utf16_text INPUT OUTPUT
//
// Converts a UTF-8 text file (committed that way so it diffs well) into the
// form Windows programs expect of a text they show: UTF-16LE with a
// byte-order mark and CRLF line ends.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/text.h"

namespace {

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

std::string Utf16LeWithBom(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : Utf8ToUtf16(utf8)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

bool ReadText(const char* path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (text->compare(0, 3, "\xEF\xBB\xBF") == 0)
        text->erase(0, 3);
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_utf16_text INPUT OUTPUT\n");
        return 2;
    }
    std::string text;
    if (!ReadText(argv[1], &text)) {
        std::fprintf(stderr, "make_utf16_text: %s: cannot read\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << Utf16LeWithBom(WithCrLf(text));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_utf16_text: %s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
