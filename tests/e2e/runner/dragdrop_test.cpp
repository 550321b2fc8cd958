// Drag and drop on the real program with the real mouse: xdotool presses,
// moves and releases the X pointer; the test driver plays the other
// application, as a drop target that records what it is offered and as a
// drag source that offers text or a file list.
//
// Where a case expects nothing to happen, it does not wait and hope: it
// follows up with an action that must have an effect, and that the program
// handles only after everything that came before it (its input and its
// toolkit events are each handled in order), then checks that the first
// action left no trace.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "harness.h"

namespace e2e {
namespace {

constexpr Milliseconds DragTimeout{20000};
// A call that waits DragTimeout in the driver needs longer for the reply.
constexpr Milliseconds DragReply{40000};

struct Point {
    int x = 0, y = 0;
};

// The driver's two windows, on the screen left and right of the program's
// window (which is centred on the 1024 by 768 screen, about 406 wide).
constexpr int TargetRect[] = {780, 300, 180, 140};
constexpr int SourceRect[] = {60, 300, 180, 140};
const std::string TargetTitle = "VelliskTestDropTarget";
const std::string SourceTitle = "VelliskTestDragSource";

Point CentreOf(const int (&r)[4]) { return {r[0] + r[2] / 2, r[1] + r[3] / 2}; }

std::vector<std::string> Numbers(const int (&r)[4]) {
    std::vector<std::string> out;
    for (int v : r) out.push_back(std::to_string(v));
    return out;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// ---- the capture form, through the driver -------------------------------------

struct Gadget {
    int index = -1; // in the driver's list of children
    int x = 0, y = 0, width = 0, height = 0;
};

// Each gadget a test touches, by the class and the client position it has
// on the form.
struct Place {
    const char* name;
    const char* cls;
    int x, y;
};
constexpr Place Places[] = {
    {"ObjectField", "edit", 90, 5},           {"PathField", "edit", 90, 32},
    {"FileNameField", "edit", 90, 59},        {"SaveFileField", "static", 90, 86},
    {"ObjectTile", "vellisktile", 364, 5},    {"PathTile", "vellisktile", 364, 32},
    {"FileNameTile", "vellisktile", 364, 59}, {"SaveFileTile", "vellisktile", 364, 86},
    {"ClipTile", "vellisktile", 325, 203},
};

const char* const Fields[] = {"ObjectField", "PathField", "FileNameField", "SaveFileField"};

// What the program shows: the four fields and the clipboard.
using Snapshot = std::map<std::string, std::string>;
const std::string NoClipboardText = "<no Unicode text on the clipboard>";

std::string ClipboardText() {
    Reply got = Call({"clip-get"});
    return got.ok ? got.fields.at(0) : NoClipboardText;
}

class CaptureForm {
public:
    // Waits until the window is up and the form is filled: the target file
    // name is the last thing the program writes at start-up.
    CaptureForm() {
        window_ = FindWindow("vellisk");
        WaitFor("the capture form to be built and filled", AppearTimeout, [&](std::string& seen) {
            Read(seen);
            return gadgets_.size() == std::size(Places) && !Text("SaveFileField").empty();
        });
        WaitForXWindow("vellisk");
    }

    Point Centre(const std::string& name) const {
        const Gadget& g = At(name);
        return {window_.client.left + g.x + g.width / 2, window_.client.top + g.y + g.height / 2};
    }
    std::string Text(const std::string& name) const { return Expect({"get-text", Selector(name)}).at(0); }
    void SetText(const std::string& name, const std::string& text) const { Expect({"set-text", Selector(name), text}); }
    Snapshot Shown() const {
        Snapshot now;
        for (const char* field : Fields) now[field] = Text(field);
        now["clipboard"] = ClipboardText();
        return now;
    }

private:
    WindowInfo window_;
    std::map<std::string, Gadget> gadgets_;

    // The driver's "#N" for the gadget.
    std::string Selector(const std::string& name) const {
        std::string selector = std::to_string(At(name).index);
        selector.insert(selector.begin(), '#');
        return selector;
    }

    const Gadget& At(const std::string& name) const {
        auto it = gadgets_.find(name);
        if (it == gadgets_.end()) throw HarnessError("the form has no " + name);
        return it->second;
    }

    void Read(std::string& seen) {
        gadgets_.clear();
        std::vector<std::string> list = Expect({"children"});
        int count = std::stoi(list.at(0));
        seen = std::to_string(count) + " children:";
        for (int i = 0; i < count; ++i) {
            const std::string* f = &list.at(1 + 8 * i);
            Gadget g{i, std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[5])};
            seen += " " + f[0] + "@" + f[2] + "," + f[3];
            for (const Place& p : Places)
                if (Lower(f[0]) == p.cls && g.x == p.x && g.y == p.y) gadgets_[p.name] = g;
        }
    }
};

// ---- the real mouse -----------------------------------------------------------

void MoveTo(Point p) { Xdotool({"mousemove", std::to_string(p.x), std::to_string(p.y)}); }

constexpr const char* LeftButton = "1";
constexpr const char* RightButton = "3";

// Presses the button at `from`, moves to `to` in several steps as a hand
// would, and releases it there; `beforeRelease` runs with the button still
// down over `to`.
void Stroke(Point from, Point to, const std::function<void()>& beforeRelease = {}, const char* button = LeftButton) {
    constexpr int Steps = 8;
    MoveTo(from);
    Xdotool({"mousedown", button});
    for (int i = 1; i <= Steps; ++i)
        MoveTo({from.x + (to.x - from.x) * i / Steps, from.y + (to.y - from.y) * i / Steps});
    if (beforeRelease) beforeRelease();
    Xdotool({"mouseup", button});
}

std::map<std::string, std::string> TargetState() { return KeyValues(Expect({"target-state"})); }

// The last drop the driver's target received.
using Drop = std::map<std::string, std::string>;

// Drags with the real mouse from `from` onto the driver's drop target and
// returns what the target received since it was last reset. The button is
// released only once the drag has entered the target, as a user waits for
// the cursor to change.
Drop DragToTarget(Point from) {
    Stroke(from, CentreOf(TargetRect), [] {
        WaitFor("the drag to enter the driver's drop target", DragTimeout, [](std::string& seen) {
            std::map<std::string, std::string> state = TargetState();
            seen = "enters=" + state["enters"] + " drops=" + state["drops"];
            return state["enters"] != "0";
        });
    });
    return KeyValues(Expect({"target-result", Ms(DragTimeout)}, DragReply));
}

struct Item {
    std::string kind; // unicode, ansi, oem, files, html
    std::string value;
};

struct SourceResult {
    std::string outcome; // drop, cancel or an HRESULT
    std::string effect;  // DROPEFFECT bits, 0x..
};

// The driver drags `items` from its source window onto `to` with the real
// mouse, allowing `effects`; returns how its drag ended.
SourceResult DragFromSource(Point to, int effects, const std::vector<Item>& items) {
    std::vector<std::string> arm{"source-arm", std::to_string(effects)};
    for (const Item& item : items) {
        arm.push_back(item.kind);
        arm.push_back(item.value);
    }
    Expect(arm);
    Stroke(CentreOf(SourceRect), to);
    std::vector<std::string> result = Expect({"source-result", Ms(DragTimeout)}, DragReply);
    return {result.at(0), result.at(1)};
}

void WaitForShown(const CaptureForm& form, const Snapshot& expected, const std::string& what) {
    WaitFor(what, DragTimeout, [&](std::string& seen) {
        Snapshot now = form.Shown();
        seen.clear();
        for (const auto& [key, value] : now) seen += key + "=\"" + EscapeField(value) + "\" ";
        return now == expected;
    });
}

// Base of the drag-and-drop tests: the driver's windows stand beside the
// program's and are hidden again at the end.
class DragDrop : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        std::vector<std::string> target{"target-open"}, source{"source-open"};
        for (const std::string& n : Numbers(TargetRect)) target.push_back(n);
        for (const std::string& n : Numbers(SourceRect)) source.push_back(n);
        Expect(target);
        Expect(source);
        WaitForXWindow(TargetTitle);
        WaitForXWindow(SourceTitle);
    }
    void TearDown() override {
        E2eTest::TearDown();
        Call({"target-close"});
        Call({"source-close"});
    }
};

