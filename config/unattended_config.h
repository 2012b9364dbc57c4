// The unattended configuration file "script.ini" beside the installer: an XML
// document whose first top-level "Unattended" element presets the language,
// the licence acceptance, visible post-install launches, the HID batch count
// and the installation base folder. Settings the element lacks are added with
// their defaults and the file is written back, so after one run every
// recognised setting is spelled out for the administrator.
//
//   <Unattended Lang="English" EndUserLicense="Disagree" ShowPanel="No" HID="1" Path="C:\Program Files" />
//
// The rules live here as a pure function over the parsed document, and so
// does parsing the file's bytes; reading and writing the file are the Windows
// layer (unattended_config_win.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TiXmlDocument;

struct UnattendedConfig {
    uint32_t LangId = 1033;             // Windows language identifier the file asks for
    bool EndUserLicenseAgreed = false;  // the file says exactly "Agree": run unattended
    bool ShowPanel = false;             // the file says exactly "Yes": post-install launches are visible
    int32_t Hid = 1;                    // runs of a HID driver's install batch; 0 or less means once
    std::u16string Path;                // installation base folder, at most 259 units
};

// What applying the rules found.
struct UnattendedRulesOutcome {
    // The document gained an element or attributes and must be written back.
    bool Changed = false;
    // The "Path" attribute's bytes when present (even empty). They are text in
    // the system's ANSI code page, which only the platform layer can widen.
    std::optional<std::string> PathText;
};

// Reads the first top-level "Unattended" element of `document` into `config`
// and completes it. Lang, EndUserLicense, ShowPanel and HID are read into
// `config`; Path is only reported in the outcome. Missing attributes are
// appended in the order Lang, EndUserLicense, ShowPanel, HID, Path, with
// their default values ("English", "Disagree", "No", config.Hid, and
// `defaultPathNarrow`); a HID that holds no number is replaced by config.Hid.
// Without such an element a new one with all five defaults is appended as the
// document's last node and `config` keeps its values. `config` must hold the
// defaults on entry. Never fails.
UnattendedRulesOutcome ApplyUnattendedRules(TiXmlDocument& document,
                                            UnattendedConfig& config,
                                            const std::string& defaultPathNarrow);

// Deepest element nesting a script.ini may have. An answer file holds one
// element; the limit only keeps the XML parser, which recurses once per level,
// far from the end of any thread's stack.
inline constexpr size_t kMaxUnattendedNesting = 256;

// The nesting depth of the deepest element of the file content `bytes` (a
// top-level element is at depth 1), as the XML parser reaches it, counted
// without recursion. Counting stops past kMaxUnattendedNesting, so a larger
// result only says "too deep". Where the parser would stop on an error the
// count stops too. Never fails.
size_t UnattendedNestingDepth(std::string_view bytes);

// Parses the file content `bytes` into `document` (cleared first) exactly as
// TinyXML's LoadFile would: line ends normalised, a leading UTF-8 byte-order
// mark noted for the write-back. Returns false when the document is nested
// deeper than kMaxUnattendedNesting (it is then not parsed at all and stays
// empty) or is not an XML document (a zero-byte one included).
bool ParseUnattendedDocument(std::string_view bytes, TiXmlDocument& document);

// Reads an integer the way the C conversion "%d" does: leading white space
// skipped, an optional sign, then at least one decimal digit; whatever follows
// the digits is ignored. A value beyond the 32-bit range is clamped to it.
// std::nullopt when there is no digit to read.
std::optional<int32_t> ParseDecimalPrefix(std::string_view text);

// Windows layer. Fills `config` from the XML file at `path` (UTF-16), writes
// the completed document back when it changed, and returns true; returns
// false, with `config` holding the defaults and the file untouched, when the
// file cannot be read or ParseUnattendedDocument refuses it (not an XML
// document, a zero-byte file included, or nested too deep).
// The write-back goes through a temporary file in the same folder that then
// replaces the original, so a write that fails leaves the original as it was;
// its failure does not change the result. The default Path is the Program
// Files folder (empty if the system cannot name it); a "Path" attribute whose
// widened text exceeds 259 units leaves the default in force.
bool LoadUnattendedConfig(const std::u16string& path, UnattendedConfig& config);

// Reads `path` as LoadUnattendedConfig does but never writes it back: for a
// run that must end before it changes anything on the machine.
bool PeekUnattendedConfig(const std::u16string& path, UnattendedConfig& config);

// Windows layer. The full name of "script.ini" in the running program's
// folder; std::nullopt when the program's own path cannot be had or the
// result would not fit 259 units.
std::optional<std::u16string> ConfigPathBesideProgram();
