// Hit testing: every pixel of every layout finds the key whose rectangle holds it, or none.
#include <gtest/gtest.h>

#include "model/panelstate.h"
#include "support/layouts.h"
#include "surface/surface.h"

namespace {

using testsupport::ShownLayout;
const std::vector<ShownLayout> layouts = testsupport::allLayouts();

void use(const ShownLayout &l)
{
    panel.currentLayout = l.layout;
    panel.currentRowBounds = l.rows;
}

const LONG untouched = (LONG)0xDEADBEEF;

KeyRecord *hitAt(LONG x, LONG y, RECT *r)
{
    r->left = x;
    r->top = y;
    r->right = untouched;
    r->bottom = untouched;
    return hitTest(r);
}

TEST(HitTest, EveryPixelFindsTheKeyWhoseRectangleHoldsIt)
{
    for (const ShownLayout &l : layouts) {
        use(l);
        const RowBounds &b = *l.rows;
        for (LONG y = 0; y < b[4]; ++y) {
            int row = 0;
            while (y >= b[row + 1])
                ++row;
            for (LONG x = -3; x < l.width + 3; ++x) {
                // The key whose inclusive rectangle holds (x, y), found from the rectangles alone.
                KeyRecord *expected = nullptr;
                for (KeyRecord *k = (*l.layout)[row]; !isSentinel(*k); ++k)
                    if (k->left <= x && x <= k->right)
                        expected = k;
                RECT r;
                KeyRecord *got = hitAt(x, y, &r);
                ASSERT_EQ(expected, got) << l.name << " at (" << x << ", " << y << ")";
                if (got) {
                    ASSERT_EQ(got->left, r.left) << l.name << " at (" << x << ", " << y << ")";
                    ASSERT_EQ(got->right, r.right);
                    ASSERT_EQ(b[row], r.top);
                    ASSERT_EQ(b[row + 1] - 1, r.bottom);
                } else {
                    ASSERT_EQ(x, r.left) << "a miss rewrote the point";
                    ASSERT_EQ(y, r.top);
                    ASSERT_EQ(untouched, r.right) << "a miss touched the rectangle";
                    ASSERT_EQ(untouched, r.bottom);
                }
            }
        }
    }
}

TEST(HitTest, CornersOfTheFirstKeysAndTheGaps)
{
    use(layouts[0]);
    RECT r;
    EXPECT_EQ(&lowerPortrait[0][0], hitAt(0, 0, &r));
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(47, r.right);
    EXPECT_EQ(62, r.bottom);
    EXPECT_EQ(&lowerPortrait[0][0], hitAt(47, 62, &r));
    KeyRecord *a = hitAt(48, 63, &r);
    ASSERT_TRUE(a);
    EXPECT_EQ(0x61u, a->character);
    EXPECT_EQ(48, r.left);
    EXPECT_EQ(63, r.top);
    EXPECT_EQ(95, r.right);
    EXPECT_EQ(125, r.bottom);
    KeyRecord *space = hitAt(144, 251, &r);
    ASSERT_TRUE(space);
    EXPECT_EQ(0x20u, space->character);
    EXPECT_EQ(space, hitAt(335, 189, &r));

    use(layouts[7]);
    for (LONG x = 512; x <= 543; ++x)
        EXPECT_EQ(nullptr, hitAt(x, 130, &r)) << x;
    KeyRecord *bs = hitAt(544, 108, &r);
    ASSERT_TRUE(bs);
    EXPECT_EQ(0x08, bs->vk);
    EXPECT_EQ(544, r.left);
    EXPECT_EQ(108, r.top);
    EXPECT_EQ(639, r.right);
    EXPECT_EQ(161, r.bottom);
}

TEST(HitTest, TheSentinelStopsTheWalkAtTheRightEdge)
{
    use(layouts[0]);
    RECT r;
    EXPECT_EQ(nullptr, hitAt(480, 10, &r));
    EXPECT_EQ(nullptr, hitAt(100000, 10, &r));
    EXPECT_EQ(nullptr, hitAt(-1, 10, &r));
    EXPECT_EQ(nullptr, hitAt(-100000, 10, &r));
}

} // namespace
