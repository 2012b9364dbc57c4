// Builders for package bytes: the package tool's "build" and the tests that
// need packages of every shape, well-formed or deliberately broken.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/install_script.h"

// Appends little-endian values and NUL-terminated UTF-16LE strings.
void AppendU8(std::vector<uint8_t>& out, uint8_t value);
void AppendU32LE(std::vector<uint8_t>& out, uint32_t value);
void AppendString16(std::vector<uint8_t>& out, std::u16string_view text);

// Encodes one command exactly as ReadScriptCommand decodes it (a command with
// HasArguments false becomes the pair (code, 0x7F)).
void AppendScriptCommand(std::vector<uint8_t>& body, const ScriptCommand& command);

// A script block: ScriptSize (4 + body size) followed by the body, which may
// hold any bytes at all.
std::vector<uint8_t> MakeScriptBlock(const std::vector<uint8_t>& body);

struct StoreFile {
    std::u16string Name;
    std::vector<uint8_t> Data;
};

// A folder as the store records it: Name is the full path relative to the
// root ("driver\USB"); Files and Folders are in stored record order.
struct StoreFolder {
    std::u16string Name;
    std::vector<StoreFile> Files;
    std::vector<StoreFolder> Folders;
};

enum class StoreLayout {
    DepthFirst,         // each content region directly follows the one before, in record order;
                        // the last ends exactly at StoreSize
    ReverseDepthFirst,  // the same regions placed in the opposite order
};

// A FileStore block for `root` (its Name is the RootName). The root's header
// and file and folder records always come first, at offset 0: only the
// folders' content regions move with the layout.
std::vector<uint8_t> MakeFileStore(const StoreFolder& root, StoreLayout layout = StoreLayout::DepthFirst);

// A whole package resource: TotalSize, then the script block, then the store block.
std::vector<uint8_t> MakePackage(const std::vector<uint8_t>& scriptBlock, const std::vector<uint8_t>& storeBlock);
