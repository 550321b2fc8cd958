#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/window.h"
#include "support/standin.h"
#include "toolkit/gadgets.h"
#include "toolkit/tiles.h"

namespace {

using platform::Geometry;

// What the providers and receivers saw.
struct Received {
    int32_t tile;
    Text text;
    int32_t dropKind; // LastDropKind while the receiver ran
};
std::vector<int32_t> provided;
std::vector<Received> received;
Text providerText;

Text Provide(int32_t tile) {
    provided.push_back(tile);
    return providerText;
}
void Receive(int32_t tile, TextView text) { received.push_back({tile, Text(text), LastDropKind}); }
void Nothing() {}
int clicks = 0;
int Click(int32_t) { return ++clicks, 0; }

Text Key(int32_t number) {
    std::string digits = std::to_string(number);
    return Text(digits.begin(), digits.end());
}

class TilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::Reset();
        WindowSettings = WindowSettingsRecord{};
        ResetGadgetActionMap();
        ResetTileRegistry();
        provided.clear();
        received.clear();
        providerText = u"value";
        clicks = 0;
    }

    static int32_t Anchor(Geometry g) { return platform::CreateButton(g.x, g.y, g.width, g.height, u"", 0); }
    static Geometry Where(int32_t gadget) { return standin::Gadget(gadget).geometry; }
    static int32_t Tile() { return CreateTile(10, 10, 0, 0, Provide, Receive, u"T"); }

    static void Event(int32_t gadget, int32_t type, int32_t dropKind) {
        WindowSettings.EventGadget = gadget;
        WindowSettings.EventType = type;
        WindowSettings.EventDropKind = dropKind;
        DispatchTileEvents();
    }

    static size_t ImageGadgets() {
        size_t n = 0;
        for (const auto& [number, record] : standin::Get().gadgets) n += record.kind == standin::GadgetKind::Image;
        return n;
    }
};

TEST_F(TilesTest, MakeTileStandsBesideItsAnchor) {
    struct Case {
        int32_t anchorHeight, height, width, dx, dy;
        Geometry expected;
    };
    // Anchor at 20, 30, 80 wide.
    const Case cases[] = {
        {19, 0, 0, 5, 0, {105, 30, 40, 22}},  {20, 0, 0, 5, 0, {105, 30, 40, 20}},
        {44, 0, 0, 5, 0, {105, 30, 40, 44}},  {45, 0, 0, 5, 0, {105, 30, 40, 22}},
        {19, 30, 0, 5, 0, {105, 30, 40, 30}}, {22, 0, 17, 5, 2, {105, 32, 17, 22}},
        {22, 0, 0, -80, 0, {20, 30, 40, 22}}, {22, 0, 0, -10, -4, {90, 26, 40, 22}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "anchor height " << c.anchorHeight << " dx " << c.dx);
        int32_t anchor = Anchor({20, 30, 80, c.anchorHeight});
        int32_t tile = MakeTile(anchor, Provide, Receive, u"T", c.dx, c.dy, c.width, c.height);
        ASSERT_NE(tile, 0);
        EXPECT_EQ(LastTile, tile);
        const Geometry g = Where(tile);
        EXPECT_EQ(g.x, c.expected.x);
        EXPECT_EQ(g.y, c.expected.y);
        EXPECT_EQ(g.width, c.expected.width);
        EXPECT_EQ(g.height, c.expected.height);
        const standin::ImageRecord& image = standin::Get().images.at(standin::Gadget(tile).image);
        EXPECT_EQ(image.width, c.expected.width);
        EXPECT_EQ(image.height, c.expected.height);
    }
}

TEST_F(TilesTest, MakeTileWithoutAnchorMakesNothing) {
    int32_t first = Tile();
    const size_t gadgets = standin::Get().gadgets.size();
    for (int32_t anchor : {0, 4242}) {
        EXPECT_EQ(MakeTile(anchor, Provide, Receive, u"T", 5, 0, 0, 0), 0);
        EXPECT_EQ(LastTile, first);
        EXPECT_EQ(TileMap.size(), 1u);
        EXPECT_EQ(standin::Get().gadgets.size(), gadgets);
    }
    // The drop enabling that follows still addresses the tile made before.
    EnableTileDrop(-1, DropFormatText, DropActionCopy);
    EXPECT_EQ(standin::Gadget(first).dropFormats.count(DropFormatText), 1u);
}

