// The driver's commands on the main window, its children, message boxes, the
// clipboard and processes; the syntax is listed in driver.cpp.
#include <windows.h>

#include <map>
#include <vector>

#include "protocol.h"

namespace driver {

namespace {

// How long a message sent to the program may take before the driver gives
// up: generous, since Wine on a busy machine is slow at times.
constexpr UINT SendTimeout = 15000;

HWND mainWindow = nullptr;
DWORD mainProcess = 0;

std::map<DWORD, HANDLE> started; // processes `run` started, by id

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The window's own text, through WM_GETTEXT: for another process's edit
// control GetWindowText would not ask the control.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, SendTimeout, &length))
        Fail(L"WM_GETTEXTLENGTH got no answer");
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             SendTimeout, &got))
        Fail(L"WM_GETTEXT got no answer");
    text.resize(std::min<size_t>(got, length));
    return text;
}

// A top-level window's title without sending it anything.
std::wstring TitleOf(HWND window) {
    wchar_t title[512] = {};
    InternalGetWindowText(window, title, 512);
    return title;
}

std::wstring Rect(const RECT& r) {
    return Decimal(r.left) + L"," + Decimal(r.top) + L"," + Decimal(r.right) + L"," + Decimal(r.bottom);
}

std::wstring Pair(long a, long b) { return Decimal(a) + L"," + Decimal(b); }

HWND Window() {
    if (!mainWindow) Fail(L"no window: find-window first");
    if (!IsWindow(mainWindow)) Fail(L"the window no longer exists");
    return mainWindow;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> list;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        list.push_back(child);
    return list;
}

HWND Child(const std::wstring& selector) {
    std::vector<HWND> list = Children(Window());
    if (selector.size() > 1 && selector[0] == L'#' &&
        selector.find_first_not_of(L"0123456789", 1) == std::wstring::npos) {
        size_t index = std::stoul(selector.substr(1));
        if (index >= list.size())
            Fail(L"no child " + selector + L": the window has " + Decimal(static_cast<int64_t>(list.size())));
        return list[index];
    }
    std::wstring seen;
    for (HWND child : list) {
        std::wstring text = TextOf(child);
        if (text == selector) return child;
        if (text.size() < 40) seen += (seen.empty() ? L"" : L", ") + (L"\"" + text + L"\"");
    }
    Fail(L"no child with the text \"" + selector + L"\"; texts: " + seen);
}

void Describe(HWND window, Reply& reply) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    reply.Add(L"hwnd", Hex(reinterpret_cast<uintptr_t>(window)))
        .Add(L"pid", Decimal(process))
        .Add(L"class", ClassOf(window))
        .Add(L"title", TitleOf(window))
        .Add(L"style", Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))))
        .Add(L"exstyle", Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE))))
        .Add(L"visible", IsWindowVisible(window) ? L"1" : L"0")
        .Add(L"foreground", GetForegroundWindow() == window ? L"1" : L"0")
        .Add(L"window", Rect(outer))
        .Add(L"client", Rect(client))
        .Add(L"screen", Pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)))
        .Add(L"caption", Decimal(GetSystemMetrics(SM_CYCAPTION)))
        .Add(L"frame", Pair(GetSystemMetrics(SM_CXFIXEDFRAME), GetSystemMetrics(SM_CYFIXEDFRAME)))
        .Add(L"button", Pair(GetSystemMetrics(SM_CXSIZE), GetSystemMetrics(SM_CYSIZE)));
}

struct TopLevelSearch {
    std::wstring title;
    DWORD process = 0; // 0: any process
    HWND found = nullptr;
    std::wstring seen; // the visible titles, for the message on a timeout
    bool invisible = false;
};

// A window whose process is ending still exists for a moment: a test that
// just ended one program must not find that program's window.
bool ProcessRuns(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return false;
    bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopLevelSearch*>(context);
    std::wstring title = TitleOf(window);
    bool visible = IsWindowVisible(window) && ProcessRuns(window);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (title == search->title && (search->process == 0 || process == search->process)) {
        if (visible) {
            search->found = window;
            return FALSE;
        }
        search->invisible = true;
    }
    if (visible && !title.empty()) search->seen += (search->seen.empty() ? L"" : L", ") + (L"\"" + title + L"\"");
    return TRUE;
}

