// Splits one manifest line into arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Arguments are separated by blanks or tabs. Double quotes group text with
// blanks ("Uninstall me"); a doubled quote inside them stands for one quote;
// quoted and bare pieces written together form one argument (x86="a b").
// A "#" that starts an argument starts a comment running to the end of the
// line. Returns false with *error set for an unterminated quote.
bool SplitManifestLine(std::string_view line, std::vector<std::string>* words, std::string* error);
