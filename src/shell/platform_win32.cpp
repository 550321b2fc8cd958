// The platform seam on Win32: the window, its gadgets and event queue, image
// tiles with OLE drag and drop, message boxes, the clipboard, files and the
// locale's lower-case mapping.
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <deque>
#include <set>
#include <unordered_map>
#include <vector>

#include "shell/platform.h"

namespace {

// Queued toolkit events wake a GetMessage that is waiting, also when they
// were queued while a message sent from another thread was handled there.
constexpr UINT WakeMessage = WM_APP + 1;

const wchar_t* const MainClass = L"VelliskWindow";
const wchar_t* const TileClass = L"VelliskTile";

enum class Kind { Button, TextField, Label, Editor, Tile };

struct GadgetInfo {
    HWND window = nullptr;
    Kind kind = Kind::Button;
};

struct TileState {
    int32_t gadget = 0;
    HBITMAP image = nullptr;
    bool armed = false;
    POINT down{};
    IDropTarget* target = nullptr;
};

struct QueuedEvent {
    platform::Event event;
    Text data; // the dropped data, for a drop event
};

HINSTANCE instance = nullptr;
HFONT guiFont = nullptr;
HICON programIcon = nullptr;
HCURSOR arrowCursor = nullptr;
HWND mainWindow = nullptr;
HWND toolTips = nullptr;
HWND clipboardOwner = nullptr;

std::deque<QueuedEvent> queued;
int32_t deliveredKind = 0;
Text deliveredData;

int32_t nextGadget = 1;
std::unordered_map<int32_t, GadgetInfo> gadgets;
std::unordered_map<HWND, int32_t> gadgetOfWindow;

int32_t nextImage = 1;
std::unordered_map<int32_t, HBITMAP> images;
HDC drawing = nullptr;
HGDIOBJ drawingPrevious = nullptr;

std::set<HANDLE> openFiles;

Text ToText(const wchar_t* s, size_t n) { return Text(reinterpret_cast<const char16_t*>(s), n); }

std::wstring ToWide(TextView t) { return std::wstring(reinterpret_cast<const wchar_t*>(t.data()), t.size()); }

void Queue(platform::Event event, Text data = {}) {
    queued.push_back(QueuedEvent{event, std::move(data)});
    if (mainWindow) PostMessageW(mainWindow, WakeMessage, 0, 0);
}

int32_t AddGadget(HWND window, Kind kind) {
    if (!window) return 0;
    // Numbers are never 0 and never reused: gadgets live until the end.
    int32_t number = nextGadget++;
    if (nextGadget == 0) nextGadget = 1;
    gadgets[number] = GadgetInfo{window, kind};
    gadgetOfWindow[window] = number;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    return number;
}

HWND WindowOf(int32_t gadget) {
    auto it = gadgets.find(gadget);
    return it == gadgets.end() ? nullptr : it->second.window;
}

TileState* TileOf(HWND window) { return reinterpret_cast<TileState*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

// ---- text read from global memory ------------------------------------------

// Reads text of the clipboard-style memory in one of the three text forms,
// never past the block's end even when the terminating NUL is missing.
Text TextFromGlobal(HGLOBAL memory, UINT format) {
    Text result;
    SIZE_T size = GlobalSize(memory);
    const void* data = GlobalLock(memory);
    if (!data) return result;
    if (format == CF_UNICODETEXT) {
        const wchar_t* w = static_cast<const wchar_t*>(data);
        size_t units = size / sizeof(wchar_t);
        size_t n = 0;
        while (n < units && w[n] != 0) ++n;
        result = ToText(w, n);
    } else {
        const char* a = static_cast<const char*>(data);
        size_t n = 0;
        while (n < size && a[n] != 0) ++n;
        UINT codePage = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
        if (n > 0 && n <= 0x7FFFFFFF) {
            int units = MultiByteToWideChar(codePage, 0, a, static_cast<int>(n), nullptr, 0);
            std::wstring w(static_cast<size_t>(units), L'\0');
            MultiByteToWideChar(codePage, 0, a, static_cast<int>(n), w.data(), units);
            result = ToText(w.data(), w.size());
        }
    }
    GlobalUnlock(memory);
    return result;
}

// Reads the paths of a DROPFILES block, LF between them. The block comes from
// another program: a list whose offset points outside it, or whose last path
// has no terminator, is read only as far as the block goes (the shell's own
// query functions would read past its end).
Text FilesFromGlobal(HGLOBAL memory) {
    Text result;
    SIZE_T size = GlobalSize(memory);
    const char* data = static_cast<const char*>(GlobalLock(memory));
    if (!data) return result;
    DROPFILES header{};
    if (size >= sizeof header) std::memcpy(&header, data, sizeof header);
    if (size >= sizeof header && header.pFiles <= size) {
        const char* list = data + header.pFiles;
        size_t bytes = size - header.pFiles;
        std::wstring paths;
        if (header.fWide) {
            paths.resize(bytes / sizeof(wchar_t));
            std::memcpy(paths.data(), list, paths.size() * sizeof(wchar_t));
        } else {
            size_t n = 0;
            while (n < bytes && !(list[n] == 0 && (n + 1 == bytes || list[n + 1] == 0))) ++n;
            if (n > 0 && n <= 0x7FFFFFFF) {
                int units = MultiByteToWideChar(CP_ACP, 0, list, static_cast<int>(n), nullptr, 0);
                paths.resize(static_cast<size_t>(units));
                MultiByteToWideChar(CP_ACP, 0, list, static_cast<int>(n), paths.data(), units);
            }
        }
        // Paths end at a NUL each; an empty one ends the list.
        size_t start = 0;
        while (start < paths.size() && paths[start] != 0) {
            size_t end = paths.find(L'\0', start);
            if (end == std::wstring::npos) end = paths.size();
            if (start > 0) result += u'\n';
            result += ToText(paths.data() + start, end - start);
            start = end + 1;
        }
    }
    GlobalUnlock(memory);
    return result;
}

HGLOBAL GlobalFromText(TextView text, UINT format) {
    if (format == CF_UNICODETEXT) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        if (!memory) return nullptr;
        auto* w = static_cast<char16_t*>(GlobalLock(memory));
        std::copy(text.begin(), text.end(), w);
        w[text.size()] = 0;
        GlobalUnlock(memory);
        return memory;
    }
    UINT codePage = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
    std::wstring wide = ToWide(text);
    int bytes = wide.empty() ? 0
                             : WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                                   nullptr, nullptr);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes) + 1);
    if (!memory) return nullptr;
    auto* a = static_cast<char*>(GlobalLock(memory));
    if (bytes > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), a, bytes, nullptr, nullptr);
    a[bytes] = 0;
    GlobalUnlock(memory);
    return memory;
}

