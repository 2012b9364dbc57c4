#include "tools/package_writer.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr size_t kU32 = 4;
constexpr size_t kFolderHeader = 12;  // ContentOffset, FileCount, FolderCount

size_t StringBytes(std::u16string_view text) {
    return (text.size() + 1) * 2;
}

// Bytes of one folder's content region: its file records, then its folder records.
size_t RegionSize(const StoreFolder& folder) {
    size_t size = 0;
    for (const StoreFile& file : folder.Files)
        size += kU32 + StringBytes(file.Name) + file.Data.size();
    for (const StoreFolder& sub : folder.Folders)
        size += kFolderHeader + StringBytes(sub.Name);
    return size;
}

// Every folder below `folder`, parents before their subfolders, in record order.
void CollectDepthFirst(const StoreFolder& folder, std::vector<const StoreFolder*>& out) {
    for (const StoreFolder& sub : folder.Folders) {
        out.push_back(&sub);
        CollectDepthFirst(sub, out);
    }
}

using OffsetMap = std::unordered_map<const StoreFolder*, uint32_t>;

// Places the regions of `folders` one after the other from `start`, in the
// order the layout asks for.
OffsetMap PlaceRegions(std::vector<const StoreFolder*> folders, size_t start, StoreLayout layout) {
    if (layout == StoreLayout::ReverseDepthFirst)
        std::reverse(folders.begin(), folders.end());
    OffsetMap offsets;
    size_t offset = start;
    for (const StoreFolder* folder : folders) {
        offsets[folder] = static_cast<uint32_t>(offset);
        offset += RegionSize(*folder);
    }
    return offsets;
}

void AppendRegion(std::vector<uint8_t>& out, const StoreFolder& folder, const OffsetMap& offsets) {
    for (const StoreFile& file : folder.Files) {
        AppendU32LE(out, static_cast<uint32_t>(file.Data.size()));
        AppendString16(out, file.Name);
        out.insert(out.end(), file.Data.begin(), file.Data.end());
    }
    for (const StoreFolder& sub : folder.Folders) {
        AppendU32LE(out, offsets.at(&sub));
        AppendU32LE(out, static_cast<uint32_t>(sub.Files.size()));
        AppendU32LE(out, static_cast<uint32_t>(sub.Folders.size()));
        AppendString16(out, sub.Name);
    }
}

void AppendBatchEntries(std::vector<uint8_t>& body, const std::vector<DriverBatchEntry>& batches) {
    for (size_t i = 0; i < batches.size(); ++i) {
        if (i > 0)
            AppendU8(body, kScriptIntroducer);
        AppendU8(body, batches[i].Index);
        AppendString16(body, batches[i].Path);
    }
}

void AppendArguments(std::vector<uint8_t>& body, const ScriptCommand& command) {
    switch (command.Code) {
        case kScriptCompany:
        case kScriptProduct:
            AppendString16(body, command.Text);
            break;
        case kScriptProgramsShortcut:
        case kScriptDesktopMenu:
        case kScriptDesktopShortcut:
            AppendString16(body, command.Path);
            AppendString16(body, command.Text);
            break;
        case kScriptService:
            AppendString16(body, command.Path);
            if (command.HasText) {
                AppendU8(body, command.Introducer);
                AppendString16(body, command.Text);
            }
            break;
        case kScriptDriverBatchSet:
            AppendBatchEntries(body, command.Batches);
            break;
        case kScriptLicense:
            AppendU8(body, command.Language);
            AppendString16(body, command.Path);
            break;
        default:
            // Codes 1, 2, 5, 10, 11, 12 take a path; codes above 13 carry
            // nothing (a reader rejects them anyway).
            if (command.Code <= kScriptProduct)
                AppendString16(body, command.Path);
            break;
    }
}

}  // namespace

void AppendU8(std::vector<uint8_t>& out, uint8_t value) {
    out.push_back(value);
}

void AppendU32LE(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendString16(std::vector<uint8_t>& out, std::u16string_view text) {
    for (char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

void AppendScriptCommand(std::vector<uint8_t>& body, const ScriptCommand& command) {
    AppendU8(body, command.Code);
    if (command.HasArguments) {
        AppendU8(body, kScriptIntroducer);
        AppendArguments(body, command);
    }
    AppendU8(body, kScriptTerminator);
}

std::vector<uint8_t> MakeScriptBlock(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> block;
    block.reserve(kU32 + body.size());
    AppendU32LE(block, static_cast<uint32_t>(kU32 + body.size()));
    block.insert(block.end(), body.begin(), body.end());
    return block;
}

std::vector<uint8_t> MakeFileStore(const StoreFolder& root, StoreLayout layout) {
    std::vector<const StoreFolder*> folders;
    CollectDepthFirst(root, folders);
    const size_t rootRegion = kFolderHeader + StringBytes(root.Name) + RegionSize(root);
    const OffsetMap offsets = PlaceRegions(folders, rootRegion, layout);

    std::vector<uint8_t> store;
    AppendU32LE(store, 0);  // StoreSize, patched below
    AppendU32LE(store, static_cast<uint32_t>(root.Files.size()));
    AppendU32LE(store, static_cast<uint32_t>(root.Folders.size()));
    AppendString16(store, root.Name);
    AppendRegion(store, root, offsets);
    if (layout == StoreLayout::ReverseDepthFirst)
        std::reverse(folders.begin(), folders.end());
    for (const StoreFolder* folder : folders)
        AppendRegion(store, *folder, offsets);

    const auto size = static_cast<uint32_t>(store.size());
    for (size_t i = 0; i < kU32; ++i)
        store[i] = static_cast<uint8_t>(size >> (8 * i));
    return store;
}

std::vector<uint8_t> MakePackage(const std::vector<uint8_t>& scriptBlock, const std::vector<uint8_t>& storeBlock) {
    const size_t size = kU32 + scriptBlock.size() + storeBlock.size();
    std::vector<uint8_t> package;
    package.reserve(size);
    AppendU32LE(package, static_cast<uint32_t>(size));
    package.insert(package.end(), scriptBlock.begin(), scriptBlock.end());
    package.insert(package.end(), storeBlock.begin(), storeBlock.end());
    return package;
}
