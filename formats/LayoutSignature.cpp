#include "LayoutSignature.h"

#include "FileIO.h"

#include <cstdint>

namespace {
// JSON's white space.
void SkipSpace(std::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' ||
                             text.front() == '\r'))
        text.remove_prefix(1);
}

bool Take(std::string_view& text, std::string_view expected) {
    if (!text.starts_with(expected))
        return false;
    text.remove_prefix(expected.size());
    return true;
}
} // namespace

bool StartsAsLayout(std::string_view head) {
    Take(head, "\xEF\xBB\xBF"); // a byte order mark, as some editors write
    SkipSpace(head);
    if (!Take(head, "{"))
        return false;
    SkipSpace(head);
    if (!Take(head, "\"patchery\""))
        return false;
    SkipSpace(head);
    return head.starts_with(':');
}

bool IsLayoutFile(const std::string& path) {
    // Room for a byte order mark and generous indentation before the first key.
    constexpr size_t HeadSize = 4096;
    try {
        const fileio::FileDescriptor file = fileio::OpenForReading(path);
        std::string head(HeadSize, '\0');
        head.resize(fileio::ReadFully(file.get(), reinterpret_cast<uint8_t*>(head.data()),
                                      head.size(), 0, path));
        return StartsAsLayout(head);
    } catch (const Failure&) {
        return false;
    }
}
