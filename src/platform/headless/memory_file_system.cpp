#include "platform/headless/memory_file_system.h"
#include "text/ascii.h"

#include <cctype>
#include <utility>

namespace pictorn::headless {

namespace {

struct ParsedPath {
    std::string root; // "C:\" or "\\server\share"
    std::vector<std::string> parts;
    bool trailingBackslash = false;

    std::string text(std::size_t partCount, bool trailing) const {
        std::string out = root;
        for (std::size_t i = 0; i < partCount; ++i) {
            if (!out.ends_with('\\')) {
                out += '\\';
            }
            out += parts[i];
        }
        if (trailing && partCount > 0) {
            out += '\\';
        }
        return out;
    }
    std::string full() const { return text(parts.size(), trailingBackslash); }
};

bool isDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

std::optional<ParsedPath> parse(std::string_view input, std::string_view currentDirectory);

// Adds the segments of a relative rest to the parts, as Windows resolves them: "." and
// empty segments vanish, ".." climbs (never above the root), and the last segment loses
// its trailing dots and blanks.
void appendSegments(ParsedPath& path, std::string_view rest) {
    std::size_t start = 0;
    while (start < rest.size()) {
        auto end = rest.find('\\', start);
        const bool last = end == std::string_view::npos;
        if (last) {
            end = rest.size();
        }
        std::string segment(rest.substr(start, end - start));
        if (last && segment != "." && segment != "..") {
            while (!segment.empty() && (segment.back() == '.' || segment.back() == ' ')) {
                segment.pop_back();
            }
        }
        if (segment == "..") {
            if (!path.parts.empty()) {
                path.parts.pop_back();
            }
        } else if (!segment.empty() && segment != ".") {
            path.parts.push_back(segment);
        }
        start = end + 1;
    }
    path.trailingBackslash = !rest.empty() && rest.back() == '\\';
}

std::optional<ParsedPath> parse(std::string_view input, std::string_view currentDirectory) {
    std::string p(input);
    for (char& c : p) {
        if (c == '/') {
            c = '\\';
        }
    }
    if (p.empty()) {
        return std::nullopt;
    }
    ParsedPath path;
    std::string_view rest;
    if (p.starts_with("\\\\")) {
        const auto serverEnd = p.find('\\', 2);
        if (serverEnd == 2) {
            return std::nullopt;
        }
        const auto shareEnd =
            serverEnd == std::string::npos ? std::string::npos : p.find('\\', serverEnd + 1);
        path.root = p.substr(0, shareEnd);
        rest = shareEnd == std::string::npos ? std::string_view()
                                             : std::string_view(p).substr(shareEnd + 1);
    } else if (p.size() >= 2 && isDriveLetter(p[0]) && p[1] == ':') {
        if (p.size() >= 3 && p[2] == '\\') {
            path.root = p.substr(0, 3);
            rest = std::string_view(p).substr(3);
        } else {
            // "X:name" is relative to the current folder when that is on drive X.
            if (text::asciiLowerCase(currentDirectory.substr(0, 2)) ==
                text::asciiLowerCase(p.substr(0, 2))) {
                auto base = parse(currentDirectory, {});
                if (!base) {
                    return std::nullopt;
                }
                path = *base;
            } else {
                path.root = p.substr(0, 2) + "\\";
            }
            rest = std::string_view(p).substr(2);
        }
    } else {
        auto base = currentDirectory.empty() ? std::nullopt : parse(currentDirectory, {});
        if (!base) {
            return std::nullopt;
        }
        path = *base;
        if (p[0] == '\\') {
            path.parts.clear();
            rest = std::string_view(p).substr(1);
        } else {
            rest = p;
        }
    }
    path.trailingBackslash = false;
    appendSegments(path, rest);
    return path;
}

std::string lookupKey(const ParsedPath& path) {
    return text::asciiLowerCase(path.text(path.parts.size(), false));
}

} // namespace

MemoryFileSystem::MemoryFileSystem() {
    addFolder("C:\\");
}

std::optional<std::string> MemoryFileSystem::resolve(std::string_view path) const {
    auto parsed = parse(path, currentDirectory);
    if (!parsed) {
        return std::nullopt;
    }
    return parsed->full();
}

const MemoryFileSystem::Entry* MemoryFileSystem::find(std::string_view path) const {
    auto parsed = parse(path, currentDirectory);
    if (!parsed) {
        return nullptr;
    }
    auto it = entries_.find(lookupKey(*parsed));
    if (it == entries_.end()) {
        return nullptr;
    }
    // "dir\" names a folder; "file\" names nothing.
    if (parsed->trailingBackslash && (it->second.attributes & platform::kAttrDirectory) == 0) {
        return nullptr;
    }
    return &it->second;
}

MemoryFileSystem::Entry* MemoryFileSystem::find(std::string_view path) {
    return const_cast<Entry*>(std::as_const(*this).find(path));
}

void MemoryFileSystem::addWithParents(const std::string& fullPath, std::uint32_t attributes) {
    auto parsed = parse(fullPath, currentDirectory);
    if (!parsed) {
        return;
    }
    for (std::size_t i = 0; i < parsed->parts.size(); ++i) {
        const std::string ancestor = parsed->text(i, false);
        entries_.try_emplace(text::asciiLowerCase(ancestor),
                             Entry{ancestor, platform::kAttrDirectory, {}, false});
    }
    const std::string self = parsed->text(parsed->parts.size(), false);
    entries_[text::asciiLowerCase(self)] = Entry{self, attributes, {}, false};
}

void MemoryFileSystem::addFolder(std::string_view path) {
    addWithParents(std::string(path), platform::kAttrDirectory);
}

void MemoryFileSystem::addFile(std::string_view path, std::string contents) {
    addWithParents(std::string(path), kAttrArchive);
    if (Entry* entry = find(path)) {
        entry->contents = std::move(contents);
    }
}

void MemoryFileSystem::setAttributes(std::string_view path, std::uint32_t attributes) {
    if (Entry* entry = find(path)) {
        entry->attributes = attributes;
    }
}

void MemoryFileSystem::protectFromReading(std::string_view path) {
    if (Entry* entry = find(path)) {
        entry->readProtected = true;
    }
}

void MemoryFileSystem::remove(std::string_view path) {
    if (auto parsed = parse(path, currentDirectory)) {
        const std::string key = lookupKey(*parsed);
        std::erase_if(entries_, [&](const auto& item) {
            return item.first == key || item.first.starts_with(key + "\\");
        });
    }
}

bool MemoryFileSystem::exists(std::string_view path) const {
    return find(path) != nullptr;
}

bool MemoryFileSystem::isFolder(std::string_view path) const {
    const Entry* entry = find(path);
    return entry != nullptr && (entry->attributes & platform::kAttrDirectory) != 0;
}

std::optional<std::string> MemoryFileSystem::contents(std::string_view path) const {
    const Entry* entry = find(path);
    if (entry == nullptr || (entry->attributes & platform::kAttrDirectory) != 0) {
        return std::nullopt;
    }
    return entry->contents;
}

void MemoryFileSystem::failCreateDirectory(std::string_view path) {
    if (auto parsed = parse(path, currentDirectory)) {
        failingDirectories_.insert(lookupKey(*parsed));
    }
}

bool MemoryFileSystem::canOpenForReading(std::string_view path) {
    const Entry* entry = find(path);
    return entry != nullptr && (entry->attributes & platform::kAttrDirectory) == 0 &&
           !entry->readProtected;
}

std::optional<std::uint32_t> MemoryFileSystem::attributes(std::string_view path) {
    const Entry* entry = find(path);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->attributes;
}

std::optional<std::uint32_t> MemoryFileSystem::findEntryAttributes(std::string_view path) {
    // A directory search finds no entry for a name ending in a backslash, for a bare root,
    // or (here) for wildcards, which these fakes do not match.
    if (path.empty() || path.ends_with('\\') || path.find_first_of("*?") != std::string::npos) {
        return std::nullopt;
    }
    auto parsed = parse(path, currentDirectory);
    if (!parsed || parsed->parts.empty()) {
        return std::nullopt;
    }
    return attributes(path);
}

bool MemoryFileSystem::createDirectory(std::string_view path) {
    auto parsed = parse(path, currentDirectory);
    if (!parsed || parsed->parts.empty() || failAllCreateDirectory ||
        failingDirectories_.contains(lookupKey(*parsed)) || entries_.contains(lookupKey(*parsed))) {
        return false;
    }
    const std::string parent = parsed->text(parsed->parts.size() - 1, false);
    if (!isFolder(parent)) {
        return false;
    }
    const std::string self = parsed->text(parsed->parts.size(), false);
    entries_[text::asciiLowerCase(self)] = Entry{self, platform::kAttrDirectory, {}, false};
    createdDirectories.push_back(self);
    return true;
}

std::uint32_t MemoryFileSystem::fullPathName(std::string_view path, std::string& fullPath) {
    if (fullPathFailure) {
        return *fullPathFailure;
    }
    auto resolved = resolve(path);
    if (!resolved) {
        return kErrorInvalidName;
    }
    fullPath = *resolved;
    return 0;
}

std::string MemoryFileSystem::shortPathName(std::string_view path) {
    auto it = shortNames.find(std::string(path));
    return it == shortNames.end() ? std::string(path) : it->second;
}

std::string MemoryFileSystem::systemErrorText(std::uint32_t code) {
    switch (code) {
    case 2:
        return "The system cannot find the file specified.";
    case 3:
        return "The system cannot find the path specified.";
    case 5:
        return "Access is denied.";
    case kErrorInvalidName:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case 112:
        return "There is not enough space on the disk.";
    case 161:
        return "The specified path is invalid.";
    default:
        return {};
    }
}

} // namespace pictorn::headless