void FindWindowCommand(const Args& args, Reply& reply) {
    TopLevelSearch search;
    search.title = args.Text(0, L"title");
    long long timeout = args.Number(1, L"timeout");
    search.process = static_cast<DWORD>(args.NumberOr(2, 0, L"pid"));
    bool found = WaitUntil(timeout, [&] {
        search.found = nullptr;
        search.seen.clear();
        search.invisible = false;
        EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    if (!found)
        Fail(L"no visible window \"" + search.title + L"\"" +
             (search.process ? L" of process " + Decimal(search.process) : L"") + L" after " + Decimal(timeout) +
             L" ms" +
             (search.invisible ? L" (one exists, invisible)" : L"") + L"; visible windows: " + search.seen);
    SelectWindow(search.found);
    Describe(mainWindow, reply);
}

// ---- message boxes ----------------------------------------------------------

struct BoxSearch {
    DWORD process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK VisitBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<BoxSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) && ClassOf(window) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForBox(long long timeout) {
    if (!mainWindow) Fail(L"no window: find-window first");
    BoxSearch search;
    search.process = mainProcess;
    bool found = WaitUntil(timeout, [&] {
        search.found = nullptr;
        EnumWindows(VisitBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    if (!found) Fail(L"no message box after " + Decimal(timeout) + L" ms");
    return search.found;
}

// "&Yes" reads "Yes"; "&&" stands for one ampersand.
std::wstring WithoutMnemonics(const std::wstring& caption) {
    std::wstring out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        else if (caption[i] == L'&') continue;
        out += caption[i];
    }
    return out;
}

std::vector<HWND> BoxButtons(HWND box) {
    std::vector<HWND> buttons;
    for (HWND child : Children(box))
        if (IsWindowVisible(child) && ClassOf(child) == L"Button") buttons.push_back(child);
    return buttons;
}

void FindBoxCommand(const Args& args, Reply& reply) {
    HWND box = WaitForBox(args.Number(0, L"timeout"));
    std::wstring text;
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child) || ClassOf(child) != L"Static") continue;
        std::wstring part = TextOf(child);
        if (part.empty()) continue;
        if (!text.empty()) text += L'\n';
        text += part;
    }
    reply.Add(Hex(reinterpret_cast<uintptr_t>(box))).Add(TitleOf(box)).Add(text);
    for (HWND button : BoxButtons(box)) reply.Add(WithoutMnemonics(TextOf(button)));
}

// Every child of the box, visible or not, so that a test can tell an icon
// that is shown from one that is only part of the box's template.
void BoxChildrenCommand(const Args& args, Reply& reply) {
    HWND box = WaitForBox(args.Number(0, L"timeout"));
    std::vector<HWND> list = Children(box);
    reply.Add(Decimal(static_cast<int64_t>(list.size())));
    for (HWND child : list) {
        DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        bool icon = false;
        if (ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
            DWORD_PTR shown = 0;
            if (!SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_NORMAL, SendTimeout, &shown))
                Fail(L"STM_GETICON got no answer");
            icon = shown != 0;
        }
        reply.Add(ClassOf(child))
            .Add(TextOf(child))
            .Add(IsWindowVisible(child) ? L"1" : L"0")
            .Add(Hex(style))
            .Add(icon ? L"1" : L"0");
    }
}

void BoxGoneCommand(const Args& args, Reply&) {
    if (!mainWindow) Fail(L"no window: find-window first");
    long long timeout = args.Number(0, L"timeout");
    BoxSearch search;
    search.process = mainProcess;
    // With HWND only that box must go: the program may show its next box at
    // once.
    HWND box = args.Has(1) ? reinterpret_cast<HWND>(static_cast<uintptr_t>(args.Number(1, L"hwnd"))) : nullptr;
    bool gone = WaitUntil(timeout, [&] {
        if (box) {
            search.found = IsWindow(box) && IsWindowVisible(box) ? box : nullptr;
            return search.found == nullptr;
        }
        search.found = nullptr;
        EnumWindows(VisitBox, reinterpret_cast<LPARAM>(&search));
        return search.found == nullptr;
    });
    if (!gone)
        Fail(L"a message box \"" + TitleOf(search.found) + L"\" is still there after " + Decimal(timeout) + L" ms");
}

void PressBoxCommand(const Args& args, Reply&) {
    const std::wstring& caption = args.Text(0, L"caption");
    HWND box = WaitForBox(args.Number(1, L"timeout"));
    std::wstring seen;
    for (HWND button : BoxButtons(box)) {
        std::wstring text = WithoutMnemonics(TextOf(button));
        if (text != caption) {
            seen += (seen.empty() ? L"" : L", ") + text;
            continue;
        }
        // Posted: the box ends inside the program's modal loop, and the
        // program may go on to end itself before a sent message returned.
        if (!PostMessageW(button, BM_CLICK, 0, 0)) Fail(L"could not post BM_CLICK");
        return;
    }
    Fail(L"the box has no button \"" + caption + L"\"; buttons: " + seen);
}

