// The driver's timing commands, for scripts/bench-wine.sh. Times are
// milliseconds with one decimal, taken with QueryPerformanceCounter in the
// driver, so that no round trip of the protocol is part of them. The
// editor's own cost is measured in a process of its own
// (bench/wine/editor_cost.cpp). There is no processor-time command: for
// another process, Wine 8's GetProcessTimes gave a tenth of what Linux
// counted for it, so the benchmark reads the Linux process's clock instead.
//
//   run-timed COMMANDLINE TITLE TIMEOUT [CHILD LENGTH]
//        starts the process like `run` and waits until its window of that
//        title is idle: WaitForInputIdle has returned (under Wine 8 it
//        returns once the thread first waits for messages), the visible
//        window exists, and it answers a sent WM_NULL, that is its
//        thread is back in a message loop. With CHILD and LENGTH, also until
//        that child's WM_GETTEXTLENGTH is LENGTH. Makes the window the
//        window of the other commands.
//        -> ok pid=N created=T input-idle=T shown=T answered=T idle=T
//        (each from just before CreateProcess; idle is when all held)
//   wait-idle TITLE TIMEOUT
//        waits until a visible window of that title, of any process, exists
//        and is idle as for run-timed; makes it the window
//        -> ok pid=N waited=T
//   click-timed CHILD WATCH TIMEOUT
//        BM_CLICK to CHILD, then waits until the WM_GETTEXTLENGTH of the
//        child WATCH differs from what it was before the click and the
//        window answers a sent WM_NULL again
//        -> ok clicked=T changed=T idle=T length=N
#include <windows.h>

#include <cstdio>

#include "protocol.h"

namespace driver {

namespace {

double Now() {
    static const double unitsPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / unitsPerMs;
}

std::wstring Ms(double milliseconds) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"%.1f", milliseconds);
    return buffer;
}

// A deadline in the driver's clock, and what is left of it for one call.
struct Deadline {
    double end;
    explicit Deadline(long long timeoutMs) : end(Now() + static_cast<double>(timeoutMs < 0 ? 0 : timeoutMs)) {}
    bool Passed() const { return Now() >= end; }
    DWORD Left() const {
        double left = end - Now();
        return left <= 0 ? 0 : static_cast<DWORD>(left) + 1;
    }
};

// Whether `window` answers a sent message before the deadline: its thread
// has come back to retrieving messages.
bool Answers(HWND window, const Deadline& deadline) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, deadline.Left(), &result) != 0;
}

bool LengthOf(HWND window, const Deadline& deadline, long long& length) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, deadline.Left(), &result)) return false;
    length = static_cast<long long>(result);
    return true;
}

// Polls every millisecond, handling the driver's own messages meanwhile:
// the times measured here are a few hundred milliseconds, and WaitUntil's
// step would be a noticeable part of them.
bool PollUntil(const Deadline& deadline, const std::function<bool()>& condition) {
    for (;;) {
        if (condition()) return true;
        if (deadline.Passed()) return false;
        Pump(1);
    }
}