TEST_F(TilesTest, CreateTileDrawsCaptionAndStoresEntry) {
    for (Text caption : {Text(u"Clip"), Text()}) {
        SCOPED_TRACE(std::string(caption.begin(), caption.end()));
        int32_t tile = CreateTile(7, 8, 0, 0, Provide, Receive, caption);
        ASSERT_NE(tile, 0);
        const standin::GadgetRecord& gadget = standin::Gadget(tile);
        EXPECT_EQ(gadget.kind, standin::GadgetKind::Image);
        EXPECT_EQ(gadget.geometry.x, 7);
        EXPECT_EQ(gadget.geometry.y, 8);
        EXPECT_EQ(gadget.geometry.width, 40);
        EXPECT_EQ(gadget.geometry.height, 22);
        EXPECT_EQ(gadget.toolTip, u"Drag&Drop");

        const standin::ImageRecord& image = standin::Get().images.at(gadget.image);
        EXPECT_EQ(image.width, 40);
        EXPECT_EQ(image.height, 22);
        ASSERT_EQ(image.drawn.size(), 1u);
        const auto& drawn = image.drawn[0];
        EXPECT_EQ(drawn.x, 5);
        EXPECT_EQ(drawn.y, 3);
        EXPECT_EQ(drawn.text, caption.empty() ? Text(u"Drag") : caption);
        EXPECT_EQ(drawn.red, 196);
        EXPECT_EQ(drawn.green, 200);
        EXPECT_EQ(drawn.blue, 196);
        EXPECT_TRUE(drawn.transparent);
        EXPECT_EQ(standin::Get().drawingImage, 0) << "drawing was not stopped";

        const TileEntry& entry = TileMap.at(Key(tile));
        EXPECT_EQ(entry.tile, tile);
        EXPECT_EQ(entry.image, gadget.image);
        EXPECT_EQ(entry.provider, &Provide);
        EXPECT_EQ(entry.receiver, &Receive);
        EXPECT_EQ(LastTile, tile);
    }
    // A tile is no gadget with an action.
    EXPECT_TRUE(GadgetActionMap.empty());
}

TEST_F(TilesTest, EnableTileDropAddressesLastOrGivenTile) {
    int32_t first = Tile();
    int32_t second = Tile();
    EnableTileDrop(-1, DropFormatText, DropActionCopy);
    EnableTileDrop(-1, DropFormatFiles, DropActionCopy);
    EnableTileDrop(first, DropFormatFiles, 3);
    EXPECT_EQ(standin::Gadget(second).dropOrder, (std::vector<int32_t>{DropFormatText, DropFormatFiles}));
    EXPECT_EQ(standin::Gadget(second).dropFormats.at(DropFormatFiles), DropActionCopy);
    EXPECT_EQ(standin::Gadget(first).dropOrder, (std::vector<int32_t>{DropFormatFiles}));
    EXPECT_EQ(standin::Gadget(first).dropFormats.at(DropFormatFiles), 3);
}

TEST_F(TilesTest, FailedTileIsStoredUnderZeroAndNeverActedUpon) {
    struct Road {
        const char* name;
        bool images, drawing, gadgets;
        bool imageMade;
    };
    const Road roads[] = {
        {"image cannot be made", true, false, false, false},
        {"drawing cannot start", false, true, false, true},
        {"image gadget cannot be made", false, false, true, true},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        SetUp();
        // A good tile first: a drop enabling after the failure must not reach it.
        int32_t good = Tile();
        standin::Get().imagesFail = road.images;
        standin::Get().drawingFails = road.drawing;
        standin::Get().gadgetsFail = road.gadgets;

        EXPECT_EQ(CreateTile(10, 10, 0, 0, Provide, Receive, u"X"), 0);
        EXPECT_EQ(LastTile, 0);
        EXPECT_EQ(ImageGadgets(), 1u);
        ASSERT_EQ(TileMap.count(u"0"), 1u);
        const TileEntry& entry = TileMap.at(u"0");
        EXPECT_EQ(entry.tile, 0);
        EXPECT_EQ(entry.image != 0, road.imageMade);
        EXPECT_EQ(entry.receiver, &Receive);

        EnableTileDrop(-1, DropFormatText, DropActionCopy);
        EXPECT_TRUE(standin::Gadget(good).dropFormats.empty());

        standin::Get().droppedText = u"dropped";
        Event(0, DragStartEventType, 0);
        Event(0, 0, DropFormatText);
        Event(0, 0, DropFormatFiles);
        EXPECT_TRUE(provided.empty());
        EXPECT_TRUE(received.empty());
        EXPECT_TRUE(standin::Get().drags.empty());
        EXPECT_EQ(LastDropKind, 0);
    }
}

