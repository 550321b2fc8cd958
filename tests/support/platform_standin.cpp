// In-memory implementation of the platform seam for the native unit tests.
#include "support/standin.h"

#include <algorithm>
#include <stdexcept>

namespace standin {

static State state;

State& Get() { return state; }

void Reset() { state = State{}; }

void QueueEvent(int32_t kind, int32_t gadget, int32_t type, int32_t dropKind) {
    state.events.push_back(platform::Event{kind, gadget, type, dropKind});
}

void QueueClick(int32_t gadget) { QueueEvent(GadgetEvent, gadget, ClickEventType, 0); }

Text FileKey(TextView path) {
    Text key(path);
    for (auto& c : key) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        if (c == u'/') c = u'\\';
    }
    return key;
}

void AddFile(TextView path, std::string bytes) { state.files[FileKey(path)] = FileRecord{std::move(bytes)}; }

void AddDirectory(TextView path) { state.directories.insert(FileKey(path)); }

std::optional<std::string> FileBytes(TextView path) {
    auto it = state.files.find(FileKey(path));
    if (it == state.files.end()) return std::nullopt;
    return it->second.bytes;
}

const GadgetRecord& Gadget(int32_t gadget) {
    auto it = state.gadgets.find(gadget);
    if (it == state.gadgets.end()) throw std::out_of_range("no such gadget");
    return it->second;
}

// Wildcard match of one path component, "*" any run, "?" one code unit.
static bool Matches(TextView pattern, TextView name) {
    size_t p = 0, n = 0, star = Text::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            mark = n;
        } else if (star != Text::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

static void SplitPath(TextView key, Text& folder, Text& name) {
    size_t cut = key.find_last_of(u'\\');
    if (cut == Text::npos) {
        folder.clear();
        name = Text(key);
    } else {
        folder = Text(key.substr(0, cut + 1));
        name = Text(key.substr(cut + 1));
    }
}

} // namespace standin

namespace platform {

using standin::state;

void Prepare() {
    ++state.prepareCalls;
    state.calls.push_back("Prepare");
}
void ShutDownOle() {
    ++state.oleShutDowns;
    state.calls.push_back("ShutDownOle");
}
void ReleaseGadgets() {
    ++state.gadgetReleases;
    state.calls.push_back("ReleaseGadgets");
}
void CloseOpenFiles() {
    for (auto& [file, record] : state.openFiles) {
        if (!record.closed) {
            record.closed = true;
            ++state.openFilesClosedAtEnd;
        }
    }
    state.calls.push_back("CloseOpenFiles");
}
void EndProcess(int exitCode) {
    state.calls.push_back("EndProcess");
    throw standin::ProcessEnded{exitCode};
}
void SleepMilliseconds(int milliseconds) { state.sleeps.push_back(milliseconds); }
Text CommandLine() { return state.commandLine; }

intptr_t OpenWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, TextView title,
                    uint32_t options) {
    if (state.windowFails) return 0;
    state.window = 0x77;
    state.windowNumber = number;
    state.windowTitle = Text(title);
    state.windowArea = Geometry{x, y, width, height};
    state.windowOptions = options;
    return state.window;
}

Event WaitEvent() {
    if (state.events.empty()) throw standin::NoMoreEvents{};
    Event e = state.events.front();
    state.events.pop_front();
    return e;
}

static int32_t AddGadget(standin::GadgetKind kind, int32_t x, int32_t y, int32_t width, int32_t height,
                         TextView text, uint32_t flags) {
    if (state.gadgetsFail) return 0;
    int32_t number = state.nextGadget++;
    standin::GadgetRecord record;
    record.kind = kind;
    record.geometry = Geometry{x, y, width, height};
    record.text = Text(text);
    record.flags = flags;
    state.gadgets[number] = record;
    return number;
}

