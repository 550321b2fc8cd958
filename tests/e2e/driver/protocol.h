// The test driver's line protocol and the helpers its commands share.
// The syntax itself is described at the top of driver.cpp.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace driver {

// ---- text -------------------------------------------------------------------

// UTF-16 to UTF-8. A lone surrogate is kept as its three-byte form, so that no
// code unit is lost on the way (the runner reads that form back).
std::string ToUtf8(const std::wstring& text);
// UTF-8 to UTF-16; also accepts the three-byte form of a lone surrogate.
// Bytes that form no character become U+FFFD.
std::wstring FromUtf8(const std::string& bytes);

// One field of a reply: backslash, TAB, LF and CR as \\ \t \n \r; every
// other control character, U+2028, U+2029 and lone surrogates as \uXXXX.
std::string EscapeField(const std::wstring& text);
std::string EscapeField(const std::string& ascii);
// One field of a command, the escapes above undone.
std::wstring UnescapeField(const std::string& field);

std::wstring Hex(uint64_t value);   // 0x1A2B
std::wstring Decimal(int64_t value);

// ---- commands ---------------------------------------------------------------

struct Failure {
    std::wstring message;
};

// The command's fields after its name.
class Args {
public:
    explicit Args(std::vector<std::wstring> fields) : fields_(std::move(fields)) {}
    size_t Count() const { return fields_.size(); }
    // The i-th field; a missing field is a failure naming `what`.
    const std::wstring& Text(size_t i, const wchar_t* what) const;
    long long Number(size_t i, const wchar_t* what) const;
    // Optional fields.
    bool Has(size_t i) const { return i < fields_.size(); }
    long long NumberOr(size_t i, long long fallback, const wchar_t* what) const {
        return Has(i) ? Number(i, what) : fallback;
    }

private:
    std::vector<std::wstring> fields_;
};

// The fields of an "ok" reply, in order.
class Reply {
public:
    Reply& Add(const std::wstring& field) {
        fields_.push_back(field);
        return *this;
    }
    Reply& Add(const std::wstring& key, const std::wstring& value) { return Add(key + L"=" + value); }
    const std::vector<std::wstring>& Fields() const { return fields_; }

private:
    std::vector<std::wstring> fields_;
};

using Handler = std::function<void(const Args&, Reply&)>;
using CommandTable = std::map<std::string, Handler>;

[[noreturn]] void Fail(const std::wstring& message);

// ---- waiting ----------------------------------------------------------------

// Handles window messages for up to `milliseconds`: the driver's own windows
// (drop target, drag source, clipboard owner) must answer while a command
// waits, or another process's drag and drop or clipboard call would hang.
void Pump(DWORD milliseconds);

// Polls `condition` every few milliseconds, handling messages meanwhile,
// until it holds (true) or `timeoutMs` has passed (false).
bool WaitUntil(long long timeoutMs, const std::function<bool()>& condition);

// ---- the commands of each file ---------------------------------------------

void AddWindowCommands(CommandTable& table);
void AddDragDropCommands(CommandTable& table);
void AddPerfCommands(CommandTable& table);
void AddFileCommands(CommandTable& table);

// Ends what `run` started and still runs: the driver leaves nothing behind.
void EndStartedProcesses();

// CreateProcess with that exact command line; the process is kept like one
// `run` started (wait-exit, kill, the end of the driver). Returns its id.
DWORD StartProcess(std::wstring commandLine);
// The handle of a process started so; fails for any other id.
HANDLE StartedProcess(DWORD id);

// Makes `window` the window of the commands that act on "the window", as
// find-window does.
void SelectWindow(HWND window);
// The child of that window that a CHILD field names (#N or its exact text).
HWND SelectedChild(const std::wstring& selector);
// The visible top-level window of that exact title and process, if there is
// one now; find-window waits for it.
HWND VisibleTopLevel(const std::wstring& title, DWORD process);

// The driver's own invisible window: clipboard owner and message target.
HWND DriverWindow();

} // namespace driver
