#include <gtest/gtest.h>

#include "shell/platform.h"
#include "support/standin.h"
#include "toolkit/placement.h"

namespace {

using platform::Geometry;

class PlaceRelativeTest : public ::testing::Test {
protected:
    void SetUp() override { standin::Reset(); }

    static int32_t Gadget(Geometry g) { return platform::CreateButton(g.x, g.y, g.width, g.height, u"", 0); }
    static Geometry Where(int32_t gadget) { return standin::Gadget(gadget).geometry; }
};

::testing::AssertionResult SameGeometry(const Geometry& got, const Geometry& want) {
    if (got.x == want.x && got.y == want.y && got.width == want.width && got.height == want.height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.x << "," << got.y << " " << got.width << "x"
                                         << got.height << ", want " << want.x << "," << want.y << " "
                                         << want.width << "x" << want.height;
}

struct PlacementCase {
    const char* name;
    Geometry anchor;
    Geometry target;
    int32_t side;
    double gapX, gapY, widthFactor, heightFactor;
    Geometry expected;
};

constexpr Geometry kAnchor{5, 5, 80, 22};
constexpr Geometry kTarget{5, 5, 5, 22};
// Far from the anchor, so a kept coordinate cannot pass for a computed one.
constexpr Geometry kAway{200, 70, 30, 40};
// Room to the left and above for sides 3 and 4.
constexpr Geometry kRight{200, 100, 80, 22};

const PlacementCase kCases[] = {
    {"below, full size", kAnchor, kTarget, 2, 5.0, 5.0, 1.0, 1.0, {5, 32, 80, 22}},
    {"right, own size", kAnchor, kTarget, 1, 5.0, 5.0, -1.0, -1.0, {90, 5, 5, 22}},
    {"defaults below", kAnchor, kTarget, 2, -2.0, -2.0, -2.0, -2.0, {5, 32, 80, 22}},
    {"defaults right", kAnchor, kAway, 1, -2.0, -2.0, -2.0, -2.0, {90, 5, 80, 22}},
    {"right, gapX -1 keeps x", kAnchor, kAway, 1, -1.0, 5.0, -1.0, -1.0, {200, 5, 30, 40}},
    {"below, gapY -1 keeps y", kAnchor, kAway, 2, 5.0, -1.0, -1.0, -1.0, {5, 70, 30, 40}},
    {"right, gapY -1 keeps y too", kAnchor, kAway, 1, 5.0, -1.0, -1.0, -1.0, {90, 70, 30, 40}},
    {"below, gapX -1 keeps x too", kAnchor, kAway, 2, -1.0, 5.0, -1.0, -1.0, {200, 32, 30, 40}},
    {"half of 45 rounds to even 22", {5, 5, 45, 22}, kTarget, 2, 5.0, 5.0, 0.5, -1.0, {5, 32, 22, 22}},
    {"half of 47 rounds to even 24", {5, 5, 47, 22}, kTarget, 2, 5.0, 5.0, 0.5, -1.0, {5, 32, 24, 22}},
    {"half of 25 high rounds to 12", {5, 5, 80, 25}, kTarget, 1, 5.0, 5.0, -1.0, 0.5, {90, 5, 5, 12}},
    {"factor 1.5", kAnchor, kTarget, 2, 5.0, 5.0, 1.5, 1.5, {5, 32, 120, 33}},
    {"negative gap overlaps", kAnchor, kTarget, 1, -10.0, 5.0, -1.0, -1.0, {75, 5, 5, 22}},
    // Rounded once after the sum: 85.5 -> 86 and 86.5 -> 86; rounding the gap
    // first would give 85 and 87.
    {"gap 0.5 rounded with the sum", kAnchor, kTarget, 1, 0.5, 5.0, -1.0, -1.0, {86, 5, 5, 22}},
    {"gap 1.5 rounded with the sum", kAnchor, kTarget, 1, 1.5, 5.0, -1.0, -1.0, {86, 5, 5, 22}},
    {"a size beyond any coordinate is pinned", kAnchor, kTarget, 2, 5.0, 5.0, 1e12, -1.0, {5, 32, 2147483647, 22}},
    {"side 0 is right", kAnchor, kTarget, 0, 5.0, 5.0, -1.0, -1.0, {90, 5, 5, 22}},
    {"side 9 is right", kAnchor, kTarget, 9, 5.0, 5.0, -1.0, -1.0, {90, 5, 5, 22}},
    {"side -3 is right", kAnchor, kTarget, -3, 5.0, 5.0, -1.0, -1.0, {90, 5, 5, 22}},
    {"left of, full size", kRight, kTarget, 3, 5.0, 5.0, 1.0, 1.0, {115, 100, 80, 22}},
    {"above, full size", kRight, kTarget, 4, 5.0, 5.0, 1.0, 1.0, {200, 73, 80, 22}},
    // Offset by the rounded new width: 200 - 2.5 - 22 = 175.5 -> 176.
    {"left of, rounded width", {200, 100, 45, 22}, kTarget, 3, 2.5, 5.0, 0.5, -1.0, {176, 100, 22, 22}},
    // A kept size is offset by its current value.
    {"left of, own width", kRight, kAway, 3, 5.0, 5.0, -1.0, -1.0, {165, 100, 30, 40}},
    {"above, own height", kRight, kAway, 4, 5.0, 5.0, -1.0, -1.0, {200, 55, 30, 40}},
};

TEST_F(PlaceRelativeTest, PlacesTargetByTable) {
    for (const PlacementCase& c : kCases) {
        SCOPED_TRACE(c.name);
        standin::Reset();
        int32_t anchor = Gadget(c.anchor);
        int32_t target = Gadget(c.target);
        PlaceRelative(anchor, target, c.side, c.gapX, c.gapY, c.widthFactor, c.heightFactor);
        EXPECT_TRUE(SameGeometry(Where(target), c.expected));
        EXPECT_TRUE(SameGeometry(Where(anchor), c.anchor)) << "the anchor moved";
    }
}

TEST_F(PlaceRelativeTest, DefaultsEqualFiveAndOneOnEverySide) {
    const Geometry anchor{100, 90, 37, 23};
    for (int32_t side : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(side);
        standin::Reset();
        int32_t a = Gadget(anchor);
        int32_t byDefault = Gadget(kAway);
        int32_t explicitly = Gadget(kAway);
        PlaceRelative(a, byDefault, side, -2.0, -2.0, -2.0, -2.0);
        PlaceRelative(a, explicitly, side, 5.0, 5.0, 1.0, 1.0);
        EXPECT_TRUE(SameGeometry(Where(byDefault), Where(explicitly)));
        EXPECT_EQ(Where(byDefault).width, 37);
    }
}

TEST_F(PlaceRelativeTest, MissingAnchorOrTargetChangesNothing) {
    int32_t anchor = Gadget(kAnchor);
    int32_t target = Gadget(kAway);
    const int32_t missing = 4242;
    ASSERT_FALSE(platform::GadgetExists(missing));

    const int32_t pairs[][2] = {{0, target}, {missing, target}, {anchor, 0}, {anchor, missing}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(testing::Message() << pair[0] << " -> " << pair[1]);
        PlaceRelative(pair[0], pair[1], 2, 5.0, 5.0, 1.0, 1.0);
        EXPECT_TRUE(SameGeometry(Where(anchor), kAnchor));
        EXPECT_TRUE(SameGeometry(Where(target), kAway));
        EXPECT_EQ(standin::Get().gadgets.size(), 2u);
    }
}

} // namespace