// ---- dragging out -------------------------------------------------------------

using DragOut = DragDrop;

const std::string OfferedTextForms = "CF_UNICODETEXT,CF_TEXT,CF_OEMTEXT";

TEST_F(DragOut, OffersTheTileTextAsUnicodeAnsiAndOemTextForCopying) {
    Expect({"clip-clear"});
    // Quoted by the wine launcher, so the spaces are part of the argument.
    Program vellisk({"   C:\\Test Folder\\Annual Report.docx   "});
    CaptureForm form;
    ASSERT_EQ(form.Text("ObjectField"), "C:\\Test Folder\\Annual Report.docx");

    struct Case {
        const char* name;
        const char* tile;
        std::function<void()> prepare;
        std::string dragged;
        bool sameInEveryForm; // false: characters that ANSI and OEM lack
    };
    const std::string latin1 = "\tGr\u00fc\u00dfe caf\u00e9.txt";
    const std::string cyrillic = "\u041e\u0442\u0447\u0451\u0442 \u0437\u0430 \u043c\u0430\u0439.docx";
    const std::string clip = "  \r\n  clip text  \r\n ";
    const Case cases[] = {
        {"the start-up argument", "ObjectTile", {}, "C:\\Test Folder\\Annual Report.docx", true},
        {"a padded field: spaces trimmed, a TAB kept, letters of both code pages", "ObjectTile",
         [&] { form.SetText("ObjectField", "   " + latin1 + "   "); }, latin1, true},
        {"Cyrillic", "ObjectTile", [&] { form.SetText("ObjectField", "  " + cyrillic + "  "); }, cyrillic, false},
        {"the folder", "PathTile", {}, "C:\\Test Folder\\", true},
        {"the target file name", "SaveFileTile", {}, "annual_report.docx.txt", true},
        {"the clipboard, its ends kept", "ClipTile", [&] { Expect({"clip-set", clip}); }, clip, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.prepare) c.prepare();
        Expect({"target-reset"});
        Drop got = DragToTarget(form.Centre(c.tile));
        EXPECT_EQ(got["drops"], "1");
        EXPECT_EQ(got["allowed"], "0x1") << "only copying is allowed";
        EXPECT_EQ(got["formats"], OfferedTextForms);
        EXPECT_EQ(got["unicode"], c.dragged);
        if (c.sameInEveryForm) {
            EXPECT_EQ(got["ansi"], c.dragged);
            EXPECT_EQ(got["oem"], c.dragged);
        } else {
            EXPECT_TRUE(got.count("ansi") && got.count("oem")) << "formats offered but not given";
        }
        if (HasFailure()) return;
    }
}

