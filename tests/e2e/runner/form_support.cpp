#include "form_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace e2e::form {

namespace {

constexpr int FieldsPerChild = 8;

const char* const Names[GadgetCount] = {
    "ObjectLabel",   "ObjectField",      "ObjectButton",         "ObjectTile",
    "PathLabel",     "PathField",        "PathButton",           "PathTile",
    "FileNameLabel", "FileNameField",    "FileNameButton",       "FileNameTile",
    "SaveFileLabel", "SaveFileField",    "SaveFileButton",       "SaveFileTile",
    "Editor",        "ColumnWrapButton", "CompressSpacesButton", "ClipTile",
    "AboutButton",   "CloseButton",      "SaveButton",           "SaveAndCloseButton",
};

std::vector<ChildInfo> ParseChildren(const std::vector<std::string>& fields) {
    if (fields.empty()) throw HarnessError("children: an empty reply");
    size_t count = std::stoul(fields[0]);
    if (fields.size() != 1 + count * FieldsPerChild)
        throw HarnessError("children: " + std::to_string(fields.size()) + " fields for " + std::to_string(count) +
                           " children");
    std::vector<ChildInfo> list;
    for (size_t i = 0; i < count; ++i) {
        const std::string* f = &fields[1 + i * FieldsPerChild];
        ChildInfo c;
        c.cls = f[0];
        c.text = f[1];
        c.x = std::stoi(f[2]);
        c.y = std::stoi(f[3]);
        c.width = std::stoi(f[4]);
        c.height = std::stoi(f[5]);
        c.style = std::stoul(f[6], nullptr, 0);
        c.exstyle = std::stoul(f[7], nullptr, 0);
        list.push_back(c);
    }
    return list;
}

} // namespace

const char* NameOf(Gadget gadget) { return gadget >= 0 && gadget < GadgetCount ? Names[gadget] : "?"; }

std::string Child(Gadget gadget) {
    std::string selector = "#";
    selector += std::to_string(static_cast<int>(gadget));
    return selector;
}

const std::string& ProgramWindowsPath() {
    static const std::string path = [] {
        std::string unix = std::filesystem::absolute(Config().exe).string();
        CommandResult named = RunTool({"winepath", "-w", unix}, Milliseconds{30000});
        std::string windows = named.output.substr(0, named.output.find_first_of("\r\n"));
        if (!(WIFEXITED(named.status) && WEXITSTATUS(named.status) == 0) || windows.empty())
            throw HarnessError("winepath -w " + unix + " " + DescribeStatus(named.status) + ": " + named.output);
        return windows;
    }();
    return path;
}

std::vector<ChildInfo> Children() { return ParseChildren(Expect({"children"})); }

// ---- the program ---------------------------------------------------------------

Vellisk::Vellisk(const std::string& arguments) {
    std::string line = "\"" + ProgramWindowsPath() + "\"";
    if (!arguments.empty()) line += " " + arguments;
    pid_ = std::stol(Expect({"run", line}).at(0));
    AttachToForm(pid_);
}

Vellisk::Vellisk(const std::string& objectPath, unsigned long fileSizeLimit) {
    // bash counts the limit in KiB; an ignored signal stays ignored across exec.
    std::string limit = std::to_string((fileSizeLimit + 1023) / 1024);
    SpawnOptions options;
    options.stderrFd = Inherit;
    native_ = Spawn({"bash", "-c", "ulimit -f " + limit + " && trap '' XFSZ && exec wine \"$0\" \"$1\"", Config().exe,
                     objectPath},
                    options);
    AttachToForm(0);
}

void Vellisk::AttachToForm(long pid) {
    try {
        std::vector<std::string> find{"find-window", "vellisk", Ms(AppearTimeout)};
        if (pid != 0) find.push_back(std::to_string(pid));
        window_ = ParseWindow(Expect(find, AppearTimeout + Milliseconds{15000}));
        // The window shows before its form is built; the target name is the
        // last thing start-up writes.
        WaitFor("the form to be built and filled", AppearTimeout, [](std::string& seen) {
            std::vector<ChildInfo> list = Children();
            seen = std::to_string(list.size()) + " children";
            if (list.size() != GadgetCount) return false;
            seen += ", SaveFileField \"" + list[SaveFileField].text + "\"";
            return !list[SaveFileField].text.empty();
        });
    } catch (...) {
        End();
        throw;
    }
}

Vellisk::~Vellisk() {
    try {
        End();
    } catch (const HarnessError& error) {
        ADD_FAILURE() << "ending vellisk.exe " << pid_ << ": " << error.what();
    }
}

void Vellisk::End() {
    if (ended_) return;
    ended_ = true;
    if (native_ > 0) {
        if (!WaitForExit(native_, Milliseconds{0})) EndProcess(native_);
        return;
    }
    if (pid_ == 0) return;
    if (Call({"wait-exit", std::to_string(pid_), "0"}).ok) return;
    Expect({"kill", std::to_string(pid_)});
    // Gone for good before the next test looks for a window.
    Expect({"wait-exit", std::to_string(pid_), "10000"}, Milliseconds{25000});
}