// ---- OLE: the dragged text, the drag source and the tiles' drop targets ----

// The reference counting and interface query every OLE object here shares.
// Objects are made with new and delete themselves on their last Release.
template <typename Self, typename Interface, const IID& InterfaceId>
struct OleObject : Interface {
    LONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown || id == InterfaceId) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references);
        if (left == 0) delete static_cast<Self*>(this);
        return static_cast<ULONG>(left);
    }
};

constexpr UINT TextForms[] = {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT};

struct TextData final : OleObject<TextData, IDataObject, IID_IDataObject> {
    Text text;

    static bool Offered(const FORMATETC* f) {
        if (!f || f->dwAspect != DVASPECT_CONTENT || !(f->tymed & TYMED_HGLOBAL)) return false;
        return std::find(std::begin(TextForms), std::end(TextForms), f->cfFormat) != std::end(TextForms);
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
        if (!Offered(f)) return DV_E_FORMATETC;
        HGLOBAL memory = GlobalFromText(text, f->cfFormat);
        if (!memory) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override { return Offered(f) ? S_OK : DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC formats[3];
        for (int i = 0; i < 3; ++i) formats[i] = FORMATETC{static_cast<CLIPFORMAT>(TextForms[i]), nullptr,
                                                          DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(3, formats, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

struct DragSource final : OleObject<DragSource, IDropSource, IID_IDropSource> {
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

struct TileDropTarget final : OleObject<TileDropTarget, IDropTarget, IID_IDropTarget> {
    int32_t gadget = 0;
    // Formats in the order they were enabled, each with its actions.
    std::vector<std::pair<int32_t, int32_t>> formats;
    bool accepting = false;


    // The first clipboard format the data offers among those enabled with a
    // copy action, the last enabled tried first; 0 when none.
    UINT Choose(IDataObject* data, DWORD allowed) const {
        if (!data || !(allowed & DROPEFFECT_COPY)) return 0;
        for (auto it = formats.rbegin(); it != formats.rend(); ++it) {
            if (!(it->second & DropActionCopy)) continue;
            std::vector<UINT> candidates;
            if (it->first == DropFormatFiles) candidates = {CF_HDROP};
            else if (it->first == DropFormatText) candidates = {CF_UNICODETEXT, CF_OEMTEXT, CF_TEXT};
            for (UINT cf : candidates) {
                FORMATETC f{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
                if (data->QueryGetData(&f) == S_OK) return cf;
            }
        }
        return 0;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        accepting = Choose(data, *effect) != 0;
        *effect = accepting ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = (accepting && (*effect & DROPEFFECT_COPY)) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        accepting = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        accepting = false;
        UINT cf = Choose(data, *effect);
        *effect = DROPEFFECT_NONE;
        if (cf == 0) return S_OK;
        FORMATETC f{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data->GetData(&f, &medium) != S_OK) return S_OK;
        if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) {
            ReleaseStgMedium(&medium);
            return S_OK;
        }
        Text copied;
        int32_t kind;
        if (cf == CF_HDROP) {
            copied = FilesFromGlobal(medium.hGlobal);
            kind = DropFormatFiles;
        } else {
            copied = TextFromGlobal(medium.hGlobal, cf);
            kind = DropFormatText;
        }
        ReleaseStgMedium(&medium);
        Queue(platform::Event{GadgetDropEvent, gadget, 0, kind}, std::move(copied));
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
};

// ---- window procedures -----------------------------------------------------

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_CLOSE:
        // Closing only asks: the window stays until the program ends.
        Queue(platform::Event{CloseEvent, 0, 0, 0});
        return 0;
    case WM_COMMAND: {
        HWND from = reinterpret_cast<HWND>(l);
        if (!from) break;
        auto it = gadgetOfWindow.find(from);
        if (it == gadgetOfWindow.end()) break;
        Kind kind = gadgets[it->second].kind;
        if (kind == Kind::Label || kind == Kind::Tile) break;
        Queue(platform::Event{GadgetEvent, it->second, static_cast<int32_t>(HIWORD(w)), 0});
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, w, l);
}

LRESULT CALLBACK TileProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    TileState* tile = TileOf(window);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (tile && tile->image) {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ previous = SelectObject(source, tile->image);
            BITMAP info{};
            GetObjectW(tile->image, sizeof info, &info);
            BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
            SelectObject(source, previous);
            DeleteDC(source);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (tile) {
            tile->armed = true;
            tile->down = POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
            SetCapture(window);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (tile && tile->armed) {
            int dx = static_cast<short>(LOWORD(l)) - tile->down.x;
            int dy = static_cast<short>(HIWORD(l)) - tile->down.y;
            if (std::abs(dx) > GetSystemMetrics(SM_CXDRAG) || std::abs(dy) > GetSystemMetrics(SM_CYDRAG)) {
                tile->armed = false;
                ReleaseCapture();
                Queue(platform::Event{GadgetEvent, tile->gadget, DragStartEventType, 0});
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (tile && tile->armed) {
            tile->armed = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (tile) tile->armed = false;
        return 0;
    case WM_NCDESTROY:
        if (tile) {
            if (tile->target) {
                RevokeDragDrop(window);
                tile->target->Release();
            }
            delete tile;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, w, l);
}

// Inside the editor Tab is typed into the text; Shift+Tab still moves on.
LRESULT CALLBACK EditorProcedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        // Asked without the message: given one, the edit control switches to
        // its dialog behaviour, drops the TAB and closes the window on Escape.
        LRESULT code = DefSubclassProc(window, message, w, 0);
        const MSG* m = reinterpret_cast<const MSG*>(l);
        bool shifted = GetKeyState(VK_SHIFT) < 0;
        if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) && m->wParam == VK_TAB) {
            if (shifted) return code & ~(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
            return code | DLGC_WANTTAB;
        }
        return shifted ? code & ~DLGC_WANTTAB : code | DLGC_WANTTAB;
    }
    return DefSubclassProc(window, message, w, l);
}

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = MainProcedure;
    main.hInstance = instance;
    main.hIcon = programIcon;
    main.hIconSm = programIcon;
    main.hCursor = arrowCursor;
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = MainClass;
    RegisterClassExW(&main);

    WNDCLASSEXW tile{};
    tile.cbSize = sizeof tile;
    tile.lpfnWndProc = TileProcedure;
    tile.hInstance = instance;
    tile.hCursor = arrowCursor;
    tile.lpszClassName = TileClass;
    RegisterClassExW(&tile);
}

HWND Child(DWORD exStyle, const wchar_t* cls, TextView text, DWORD style, int32_t x, int32_t y, int32_t width,
           int32_t height) {
    if (!mainWindow) return nullptr;
    std::wstring caption = ToWide(text);
    return CreateWindowExW(exStyle, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           mainWindow, nullptr, instance, nullptr);
}

HWND ClipboardWindow() {
    if (mainWindow) return mainWindow;
    if (!clipboardOwner)
        clipboardOwner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    return clipboardOwner;
}

// Another program may hold the clipboard for a moment: try a few times.
bool OpenClipboardBriefly() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(ClipboardWindow())) return true;
        Sleep(10);
    }
    return false;
}

} // namespace

namespace platform {

void Prepare() {
    instance = GetModuleHandleW(nullptr);
    // Probing an empty removable drive must not bring up a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    programIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    OleInitialize(nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

void ShutDownOle() {
    // Drop targets are revoked while OLE is still there to revoke them.
    for (auto& [number, gadget] : gadgets) {
        if (gadget.kind != Kind::Tile) continue;
        TileState* tile = TileOf(gadget.window);
        if (!tile || !tile->target) continue;
        RevokeDragDrop(gadget.window);
        tile->target->Release();
        tile->target = nullptr;
    }
    CoUninitialize();
    OleUninitialize();
}

void ReleaseGadgets() {
    if (toolTips) DestroyWindow(toolTips);
    if (mainWindow) DestroyWindow(mainWindow);
    if (clipboardOwner) DestroyWindow(clipboardOwner);
    toolTips = mainWindow = clipboardOwner = nullptr;
    gadgets.clear();
    gadgetOfWindow.clear();
    for (auto& [number, image] : images) DeleteObject(image);
    images.clear();
}

void CloseOpenFiles() {
    for (HANDLE file : openFiles) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    openFiles.clear();
}

void EndProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

void SleepMilliseconds(int milliseconds) {
    timeBeginPeriod(1);
    Sleep(static_cast<DWORD>(milliseconds));
    timeEndPeriod(1);
}

Text CommandLine() {
    const wchar_t* line = GetCommandLineW();
    return ToText(line, wcslen(line));
}

intptr_t OpenWindow(int32_t, int32_t x, int32_t y, int32_t width, int32_t height, TextView title,
                    uint32_t options) {
    RegisterClasses();
    DWORD style = options & ~(WindowOptionScreenCentered | WindowOptionInvisible | WS_VISIBLE);
    DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int outerWidth = frame.right - frame.left;
    int outerHeight = frame.bottom - frame.top;
    int left = x, top = y;
    if (options & WindowOptionScreenCentered) {
        int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        outerWidth = std::min(outerWidth, screenWidth);
        outerHeight = std::min(outerHeight, screenHeight);
        left = (screenWidth - outerWidth) / 2;
        top = (screenHeight - outerHeight) / 2;
    }
    std::wstring caption = ToWide(title);
    mainWindow = CreateWindowExW(exStyle, MainClass, caption.c_str(), style, left, top, outerWidth, outerHeight,
                                 nullptr, nullptr, instance, nullptr);
    if (!mainWindow) return 0;
    toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow, nullptr,
                               instance, nullptr);
    if (!(options & WindowOptionInvisible)) {
        ShowWindow(mainWindow, SW_SHOWNORMAL);
        UpdateWindow(mainWindow);
        SetForegroundWindow(mainWindow);
    }
    return reinterpret_cast<intptr_t>(mainWindow);
}

Event WaitEvent() {
    for (;;) {
        if (!queued.empty()) {
            QueuedEvent next = std::move(queued.front());
            queued.pop_front();
            if (next.event.kind == GadgetDropEvent) {
                deliveredKind = next.event.dropKind;
                deliveredData = std::move(next.data);
            }
            return next.event;
        }
        MSG message;
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) continue;
        if (got == 0) return Event{CloseEvent, 0, 0, 0}; // a quit request ends like a close
        if (message.message == WakeMessage && message.hwnd == mainWindow) continue;
        if (!mainWindow || !IsDialogMessageW(mainWindow, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // A repaint is one event: whatever else of the window waits to be
        // painted is painted now, rather than one gadget a turn, each turn
        // with the loop's sleep (the form's first painting took 25 turns).
        if (message.message == WM_PAINT && mainWindow)
            RedrawWindow(mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        // The message is an event of its own; what it queued comes next.
        return Event{static_cast<int32_t>(message.message), 0, 0, 0};
    }
}

int32_t CreateButton(int32_t x, int32_t y, int32_t width, int32_t height, TextView caption, uint32_t flags) {
    DWORD style = WS_TABSTOP | BS_PUSHBUTTON | ((flags & ButtonFlagMultiLine) ? BS_MULTILINE : 0);
    return AddGadget(Child(0, L"BUTTON", caption, style, x, y, width, height), Kind::Button);
}

int32_t CreateTextField(int32_t x, int32_t y, int32_t width, int32_t height, TextView text, uint32_t) {
    return AddGadget(Child(WS_EX_CLIENTEDGE, L"EDIT", text, WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, x, y, width,
                           height),
                     Kind::TextField);
}

int32_t CreateLabel(int32_t x, int32_t y, int32_t width, int32_t height, TextView text, uint32_t flags) {
    // A label shows its text as it is: an ampersand in a file name is no
    // mnemonic.
    DWORD style = SS_NOPREFIX | ((flags & LabelFlagCenter) ? SS_CENTER : SS_LEFT);
    DWORD exStyle = (flags & LabelFlagBorder) ? WS_EX_STATICEDGE : 0;
    return AddGadget(Child(exStyle, L"STATIC", text, style, x, y, width, height), Kind::Label);
}

int32_t CreateEditor(int32_t x, int32_t y, int32_t width, int32_t height) {
    DWORD style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                  ES_WANTRETURN | ES_NOHIDESEL;
    HWND editor = Child(WS_EX_CLIENTEDGE, L"EDIT", u"", style, x, y, width, height);
    if (!editor) return 0;
    SendMessageW(editor, EM_SETLIMITTEXT, 0, 0); // 0 raises the limit to the largest there is
    SetWindowSubclass(editor, EditorProcedure, 1, 0);
    return AddGadget(editor, Kind::Editor);
}

bool GadgetExists(int32_t gadget) {
    HWND window = WindowOf(gadget);
    return window && IsWindow(window);
}

Geometry GadgetGeometry(int32_t gadget) {
    HWND window = WindowOf(gadget);
    if (!window) return {};
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return Geometry{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void MoveGadget(int32_t gadget, int32_t x, int32_t y, int32_t width, int32_t height) {
    HWND window = WindowOf(gadget);
    if (!window) return;
    Geometry now = GadgetGeometry(gadget);
    MoveWindow(window, x == IgnoreValue ? now.x : x, y == IgnoreValue ? now.y : y,
               width == IgnoreValue ? now.width : width, height == IgnoreValue ? now.height : height, TRUE);
}

Text GadgetText(int32_t gadget) {
    HWND window = WindowOf(gadget);
    if (!window) return {};
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    return ToText(text.data(), static_cast<size_t>(std::max(got, 0)));
}

void SetGadgetText(int32_t gadget, TextView text) {
    HWND window = WindowOf(gadget);
    if (!window) return;
    std::wstring wide = ToWide(text);
    SetWindowTextW(window, wide.c_str());
}

int32_t CreateImage(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!image) return 0;
    // A new section is zeroed, that is black throughout.
    int32_t number = nextImage++;
    images[number] = image;
    return number;
}

bool StartDrawing(int32_t image) {
    auto it = images.find(image);
    if (it == images.end() || drawing) return false;
    drawing = CreateCompatibleDC(nullptr);
    if (!drawing) return false;
    drawingPrevious = SelectObject(drawing, it->second);
    return true;
}

void SetTransparentTextBackground() {
    if (drawing) SetBkMode(drawing, TRANSPARENT);
}

void DrawTextAt(int32_t x, int32_t y, TextView text, uint8_t red, uint8_t green, uint8_t blue) {
    if (!drawing) return;
    SetTextColor(drawing, RGB(red, green, blue));
    std::wstring wide = ToWide(text);
    TextOutW(drawing, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void StopDrawing() {
    if (!drawing) return;
    GdiFlush();
    SelectObject(drawing, drawingPrevious);
    DeleteDC(drawing);
    drawing = nullptr;
}

int32_t CreateImageGadget(int32_t x, int32_t y, int32_t width, int32_t height, int32_t image) {
    auto it = images.find(image);
    HWND window = Child(0, TileClass, u"", 0, x, y, width, height);
    if (!window) return 0;
    auto* tile = new TileState;
    tile->image = it == images.end() ? nullptr : it->second;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tile));
    int32_t number = AddGadget(window, Kind::Tile);
    tile->gadget = number;
    return number;
}

void SetToolTip(int32_t gadget, TextView text) {
    HWND window = WindowOf(gadget);
    if (!window || !toolTips) return;
    std::wstring wide = ToWide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = mainWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    tool.lpszText = wide.data();
    SendMessageW(toolTips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void EnableDrop(int32_t gadget, int32_t format, int32_t actions) {
    HWND window = WindowOf(gadget);
    if (!window) return;
    TileState* tile = gadgets[gadget].kind == Kind::Tile ? TileOf(window) : nullptr;
    if (!tile) return;
    if (!tile->target) {
        auto* target = new TileDropTarget;
        target->gadget = gadget;
        if (RegisterDragDrop(window, target) != S_OK) {
            target->Release();
            return;
        }
        tile->target = target;
    }
    auto* target = static_cast<TileDropTarget*>(tile->target);
    for (auto& entry : target->formats) {
        if (entry.first == format) {
            entry.second = actions;
            return;
        }
    }
    target->formats.emplace_back(format, actions);
}

void DragText(TextView text, int32_t actions) {
    auto* data = new TextData;
    data->text = Text(text);
    auto* source = new DragSource;
    DWORD allowed = (actions & DropActionCopy) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data, source, allowed, &effect);
    source->Release();
    data->Release();
}

Text DroppedText() { return deliveredKind == DropFormatText ? deliveredData : Text(); }

Text DroppedFiles() { return deliveredKind == DropFormatFiles ? deliveredData : Text(); }

int32_t ShowMessage(TextView title, TextView text, int32_t buttons) {
    std::wstring caption = ToWide(title);
    std::wstring body = ToWide(text);
    UINT type = (buttons == MessageButtonsYesNo ? MB_YESNO : MB_OK) | (mainWindow ? MB_APPLMODAL : MB_TASKMODAL);
    int answer = MessageBoxW(mainWindow, body.c_str(), caption.c_str(), type);
    if (answer == IDYES) return MessageAnswerYes;
    if (answer == IDNO) return MessageAnswerNo;
    return MessageAnswerOk;
}

bool ReadClipboard(Text& text) {
    if (!OpenClipboardBriefly()) return false;
    bool got = false;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (data) {
            text = TextFromGlobal(static_cast<HGLOBAL>(data), CF_UNICODETEXT);
            got = true;
        }
    }
    CloseClipboard();
    return got;
}

bool WriteClipboard(TextView text) {
    // The memory comes first, so that a failure leaves the clipboard as it was.
    HGLOBAL memory = GlobalFromText(text, CF_UNICODETEXT);
    if (!memory) return false;
    if (!OpenClipboardBriefly()) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!placed) GlobalFree(memory);
    CloseClipboard();
    return placed;
}

DirectoryEntry FindFirstEntry(TextView pattern) {
    std::wstring wide = ToWide(pattern);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    FindClose(search);
    DirectoryEntry entry;
    entry.found = true;
    entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
    return entry;
}

PathAttributes ReadAttributes(TextView path) {
    std::wstring wide = ToWide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathAttributes::Unreadable;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathAttributes::Directory : PathAttributes::File;
}

bool DriveExists(TextView root) {
    std::wstring wide = ToWide(root);
    UINT type = GetDriveTypeW(wide.c_str());
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

static File Opened(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE) return 0;
    openFiles.insert(file);
    return reinterpret_cast<File>(file);
}

File CreateOrTruncateFile(TextView path) {
    std::wstring wide = ToWide(path);
    return Opened(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

File TruncateExistingFile(TextView path) {
    std::wstring wide = ToWide(path);
    return Opened(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteFileBytes(File file, std::span<const char> bytes) {
    HANDLE handle = reinterpret_cast<HANDLE>(file);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool IsDiskFile(File file) { return GetFileType(reinterpret_cast<HANDLE>(file)) == FILE_TYPE_DISK; }

bool CloseFile(File file) {
    HANDLE handle = reinterpret_cast<HANDLE>(file);
    // Flushing first lets a failure to write out what is buffered be seen.
    bool flushed = GetFileType(handle) != FILE_TYPE_DISK || FlushFileBuffers(handle);
    bool closed = CloseHandle(handle) != 0;
    openFiles.erase(handle);
    return flushed && closed;
}

bool RemoveFile(TextView path) {
    std::wstring wide = ToWide(path);
    return DeleteFileW(wide.c_str()) != 0;
}

Text LowerCase(TextView text) {
    std::wstring wide = ToWide(text);
    size_t done = 0;
    while (done < wide.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 1u << 30));
        CharLowerBuffW(wide.data() + done, chunk);
        done += chunk;
    }
    return ToText(wide.data(), wide.size());
}

} // namespace platform
