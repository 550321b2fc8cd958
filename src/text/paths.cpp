// Path primitives: folder and file parts, the trailing backslash, and the
// probe that tells a file's size, a directory or nothing.
#include "text/text.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Paths as the user or another program hands them over may be quoted.
size_t StartAfterQuote(TextView path) { return !path.empty() && path[0] == u'"' ? 1 : 0; }

// The platform's directory search cannot open a drive root, so "X:" and
// three-unit forms such as "X:\" go to the drive query instead.
bool IsDriveForm(TextView path) { return (path.size() == 2 || path.size() == 3) && path[1] == u':'; }

int64_t ProbeDriveRoot(TextView path) {
    Text root(path);
    if (root.size() == 2) root.push_back(u'\\');
    return platform::DriveExists(root) ? -2 : -1;
}

// The length of a classic path buffer, terminator excluded.
constexpr size_t ProbedPathLength = 260;

} // namespace

Text WithTrailingBackslash(TextView path) {
    Text result = TrimSpaces(path);
    if (result.empty() || result.back() != u'\\') result.push_back(u'\\');
    return result;
}

Text FolderPart(TextView path) {
    const size_t start = StartAfterQuote(path);
    // A vertical bar ends the path proper; whatever follows is not looked at.
    size_t end = path.find(u'|', start);
    if (end == TextView::npos) end = path.size();
    size_t cut = start;
    for (size_t i = start; i < end; ++i)
        if (IsSeparator(path[i])) cut = i + 1;
    return Text(path.substr(start, cut - start));
}

Text FilePart(TextView path) {
    size_t start = StartAfterQuote(path);
    for (size_t i = start; i < path.size(); ++i)
        if (IsSeparator(path[i])) start = i + 1;
    size_t end = path.find(u'"', start);
    if (end == TextView::npos) end = path.size();
    return Text(path.substr(start, end - start));
}

int64_t FileSizeProbe(TextView path) {
    if (path.empty()) return -1;
    TextView probed = path.substr(0, ProbedPathLength);
    if (IsDriveForm(probed)) return ProbeDriveRoot(probed);

    while (!probed.empty() && probed.back() == u'\\') probed.remove_suffix(1);
    const platform::DirectoryEntry entry = platform::FindFirstEntry(probed);
    if (entry.found) return entry.isDirectory ? -2 : entry.size;

    // The search cannot open share roots such as \\server\share, nor always
    // the relative parents; their attributes can still be read.
    if (probed.starts_with(u"\\\\") || probed.starts_with(u"..")) {
        switch (platform::ReadAttributes(probed)) {
        case platform::PathAttributes::Directory: return -2;
        case platform::PathAttributes::File: return -1;
        case platform::PathAttributes::Unreadable: break;
        }
        return IsDriveForm(probed) ? ProbeDriveRoot(probed) : -1;
    }
    return -1;
}