TEST_F(TilesTest, DragStartDragsTheProvidersTextWhenNotEmpty) {
    int32_t tile = Tile();
    int32_t other = Tile();
    int32_t mute = CreateTile(10, 10, 0, 0, nullptr, Receive, u"");

    providerText = u"C:\\a b\\c.txt";
    Event(tile, DragStartEventType, 0);
    EXPECT_EQ(provided, (std::vector<int32_t>{tile}));
    EXPECT_EQ(standin::Get().drags, (std::vector<Text>{u"C:\\a b\\c.txt"}));

    providerText.clear();
    Event(other, DragStartEventType, 0);
    EXPECT_EQ(provided, (std::vector<int32_t>{tile, other}));
    EXPECT_EQ(standin::Get().drags.size(), 1u) << "an empty text must start no drag";

    // Without a provider, for other gadgets and for other event types: nothing.
    providerText = u"x";
    int32_t button = Anchor({0, 0, 10, 10});
    Event(mute, DragStartEventType, 0);
    Event(button, DragStartEventType, 0);
    Event(tile, ClickEventType, 0);
    Event(tile, 0x203, 0);
    EXPECT_EQ(provided.size(), 2u);
    EXPECT_EQ(standin::Get().drags.size(), 1u);
}

TEST_F(TilesTest, DropsReachTheReceiverWithTheirKindSetBeforehand) {
    int32_t tile = Tile();
    int32_t deaf = CreateTile(10, 10, 0, 0, Provide, nullptr, u"");
    standin::Get().droppedText = u"some text";
    standin::Get().droppedFiles = u"C:\\one.txt\nC:\\two.txt";

    Event(tile, 0, DropFormatText);
    Event(tile, 0, DropFormatFiles);
    Event(tile, 0, DropFormatText);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].tile, tile);
    EXPECT_EQ(received[0].text, u"some text");
    EXPECT_EQ(received[0].dropKind, DropFormatText);
    EXPECT_EQ(received[1].text, u"C:\\one.txt\nC:\\two.txt");
    EXPECT_EQ(received[1].dropKind, DropFormatFiles);
    EXPECT_EQ(received[2].dropKind, DropFormatText);

    // Other formats, tiles without a receiver and other gadgets: nothing, and
    // the kind of the last delivered drop stays.
    Event(tile, DropFormatFiles, 0);
    Event(tile, 0, 13);
    Event(tile, 0, 0);
    Event(deaf, 0, DropFormatFiles);
    Event(Anchor({0, 0, 10, 10}), 0, DropFormatFiles);
    Event(4242, 0, DropFormatFiles);
    EXPECT_EQ(received.size(), 3u);
    EXPECT_EQ(LastDropKind, DropFormatText);
    EXPECT_TRUE(provided.empty());
}

TEST_F(TilesTest, EventLoopCarriesDragsAndDropsToTheTileOnly) {
    RegisterGadgetActions();
    int32_t button = MakeGadget(ButtonKind, 0, 0, 0, 0, Click, u"B", 0);
    RegisterTileEvents();
    ASSERT_EQ(WindowSettings.EventHooks.size(), 2u);
    int32_t tile = MakeTile(button, Provide, Receive, u"", 5, 0, 0, 0);
    EnableTileDrop(-1, DropFormatText, DropActionCopy);

    WindowSettings.WindowHandle = 1;
    WindowSettings.OnEachEvent = Nothing;
    standin::Get().droppedText = u"in";
    standin::QueueEvent(GadgetEvent, tile, DragStartEventType);
    standin::QueueEvent(GadgetDropEvent, tile, 0, DropFormatText);
    standin::QueueClick(tile);
    EXPECT_THROW(RunEventLoop(), standin::NoMoreEvents);

    EXPECT_EQ(provided, (std::vector<int32_t>{tile}));
    EXPECT_EQ(standin::Get().drags, (std::vector<Text>{u"value"}));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].text, u"in");
    EXPECT_EQ(clicks, 0) << "a tile event reached a gadget action";
}

} // namespace
