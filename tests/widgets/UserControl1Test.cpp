#include "TestApp.h"
#include "widgets/UserControl1.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace tarrowin;

namespace {

cFileIcon iconOf(std::initializer_list<std::pair<int, int>> sizesAndBits) {
    cFileIcon icon;
    for (auto [size, bits] : sizesAndBits) icon.AddImages(size, size, bits);
    return icon;
}

// A grid of 16, 32 and 48 pixel images; enough images to scroll when asked.
struct Grid {
    UserControl1 grid;
    explicit Grid(int height = 400, int copies = 1) {
        test::app();
        cFileIcon icon;
        for (int c = 0; c < copies; ++c)
            for (int s : {16, 32, 48}) icon.AddImages(s, s, c == 0 ? 8 : (c == 1 ? 4 : 24));
        grid.resize(120, height);
        grid.Init(icon);
    }
    QList<int> selected() const {
        QList<int> s;
        for (int i = 1; i <= grid.ItemCount(); ++i)
            if (grid.Selected(i)) s << i;
        return s;
    }
};

} // namespace

TEST(UserControl1, CellsStackWithoutGaps) {
    Grid g;
    const int th = g.grid.textHeight();
    ASSERT_GT(th, 0);
    ASSERT_EQ(g.grid.ItemCount(), 3);
    EXPECT_EQ(g.grid.cell(1).top, 0);
    EXPECT_EQ(g.grid.cell(2).top, th + 16 + 6);
    EXPECT_EQ(g.grid.cell(3).top, th + 16 + 6 + th + 32 + 6);
    EXPECT_EQ(g.grid.totalHeight(), 3 * (th + 6) + 96);
    EXPECT_FALSE(g.grid.barShown());
    EXPECT_FALSE(g.grid.Selected(1));
    EXPECT_FALSE(g.grid.Selected(0));
    EXPECT_FALSE(g.grid.Selected(4));
}

TEST(UserControl1, ScrollBarRangeAndPage) {
    Grid g(100);
    const int t = g.grid.totalHeight();
    ASSERT_TRUE(g.grid.barShown());
    EXPECT_EQ(g.grid.scrollBar()->maximum(), t - 100);
    EXPECT_EQ(g.grid.scrollBar()->pageStep(), (t / (t - 100) + 1) * 100);
    EXPECT_EQ(g.grid.scrollBar()->singleStep(), 8);
    g.grid.resize(120, t + 5);
    g.grid.Draw();
    EXPECT_FALSE(g.grid.barShown());
}

TEST(UserControl1, MouseSelection) {
    Grid g(2000, 3); // nine cells
    auto click = [&](int cell, int shift) { g.grid.HandleMouseDown(1, shift, 5, g.grid.cell(cell).top); };
    click(5, 0);
    EXPECT_EQ(g.selected(), QList<int>({5}));
    click(2, 1);
    EXPECT_EQ(g.selected(), QList<int>({2, 3, 4, 5})) << "Shift selects from the focused cell";
    click(3, 2);
    EXPECT_EQ(g.selected(), QList<int>({2, 4, 5})) << "Ctrl toggles one cell";
    click(3, 3);
    EXPECT_EQ(g.selected(), QList<int>({2, 3, 4, 5})) << "Ctrl+Shift toggles too";
    EXPECT_EQ(g.grid.focusedItem(), 3);

    // The first row of a cell belongs to it, its last row too, the next one not.
    const int top4 = g.grid.cell(4).top;
    g.grid.HandleMouseDown(1, 0, 5, top4 - 1);
    EXPECT_EQ(g.selected(), QList<int>({3}));
    g.grid.HandleMouseDown(1, 0, 5, top4);
    EXPECT_EQ(g.selected(), QList<int>({4}));
    // Right button and a press below the last cell do nothing.
    g.grid.HandleMouseDown(2, 0, 5, g.grid.cell(1).top);
    g.grid.HandleMouseDown(1, 0, 5, g.grid.totalHeight() + 3);
    EXPECT_EQ(g.selected(), QList<int>({4}));
}