int32_t CreateButton(int32_t x, int32_t y, int32_t width, int32_t height, TextView caption, uint32_t flags) {
    return AddGadget(standin::GadgetKind::Button, x, y, width, height, caption, flags);
}
int32_t CreateTextField(int32_t x, int32_t y, int32_t width, int32_t height, TextView text, uint32_t flags) {
    return AddGadget(standin::GadgetKind::TextField, x, y, width, height, text, flags);
}
int32_t CreateLabel(int32_t x, int32_t y, int32_t width, int32_t height, TextView text, uint32_t flags) {
    return AddGadget(standin::GadgetKind::Label, x, y, width, height, text, flags);
}
int32_t CreateEditor(int32_t x, int32_t y, int32_t width, int32_t height) {
    return AddGadget(standin::GadgetKind::Editor, x, y, width, height, u"", 0);
}
bool GadgetExists(int32_t gadget) { return state.gadgets.count(gadget) != 0; }
Geometry GadgetGeometry(int32_t gadget) {
    auto it = state.gadgets.find(gadget);
    return it == state.gadgets.end() ? Geometry{} : it->second.geometry;
}
void MoveGadget(int32_t gadget, int32_t x, int32_t y, int32_t width, int32_t height) {
    auto it = state.gadgets.find(gadget);
    if (it == state.gadgets.end()) return;
    Geometry& g = it->second.geometry;
    if (x != IgnoreValue) g.x = x;
    if (y != IgnoreValue) g.y = y;
    if (width != IgnoreValue) g.width = width;
    if (height != IgnoreValue) g.height = height;
}
Text GadgetText(int32_t gadget) {
    auto it = state.gadgets.find(gadget);
    return it == state.gadgets.end() ? Text() : it->second.text;
}
void SetGadgetText(int32_t gadget, TextView text) {
    auto it = state.gadgets.find(gadget);
    if (it != state.gadgets.end()) it->second.text = Text(text);
}

int32_t CreateImage(int32_t width, int32_t height) {
    if (state.imagesFail) return 0;
    int32_t number = state.nextImage++;
    state.images[number] = standin::ImageRecord{width, height, {}};
    return number;
}
bool StartDrawing(int32_t image) {
    if (state.drawingFails || state.images.count(image) == 0) return false;
    state.drawingImage = image;
    state.transparentText = false;
    return true;
}
void SetTransparentTextBackground() { state.transparentText = true; }
void DrawTextAt(int32_t x, int32_t y, TextView text, uint8_t red, uint8_t green, uint8_t blue) {
    auto it = state.images.find(state.drawingImage);
    if (it == state.images.end()) return;
    it->second.drawn.push_back({x, y, Text(text), red, green, blue, state.transparentText});
}
void StopDrawing() { state.drawingImage = 0; }
int32_t CreateImageGadget(int32_t x, int32_t y, int32_t width, int32_t height, int32_t image) {
    int32_t number = AddGadget(standin::GadgetKind::Image, x, y, width, height, u"", 0);
    if (number != 0) state.gadgets[number].image = image;
    return number;
}
void SetToolTip(int32_t gadget, TextView text) {
    auto it = state.gadgets.find(gadget);
    if (it != state.gadgets.end()) it->second.toolTip = Text(text);
}

void EnableDrop(int32_t gadget, int32_t format, int32_t actions) {
    auto it = state.gadgets.find(gadget);
    if (it == state.gadgets.end()) return;
    if (it->second.dropFormats.count(format) == 0) it->second.dropOrder.push_back(format);
    it->second.dropFormats[format] = actions;
}
void DragText(TextView text, int32_t) { state.drags.push_back(Text(text)); }
Text DroppedText() { return state.droppedText; }
Text DroppedFiles() { return state.droppedFiles; }

int32_t ShowMessage(TextView title, TextView text, int32_t buttons) {
    state.messages.push_back({Text(title), Text(text), buttons});
    if (state.answers.empty()) return buttons == MessageButtonsYesNo ? MessageAnswerNo : MessageAnswerOk;
    int32_t answer = state.answers.front();
    state.answers.pop_front();
    return answer;
}

bool ReadClipboard(Text& text) {
    if (state.clipboardLocked || !state.clipboard) return false;
    text = *state.clipboard;
    return true;
}
bool WriteClipboard(TextView text) {
    if (state.clipboardLocked) return false;
    state.clipboard = Text(text);
    return true;
}

