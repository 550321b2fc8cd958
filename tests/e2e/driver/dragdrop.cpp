// The driver as the other application in drag and drop: a drop target that
// records what it was offered, and a drag source that offers text or a file
// list. Both are small top-level windows of the driver at a given place on
// the screen; the test moves the real mouse over them with xdotool.
//
//   target-open X Y W H [EFFECT]       shows the drop target at that screen
//                                      rectangle (or moves it there) and forgets
//                                      earlier drops; EFFECT is the DROPEFFECT it
//                                      answers (1 copy, the default; 2 move;
//                                      4 link; 0 refuse); -> ok HWND
//   target-result TIMEOUT              waits for a drop; -> ok drops=N enters=N
//                                      allowed=0x.. formats=NAME,... and, for each
//                                      text form offered, unicode=T ansi=T oem=T
//                                      and files=PATH\nPATH... for a file list
//   target-state                       -> the fields of target-result at once,
//                                      without waiting (drops=0 before a drop)
//   target-reset                       forgets the drops
//   target-close                       hides the drop target
//   source-open X Y W H                shows the drag source; -> ok HWND
//   source-arm EFFECTS KIND VALUE...   the data of the next drag, in the order
//                                      given: KIND is unicode, ansi, oem, files
//                                      (VALUE: paths separated by LF, sent as a
//                                      DROPFILES list of wide strings) or html
//                                      (VALUE as UTF-8 under the registered
//                                      "HTML Format": neither text nor files);
//                                      for data that is not as it should be:
//                                      unterminated (VALUE as Unicode text
//                                      without its NUL), raw-files (VALUE: the
//                                      CF_HDROP block's bytes in hexadecimal),
//                                      unreadable-text, unreadable-files
//                                      (offered, but GetData fails; VALUE is
//                                      ignored);
//                                      EFFECTS the DROPEFFECT bits allowed. A
//                                      left button press on the source then
//                                      starts the drag, which drops when the
//                                      button is released.
//   source-result TIMEOUT              waits for the armed drag to end;
//                                      -> ok drop|cancel|0xHRESULT EFFECT
//   source-close                       hides the drag source
//   drag-metrics                       -> ok CX CY, SM_CXDRAG and SM_CYDRAG: how
//                                      far the pointer must move, with the
//                                      button down, before a drag starts
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cwchar>
#include <utility>
#include <vector>

#include "protocol.h"

