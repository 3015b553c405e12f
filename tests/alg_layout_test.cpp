#include <gtest/gtest.h>

#include <tuple>

#include "messages/alg_layout.h"
#include "runtime/runtime_error.h"

using namespace zelk;

namespace {
// top, left, height, width
std::tuple<long, long, long, long> place(const AlgPlacement& p) { return {p.top, p.left, p.height, p.width}; }
std::tuple<long, long, long, long> place(const AlgTextRect& t) { return {t.top, t.left, t.height, t.width}; }
}  // namespace

TEST(AlgLayout, RepositionPlacesTheScreenAtTheBottomOfTheInnerArea) {
    AlgLayout layout;
    AlgPlacement p = layout.Reposition(Variant("50%"), Variant("Bottom"), false, 6000, 9000);
    EXPECT_EQ(place(p), std::tuple(3000, 0, 3000, 8990));
    EXPECT_EQ(p.state, WindowState::Normal);
    EXPECT_FALSE(p.setFocus);

    p = layout.Reposition(Variant(std::int32_t{1500}), Variant("Bottom"), true, 6000, 9000);
    EXPECT_EQ(place(p), std::tuple(4500, 0, 1500, 8990));
    EXPECT_TRUE(p.setFocus);
    // A text without "%".
    EXPECT_EQ(place(layout.Reposition(Variant("1500"), Variant(), false, 6000, 9000)), std::tuple(3000, 0, 3000, 8990));
    EXPECT_EQ(place(layout.Reposition(Variant("100%"), Variant("Bottom"), false, 6001, 9000)),
              std::tuple(0, 0, 6001, 8990));
    // Whole parts, rounded down; the width never negative.
    EXPECT_EQ(place(layout.Reposition(Variant("33%"), Variant(), false, 1000, 5)), std::tuple(670, 0, 330, 0));
    EXPECT_EQ(layout.Reposition(Variant::null(), Variant(), false, 1000, 100).height, 500);
    EXPECT_EQ(layout.SavedPosition, Variant());
}

TEST(AlgLayout, RestoredFromMinimizedTheScreenGetsItsPlaceBack) {
    AlgLayout layout;
    layout.Reposition(Variant("40%"), Variant("Bottom"), false, 5000, 8000);

    auto r = layout.Resize(WindowState::Normal, 5000, 8000, 7000, 2000);
    EXPECT_FALSE(r.placement);  // not minimized before: nothing moves
    ASSERT_TRUE(r.text);

    r = layout.Resize(WindowState::Minimized, 5000, 8000, 7000, 2000);
    EXPECT_FALSE(r.placement);
    EXPECT_FALSE(r.text);  // no layout while minimized

    // Restored in a main window that has grown meanwhile.
    r = layout.Resize(WindowState::Normal, 10000, 8000, 7000, 2000);
    ASSERT_TRUE(r.placement);
    EXPECT_EQ(r.placement->top, 6000);
    EXPECT_EQ(r.placement->height, 4000);
    EXPECT_EQ(layout.SavedHeight, Variant("40%"));

    // Maximized and back is no restore from minimized.
    layout.Resize(WindowState::Maximized, 10000, 8000, 7000, 2000);
    EXPECT_FALSE(layout.Resize(WindowState::Normal, 10000, 8000, 7000, 2000).placement);

    AlgLayout fresh;  // never placed: nothing to restore
    fresh.Resize(WindowState::Minimized, 1, 1, 1, 1);
    EXPECT_FALSE(fresh.Resize(WindowState::Normal, 1, 1, 1, 1).placement);
}

TEST(AlgLayout, TextAreaMarginAndColours) {
    AlgLayout layout;
    auto t = layout.ArrangeAlgText(8000, 3000, WindowState::Normal);
    ASSERT_TRUE(t);
    EXPECT_EQ(layout.TextMargin, 20);  // 8000 / 400
    EXPECT_EQ(place(*t), std::tuple(20, 20, 2960, 7960));
    t = layout.ArrangeAlgText(16000, 3000, WindowState::Maximized, 100);
    EXPECT_EQ(t->top, 120);  // the margin stays once it is set
    EXPECT_EQ(t->width, 15960);

    layout.SetBackColor(Variant(std::int32_t{0xFFFFFF}), Variant(std::int32_t{6710784}), Variant(std::int16_t{90}));
    EXPECT_EQ(layout.TextMargin, 90);
    EXPECT_EQ(layout.TextBackColor, 0xFFFFFFu);
    EXPECT_EQ(layout.MainBackColor, 6710784u);
    t = layout.ArrangeAlgText(1000, 100, WindowState::Normal);
    EXPECT_EQ(t->width, 820);
    EXPECT_EQ(t->height, 0);  // too small: nothing left, never negative

    layout.SetBackColor(Variant(std::int32_t{255}), Variant(std::int32_t{0}));  // margin left out: worked out again
    EXPECT_EQ(layout.TextMargin, 0);
    layout.ArrangeAlgText(4000, 100, WindowState::Minimized);
    EXPECT_EQ(layout.TextMargin, 10);

    EXPECT_THROW(layout.SetBackColor(Variant("rood"), Variant(std::int32_t{0})), RuntimeError);
    EXPECT_THROW(layout.SetBackColor(Variant(std::int32_t{-2}), Variant(std::int32_t{0})), RuntimeError);
    EXPECT_EQ(layout.TextBackColor, 255u);  // a refused call changes nothing
    EXPECT_EQ(layout.TextMargin, 10);
}
