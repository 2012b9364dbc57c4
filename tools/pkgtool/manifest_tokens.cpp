#include "tools/pkgtool/manifest_tokens.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads the quoted piece starting at line[*pos] == '"' into *word and moves
// past its closing quote. False when the line ends first.
bool ReadQuoted(std::string_view line, size_t* pos, std::string* word) {
    for (size_t p = *pos + 1; p < line.size(); ++p) {
        if (line[p] != '"') {
            *word += line[p];
        } else if (p + 1 < line.size() && line[p + 1] == '"') {
            *word += '"';
            ++p;
        } else {
            *pos = p + 1;
            return true;
        }
    }
    return false;
}

// Reads one argument starting at a non-blank character.
bool ReadWord(std::string_view line, size_t* pos, std::string* word, std::string* error) {
    while (*pos < line.size() && !IsBlank(line[*pos])) {
        if (line[*pos] != '"') {
            *word += line[(*pos)++];
        } else if (!ReadQuoted(line, pos, word)) {
            *error = "unterminated quoted argument";
            return false;
        }
    }
    return true;
}

}  // namespace

bool SplitManifestLine(std::string_view line, std::vector<std::string>* words, std::string* error) {
    words->clear();
    size_t pos = 0;
    while (true) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos == line.size() || line[pos] == '#')
            return true;
        std::string word;
        if (!ReadWord(line, &pos, &word, error))
            return false;
        words->push_back(std::move(word));
    }
}