namespace driver {

namespace {

template <class Interface>
struct Unknown : Interface {
    LONG references = 1;
    virtual ~Unknown() = default;
    virtual bool Offers(REFIID id) const = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown || Offers(id)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
};

std::wstring FormatName(CLIPFORMAT format) {
    switch (format) {
    case CF_TEXT: return L"CF_TEXT";
    case CF_OEMTEXT: return L"CF_OEMTEXT";
    case CF_UNICODETEXT: return L"CF_UNICODETEXT";
    case CF_HDROP: return L"CF_HDROP";
    case CF_LOCALE: return L"CF_LOCALE";
    default: break;
    }
    wchar_t name[256] = {};
    if (GetClipboardFormatNameW(format, name, 256) > 0) return name;
    return Decimal(format);
}

// ---- the drop target --------------------------------------------------------

struct Received {
    int drops = 0;
    int enters = 0;
    DWORD allowed = 0;
    std::vector<std::pair<std::wstring, std::wstring>> fields; // of the last drop
};

Received received;
DWORD answerEffect = DROPEFFECT_COPY;
HWND targetWindow = nullptr;

std::wstring TextFromMedium(HGLOBAL memory, CLIPFORMAT format) {
    SIZE_T size = GlobalSize(memory);
    const void* data = GlobalLock(memory);
    if (!data) return L"";
    std::wstring text;
    if (format == CF_UNICODETEXT) {
        const auto* units = static_cast<const wchar_t*>(data);
        size_t n = 0;
        while (n < size / sizeof(wchar_t) && units[n]) ++n;
        text.assign(units, n);
    } else {
        const auto* bytes = static_cast<const char*>(data);
        size_t n = 0;
        while (n < size && bytes[n]) ++n;
        UINT page = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
        int units = MultiByteToWideChar(page, 0, bytes, static_cast<int>(n), nullptr, 0);
        text.assign(static_cast<size_t>(units), L'\0');
        MultiByteToWideChar(page, 0, bytes, static_cast<int>(n), text.data(), units);
    }
    GlobalUnlock(memory);
    return text;
}

std::wstring FilesFromMedium(HGLOBAL memory) {
    auto drop = static_cast<HDROP>(memory);
    std::wstring list;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(length);
        if (i > 0) list += L'\n';
        list += path;
    }
    return list;
}

struct DropTarget final : Unknown<IDropTarget> {
    bool Offers(REFIID id) const override { return id == IID_IDropTarget; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        ++received.enters;
        *effect &= answerEffect;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= answerEffect;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        received.allowed = *effect;
        received.fields.clear();
        std::wstring formats;
        IEnumFORMATETC* list = nullptr;
        if (data->EnumFormatEtc(DATADIR_GET, &list) == S_OK && list) {
            FORMATETC f;
            ULONG got = 0;
            while (list->Next(1, &f, &got) == S_OK && got == 1) {
                if (!formats.empty()) formats += L',';
                formats += FormatName(f.cfFormat);
                if (f.ptd) CoTaskMemFree(f.ptd);
            }
            list->Release();
        }
        received.fields.emplace_back(L"formats", formats);
        const std::pair<CLIPFORMAT, const wchar_t*> wanted[] = {
            {CF_UNICODETEXT, L"unicode"}, {CF_TEXT, L"ansi"}, {CF_OEMTEXT, L"oem"}, {CF_HDROP, L"files"}};
        for (auto [format, key] : wanted) {
            FORMATETC f{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            STGMEDIUM medium{};
            if (data->GetData(&f, &medium) != S_OK) continue;
            if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
                received.fields.emplace_back(key, format == CF_HDROP ? FilesFromMedium(medium.hGlobal)
                                                                     : TextFromMedium(medium.hGlobal, format));
            ReleaseStgMedium(&medium);
        }
        *effect &= answerEffect;
        ++received.drops;
        return S_OK;
    }
};

// ---- the drag source --------------------------------------------------------

struct Offered {
    CLIPFORMAT format;
    std::vector<char> bytes;
    bool unreadable = false; // offered, but GetData fails
};

struct DataObject final : Unknown<IDataObject> {
    std::vector<Offered> items;

    bool Offers(REFIID id) const override { return id == IID_IDataObject; }