TEST_F(DragOut, ATileWithoutTextStartsNoDrag) {
    Expect({"clip-clear"});
    ASSERT_FALSE(Call({"clip-get"}).ok) << "the clipboard should hold no text";
    Program vellisk;
    CaptureForm form;
    form.SetText("FileNameField", "      ");

    // PathField is empty, FileNameField holds only spaces, the clipboard no
    // text: the same stroke as a drag, and no drag starts.
    Expect({"target-reset"});
    for (const char* tile : {"PathTile", "FileNameTile", "ClipTile"}) Stroke(form.Centre(tile), CentreOf(TargetRect));

    // A tile with text after them: its drop must be the only one.
    Drop got = DragToTarget(form.Centre("SaveFileTile"));
    EXPECT_EQ(got["unicode"], "_read_me.txt");
    EXPECT_EQ(got["drops"], "1");
    EXPECT_EQ(got["enters"], "1") << "an earlier stroke dragged something over the target";
}

TEST_F(DragOut, EscapeCancelsTheDrag) {
    Expect({"clip-clear"});
    Program vellisk({"C:\\Escape\\report.txt"});
    CaptureForm form;

    WaitFor("the program's window to be the active one", AppearTimeout, [](std::string& seen) {
        seen = "foreground=" + ParseWindow(Expect({"window"})).fields.at("foreground");
        return seen == "foreground=1";
    });
    Expect({"target-reset"});
    Stroke(form.Centre("ObjectTile"), CentreOf(TargetRect), [] {
        WaitFor("the drag to enter the driver's drop target", DragTimeout, [](std::string& seen) {
            seen = "enters=" + TargetState()["enters"];
            return seen != "enters=0";
        });
        // Keys go to the active window, the program's, which runs the drag.
        Xdotool({"key", "Escape"});
    });

    // The drag that follows is the first to drop.
    Drop got = DragToTarget(form.Centre("SaveFileTile"));
    EXPECT_EQ(got["unicode"], "report.txt");
    EXPECT_EQ(got["drops"], "1") << "the drag went on after Escape";
    EXPECT_EQ(got["enters"], "2");
}