// ---- clipboard --------------------------------------------------------------

// Another program (vellisk, or Wine's own clipboard bridge) may hold the
// clipboard for a moment.
void OpenClipboardOrFail() {
    if (!WaitUntil(5000, [] { return OpenClipboard(DriverWindow()) != 0; }))
        Fail(L"the clipboard stayed busy");
}

void SetClipboardText(const std::wstring& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (!memory) Fail(L"out of memory");
    auto* units = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), units);
    units[text.size()] = 0;
    GlobalUnlock(memory);
    OpenClipboardOrFail();
    EmptyClipboard();
    bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed) {
        GlobalFree(memory);
        Fail(L"SetClipboardData failed");
    }
}

void ClipGetCommand(const Args&, Reply& reply) {
    OpenClipboardOrFail();
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) {
        CloseClipboard();
        Fail(L"no Unicode text on the clipboard");
    }
    size_t units = GlobalSize(data) / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    size_t length = 0;
    while (text && length < units && text[length] != 0) ++length;
    std::wstring copy = text ? std::wstring(text, length) : std::wstring();
    GlobalUnlock(data);
    CloseClipboard();
    reply.Add(copy);
}

void ClipFormatsCommand(const Args&, Reply& reply) {
    OpenClipboardOrFail();
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        reply.Add(Decimal(format));
    CloseClipboard();
}

// ---- processes --------------------------------------------------------------

HANDLE Started(const Args& args) { return StartedProcess(static_cast<DWORD>(args.Number(0, L"pid"))); }

void RunCommand(const Args& args, Reply& reply) { reply.Add(Decimal(StartProcess(args.Text(0, L"command line")))); }

void WaitExitCommand(const Args& args, Reply& reply) {
    HANDLE process = Started(args);
    long long timeout = args.Number(1, L"timeout");
    if (!WaitUntil(timeout, [&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }))
        Fail(L"the process still runs after " + Decimal(timeout) + L" ms");
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    reply.Add(Decimal(code));
}

void SendToWindow(UINT message, WPARAM w) {
    HWND window = Window();
    DWORD_PTR result = 0;
    // A program that ends while it handles the message leaves no answer;
    // that is not the driver's failure.
    if (!SendMessageTimeoutW(window, message, w, 0, SMTO_NORMAL, SendTimeout, &result) && IsWindow(window))
        Fail(L"the window did not answer within " + Decimal(SendTimeout) + L" ms");
}

LRESULT CALLBACK DriverProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcW(window, message, w, l);
}

} // namespace

DWORD StartProcess(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        Fail(L"CreateProcess failed with error " + Decimal(GetLastError()));
    CloseHandle(info.hThread);
    started[info.dwProcessId] = info.hProcess;
    return info.dwProcessId;
}

HANDLE StartedProcess(DWORD id) {
    auto it = started.find(id);
    if (it == started.end()) Fail(L"no process " + Decimal(id) + L" was started by run");
    return it->second;
}

void SelectWindow(HWND window) {
    mainWindow = window;
    GetWindowThreadProcessId(mainWindow, &mainProcess);
}

HWND SelectedChild(const std::wstring& selector) { return Child(selector); }

