// The main window, the clipboard and the event queue on the real platform.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "main_window.h"
#include "shell/platform.h"
#include "text/text.h"

namespace {

TEST(MainWindow, HasTheInnerSizeStylesAndPlaceAsked) {
    HWND window = MainWindow();
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 400);
    EXPECT_EQ(client.bottom - client.top, 300);

    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_VISIBLE);

    RECT outer;
    GetWindowRect(window, &outer);
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    wchar_t title[64];
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"vellisk");
}

TEST(MainWindow, ClosingOnlyQueuesACloseEvent) {
    HWND window = MainWindow();
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    platform::Event event;
    for (int i = 0; i < 100; ++i) {
        event = platform::WaitEvent();
        if (event.kind == CloseEvent) break;
    }
    EXPECT_EQ(event.kind, CloseEvent);
    EXPECT_TRUE(IsWindow(window)) << "the window stays until the program ends";
}

TEST(MainWindow, OtherMessagesArriveAsTheirOwnKind) {
    HWND window = MainWindow();
    ASSERT_NE(window, nullptr);
    constexpr UINT custom = WM_APP + 77;
    PostMessageW(window, custom, 0, 0);
    platform::Event event;
    for (int i = 0; i < 100; ++i) {
        event = platform::WaitEvent();
        if (event.kind == static_cast<int32_t>(custom)) break;
    }
    EXPECT_EQ(event.kind, static_cast<int32_t>(custom));
    EXPECT_EQ(event.gadget, 0);
}

TEST(MainWindow, AButtonClickedFromAnotherThreadWakesTheWait) {
    HWND window = MainWindow();
    ASSERT_NE(window, nullptr);
    int32_t button = platform::CreateButton(5, 5, 80, 22, u"Press", ButtonFlagMultiLine);
    ASSERT_NE(button, 0);
    HWND buttonWindow = FindWindowExW(window, nullptr, L"BUTTON", L"Press");
    ASSERT_NE(buttonWindow, nullptr);
    HANDLE clicker = CreateThread(
        nullptr, 0,
        [](void* w) -> DWORD {
            Sleep(100);
            SendMessageW(static_cast<HWND>(w), BM_CLICK, 0, 0);
            return 0;
        },
        buttonWindow, 0, nullptr);
    platform::Event event;
    for (int i = 0; i < 200; ++i) {
        event = platform::WaitEvent();
        if (event.kind == GadgetEvent) break;
    }
    WaitForSingleObject(clicker, 5000);
    CloseHandle(clicker);
    EXPECT_EQ(event.kind, GadgetEvent);
    EXPECT_EQ(event.gadget, button);
    EXPECT_EQ(event.type, ClickEventType);
}

TEST(Clipboard, RoundTripsCyrillicAndLineBreaks) {
    MainWindow();
    Text text = u"Привет, мир\r\nsecond line\tTAB";
    WriteClipboardText(text);
    EXPECT_EQ(ReadClipboardText(), text);
    WriteClipboardText(u"");
    Text read = u"not read";
    EXPECT_TRUE(platform::ReadClipboard(read));
    EXPECT_EQ(read, u"");
}

TEST(Clipboard, AnImageOnlyReadsAsTheEmptyText) {
    HWND window = MainWindow();
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(SetClipboardData(CF_BITMAP, bitmap), nullptr);
    CloseClipboard();
    EXPECT_EQ(ReadClipboardText(), u"");
}

// Another thread stands for another program: it opens the clipboard, says
// so, and closes it once `release` is set or `holdMs` has passed.
struct ClipboardHolder {
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread;
    explicit ClipboardHolder(DWORD holdMs) {
        thread = std::thread([this, holdMs] {
            bool held = OpenClipboard(nullptr) != 0;
            SetEvent(opened);
            if (!held) return;
            WaitForSingleObject(release, holdMs);
            CloseClipboard();
        });
        WaitForSingleObject(opened, 5000);
    }
    ~ClipboardHolder() {
        SetEvent(release);
        thread.join();
        CloseHandle(opened);
        CloseHandle(release);
    }
};

TEST(Clipboard, HeldByAnotherProgramItIsWaitedForBrieflyThenReadAsEmpty) {
    MainWindow();
    WriteClipboardText(u"the text on the clipboard");
    {
        // Let go within the retries: the text is read.
        ClipboardHolder holder(30);
        EXPECT_EQ(ReadClipboardText(), u"the text on the clipboard");
    }
    {
        ClipboardHolder holder(INFINITE);
        Text read = u"not read";
        ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(platform::ReadClipboard(read));
        EXPECT_EQ(ReadClipboardText(), u"");
        // Bounded: the two reads gave up rather than hang.
        EXPECT_LT(GetTickCount64() - start, 5000u);
        EXPECT_FALSE(platform::WriteClipboard(u"not placed"));
    }
    EXPECT_EQ(ReadClipboardText(), u"the text on the clipboard") << "a failed write keeps what was there";
}

TEST(Clipboard, RoundTrips64MiUnitsWithEveryCodeUnitButNul) {
    MainWindow();
    Text text(64u << 20, u'x');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(1 + i % 0xFFFF);
    ASSERT_TRUE(platform::WriteClipboard(text));
    Text read;
    ASSERT_TRUE(platform::ReadClipboard(read));
    ASSERT_EQ(read.size(), text.size());
    EXPECT_TRUE(read == text);
}

TEST(Clipboard, ANulEndsTheText) {
    MainWindow();
    ASSERT_TRUE(platform::WriteClipboard(Text(u"before\0after", 12)));
    EXPECT_EQ(ReadClipboardText(), u"before");
}

} // namespace
