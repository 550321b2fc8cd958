// The in-memory stand-in for the platform seam, and what tests use to set it
// up and look into it. Native unit tests link it instead of the Win32 layer.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "shell/platform.h"

namespace standin {

// Thrown by platform::EndProcess, so a test can watch the program end.
struct ProcessEnded {
    int exitCode;
};

// Thrown by platform::WaitEvent when a test left no event queued: the real
// wait would block for ever.
struct NoMoreEvents {};

enum class GadgetKind { Button, TextField, Label, Editor, Image };

struct GadgetRecord {
    GadgetKind kind = GadgetKind::Button;
    platform::Geometry geometry;
    Text text;
    uint32_t flags = 0;
    int32_t image = 0;
    Text toolTip;
    std::map<int32_t, int32_t> dropFormats; // format -> actions
    std::vector<int32_t> dropOrder;         // formats in the order they were first enabled
};

struct ImageRecord {
    int32_t width = 0;
    int32_t height = 0;
    struct Drawn {
        int32_t x, y;
        Text text;
        uint8_t red, green, blue;
        bool transparent;
    };
    std::vector<Drawn> drawn;
};

struct MessageRecord {
    Text title;
    Text text;
    int32_t buttons;
};

struct FileRecord {
    std::string bytes;
};

struct OpenFileRecord {
    Text path;
    bool closed = false;
};

// Everything the stand-in holds. Reset() gives a fresh one.
struct State {
    // process
    int prepareCalls = 0;
    int oleShutDowns = 0;
    int gadgetReleases = 0;
    int openFilesClosedAtEnd = 0;
    std::vector<int> sleeps;
    Text commandLine = u"vellisk.exe";
    // call order of the process operations, for tests of the end
    std::vector<std::string> calls;

    // window and events
    bool windowFails = false;
    intptr_t window = 0;
    int32_t windowNumber = 0;
    Text windowTitle;
    platform::Geometry windowArea;
    uint32_t windowOptions = 0;
    std::deque<platform::Event> events;

    // gadgets and images
    bool gadgetsFail = false;
    bool imagesFail = false;
    bool drawingFails = false;
    int32_t nextGadget = 1000;
    std::map<int32_t, GadgetRecord> gadgets;
    int32_t nextImage = 1;
    std::map<int32_t, ImageRecord> images;
    int32_t drawingImage = 0;
    bool transparentText = false;

    // drag and drop
    std::vector<Text> drags;
    Text droppedText;
    Text droppedFiles;

    // message boxes: answers are taken from the front; OK when none is left
    std::deque<int32_t> answers;
    std::vector<MessageRecord> messages;

    // clipboard: nullopt when it holds no text (empty, or an image only)
    std::optional<Text> clipboard;
    bool clipboardLocked = false;

    // file system: paths are compared without regard to letter case, like
    // the platform's
    std::map<Text, FileRecord> files;
    std::set<Text> directories;
    std::set<Text> drives = {u"C:\\"};
    std::set<Text> readOnly;   // files that may not be created or truncated
    bool writesFail = false;   // every write fails after the file was created
    bool closesFail = false;   // closing a file fails
    bool notDiskFile = false;  // opened files are devices, not disk files
    std::optional<size_t> diskSpace; // bytes a file may hold before writes fail
    std::map<intptr_t, OpenFileRecord> openFiles;
    intptr_t nextFile = 1;
};

State& Get();
void Reset();

// Queues events as the platform would report them.
void QueueEvent(int32_t kind, int32_t gadget = 0, int32_t type = 0, int32_t dropKind = 0);
void QueueClick(int32_t gadget);

// The file system's key for a path (upper-cased ASCII, slashes kept).
Text FileKey(TextView path);
void AddFile(TextView path, std::string bytes);
void AddDirectory(TextView path);
std::optional<std::string> FileBytes(TextView path);

const GadgetRecord& Gadget(int32_t gadget);

} // namespace standin