HWND VisibleTopLevel(const std::wstring& title, DWORD process) {
    TopLevelSearch search;
    search.title = title;
    search.process = process;
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void EndStartedProcesses() {
    for (auto& [id, process] : started) {
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        CloseHandle(process);
    }
    started.clear();
}

HWND DriverWindow() {
    static HWND window = nullptr;
    if (window) return window;
    WNDCLASSW c{};
    c.lpfnWndProc = DriverProcedure;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"VelliskTestDriver";
    RegisterClassW(&c);
    window = CreateWindowExW(0, c.lpszClassName, L"vellisk test driver", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             c.hInstance, nullptr);
    return window;
}

void AddWindowCommands(CommandTable& table) {
    table["find-window"] = FindWindowCommand;
    table["window"] = [](const Args&, Reply& reply) { Describe(Window(), reply); };
    table["children"] = [](const Args&, Reply& reply) {
        HWND parent = Window();
        std::vector<HWND> list = Children(parent);
        reply.Add(Decimal(static_cast<int64_t>(list.size())));
        for (HWND child : list) {
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
            reply.Add(ClassOf(child))
                .Add(TextOf(child))
                .Add(Decimal(r.left))
                .Add(Decimal(r.top))
                .Add(Decimal(r.right - r.left))
                .Add(Decimal(r.bottom - r.top))
                .Add(Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE))))
                .Add(Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE))));
        }
    };
    table["focus"] = [](const Args&, Reply& reply) {
        HWND parent = Window();
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(parent, nullptr), &info)) Fail(L"GetGUIThreadInfo failed");
        std::vector<HWND> list = Children(parent);
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i] == info.hwndFocus) {
                reply.Add(Decimal(static_cast<int64_t>(i))).Add(ClassOf(list[i])).Add(TextOf(list[i]));
                return;
            }
        }
        reply.Add(L"-1").Add(info.hwndFocus ? ClassOf(info.hwndFocus) : L"").Add(L"");
    };
    table["hit-test"] = [](const Args& args, Reply& reply) {
        HWND window = Window();
        int x = static_cast<int>(args.Number(0, L"x"));
        int y = static_cast<int>(args.Number(1, L"y"));
        DWORD_PTR code = 0;
        if (!SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, SendTimeout, &code))
            Fail(L"WM_NCHITTEST got no answer");
        reply.Add(Decimal(static_cast<int64_t>(static_cast<LONG_PTR>(code))));
    };
    table["click"] = [](const Args& args, Reply&) {
        HWND child = Child(args.Text(0, L"child"));
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(child, BM_CLICK, 0, 0, SMTO_NORMAL, SendTimeout, &result) && IsWindow(child))
            Fail(L"BM_CLICK got no answer");
    };
    table["post-click"] = [](const Args& args, Reply&) {
        if (!PostMessageW(Child(args.Text(0, L"child")), BM_CLICK, 0, 0)) Fail(L"could not post BM_CLICK");
    };
    table["get-text"] = [](const Args& args, Reply& reply) { reply.Add(TextOf(Child(args.Text(0, L"child")))); };
    table["text-length"] = [](const Args& args, Reply& reply) {
        HWND child = Child(args.Text(0, L"child"));
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(child, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, SendTimeout, &length))
            Fail(L"WM_GETTEXTLENGTH got no answer");
        reply.Add(Decimal(static_cast<int64_t>(length)));
    };
    table["set-text"] = [](const Args& args, Reply&) {
        HWND child = Child(args.Text(0, L"child"));
        const std::wstring& text = args.Text(1, L"text");
        if (text.size() > 65536) Fail(L"text too large for WM_SETTEXT: use the clipboard");
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                                 SendTimeout, &result))
            Fail(L"WM_SETTEXT got no answer");
        if (!result) Fail(L"WM_SETTEXT was refused");
    };
    table["close"] = [](const Args&, Reply&) { SendToWindow(WM_CLOSE, 0); };
    table["sys-close"] = [](const Args&, Reply&) { SendToWindow(WM_SYSCOMMAND, SC_CLOSE); };
    table["wait-gone"] = [](const Args& args, Reply&) {
        if (!mainWindow) Fail(L"no window: find-window first");
        long long timeout = args.Number(0, L"timeout");
        if (!WaitUntil(timeout, [] { return !IsWindow(mainWindow); }))
            Fail(L"the window still exists after " + Decimal(timeout) + L" ms");
    };

    table["find-box"] = FindBoxCommand;
    table["press-box"] = PressBoxCommand;
    table["box-children"] = BoxChildrenCommand;
    table["box-gone"] = BoxGoneCommand;

    table["clip-set"] = [](const Args& args, Reply&) { SetClipboardText(args.Text(0, L"text")); };
    table["clip-set-repeat"] = [](const Args& args, Reply&) {
        const std::wstring& unit = args.Text(0, L"text");
        long long count = args.Number(1, L"count");
        if (count < 0 || static_cast<unsigned long long>(count) * unit.size() > (1ull << 28))
            Fail(L"count out of range");
        std::wstring text;
        text.reserve(unit.size() * static_cast<size_t>(count));
        for (long long i = 0; i < count; ++i) text += unit;
        SetClipboardText(text);
    };
    table["clip-get"] = ClipGetCommand;
    table["clip-formats"] = ClipFormatsCommand;
    table["clip-clear"] = [](const Args&, Reply&) {
        OpenClipboardOrFail();
        EmptyClipboard();
        CloseClipboard();
    };

    table["run"] = RunCommand;
    table["wait-exit"] = WaitExitCommand;
    table["kill"] = [](const Args& args, Reply&) {
        HANDLE process = Started(args);
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0 && !TerminateProcess(process, 1))
            Fail(L"TerminateProcess failed");
    };
}

} // namespace driver
