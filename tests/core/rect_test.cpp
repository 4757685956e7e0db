// Rectangle conversions, intersection and union.
#include <gtest/gtest.h>

#include "core/rect.h"

TEST(Rect, IntersectTouchingEdgesIsEmptyAndLeavesFirstUnchanged) {
    TRectLTRB a = {0, 0, 10, 10}, b = {10, 0, 20, 10};
    EXPECT_EQ(RectIntersectLTRB(&a, &b), -1);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.right, 10);
    TRectLTRB c = {0, 10, 5, 12};
    EXPECT_EQ(RectIntersectLTRB(&a, &c), -1);
    EXPECT_EQ(RectIntersectLTRB(nullptr, &c), -1);
}

TEST(Rect, IntersectXYWHClipsToOverlap) {
    TRectXYWH a = {-5, -5, 10, 10}, b = {0, 0, 100, 100};
    EXPECT_EQ(RectIntersectXYWH(&a, &b), 0);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, 5);
    EXPECT_EQ(a.height, 5);
}

TEST(Rect, UnionCountsEmptyRectangles) {
    TRectLTRB a = {2, 2, 4, 4}, b = {10, 1, 10, 1};
    RectUnionLTRB(&a, &b);
    EXPECT_EQ(a.left, 2);
    EXPECT_EQ(a.top, 1);
    EXPECT_EQ(a.right, 10);
    EXPECT_EQ(a.bottom, 4);
    TRectXYWH x = {0, 0, 1, 1}, y = {5, 5, 2, 2};
    RectUnionXYWH(&x, &y);
    EXPECT_EQ(x.width, 7);
    EXPECT_EQ(x.height, 7);
}

TEST(Rect, ConversionsRoundTripAndMissingArgumentsDoNothing) {
    TRectXYWH x = {3, 4, 5, 6};
    TRectLTRB l;
    RectXYWHToLTRB(&l, &x);
    EXPECT_EQ(l.right, 8);
    EXPECT_EQ(l.bottom, 10);
    TRectXYWH back = {};
    RectLTRBToXYWH(&back, &l);
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(RectLTRBToXYWH(&back, nullptr), &back);
    EXPECT_EQ(back.height, 6);
    TPoint p = {1, 2}, q = {1, 2}, r = {2, 1};
    EXPECT_EQ(PointCompare(&p, &q), 0);
    EXPECT_EQ(PointCompare(&p, &r), -1);
    EXPECT_EQ(PointCompare(&p, nullptr), -1);
}