int Vellisk::WaitExit(Milliseconds timeout) {
    if (native_ > 0) {
        std::optional<int> status = WaitForExit(native_, timeout);
        if (!status) throw HarnessError("vellisk.exe still runs " + Ms(timeout) + " ms later");
        ended_ = true;
        if (!WIFEXITED(*status)) throw HarnessError("vellisk.exe " + DescribeStatus(*status));
        return WEXITSTATUS(*status);
    }
    std::vector<std::string> code =
        Expect({"wait-exit", std::to_string(pid_), Ms(timeout)}, timeout + Milliseconds{15000});
    ended_ = true;
    return std::stoi(code.at(0));
}

bool Vellisk::Running() {
    if (ended_) return false;
    if (native_ > 0) {
        if (!WaitForExit(native_, Milliseconds{0})) return true;
        ended_ = true;
        return false;
    }
    return !Call({"wait-exit", std::to_string(pid_), "0"}).ok;
}

void PrepareClipboard(const std::optional<std::string>& text) {
    if (!text) {
        Expect({"clip-clear"});
        Reply got = Call({"clip-get"});
        if (got.ok) throw HarnessError("the clipboard still holds text after clip-clear: " + got.line);
        return;
    }
    Expect({"clip-set", *text});
    std::vector<std::string> got = Expect({"clip-get"});
    if (got != std::vector<std::string>{*text}) throw HarnessError("the clipboard does not hold what was set");
}

std::string Text(Gadget gadget) { return Expect({"get-text", Child(gadget)}).at(0); }

void SetText(Gadget gadget, const std::string& text) { Expect({"set-text", Child(gadget), text}); }

void Click(Gadget gadget) { Expect({"click", Child(gadget)}); }

// ---- message boxes -------------------------------------------------------------

std::ostream& operator<<(std::ostream& out, const Box& box) {
    out << "box \"" << box.title << "\" / \"" << EscapeField(box.text) << "\" [";
    for (size_t i = 0; i < box.buttons.size(); ++i) out << (i ? ", " : "") << box.buttons[i];
    return out << "]" << (box.icon ? " with an icon" : "");
}

namespace {
std::string lastBox; // the HWND of the box WaitBox found last
}

Box WaitBox(Milliseconds timeout) {
    std::vector<std::string> found = Expect({"find-box", Ms(timeout)}, timeout + Milliseconds{15000});
    if (found.size() < 3) throw HarnessError("find-box: a short reply");
    lastBox = found[0];
    Box box;
    box.title = found[1];
    box.text = found[2];
    box.buttons.assign(found.begin() + 3, found.end());
    std::vector<std::string> children = Expect({"box-children", "5000"});
    size_t count = std::stoul(children.at(0));
    if (children.size() != 1 + count * 5) throw HarnessError("box-children: a reply of the wrong length");
    for (size_t i = 0; i < count; ++i) {
        const std::string* f = &children[1 + i * 5];
        if (f[2] == "1" && f[4] == "1") box.icon = true;
    }
    return box;
}

void Answer(const std::string& caption) {
    Expect({"press-box", caption, "5000"});
    // This box only: the next one may already be on its way.
    Expect({"box-gone", Ms(AppearTimeout), lastBox}, AppearTimeout + Milliseconds{15000});
}

void WaitUntilClicksHandled() {
    Click(AboutButton);
    Box next = WaitBox();
    if (next.title != "About") {
        std::ostringstream seen;
        seen << next;
        throw HarnessError("an earlier click showed a box: " + seen.str());
    }
    Answer("OK");
}

// ---- keys ----------------------------------------------------------------------

void PressKeys(const Vellisk& program, const std::string& keys) {
    const WindowInfo& w = program.Window();
    // The right margin: between the clean-up buttons' edge (388) and 400.
    Xdotool({"mousemove", std::to_string(w.client.left + 396), std::to_string(w.client.top + 150)});
    Xdotool({"key", keys});
}

int FocusIndex() { return std::stoi(Expect({"focus"}).at(0)); }

// ---- files ---------------------------------------------------------------------

DriveCFolder::DriveCFolder() {
    static int made = 0;
    std::string number = std::to_string(getpid()) + "-" + std::to_string(++made);
    unix_ = std::filesystem::path(Config().prefix) / "drive_c" / ("vellisk-form-" + number);
    std::filesystem::remove_all(unix_);
    std::filesystem::create_directories(unix_);
    windows_ = "C:\\Vellisk-Form-" + number + "\\";
    lower_ = "c:\\vellisk-form-" + number + "\\";
}

DriveCFolder::~DriveCFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(unix_, ignored);
}

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw HarnessError("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw HarnessError("cannot write " + file.string());
}

std::vector<std::string> Listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace e2e::form
