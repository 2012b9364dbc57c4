// Package bytes shaped like the shipped installer's: its exact install script
// and a store with the same folders and file names (small stand-in contents).
// Shared by every suite that needs a realistic package.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/install_script.h"
#include "tools/package_writer.h"

inline constexpr char16_t kShippedCompany[] = u"Zorvanelle";
inline constexpr char16_t kShippedProduct[] = u"ZorvanelleV7";
inline constexpr char16_t kShippedRootName[] = u"ZorvanelleV7";
inline constexpr char16_t kShippedPanel[] = u"ZorvanellePanelV7.exe";
inline constexpr char16_t kShippedService[] = u"ZorvanelleServiceV7.exe";
inline constexpr char16_t kShippedUninstaller[] = u"Uninstall.exe";
inline constexpr char16_t kShippedLicense[] = u"License.txt";
inline constexpr char16_t kShippedServiceDescription[] = u"Servicing interface for Zorvanelle Device";

// Builders of single commands, as AppendScriptCommand encodes them.
ScriptCommand MakeBareCommand(uint8_t code);  // the pair (code, 0x7F)
ScriptCommand MakeTextCommand(uint8_t code, std::u16string text);
ScriptCommand MakePathCommand(uint8_t code, std::u16string path);
ScriptCommand MakePathTextCommand(uint8_t code, std::u16string path, std::u16string text);
ScriptCommand MakeServiceCommand(std::u16string path, std::optional<std::u16string> description);
ScriptCommand MakeBatchCommand(std::vector<DriverBatchEntry> entries);
ScriptCommand MakeLicenseCommand(uint8_t language, std::u16string path);

// Encodes `commands` one after the other into a script body.
std::vector<uint8_t> EncodeScriptBody(const std::vector<ScriptCommand>& commands);

// The shipped script's commands, in order.
std::vector<ScriptCommand> ShippedScriptCommands();
std::vector<uint8_t> ShippedScriptBlock();

// The shipped store's layout: root "ZorvanelleV7" with five files, folder
// "driver" with twelve files and the folders "driver\USB" and "driver\HID",
// each with three files and the folders "...\i386" and "...\amd64". Every
// file holds a few distinct bytes; License.txt is UTF-16LE with a BOM.
StoreFolder ShippedStoreRoot();

// The whole package: shipped script and shipped-like store.
std::vector<uint8_t> ShippedPackage(StoreLayout layout = StoreLayout::DepthFirst);

// Bytes of the stand-in content of the file `name` (as ShippedStoreRoot fills it).
std::vector<uint8_t> StandInContent(std::u16string_view name);
