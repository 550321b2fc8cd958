#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/window.h"
#include "support/standin.h"
#include "toolkit/gadgets.h"

namespace {

using standin::GadgetKind;

std::vector<std::pair<char, int32_t>> calls;

int ActionA(int32_t gadget) {
    calls.push_back({'A', gadget});
    return 0;
}
int ActionB(int32_t gadget) {
    calls.push_back({'B', gadget});
    return 0;
}
void Nothing() {}

// The key as the map must spell it, built without the code under test.
Text Key(int32_t number) {
    std::string digits = std::to_string(number);
    return Text(digits.begin(), digits.end());
}

class GadgetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::Reset();
        WindowSettings = WindowSettingsRecord{};
        ResetGadgetActionMap();
        calls.clear();
    }

    static void Event(int32_t gadget, int32_t type) {
        WindowSettings.EventGadget = gadget;
        WindowSettings.EventType = type;
        DispatchGadgetActions();
    }
};

struct KindCase {
    int32_t kind;
    int32_t width, height;
    uint32_t flags;
    GadgetKind made;
    int32_t madeWidth, madeHeight;
    uint32_t madeFlags;
};

TEST_F(GadgetsTest, MakeGadgetAppliesDefaultsByKind) {
    const KindCase cases[] = {
        {0, 0, 0, 0, GadgetKind::Button, 40, 22, 0x2000},
        {1, 0, 0, 0, GadgetKind::Button, 40, 22, 0x2000},
        {7, 0, 0, 0, GadgetKind::Button, 40, 22, 0x2000},
        {-1, 0, 0, 0, GadgetKind::Button, 40, 22, 0x2000},
        {1, 100, 30, 0x4, GadgetKind::Button, 100, 30, 0x4},
        {3, 0, 0, 0, GadgetKind::Label, 40, 22, 0x20001},
        {3, 60, 25, 0x1, GadgetKind::Label, 60, 25, 0x1},
        {2, 0, 0, 0, GadgetKind::TextField, 40, 22, 0},
        {2, 0, 0, 0x40, GadgetKind::TextField, 40, 22, 0x40},
        {1, -5, -7, 0, GadgetKind::Button, -5, -7, 0x2000},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " flags " << c.flags);
        int32_t gadget = MakeGadget(c.kind, 11, 12, c.width, c.height, nullptr, u"Caption", c.flags);
        ASSERT_NE(gadget, 0);
        const standin::GadgetRecord& made = standin::Gadget(gadget);
        EXPECT_EQ(made.kind, c.made);
        EXPECT_EQ(made.geometry.x, 11);
        EXPECT_EQ(made.geometry.y, 12);
        EXPECT_EQ(made.geometry.width, c.madeWidth);
        EXPECT_EQ(made.geometry.height, c.madeHeight);
        EXPECT_EQ(made.flags, c.madeFlags);
        EXPECT_EQ(made.text, u"Caption");
    }
}

TEST_F(GadgetsTest, MakeGadgetRegistersUnderItsDecimalKey) {
    int32_t button = MakeGadget(ButtonKind, 0, 0, 0, 0, ActionA, u"Go", 0);
    int32_t field = MakeGadget(TextFieldKind, 0, 0, 0, 0, nullptr, u"", 0);
    ASSERT_EQ(GadgetActionMap.size(), 2u);
    EXPECT_EQ(GadgetActionMap.at(Key(button)).gadget, button);
    EXPECT_EQ(GadgetActionMap.at(Key(button)).action, &ActionA);
    EXPECT_EQ(GadgetActionMap.at(Key(field)).gadget, field);
    EXPECT_EQ(GadgetActionMap.at(Key(field)).action, nullptr);
    EXPECT_EQ(RegisterGadget(-17), u"-17");
}

TEST_F(GadgetsTest, RegisteringAgainKeepsOneElementAndItsAction) {
    int32_t button = MakeGadget(ButtonKind, 0, 0, 0, 0, ActionA, u"Go", 0);
    EXPECT_EQ(RegisterGadget(button), Key(button));
    ASSERT_EQ(GadgetActionMap.size(), 1u);
    EXPECT_EQ(GadgetActionMap.at(Key(button)).action, &ActionA);

    // A gadget made elsewhere, such as the editor, joins without an action.
    int32_t editor = platform::CreateEditor(0, 0, 100, 100);
    EXPECT_EQ(RegisterGadget(editor), Key(editor));
    EXPECT_EQ(GadgetActionMap.size(), 2u);
    EXPECT_EQ(GadgetActionMap.at(Key(editor)).gadget, editor);
    EXPECT_EQ(GadgetActionMap.at(Key(editor)).action, nullptr);
}

TEST_F(GadgetsTest, GadgetThatWasNotMadeIsNeverRegisteredUnderZero) {
    standin::Get().gadgetsFail = true;
    EXPECT_EQ(MakeGadget(ButtonKind, 0, 0, 0, 0, ActionA, u"Go", 0), 0);
    EXPECT_EQ(RegisterGadget(0), u"0");
    EXPECT_TRUE(GadgetActionMap.empty());

    // Every event without a gadget carries 0: it must run nothing.
    Event(0, ClickEventType);
    EXPECT_TRUE(calls.empty());
}

TEST_F(GadgetsTest, ClickRunsOnlyTheClickedButtonsActionOnceWithItsNumber) {
    int32_t a = MakeGadget(ButtonKind, 0, 0, 0, 0, ActionA, u"A", 0);
    int32_t b = MakeGadget(ButtonKind, 0, 0, 0, 0, ActionB, u"B", 0);
    int32_t none = MakeGadget(ButtonKind, 0, 0, 0, 0, nullptr, u"None", 0);

    Event(b, ClickEventType);
    EXPECT_EQ(calls, (std::vector<std::pair<char, int32_t>>{{'B', b}}));

    calls.clear();
    Event(none, ClickEventType);
    Event(0, ClickEventType);
    Event(4242, ClickEventType);
    EXPECT_TRUE(calls.empty());

    // Notifications of other types never reach an action, even of a button.
    for (int32_t type : {1, 0x300, DragStartEventType}) Event(a, type);
    EXPECT_TRUE(calls.empty());
}

TEST_F(GadgetsTest, RegisteredHookRunsActionsFromTheEventLoop) {
    int32_t button = MakeGadget(ButtonKind, 0, 0, 0, 0, ActionA, u"Go", 0);
    RegisterGadgetActions();
    ASSERT_EQ(WindowSettings.EventHooks.size(), 1u);

    WindowSettings.WindowHandle = 1;
    WindowSettings.OnEachEvent = Nothing;
    standin::QueueClick(button);
    standin::QueueEvent(GadgetEvent, button, 0x200); // a focus change
    standin::QueueEvent(0x200);                      // a mouse move over the window
    standin::QueueClick(button);
    EXPECT_THROW(RunEventLoop(), standin::NoMoreEvents);
    EXPECT_EQ(calls, (std::vector<std::pair<char, int32_t>>{{'A', button}, {'A', button}}));
}

} // namespace
