// What the capture form's end-to-end tests share: the program started with an
// exact command line, its gadgets by name, its message boxes, and folders on
// the prefix's drive C: for the files it saves.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"

namespace e2e::form {

// The form's children in the order they are made, which is their Z order
// and so the order of the driver's `children`.
enum Gadget : int {
    ObjectLabel,
    ObjectField,
    ObjectButton,
    ObjectTile,
    PathLabel,
    PathField,
    PathButton,
    PathTile,
    FileNameLabel,
    FileNameField,
    FileNameButton,
    FileNameTile,
    SaveFileLabel,
    SaveFileField,
    SaveFileButton,
    SaveFileTile,
    Editor,
    ColumnWrapButton,
    CompressSpacesButton,
    ClipTile,
    AboutButton,
    CloseButton,
    SaveButton,
    SaveAndCloseButton,
    GadgetCount
};

const char* NameOf(Gadget gadget);

// The driver's selector of a child: "#N".
std::string Child(Gadget gadget);

// vellisk.exe as Windows sees it, e.g. Z:\...\vellisk.exe.
const std::string& ProgramWindowsPath();

struct ChildInfo {
    std::string cls, text;
    int x = 0, y = 0, width = 0, height = 0;
    unsigned long style = 0, exstyle = 0;
};

std::vector<ChildInfo> Children();

// vellisk.exe started by the driver with CreateProcess, so that the command
// line it reads is exactly the one given: the quoted program path, then
// `arguments` after one space (nothing at all when they are empty). The
// constructor returns once the form is built and filled, that is once the
// target name shows (it is never empty after start-up). The destructor ends
// the program if it still runs.
class Vellisk {
public:
    explicit Vellisk(const std::string& arguments = "");
    // vellisk.exe started by the wine launcher on one object path, with the
    // files it writes limited to `fileSizeLimit` bytes (RLIMIT_FSIZE, with
    // SIGXFSZ ignored): a write beyond the limit fails part-way, as on a disk
    // that fills up.
    Vellisk(const std::string& objectPath, unsigned long fileSizeLimit);
    ~Vellisk();
    Vellisk(const Vellisk&) = delete;
    Vellisk& operator=(const Vellisk&) = delete;

    const WindowInfo& Window() const { return window_; }
    long Pid() const { return pid_; }

    // The exit code once the program ended; throws when it still runs then.
    int WaitExit(Milliseconds timeout = ExitTimeout);
    // Whether it still runs (and its main window with it).
    bool Running();

private:
    void AttachToForm(long pid);
    void End();
    long pid_ = 0;      // the driver's process id, when the driver started it
    pid_t native_ = -1; // the launcher's, when this program started it
    bool ended_ = false;
    WindowInfo window_;
};

// Puts the text on the clipboard, or empties it for none, and makes sure of
// it before a program that reads it starts.
void PrepareClipboard(const std::optional<std::string>& text);

std::string Text(Gadget gadget);
void SetText(Gadget gadget, const std::string& text);
// A click as BM_CLICK does it; the action runs afterwards in the program's
// own event loop.
void Click(Gadget gadget);

// ---- message boxes --------------------------------------------------------

struct Box {
    std::string title;
    std::string text;
    std::vector<std::string> buttons; // captions, without mnemonics
    bool icon = false;                // an icon is shown
};

std::ostream& operator<<(std::ostream& out, const Box& box);

// Waits for the program's message box and reads it.
Box WaitBox(Milliseconds timeout = AppearTimeout);
// Presses that button of the box WaitBox found last and waits until that box
// is gone.
void Answer(const std::string& caption);

// Returns once every earlier click was handled to its end, and throws if one
// of them showed a message box: the program handles its events in order, so
// when the About box is the next box to come, nothing before it showed one.
// The About box is closed again; no field, text or file changes.
void WaitUntilClicksHandled();

// ---- keys -----------------------------------------------------------------

// Real keys for the form: X sends them to the window under the pointer, so
// the pointer rests on the form's right margin, where there is no gadget.
void PressKeys(const Vellisk& program, const std::string& keys);
// The child with the keyboard focus, as an index of `children` (-1: none).
int FocusIndex();

// ---- files ----------------------------------------------------------------

// A fresh folder under the prefix's drive_c, removed again by the destructor.
// Its name is lower case on disk, since vellisk lower-cases the whole path it
// writes; the form is given it with capitals (Wine finds folders whatever
// their case), so that the lower-casing shows in the box texts.
class DriveCFolder {
public:
    DriveCFolder();
    ~DriveCFolder();
    DriveCFolder(const DriveCFolder&) = delete;
    DriveCFolder& operator=(const DriveCFolder&) = delete;

    const std::filesystem::path& Unix() const { return unix_; }
    // C:\Vellisk-Form-...\, with the trailing backslash, as vellisk derives
    // a folder.
    const std::string& Windows() const { return windows_; }
    // The same in lower case, as the box texts show it.
    const std::string& Lower() const { return lower_; }

private:
    std::filesystem::path unix_;
    std::string windows_, lower_;
};

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> Listing(const std::filesystem::path& folder);

} // namespace e2e::form