void RunTimedCommand(const Args& args, Reply& reply) {
    std::wstring line = args.Text(0, L"command line");
    const std::wstring& title = args.Text(1, L"title");
    long long timeout = args.Number(2, L"timeout");
    bool checkLength = args.Has(3);
    std::wstring lengthChild = checkLength ? args.Text(3, L"child") : L"";
    long long wanted = checkLength ? args.Number(4, L"length") : 0;

    double start = Now();
    Deadline deadline(timeout);
    DWORD id = StartProcess(line);
    double created = Now() - start;
    HANDLE process = StartedProcess(id);
    auto waited = [&](const std::wstring& what) {
        return what + L" after " + Decimal(static_cast<int64_t>(Now() - start)) + L" ms";
    };

    DWORD idle = WaitForInputIdle(process, deadline.Left());
    if (idle == WAIT_FAILED) Fail(L"WaitForInputIdle failed with error " + Decimal(GetLastError()));
    if (idle == WAIT_TIMEOUT) Fail(waited(L"the process was not idle"));
    double inputIdle = Now() - start;

    HWND window = nullptr;
    if (!PollUntil(deadline, [&] { return (window = VisibleTopLevel(title, id)) != nullptr; }))
        Fail(waited(L"no visible window \"" + title + L"\""));
    double shown = Now() - start;

    if (!Answers(window, deadline)) Fail(waited(L"the window gave no answer"));
    double answered = Now() - start;

    SelectWindow(window);
    if (checkLength) {
        HWND child = SelectedChild(lengthChild);
        long long length = -1;
        bool got = PollUntil(deadline, [&] { return LengthOf(child, deadline, length) && length == wanted; });
        if (!got)
            Fail(waited(L"the length of " + lengthChild + L" is " + Decimal(length) + L", not " + Decimal(wanted)));
        if (!Answers(window, deadline)) Fail(waited(L"the window gave no answer"));
    }
    double ready = Now() - start;

    reply.Add(L"pid", Decimal(id))
        .Add(L"created", Ms(created))
        .Add(L"input-idle", Ms(inputIdle))
        .Add(L"shown", Ms(shown))
        .Add(L"answered", Ms(answered))
        .Add(L"idle", Ms(ready));
}

void WaitIdleCommand(const Args& args, Reply& reply) {
    const std::wstring& title = args.Text(0, L"title");
    long long timeout = args.Number(1, L"timeout");
    double start = Now();
    Deadline deadline(timeout);
    HWND window = nullptr;
    if (!PollUntil(deadline, [&] { return (window = VisibleTopLevel(title, 0)) != nullptr; }))
        Fail(L"no visible window \"" + title + L"\" after " + Decimal(timeout) + L" ms");
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
    if (!process) Fail(L"OpenProcess failed with error " + Decimal(GetLastError()));
    DWORD idle = WaitForInputIdle(process, deadline.Left());
    CloseHandle(process);
    if (idle != 0) Fail(L"the process was not idle after " + Decimal(timeout) + L" ms");
    if (!Answers(window, deadline)) Fail(L"the window gave no answer after " + Decimal(timeout) + L" ms");
    SelectWindow(window);
    reply.Add(L"pid", Decimal(id)).Add(L"waited", Ms(Now() - start));
}

void ClickTimedCommand(const Args& args, Reply& reply) {
    HWND button = SelectedChild(args.Text(0, L"child"));
    const std::wstring& watchName = args.Text(1, L"watch");
    HWND watch = SelectedChild(watchName);
    HWND window = GetAncestor(button, GA_ROOT);
    long long timeout = args.Number(2, L"timeout");

    Deadline deadline(timeout);
    long long before = -1;
    if (!LengthOf(watch, deadline, before)) Fail(L"no answer to WM_GETTEXTLENGTH before the click");

    double start = Now();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, deadline.Left(), &result))
        Fail(L"BM_CLICK got no answer");
    double clicked = Now() - start;

    long long length = before;
    bool changed =
        PollUntil(deadline, [&] { return LengthOf(watch, deadline, length) && length != before; });
    if (!changed)
        Fail(L"the length of " + watchName + L" is still " + Decimal(before) + L" after " +
             Decimal(static_cast<int64_t>(Now() - start)) + L" ms");
    double seen = Now() - start;
    if (!Answers(window, deadline)) Fail(L"the window gave no answer after the change");
    double idle = Now() - start;

    reply.Add(L"clicked", Ms(clicked))
        .Add(L"changed", Ms(seen))
        .Add(L"idle", Ms(idle))
        .Add(L"length", Decimal(length));
}

} // namespace

void AddPerfCommands(CommandTable& table) {
    table["run-timed"] = RunTimedCommand;
    table["wait-idle"] = WaitIdleCommand;
    table["click-timed"] = ClickTimedCommand;
}

} // namespace driver
