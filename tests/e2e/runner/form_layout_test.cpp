// The capture form as it stands on screen: every gadget's class, caption,
// place and look, in the order it was made, and where Tab and Shift+Tab take
// the keyboard focus.
#include <iterator>
#include <string>
#include <vector>

#include "form_support.h"

namespace e2e::form {
namespace {

// Win32 style bits.
constexpr unsigned long ChildBit = 0x40000000;   // WS_CHILD
constexpr unsigned long VisibleBit = 0x10000000; // WS_VISIBLE
constexpr unsigned long GroupBit = 0x00020000;   // WS_GROUP
constexpr unsigned long TabStop = 0x00010000;    // WS_TABSTOP
constexpr unsigned long VScroll = 0x00200000;    // WS_VSCROLL
constexpr unsigned long HScroll = 0x00100000;    // WS_HSCROLL
constexpr unsigned long StaticTypeMask = 0x1F;   // SS_TYPEMASK
constexpr unsigned long StaticCentre = 0x1;      // SS_CENTER
constexpr unsigned long ButtonTypeMask = 0xF;    // BS_TYPEMASK
constexpr unsigned long PushButton = 0x0;        // BS_PUSHBUTTON
constexpr unsigned long ButtonMultiLine = 0x2000; // BS_MULTILINE
constexpr unsigned long EditMultiLine = 0x4;     // ES_MULTILINE
constexpr unsigned long EditAutoVScroll = 0x40;  // ES_AUTOVSCROLL
constexpr unsigned long EditAutoHScroll = 0x80;  // ES_AUTOHSCROLL
constexpr unsigned long EditNoHideSel = 0x100;   // ES_NOHIDESEL
constexpr unsigned long EditWantReturn = 0x1000; // ES_WANTRETURN
constexpr unsigned long StaticEdge = 0x20000;    // WS_EX_STATICEDGE
constexpr unsigned long ClientEdge = 0x200;      // WS_EX_CLIENTEDGE

enum class Kind { Label, Field, Button, Editor, Tile };

struct Expected {
    Gadget gadget;
    Kind kind;
    const char* caption;
    int x, y, width, height;
};

// In the order the form makes them. Tiles draw their caption into their
// picture; as windows they have no text.
const Expected Layout[] = {
    {ObjectLabel, Kind::Label, "Object", 5, 5, 80, 22},
    {ObjectField, Kind::Field, "", 90, 5, 230, 22},
    {ObjectButton, Kind::Button, "=", 325, 5, 34, 22},
    {ObjectTile, Kind::Tile, "", 364, 5, 22, 22},
    {PathLabel, Kind::Label, "Path", 5, 32, 80, 22},
    {PathField, Kind::Field, "", 90, 32, 230, 22},
    {PathButton, Kind::Button, "<--", 325, 32, 34, 22},
    {PathTile, Kind::Tile, "", 364, 32, 22, 22},
    {FileNameLabel, Kind::Label, "FileName", 5, 59, 80, 22},
    {FileNameField, Kind::Field, "", 90, 59, 230, 22},
    {FileNameButton, Kind::Button, "<--", 325, 59, 34, 22},
    {FileNameTile, Kind::Tile, "", 364, 59, 22, 22},
    {SaveFileLabel, Kind::Label, "SaveFile", 5, 86, 80, 22},
    {SaveFileField, Kind::Label, "_read_me.txt", 90, 86, 230, 22},
    {SaveFileButton, Kind::Button, "<--", 325, 86, 34, 22},
    {SaveFileTile, Kind::Tile, "", 364, 86, 22, 22},
    {Editor, Kind::Editor, "", 5, 113, 315, 150},
    {ColumnWrapButton, Kind::Button, "Column wrap", 325, 113, 63, 40},
    {CompressSpacesButton, Kind::Button, "Compress spaces", 325, 158, 63, 40},
    {ClipTile, Kind::Tile, "", 325, 203, 45, 22},
    {AboutButton, Kind::Button, "About", 5, 268, 80, 22},
    {CloseButton, Kind::Button, "Close", 90, 268, 80, 22},
    {SaveButton, Kind::Button, "Save", 175, 268, 80, 22},
    {SaveAndCloseButton, Kind::Button, "Save and Close", 260, 268, 120, 22},
};
static_assert(std::size(Layout) == GadgetCount);

const char* ClassOf(Kind kind) {
    switch (kind) {
    case Kind::Label: return "Static";
    case Kind::Field:
    case Kind::Editor: return "Edit";
    case Kind::Button: return "Button";
    case Kind::Tile: return "VelliskTile";
    }
    return "";
}

bool Has(unsigned long bits, unsigned long mask) { return (bits & mask) == mask; }

// The look each kind of gadget must have; one message per missing or extra
// bit, so that a failure names what is wrong.
void ExpectLook(Kind kind, const ChildInfo& c, const std::string& name) {
    auto bit = [&](const char* what, bool want, bool have) {
        EXPECT_EQ(have, want) << name << ": " << what << (want ? " missing" : " unexpected") << " (style 0x"
                              << std::hex << c.style << ", exstyle 0x" << c.exstyle << std::dec << ")";
    };
    bit("WS_CHILD", true, Has(c.style, ChildBit));
    bit("WS_VISIBLE", true, Has(c.style, VisibleBit));
    bool takesFocus = kind == Kind::Field || kind == Kind::Button || kind == Kind::Editor;
    bit("WS_TABSTOP", takesFocus, Has(c.style, TabStop));
    switch (kind) {
    case Kind::Label:
        bit("SS_CENTER", true, (c.style & StaticTypeMask) == StaticCentre);
        bit("WS_EX_STATICEDGE", true, Has(c.exstyle, StaticEdge));
        // The toolkit's border flag has the value of WS_GROUP: it must reach
        // Win32 as the edge, not as a group start.
        bit("WS_GROUP", false, Has(c.style, GroupBit));
        break;
    case Kind::Field:
        bit("ES_MULTILINE", false, Has(c.style, EditMultiLine));
        bit("ES_AUTOHSCROLL", true, Has(c.style, EditAutoHScroll));
        bit("WS_EX_CLIENTEDGE", true, Has(c.exstyle, ClientEdge));
        break;
    case Kind::Button:
        bit("BS_PUSHBUTTON", true, (c.style & ButtonTypeMask) == PushButton);
        bit("BS_MULTILINE", true, Has(c.style, ButtonMultiLine));
        break;
    case Kind::Editor:
        bit("ES_MULTILINE", true, Has(c.style, EditMultiLine));
        bit("ES_WANTRETURN", true, Has(c.style, EditWantReturn));
        // Without automatic horizontal scrolling the control would wrap.
        bit("ES_AUTOHSCROLL", true, Has(c.style, EditAutoHScroll));
        bit("ES_AUTOVSCROLL", true, Has(c.style, EditAutoVScroll));
        bit("ES_NOHIDESEL", true, Has(c.style, EditNoHideSel));
        bit("WS_VSCROLL", true, Has(c.style, VScroll));
        bit("WS_HSCROLL", true, Has(c.style, HScroll));
        bit("WS_EX_CLIENTEDGE", true, Has(c.exstyle, ClientEdge));
        break;
    case Kind::Tile: break;
    }
}

using FormLayout = E2eTest;

TEST_F(FormLayout, EveryGadgetHasItsClassCaptionPlaceAndLookInCreationOrder) {
    PrepareClipboard(std::nullopt);
    Vellisk vellisk;
    std::vector<ChildInfo> children = Children();
    ASSERT_EQ(children.size(), std::size(Layout));
    for (const Expected& e : Layout) {
        const ChildInfo& c = children[e.gadget];
        std::string name = NameOf(e.gadget);
        EXPECT_EQ(c.cls, ClassOf(e.kind)) << name;
        EXPECT_EQ(c.text, e.caption) << name;
        EXPECT_EQ(c.x, e.x) << name;
        EXPECT_EQ(c.y, e.y) << name;
        EXPECT_EQ(c.width, e.width) << name;
        EXPECT_EQ(c.height, e.height) << name;
        ExpectLook(e.kind, c, name);
    }
}

// ---- Tab and Shift+Tab ----------------------------------------------------------

using FormTabOrder = E2eTest;

void ExpectFocusAfter(const Vellisk& vellisk, const std::string& keys, Gadget expected) {
    PressKeys(vellisk, keys);
    WaitFor(std::string("the focus to reach ") + NameOf(expected) + " after " + keys, AppearTimeout,
            [&](std::string& seen) {
                int focus = FocusIndex();
                seen = focus >= 0 && focus < GadgetCount ? NameOf(static_cast<Gadget>(focus)) : std::to_string(focus);
                return focus == expected;
            });
}

// Keys reach the window only while it is the active one, and the X server
// sends them to the window under the pointer.
void FocusObjectFieldByClick(const Vellisk& vellisk) {
    WaitFor("the window to become the foreground window", AppearTimeout, [](std::string& seen) {
        seen = "foreground=" + ParseWindow(Expect({"window"})).fields.at("foreground");
        return seen == "foreground=1";
    });
    WaitForXWindow("vellisk");
    const WindowInfo& w = vellisk.Window();
    Xdotool({"mousemove", std::to_string(w.client.left + 200), std::to_string(w.client.top + 16)});
    Xdotool({"click", "1"});
    WaitFor("a click to put the focus into ObjectField", AppearTimeout, [](std::string& seen) {
        seen = std::to_string(FocusIndex());
        return seen == std::to_string(ObjectField);
    });
}

TEST_F(FormTabOrder, TabAndShiftTabWalkTheGadgetsInCreationOrderAndWrapAround) {
    PrepareClipboard(std::nullopt);
    Vellisk vellisk;
    FocusObjectFieldByClick(vellisk);

    // Forward from the first field up to the editor, which keeps Tab.
    for (Gadget next : {ObjectButton, PathField, PathButton, FileNameField, FileNameButton, SaveFileButton, Editor})
        ExpectFocusAfter(vellisk, "Tab", next);
    // Backward from the editor, round past the first field to the clean-up
    // buttons.
    for (Gadget next : {SaveFileButton, FileNameButton, FileNameField, PathButton, PathField, ObjectButton,
                        ObjectField, SaveAndCloseButton, SaveButton, CloseButton, AboutButton, CompressSpacesButton,
                        ColumnWrapButton})
        ExpectFocusAfter(vellisk, "shift+Tab", next);
    // Forward from there, round past the last button to the first field.
    for (Gadget next : {CompressSpacesButton, AboutButton, CloseButton, SaveButton, SaveAndCloseButton, ObjectField})
        ExpectFocusAfter(vellisk, "Tab", next);
    // And the one step not taken yet: backward from the clean-up buttons
    // into the editor.
    for (Gadget next : {SaveAndCloseButton, SaveButton, CloseButton, AboutButton, CompressSpacesButton,
                        ColumnWrapButton, Editor})
        ExpectFocusAfter(vellisk, "shift+Tab", next);
    EXPECT_EQ(Text(Editor), "") << "moving through the editor typed into it";
}

TEST_F(FormTabOrder, InsideTheEditorTabIsTypedAndShiftTabMovesBack) {
    PrepareClipboard(std::nullopt);
    Vellisk vellisk;
    FocusObjectFieldByClick(vellisk);
    for (Gadget next : {ObjectButton, PathField, PathButton, FileNameField, FileNameButton, SaveFileButton, Editor})
        ExpectFocusAfter(vellisk, "Tab", next);

    PressKeys(vellisk, "a");
    PressKeys(vellisk, "Tab");
    PressKeys(vellisk, "b");
    // The last key shows when everything before it was handled.
    WaitFor("the editor to hold what was typed", AppearTimeout, [](std::string& seen) {
        std::string text = Text(Editor);
        seen = EscapeField(text);
        return !text.empty() && text.back() == 'b';
    });
    std::string typed = Text(Editor);
    EXPECT_EQ(typed, "a\tb");
    EXPECT_EQ(FocusIndex(), Editor) << "Tab moved the focus out of the editor";

    ExpectFocusAfter(vellisk, "shift+Tab", SaveFileButton);
    EXPECT_EQ(Text(Editor), typed) << "Shift+Tab changed the text";

    // Escape in the editor is no way out: the unsaved text must stay.
    ExpectFocusAfter(vellisk, "Tab", Editor);
    PressKeys(vellisk, "Escape");
    PressKeys(vellisk, "c");
    WaitFor("the editor to take a key after Escape", AppearTimeout, [](std::string& seen) {
        std::string text = Text(Editor);
        seen = EscapeField(text);
        return !text.empty() && text.back() == 'c';
    });
    EXPECT_TRUE(vellisk.Running()) << "Escape ended the program";
}

} // namespace
} // namespace e2e::form
