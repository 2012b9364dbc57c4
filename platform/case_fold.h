// Letter case as Windows ignores it in file names and in its ordinal
// case-insensitive comparison (CompareStringOrdinal with IgnoreCase): each
// UTF-16 unit is mapped on its own to its simple uppercase form. Portable, so
// that the checks that key records by name can be built and judged natively.
#pragma once

#include <string>
#include <string_view>

// The simple uppercase form of `unit`, or `unit` itself when it has none
// (surrogates, and letters whose uppercase form is more than one unit). Never
// maps a unit outside ASCII to one inside it.
char16_t UpperCaseUnit(char16_t unit);

// `text` with every unit made UpperCaseUnit: two texts that EqualIgnoringCase
// finds equal give the same key, so it can key a hashed set of names.
std::u16string CaseKey(std::u16string_view text);

// True when `a` and `b` have the same CaseKey.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);