// ---- the drag distance --------------------------------------------------------

using DragDistance = DragDrop;

// A press on ObjectTile, a move, and a release at the end of the move. A
// drag that starts there drops on ObjectTile itself, which then takes the
// trimmed text from its own padded field: that change shows that it started.
TEST_F(DragDistance, OnlyALeftButtonMoveBeyondTheSystemDragDistanceStartsADrag) {
    // The driver runs on the same Wine desktop: the metric it reads is the
    // program's.
    std::vector<std::string> metrics = Expect({"drag-metrics"});
    const int cx = std::stoi(metrics.at(0)), cy = std::stoi(metrics.at(1));
    ASSERT_GT(cx, 0);
    ASSERT_GT(cy, 0);
    // The tile is 22 by 22: the whole move stays on it.
    ASSERT_LT(std::max(cx, cy) + 1, 11) << "the drag distance is too large for this test";

    Expect({"clip-clear"});
    Program vellisk;
    CaptureForm form;
    const std::string padded = "   C:\\Distance\\file.txt   ";
    const std::string trimmed = "C:\\Distance\\file.txt";

    struct Case {
        int dx, dy;
        bool starts;
        const char* button = LeftButton;
    };
    const Case cases[] = {
        {0, 0, false},     {cx, 0, false},     {-cx, 0, false},   {0, cy, false},
        {0, -cy, false},   {cx, cy, false},    {cx + 1, 0, true}, {-cx - 1, 0, true},
        {0, cy + 1, true}, {0, -cy - 1, true}, {cx + 1, cy, true}, {cx + 1, cy + 1, false, RightButton},
    };
    const Point at = form.Centre("ObjectTile");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button == RightButton ? "the right button, " : "") + "a move of " +
                     std::to_string(c.dx) + "," + std::to_string(c.dy));
        form.SetText("ObjectField", padded);
        Stroke(at, {at.x + c.dx, at.y + c.dy}, {}, c.button);
        if (c.starts) {
            WaitFor("ObjectField to take the text dropped on its own tile", DragTimeout, [&](std::string& seen) {
                seen = form.Text("ObjectField");
                return seen == trimmed;
            });
        } else {
            // The program handles this drag after the stroke and whatever
            // the stroke started.
            Expect({"target-reset"});
            Drop got = DragToTarget(at);
            EXPECT_EQ(got["unicode"], trimmed);
            EXPECT_EQ(form.Text("ObjectField"), padded) << "the stroke started a drag";
        }
        if (HasFailure()) return;
    }
}

// ---- dropping in --------------------------------------------------------------

using DropIn = DragDrop;

const std::string FirstPath = "C:\\Drop Test\\first file.txt";
const std::string ThreePaths = FirstPath + "\nC:\\Drop Test\\second.txt\nD:\\elsewhere\\third.doc";
const std::string Lines = "\u041f\u0435\u0440\u0432\u0430\u044f \u0441\u0442\u0440\u043e\u043a\u0430\r\n  second "
                          "line  \r\nthird\r\n";
const std::string Latin1 = "Gr\u00fc\u00dfe caf\u00e9.txt";
const std::string Unicode = "from Unicode \u042e";