DirectoryEntry FindFirstEntry(TextView pattern) {
    Text folder, name;
    standin::SplitPath(standin::FileKey(pattern), folder, name);
    if (name.empty()) return {};
    // Like the real search, none at a share root (\\server\share): a share
    // is no entry of the server. Its attributes can still be read.
    if (folder.size() > 2 && folder.starts_with(u"\\\\") && folder.find(u'\\', 2) == folder.size() - 1) return {};
    auto inFolder = [&](const Text& key) {
        Text f, n;
        standin::SplitPath(key, f, n);
        return f == folder && standin::Matches(name, n);
    };
    for (const Text& key : state.directories)
        if (inFolder(key)) return DirectoryEntry{true, true, 0};
    for (const auto& [key, record] : state.files)
        if (inFolder(key)) return DirectoryEntry{true, false, static_cast<int64_t>(record.bytes.size())};
    return {};
}

PathAttributes ReadAttributes(TextView path) {
    Text key = standin::FileKey(path);
    while (!key.empty() && key.back() == u'\\') key.pop_back();
    if (state.directories.count(key) != 0) return PathAttributes::Directory;
    if (state.files.count(key) != 0) return PathAttributes::File;
    return PathAttributes::Unreadable;
}

bool DriveExists(TextView root) { return state.drives.count(standin::FileKey(root)) != 0; }

static bool FolderExists(const Text& key) {
    size_t cut = key.find_last_of(u'\\');
    if (cut == Text::npos) return true; // relative to the current folder
    Text folder = key.substr(0, cut);
    if (folder.size() == 2 && folder[1] == u':') return state.drives.count(folder + u"\\") != 0;
    return state.directories.count(folder) != 0;
}

static File OpenFor(TextView path, bool mayCreate) {
    Text key = standin::FileKey(path);
    if (key.empty() || key.find_first_of(u"*?<>|\"") != Text::npos) return 0;
    if (state.directories.count(key) != 0 || state.readOnly.count(key) != 0) return 0;
    bool exists = state.files.count(key) != 0;
    if (!exists && (!mayCreate || !FolderExists(key))) return 0;
    state.files[key].bytes.clear();
    File file = state.nextFile++;
    state.openFiles[file] = standin::OpenFileRecord{key, false};
    return file;
}

File CreateOrTruncateFile(TextView path) { return OpenFor(path, true); }
File TruncateExistingFile(TextView path) { return OpenFor(path, false); }

bool WriteFileBytes(File file, std::span<const char> bytes) {
    auto it = state.openFiles.find(file);
    if (it == state.openFiles.end() || it->second.closed || state.writesFail) return false;
    std::string& stored = state.files[it->second.path].bytes;
    if (state.diskSpace) {
        // A full disk takes what fits, then refuses the rest.
        size_t room = *state.diskSpace > stored.size() ? *state.diskSpace - stored.size() : 0;
        stored.append(bytes.data(), std::min(room, bytes.size()));
        return room >= bytes.size();
    }
    stored.append(bytes.data(), bytes.size());
    return true;
}

bool IsDiskFile(File file) { return state.openFiles.count(file) != 0 && !state.notDiskFile; }

bool CloseFile(File file) {
    auto it = state.openFiles.find(file);
    if (it == state.openFiles.end() || it->second.closed) return false;
    it->second.closed = true;
    return !state.closesFail;
}

bool RemoveFile(TextView path) {
    Text key = standin::FileKey(path);
    for (const auto& [file, record] : state.openFiles)
        if (record.path == key && !record.closed) return false; // open files stay, as on the platform
    return state.files.erase(key) != 0;
}

// A portable per-code-unit mapping: ASCII, Latin-1, Latin Extended-A, Greek
// and Cyrillic capitals.
static char16_t LowerUnit(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149) {
        bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddPairs) return (c % 2 == 1) ? static_cast<char16_t>(c + 1) : c;
        if (c == 0x178) return 0xFF;
        return (c % 2 == 0) ? static_cast<char16_t>(c + 1) : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 37);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 63);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c == 0x4C0) return 0x4CF;
    bool evenPairs = (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F);
    if (evenPairs && c % 2 == 0) return static_cast<char16_t>(c + 1);
    if (c >= 0x4C1 && c <= 0x4CE && c % 2 == 1) return static_cast<char16_t>(c + 1);
    return c;
}

Text LowerCase(TextView text) {
    Text result(text);
    for (auto& c : result) c = LowerUnit(c);
    return result;
}

} // namespace platform
