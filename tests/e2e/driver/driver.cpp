// The end-to-end test driver: a console program that runs under Wine beside
// vellisk.exe and does, on request, what a user or another application would
// do to it through the Win32 API.
//
// Protocol. One command per line on stdin, one reply line per command on
// stdout, both UTF-8, each line ending in LF. A line is a list of fields
// separated by TAB; the first field of a command is its name. Inside a field,
// backslash, TAB, LF and CR are written \\ \t \n \r, and any UTF-16 code unit
// may be written \uXXXX (the driver writes control characters, U+2028,
// U+2029 and lone surrogates that way). A reply is
//     ok[TAB field]...        or        err TAB message
// Times are milliseconds; numbers are decimal, or hexadecimal with 0x.
//
// The main window. Commands that act on "the window" use the one found by
// the last find-window.
//   ping [TOKEN]                       -> ok pong [TOKEN]
//   find-window TITLE TIMEOUT [PID]    waits for a visible top-level window of
//                                      that exact title (of that process, when
//                                      PID is given); makes it the window;
//                                      -> ok and the fields of `window`
//   window                             -> ok hwnd=0x.. pid=N class=C title=T
//                                      style=0x.. exstyle=0x.. visible=0|1
//                                      foreground=0|1
//                                      window=L,T,R,B client=L,T,R,B (both in
//                                      screen coordinates) screen=W,H
//                                      caption=H (SM_CYCAPTION)
//                                      frame=X,Y (SM_C?FIXEDFRAME)
//                                      button=W,H (SM_C?SIZE)
//   children                           -> ok N, then 8 fields per child in Z
//                                      order: class text x y w h style exstyle
//                                      (x, y in the window's client area)
//   focus                              -> ok INDEX CLASS TEXT of the child with
//                                      the keyboard focus (INDEX -1: none)
//   hit-test X Y                       -> ok CODE, the window's WM_NCHITTEST
//                                      answer at a screen point
//   click CHILD                        BM_CLICK, sent; -> ok after handling
//   post-click CHILD                   BM_CLICK, posted; -> ok at once
//   get-text CHILD                     -> ok TEXT
//   text-length CHILD                  -> ok N (WM_GETTEXTLENGTH)
//   set-text CHILD TEXT                WM_SETTEXT; at most 65536 code units:
//                                      larger texts go through the clipboard
//   close                              sends WM_CLOSE
//   sys-close                          sends WM_SYSCOMMAND SC_CLOSE
//   wait-gone TIMEOUT                  waits until the window no longer exists
// CHILD is #N, the N-th (from 0) child of `children`, or else the exact text
// of the first child that has it.
//
// Message boxes: a visible top-level "#32770" of the window's process.
//   find-box TIMEOUT                   -> ok HWND TITLE TEXT BUTTON...; TEXT
//                                      joins the box's static texts with LF,
//                                      captions lose their & mnemonics
//   press-box CAPTION TIMEOUT          clicks that button of the box
//   box-children TIMEOUT               -> ok N, then 5 fields per child of the
//                                      box: class text visible style icon
//                                      (icon 1: an SS_ICON static that holds
//                                      an icon)
//   box-gone TIMEOUT [HWND]            waits until the process shows no box
//                                      (with HWND: until that box is gone)
//
// Clipboard, as Unicode text.
//   clip-set TEXT                      -> ok
//   clip-set-repeat TEXT COUNT         sets TEXT repeated COUNT times
//   clip-get                           -> ok TEXT, or err when there is none
//   clip-formats                       -> ok FORMAT... (numbers, in order)
//   clip-clear                         empties the clipboard
//
// Processes, for exact command lines that the wine launcher would re-quote.
//   run COMMANDLINE                    CreateProcess; -> ok PID
//   wait-exit PID TIMEOUT              -> ok EXITCODE of a process run started
//   kill PID                           ends a process run started
// Processes that run started and that still run end with the driver.
//
// Drag and drop: see dragdrop.cpp. Files, pipes and holding the clipboard,
// as other programs do them: see file_commands.cpp.
// Timing (start until idle, the clean-up buttons end to end): see
// perf_commands.cpp.
//
//   quit                               -> ok, then the driver ends; it also
//                                      ends when stdin is closed.
#include <windows.h>

#include <ole2.h>

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "protocol.h"

namespace {

std::mutex linesLock;
std::deque<std::optional<std::string>> lines; // an empty optional: stdin ended
HANDLE linesReady = nullptr;                    // one count per queued element

void Push(std::optional<std::string> line) {
    {
        std::lock_guard<std::mutex> hold(linesLock);
        lines.push_back(std::move(line));
    }
    ReleaseSemaphore(linesReady, 1, nullptr);
}

// Reads stdin on its own thread, so that the main thread can keep handling
// window messages while no command comes.
void ReadCommands() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        pending.append(buffer, got);
        size_t start = 0;
        for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = pending.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            Push(std::move(line));
        }
        pending.erase(0, start);
    }
    if (!pending.empty()) Push(pending);
    Push(std::nullopt);
}

void Write(const std::string& line) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string whole = line + "\n";
    size_t done = 0;
    while (done < whole.size()) {
        DWORD wrote = 0;
        if (!WriteFile(output, whole.data() + done, static_cast<DWORD>(whole.size() - done), &wrote, nullptr) ||
            wrote == 0)
            ExitProcess(3); // nobody listens any more
        done += wrote;
    }
    // No FlushFileBuffers: a pipe holds nothing back, and on a pipe it would
    // wait for the reader.
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// Returns false for quit.
bool Run(const driver::CommandTable& table, const std::string& line) {
    std::vector<std::string> raw = Split(line);
    const std::string& name = raw[0];
    if (name == "quit") {
        Write("ok");
        return false;
    }
    try {
        auto command = table.find(name);
        if (name.empty()) driver::Fail(L"empty command");
        if (command == table.end()) driver::Fail(L"unknown command: " + driver::FromUtf8(name));
        std::vector<std::wstring> fields;
        for (size_t i = 1; i < raw.size(); ++i) fields.push_back(driver::UnescapeField(raw[i]));
        driver::Reply reply;
        command->second(driver::Args(std::move(fields)), reply);
        std::string out = "ok";
        for (const std::wstring& field : reply.Fields()) out += "\t" + driver::EscapeField(field);
        Write(out);
    } catch (const driver::Failure& failure) {
        Write("err\t" + driver::EscapeField(failure.message));
    }
    return true;
}

} // namespace

int wmain() {
    // Drag and drop and the clipboard need an STA with OLE on this thread.
    OleInitialize(nullptr);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    linesReady = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
    driver::DriverWindow();

    driver::CommandTable table;
    table["ping"] = [](const driver::Args& args, driver::Reply& reply) {
        reply.Add(L"pong");
        if (args.Has(0)) reply.Add(args.Text(0, L"token"));
    };
    driver::AddWindowCommands(table);
    driver::AddDragDropCommands(table);
    driver::AddFileCommands(table);
    driver::AddPerfCommands(table);

    std::thread reader(ReadCommands);
    reader.detach();

    for (;;) {
        DWORD woke = MsgWaitForMultipleObjectsEx(1, &linesReady, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            std::optional<std::string> line;
            {
                std::lock_guard<std::mutex> hold(linesLock);
                line = std::move(lines.front());
                lines.pop_front();
            }
            if (!line) break;
            if (!Run(table, *line)) break;
        } else {
            driver::Pump(0);
        }
    }
    driver::EndStartedProcesses();
    OleUninitialize();
    // The reader thread may still be blocked in ReadFile: end the process
    // rather than return and wait for it.
    ExitProcess(0);
}
