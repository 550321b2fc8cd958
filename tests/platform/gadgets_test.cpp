// The gadgets and tiles as the real platform makes them: classes, styles,
// fonts, geometry, the tile's picture and its tool tip.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "main_window.h"
#include "shell/platform.h"
#include "toolkit/gadgets.h"
#include "toolkit/placement.h"
#include "toolkit/tiles.h"

namespace {

// The child window at the gadget's place; gadget numbers are the toolkit's,
// so the window is found by its rectangle and class.
HWND ChildAt(int32_t gadget, const wchar_t* cls) {
    platform::Geometry g = platform::GadgetGeometry(gadget);
    HWND found = nullptr;
    for (HWND child = GetWindow(MainWindow(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64];
        GetClassNameW(child, name, 64);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, MainWindow(), reinterpret_cast<POINT*>(&r), 2);
        if (lstrcmpiW(name, cls) == 0 && r.left == g.x && r.top == g.y && r.right - r.left == g.width &&
            r.bottom - r.top == g.height)
            found = child;
    }
    return found;
}

std::wstring WindowText(HWND w) {
    wchar_t text[256];
    GetWindowTextW(w, text, 256);
    return text;
}

TEST(Gadgets, EachKindHasItsLookAndTheGuiFont) {
    ASSERT_NE(MainWindow(), nullptr);
    ResetGadgetActionMap();
    struct Case {
        int32_t kind;
        uint32_t flags;
        const wchar_t* cls;
        LONG styleSet, styleClear, exSet, exClear;
    } cases[] = {
        {LabelKind, 0x1, L"STATIC", SS_CENTER, 0, 0, WS_EX_STATICEDGE | WS_EX_CLIENTEDGE},
        {LabelKind, 0, L"STATIC", SS_CENTER, WS_TABSTOP, WS_EX_STATICEDGE, 0},
        {LabelKind, 0x20000, L"STATIC", 0, SS_CENTER | WS_TABSTOP, WS_EX_STATICEDGE, 0},
        {ButtonKind, 0, L"BUTTON", BS_MULTILINE | WS_TABSTOP, 0, 0, 0},
        {ButtonKind, 0x1, L"BUTTON", WS_TABSTOP, BS_MULTILINE, 0, 0},
        {7, 0, L"BUTTON", BS_MULTILINE | WS_TABSTOP, 0, 0, 0},
        {TextFieldKind, 0, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, ES_MULTILINE, WS_EX_CLIENTEDGE, 0},
    };
    int y = 5;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.cls) + L" flags " + std::to_wstring(c.flags));
        int32_t gadget = MakeGadget(c.kind, 5, y, 90, 22, nullptr, u"Some caption", c.flags);
        y += 25;
        ASSERT_NE(gadget, 0);
        HWND w = ChildAt(gadget, c.cls);
        ASSERT_NE(w, nullptr);
        LONG style = GetWindowLongW(w, GWL_STYLE);
        LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
        if (c.cls == std::wstring(L"STATIC")) {
            EXPECT_EQ(style & SS_TYPEMASK, c.styleSet & SS_TYPEMASK);
            EXPECT_TRUE(style & SS_NOPREFIX) << "an ampersand in a label is shown as it is";
        }
        else EXPECT_EQ(style & c.styleSet, c.styleSet);
        EXPECT_EQ(style & c.styleClear, 0);
        EXPECT_EQ(ex & c.exSet, c.exSet);
        EXPECT_EQ(ex & c.exClear, 0);
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
        EXPECT_EQ(WindowText(w), L"Some caption");
    }
}