TEST(UserControl1, Keyboard) {
    Grid g(2000, 2); // six cells
    g.grid.KeyDown(UserControl1::kKeyDown, 0);
    EXPECT_EQ(g.grid.focusedItem(), 1) << "Down without a focus goes to cell 1";
    EXPECT_EQ(g.selected(), QList<int>({1}));
    g.grid.KeyDown(UserControl1::kKeyDown, 1);
    g.grid.KeyDown(UserControl1::kKeyDown, 1);
    EXPECT_EQ(g.selected(), QList<int>({1, 2, 3}));
    g.grid.KeyDown(UserControl1::kKeyDown, 2);
    EXPECT_EQ(g.grid.focusedItem(), 4);
    EXPECT_EQ(g.selected(), QList<int>({1, 2, 3})) << "Ctrl moves the focus only";
    g.grid.KeyDown(UserControl1::kKeySpace, 0);
    EXPECT_EQ(g.selected(), QList<int>({1, 2, 3, 4}));
    g.grid.KeyDown(UserControl1::kKeyUp, 0);
    EXPECT_EQ(g.selected(), QList<int>({3}));

    g.grid.SetSelected(1, true);
    EXPECT_EQ(g.grid.focusedItem(), 1);
    int draws = g.grid.drawCount();
    g.grid.KeyDown(UserControl1::kKeyUp, 0);
    EXPECT_EQ(g.grid.drawCount(), draws) << "Up on cell 1 does not repaint";
    g.grid.SetSelected(6, false);
    draws = g.grid.drawCount();
    g.grid.KeyDown(UserControl1::kKeyDown, 0);
    EXPECT_EQ(g.grid.drawCount(), draws);
    EXPECT_EQ(g.grid.focusedItem(), 6);

    // A smaller icon afterwards: the focus never names a missing cell.
    g.grid.Init(iconOf({{16, 8}}));
    g.grid.KeyDown(UserControl1::kKeyUp, 1);
    g.grid.KeyDown(UserControl1::kKeySpace, 0);
    g.grid.KeyDown(UserControl1::kKeyDown, 1);
    EXPECT_EQ(g.grid.focusedItem(), 1);
}

TEST(UserControl1, EnsureVisibleScrollsTheCellIn) {
    Grid g(100, 3);
    ASSERT_TRUE(g.grid.barShown());
    const auto& c5 = g.grid.cell(5);
    EXPECT_FALSE(g.grid.EnsureVisible(5));
    EXPECT_EQ(g.grid.scrollBar()->value(), c5.top + c5.height + g.grid.textHeight() + 6 - 100)
        << "bottom meets the client bottom";
    g.grid.EnsureVisible(2);
    EXPECT_EQ(g.grid.scrollBar()->value(), g.grid.cell(2).top) << "top meets the client top";
    const int before = g.grid.scrollBar()->value();
    g.grid.EnsureVisible(2);
    EXPECT_EQ(g.grid.scrollBar()->value(), before);
    // Keyboard moves keep the focused cell in view.
    for (int i = 0; i < 9; ++i) g.grid.KeyDown(UserControl1::kKeyDown, 0);
    EXPECT_EQ(g.grid.scrollBar()->value(), g.grid.scrollBar()->maximum());
}

TEST(UserControl1, CaptionsAndPaint) {
    EXPECT_EQ(UserControl1::captionFor(32, 32, 256), "32 x 32, 256 colours");
    EXPECT_EQ(UserControl1::captionFor(16, 16, 16), "16 x 16, 16 colours");
    EXPECT_EQ(UserControl1::captionFor(32, 32, 16777216), "32 x 32- colours");

    Grid g(300);
    g.grid.SetSelected(2, true);
    const QImage shot = g.grid.grab().toImage();
    const QColor highlight = g.grid.palette().color(QPalette::Highlight);
    EXPECT_EQ(QColor(shot.pixel(1, g.grid.cell(2).top + 1)), highlight);
    EXPECT_NE(QColor(shot.pixel(1, g.grid.cell(1).top + 1)), highlight);

    QImage box(32, 32, QImage::Format_ARGB32_Premultiplied);
    box.fill(Qt::transparent);
    g.grid.Ex_toolbar(box, 99); // no such cell: nothing
    EXPECT_EQ(box.pixel(0, 0), 0u);
}