    const Offered* Find(const FORMATETC* f) const {
        if (!f || f->dwAspect != DVASPECT_CONTENT || !(f->tymed & TYMED_HGLOBAL)) return nullptr;
        for (const Offered& item : items)
            if (item.format == f->cfFormat) return &item;
        return nullptr;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
        const Offered* item = Find(f);
        if (!item) return DV_E_FORMATETC;
        if (item->unreadable) return E_UNEXPECTED;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, item->bytes.size());
        if (!memory) return E_OUTOFMEMORY;
        std::copy(item->bytes.begin(), item->bytes.end(), static_cast<char*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override { return Find(f) ? S_OK : DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        for (const Offered& item : items)
            formats.push_back(FORMATETC{item.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

struct DropSource final : Unknown<IDropSource> {
    bool Offers(REFIID id) const override { return id == IID_IDropSource; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

HWND sourceWindow = nullptr;
DataObject* armed = nullptr;
DWORD armedEffects = 0;
bool dragEnded = false;
HRESULT dragResult = S_OK;
DWORD dragEffect = 0;

std::vector<char> TextBytes(const std::wstring& text, CLIPFORMAT format) {
    std::vector<char> bytes;
    if (format == CF_UNICODETEXT) {
        const char* start = reinterpret_cast<const char*>(text.c_str());
        bytes.assign(start, start + (text.size() + 1) * sizeof(wchar_t));
        return bytes;
    }
    UINT page = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
    int size = WideCharToMultiByte(page, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    bytes.assign(static_cast<size_t>(size) + 1, '\0');
    WideCharToMultiByte(page, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// DROPFILES followed by the wide paths, each ending in NUL, and one more NUL.
std::vector<char> FileListBytes(const std::wstring& paths) {
    std::wstring list;
    size_t start = 0;
    for (;;) {
        size_t end = paths.find(L'\n', start);
        list += paths.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        list += L'\0';
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    list += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::vector<char> bytes(sizeof header + list.size() * sizeof(wchar_t));
    std::copy_n(reinterpret_cast<const char*>(&header), sizeof header, bytes.data());
    std::copy_n(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t), bytes.data() + sizeof header);
    return bytes;
}

// Bytes written as pairs of hexadecimal digits, for blocks built by hand.
std::vector<char> HexBytes(const std::wstring& hex) {
    if (hex.size() % 2 != 0) Fail(L"an odd number of hexadecimal digits");
    std::vector<char> bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        wchar_t* end = nullptr;
        std::wstring pair = hex.substr(i, 2);
        long value = std::wcstol(pair.c_str(), &end, 16);
        if (*end != 0) Fail(L"not hexadecimal: " + pair);
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

CLIPFORMAT HtmlFormat() { return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"HTML Format")); }

std::vector<char> HtmlBytes(const std::wstring& text) {
    std::string utf8 = ToUtf8(text);
    return std::vector<char>(utf8.c_str(), utf8.c_str() + utf8.size() + 1);
}

// ---- the two windows --------------------------------------------------------

const wchar_t* const TargetClass = L"VelliskTestDropTarget";
const wchar_t* const SourceClass = L"VelliskTestDragSource";

LRESULT CALLBACK SourceProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_LBUTTONDOWN && armed) {
        DataObject* data = armed;
        armed = nullptr;
        auto* source = new DropSource;
        DWORD effect = DROPEFFECT_NONE;
        dragResult = DoDragDrop(data, source, armedEffects, &effect);
        dragEffect = effect;
        dragEnded = true;
        source->Release();
        data->Release();
        return 0;
    }
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return DefWindowProcW(window, message, w, l);
}

LRESULT CALLBACK TargetProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return DefWindowProcW(window, message, w, l);
}

// A small top-level window that does not take the activation from the
// program under test.
HWND ShowAt(HWND& window, const wchar_t* cls, WNDPROC procedure, int colour, const Args& args) {
    int x = static_cast<int>(args.Number(0, L"x"));
    int y = static_cast<int>(args.Number(1, L"y"));
    int width = static_cast<int>(args.Number(2, L"width"));
    int height = static_cast<int>(args.Number(3, L"height"));
    if (!window) {
        WNDCLASSW c{};
        c.lpfnWndProc = procedure;
        c.hInstance = GetModuleHandleW(nullptr);
        c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        c.hbrBackground = GetSysColorBrush(colour);
        c.lpszClassName = cls;
        RegisterClassW(&c);
        window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, cls, cls, WS_POPUP | WS_BORDER,
                                 x, y, width, height, nullptr, nullptr, c.hInstance, nullptr);
        if (!window) Fail(L"CreateWindowEx failed with error " + Decimal(GetLastError()));
    }
    SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // Let the window reach the X server before the mouse is moved onto it.
    Pump(50);
    return window;
}

void TargetOpen(const Args& args, Reply& reply) {
    bool fresh = targetWindow == nullptr;
    answerEffect = static_cast<DWORD>(args.NumberOr(4, DROPEFFECT_COPY, L"effect"));
    ShowAt(targetWindow, TargetClass, TargetProcedure, COLOR_HIGHLIGHT, args);
    if (fresh) {
        auto* target = new DropTarget;
        HRESULT registered = RegisterDragDrop(targetWindow, target);
        target->Release(); // the registration holds it
        if (registered != S_OK) Fail(L"RegisterDragDrop failed: " + Hex(static_cast<DWORD>(registered)));
    }
    received = Received{};
    reply.Add(Hex(reinterpret_cast<uintptr_t>(targetWindow)));
}

void DescribeReceived(Reply& reply) {
    reply.Add(L"drops", Decimal(received.drops))
        .Add(L"enters", Decimal(received.enters))
        .Add(L"allowed", Hex(received.allowed));
    for (const auto& [key, value] : received.fields) reply.Add(key, value);
}

void TargetResult(const Args& args, Reply& reply) {
    long long timeout = args.Number(0, L"timeout");
    if (!WaitUntil(timeout, [] { return received.drops > 0; }))
        Fail(L"no drop after " + Decimal(timeout) + L" ms; drags entered: " + Decimal(received.enters));
    DescribeReceived(reply);
}

void SourceArm(const Args& args, Reply&) {
    if (!sourceWindow) Fail(L"no drag source: source-open first");
    auto* data = new DataObject;
    DWORD effects = static_cast<DWORD>(args.Number(0, L"effects"));
    for (size_t i = 1; i < args.Count(); i += 2) {
        const std::wstring& kind = args.Text(i, L"kind");
        const std::wstring& value = args.Text(i + 1, L"value");
        if (kind == L"unicode") data->items.push_back({CF_UNICODETEXT, TextBytes(value, CF_UNICODETEXT)});
        else if (kind == L"ansi") data->items.push_back({CF_TEXT, TextBytes(value, CF_TEXT)});
        else if (kind == L"oem") data->items.push_back({CF_OEMTEXT, TextBytes(value, CF_OEMTEXT)});
        else if (kind == L"files") data->items.push_back({CF_HDROP, FileListBytes(value)});
        else if (kind == L"html") data->items.push_back({HtmlFormat(), HtmlBytes(value)});
        else if (kind == L"unterminated") {
            std::vector<char> bytes = TextBytes(value, CF_UNICODETEXT);
            bytes.resize(bytes.size() - sizeof(wchar_t));
            data->items.push_back({CF_UNICODETEXT, bytes});
        } else if (kind == L"unreadable-text") data->items.push_back({CF_UNICODETEXT, {}, true});
        else if (kind == L"unreadable-files") data->items.push_back({CF_HDROP, {}, true});
        else if (kind == L"raw-files") data->items.push_back({CF_HDROP, HexBytes(value)});
        else {
            data->Release();
            Fail(L"unknown kind: " + kind);
        }
    }
    if (armed) armed->Release();
    armed = data;
    armedEffects = effects;
    dragEnded = false;
    dragEffect = 0;
}

void SourceResult(const Args& args, Reply& reply) {
    long long timeout = args.Number(0, L"timeout");
    if (!WaitUntil(timeout, [] { return dragEnded; }))
        Fail(armed ? L"the drag did not start: no button press on the source"
                   : L"the drag did not end after " + Decimal(timeout) + L" ms");
    reply.Add(dragResult == DRAGDROP_S_DROP     ? L"drop"
              : dragResult == DRAGDROP_S_CANCEL ? L"cancel"
                                                : Hex(static_cast<DWORD>(dragResult)));
    reply.Add(Hex(dragEffect));
}

} // namespace

void AddDragDropCommands(CommandTable& table) {
    table["target-open"] = TargetOpen;
    table["target-result"] = TargetResult;
    table["target-state"] = [](const Args&, Reply& reply) { DescribeReceived(reply); };
    table["target-reset"] = [](const Args&, Reply&) { received = Received{}; };
    table["target-close"] = [](const Args&, Reply&) {
        if (targetWindow) ShowWindow(targetWindow, SW_HIDE);
    };
    table["source-open"] = [](const Args& args, Reply& reply) {
        ShowAt(sourceWindow, SourceClass, SourceProcedure, COLOR_3DDKSHADOW, args);
        reply.Add(Hex(reinterpret_cast<uintptr_t>(sourceWindow)));
    };
    table["source-arm"] = SourceArm;
    table["source-result"] = SourceResult;
    table["source-close"] = [](const Args&, Reply&) {
        if (sourceWindow) ShowWindow(sourceWindow, SW_HIDE);
    };
    table["drag-metrics"] = [](const Args&, Reply& reply) {
        reply.Add(Decimal(GetSystemMetrics(SM_CXDRAG))).Add(Decimal(GetSystemMetrics(SM_CYDRAG)));
    };
}

} // namespace driver