TEST(Gadgets, TheEditorIsPlainMultiLineTextWithoutALimit) {
    ASSERT_NE(MainWindow(), nullptr);
    int32_t editor = platform::CreateEditor(5, 5, 315, 150);
    ASSERT_NE(editor, 0);
    HWND w = ChildAt(editor, L"EDIT");
    ASSERT_NE(w, nullptr);
    LONG style = GetWindowLongW(w, GWL_STYLE);
    LONG wanted = ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL | WS_VSCROLL |
                  WS_HSCROLL | WS_TABSTOP;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_GE(static_cast<unsigned long>(SendMessageW(w, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEul);

    Text text = u"line one\r\nзначение\ttab\r\n";
    platform::SetGadgetText(editor, text);
    EXPECT_EQ(platform::GadgetText(editor), text);
}

TEST(Gadgets, NumbersAreUniqueAndNeverZeroAndGeometryMovesWithIgnoreValue) {
    ASSERT_NE(MainWindow(), nullptr);
    std::set<int32_t> seen;
    for (int i = 0; i < 20; ++i) {
        int32_t g = platform::CreateButton(5, 5, 40, 22, u"n", 0);
        ASSERT_NE(g, 0);
        EXPECT_TRUE(seen.insert(g).second);
        EXPECT_TRUE(platform::GadgetExists(g));
    }
    EXPECT_FALSE(platform::GadgetExists(0));

    int32_t anchor = platform::CreateLabel(5, 5, 80, 22, u"Object", LabelFlagCenter | LabelFlagBorder);
    int32_t target = platform::CreateTextField(5, 5, 230, 22, u"", 0);
    PlaceRelative(anchor, target, 1, 5.0, 5.0, -1.0, -1.0);
    platform::Geometry g = platform::GadgetGeometry(target);
    EXPECT_EQ(g.x, 90);
    EXPECT_EQ(g.y, 5);
    EXPECT_EQ(g.width, 230);
    EXPECT_EQ(g.height, 22);
    platform::MoveGadget(target, IgnoreValue, 40, IgnoreValue, 30);
    g = platform::GadgetGeometry(target);
    EXPECT_EQ(g.x, 90);
    EXPECT_EQ(g.y, 40);
    EXPECT_EQ(g.width, 230);
    EXPECT_EQ(g.height, 30);
}

Text NoText(int32_t) { return {}; }

TEST(Tiles, ThePictureIsBlackWithTheCaptionInItsColourAndATip) {
    ASSERT_NE(MainWindow(), nullptr);
    ResetTileRegistry();
    int32_t tile = CreateTile(200, 200, 40, 22, NoText, nullptr, u"Clip");
    ASSERT_NE(tile, 0);
    HWND w = ChildAt(tile, L"VelliskTile");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetWindowLongW(w, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);
    EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & WS_BORDER, 0);

    UpdateWindow(w);
    Pump();
    HDC dc = GetDC(w);
    int caption = 0, black = 0, blended = 0, other = 0, firstX = 99, firstY = 99;
    for (int y = 0; y < 22; ++y) {
        for (int x = 0; x < 40; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (c == RGB(196, 200, 196)) {
                ++caption;
                firstX = std::min(firstX, x);
                firstY = std::min(firstY, y);
            } else if (c == RGB(0, 0, 0)) {
                ++black;
            } else if (GetRValue(c) <= 196 && GetGValue(c) <= 200 && GetBValue(c) <= 196 && x >= 5 && y >= 3) {
                ++blended; // a smoothed glyph edge, between black and the caption colour
            } else {
                ++other;
            }
        }
    }
    ReleaseDC(w, dc);
    EXPECT_GT(caption, 10) << "the caption is drawn";
    EXPECT_GT(black, caption) << "on black";
    EXPECT_EQ(other, 0) << "with a transparent background";
    EXPECT_GE(firstX, 5);
    EXPECT_LE(firstX, 7);
    EXPECT_GE(firstY, 3);
    EXPECT_LE(firstY, 6);

    HWND tips = nullptr;
    while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) != nullptr)
        if (GetWindow(tips, GW_OWNER) == MainWindow()) break;
    ASSERT_NE(tips, nullptr);
    EXPECT_TRUE(GetWindowLongW(tips, GWL_STYLE) & TTS_NOPREFIX) << "the ampersand is shown literally";
    wchar_t text[64] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = MainWindow();
    tool.uId = reinterpret_cast<UINT_PTR>(w);
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"Drag&Drop");
}

} // namespace
