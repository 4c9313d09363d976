#pragma once
// The sizes of document windows, as plain arithmetic on sizes and
// rectangles: the size a new window asks for, the split between its tree and
// picture columns, and where Cascade and Tile put the windows.

#include <QRect>
#include <QSize>

#include <vector>

// The narrowest tree column a resize leaves, pixels.
inline constexpr int kMinTreeColumn = 5;
// The tree never gets less than its widest label, up to this share of the window.
inline constexpr int kLabelColumnShareDivisor = 3;

// The window's first outer size: width 3 x scroll-bar width + (thumb + 2) x
// maxLevel + trunc(1.1 x displayWidth), height 2 x caption height + trunc(1.1
// x displayHeight). The display sizes count as unsigned.
QSize ChildFrameInitialSize(int scrollBarWidth, int captionHeight, int thumbSize, int maxLevel,
                            unsigned displayWidth, unsigned displayHeight);

// trunc(1.1 x side), within what a window can be.
int TruncTenPercentMore(unsigned side);

// What the column split is computed from.
struct ColumnInputs {
    int width = 0;             // the window's client size
    int height = 0;
    int thumbSize = 0;
    QSize labelExtent;         // bounding size of the visible labels
    int labelNeed = 0;         // tree width that shows the widest visible label whole
    unsigned displayWidth = 0;
    int scrollBarWidth = 0;
    int userTree = -1;         // the tree width the person set by the splitter; -1: none
};

struct SplitterColumns {
    int tree;
    int picture;
};

// The columns after a resize. Without a width set by the person: tree g =
// thumb + labels width + 70 (+ scroll-bar width when the height is less than
// thumb + labels height), picture h = trunc(1.1 x displayWidth); a narrow
// window gives the tree width - h, but never less than its widest label (up
// to a third of the width) nor less than 5, and the picture the rest. A width
// set by the person is kept, within 5 and width - 5.
SplitterColumns ChildFrameColumns(const ColumnInputs& in);

// Cascade: window i at i steps down and right of the corner, at the size it
// needs where the area allows. A run of windows stays inside the area (each
// at least half of it, and smaller than it needs where the steps ask for
// room); more windows than a run holds start a new run from the corner.
// needs are outer sizes.
std::vector<QRect> CascadeLayout(const QSize& area, const std::vector<QSize>& needs, int step);

// Tile: a grid of about as many columns as rows that covers the area; each
// window fills its cell exactly and overlaps none (a picture larger than its
// pane scrolls).
std::vector<QRect> TileLayout(const QSize& area, int count);