// A CF_HDROP block made by hand: the DROPFILES header (the list's offset, a
// point, two flags), then `list` as it is, in hexadecimal for the driver.
std::string DropFilesHex(uint32_t offset, bool wide, const std::string& list) {
    std::string bytes;
    auto add32 = [&bytes](uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    add32(offset);
    add32(0);
    add32(0);
    add32(0);
    add32(wide ? 1 : 0);
    bytes += list;
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// ASCII as UTF-16LE code units.
std::string Wide(const std::string& ascii) {
    std::string units;
    for (char c : ascii) {
        units += c;
        units += '\0';
    }
    return units;
}

const std::string EnormousText = std::string(1 << 20, 'e');

struct DropCase {
    const char* name;
    const char* tile;
    int effects;
    std::vector<Item> items;
    const char* changes; // the field, or "clipboard", that the drop sets
    std::string value;
};

// Every field and the clipboard hold a marker of their own first, so that a
// change anywhere else shows.
Snapshot Mark(const CaptureForm& form) {
    for (const char* field : {"ObjectField", "PathField", "FileNameField"})
        form.SetText(field, std::string(field) + " marker");
    Expect({"clip-set", "clipboard marker"});
    return form.Shown();
}

TEST_F(DropIn, FilesAndTextReachTheTilesAsCopies) {
    Expect({"clip-clear"});
    Program vellisk;
    CaptureForm form;

    const DropCase cases[] = {
        {"files onto ObjectTile", "ObjectTile", 1, {{"files", ThreePaths}}, "ObjectField", FirstPath},
        {"files onto PathTile", "PathTile", 1, {{"files", ThreePaths}}, "PathField", "C:\\Drop Test\\"},
        {"files onto FileNameTile", "FileNameTile", 1, {{"files", ThreePaths}}, "FileNameField", "first file.txt"},
        {"files onto ClipTile", "ClipTile", 1, {{"files", ThreePaths}}, "clipboard", FirstPath},
        {"an empty file list", "PathTile", 1, {{"files", ""}}, "PathField", ""},
        {"lines of text onto ObjectTile", "ObjectTile", 1, {{"unicode", Lines}}, "ObjectField", Lines},
        {"lines of text onto ClipTile", "ClipTile", 1, {{"unicode", Lines}}, "clipboard", Lines},
        {"a path as text onto PathTile", "PathTile", 1, {{"unicode", FirstPath}}, "PathField", "C:\\Drop Test\\"},
        {"text and files: the files win", "ObjectTile", 1,
         {{"unicode", "the text"}, {"ansi", "the text"}, {"files", ThreePaths}}, "ObjectField", FirstPath},
        {"ANSI text only", "ObjectTile", 1, {{"ansi", Latin1}}, "ObjectField", Latin1},
        {"OEM text only", "FileNameTile", 1, {{"oem", Latin1}}, "FileNameField", Latin1},
        {"ANSI and Unicode: Unicode wins", "ObjectTile", 1, {{"ansi", "from ANSI"}, {"unicode", Unicode}},
         "ObjectField", Unicode},
        {"ANSI and OEM: OEM wins", "ObjectTile", 1, {{"ansi", "from ANSI"}, {"oem", "from OEM"}}, "ObjectField",
         "from OEM"},
        {"copying, moving or linking allowed", "ClipTile", 7, {{"unicode", "any"}}, "clipboard", "any"},
        // Data that is not as it should be is read as far as it goes.
        {"text without its NUL", "ObjectTile", 1, {{"unterminated", "no NUL at the end"}}, "ObjectField",
         "no NUL at the end"},
        {"an empty text", "ClipTile", 1, {{"unicode", ""}}, "clipboard", ""},
        {"a text of 1 Mi units", "ClipTile", 1, {{"unicode", EnormousText}}, "clipboard", EnormousText},
        {"a file list that starts beyond its block", "PathTile", 1,
         {{"raw-files", DropFilesHex(0x1000, true, Wide("C:\\x\\y.txt") + std::string(4, '\0'))}}, "PathField", ""},
        {"a file list shorter than its header", "ObjectTile", 1, {{"raw-files", "14000000"}}, "ObjectField", ""},
        {"a file list without terminators", "FileNameTile", 1,
         {{"raw-files", DropFilesHex(20, true, Wide("C:\\x\\last.txt"))}}, "FileNameField", "last.txt"},
        {"a file list in ANSI", "ObjectTile", 1,
         {{"raw-files", DropFilesHex(20, false, std::string("C:\\ansi\\a.txt\0C:\\b.txt\0\0", 24))}},
         "ObjectField", "C:\\ansi\\a.txt"},
    };
    for (const DropCase& c : cases) {
        SCOPED_TRACE(c.name);
        Snapshot expected = Mark(form);
        expected[c.changes] = c.value;
        SourceResult result = DragFromSource(form.Centre(c.tile), c.effects, c.items);
        EXPECT_EQ(result.outcome, "drop");
        EXPECT_EQ(result.effect, "0x1") << "the tile reports a copy";
        WaitForShown(form, expected, std::string("the drop to set ") + c.changes + " alone");
        if (HasFailure()) return;
    }
}

TEST_F(DropIn, RefusesWhatItCannotCopyAndSaveFileTileRefusesEverything) {
    Expect({"clip-clear"});
    Program vellisk;
    CaptureForm form;

    struct Case {
        const char* name;
        const char* tile;
        int effects;
        std::vector<Item> items;
    };
    const Case cases[] = {
        {"text that may only be moved", "ObjectTile", 2, {{"unicode", "moved text"}}},
        {"files that may only be moved", "PathTile", 2, {{"files", ThreePaths}}},
        {"text that may only be moved or linked", "ClipTile", 6, {{"unicode", "moved text"}}},
        {"a format no tile takes", "ObjectTile", 1, {{"html", "<b>bold</b>"}}},
        {"text onto SaveFileTile", "SaveFileTile", 1, {{"unicode", "C:\\x\\y.txt"}}},
        {"files onto SaveFileTile", "SaveFileTile", 7, {{"files", ThreePaths}}},
        {"text whose data cannot be read", "ObjectTile", 1, {{"unreadable-text", ""}}},
        {"files whose data cannot be read", "PathTile", 1, {{"unreadable-files", ""}}},
    };
    int sentinel = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Snapshot before = Mark(form);
        SourceResult result = DragFromSource(form.Centre(c.tile), c.effects, c.items);
        EXPECT_EQ(result.effect, "0x0") << "refused: no effect (the drag ended with " << result.outcome << ")";

        // A drop that is accepted, after the refused one.
        std::string name = "sentinel " + std::to_string(++sentinel);
        Snapshot expected = before;
        expected["FileNameField"] = name;
        SourceResult accepted = DragFromSource(form.Centre("FileNameTile"), 1, {{"unicode", name}});
        EXPECT_EQ(accepted.effect, "0x1");
        WaitForShown(form, expected, "the accepted drop alone to have changed the form");
        if (HasFailure()) return;
    }
}

// ---- from one of the program's tiles onto another -----------------------------

using OwnTiles = DragDrop;

TEST_F(OwnTiles, ADragFromOneTileOntoAnotherIsDelivered) {
    Expect({"clip-set", "  clip text, spaces kept  "});
    Program vellisk({"C:\\Own Test\\Quarterly Plan.docx"});
    CaptureForm form;
    ASSERT_EQ(form.Text("SaveFileField"), "quarterly_plan.docx.txt");

    struct Case {
        const char* from;
        const char* to;
        const char* changes;
        std::string value;
    };
    const Case cases[] = {
        {"SaveFileTile", "FileNameTile", "FileNameField", "quarterly_plan.docx.txt"},
        {"ObjectTile", "PathTile", "PathField", "C:\\Own Test\\"},
        // The clipboard goes out untrimmed and ObjectField takes it as it is;
        // ObjectTile then gives it trimmed.
        {"ClipTile", "ObjectTile", "ObjectField", "  clip text, spaces kept  "},
        {"ObjectTile", "ClipTile", "clipboard", "clip text, spaces kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " onto " + c.to);
        for (const char* field : {"PathField", "FileNameField"}) form.SetText(field, std::string(field) + " marker");
        Snapshot expected = form.Shown();
        expected[c.changes] = c.value;
        Stroke(form.Centre(c.from), form.Centre(c.to));
        WaitForShown(form, expected, std::string("the drop to set ") + c.changes + " alone");
        if (HasFailure()) return;
    }
}

} // namespace
} // namespace e2e
