#include "FrameLayout.h"

#include "views/TreeItems.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
// Sizes a window can take without overflowing the arithmetic of the window system.
constexpr std::int64_t kMaxFrameSide = 32767;
}  // namespace

int TruncTenPercentMore(unsigned side)
{
    return int(std::min<std::int64_t>(std::int64_t(1.1 * double(side)), kMaxFrameSide));
}

QSize ChildFrameInitialSize(int scrollBarWidth, int captionHeight, int thumbSize, int maxLevel,
                            unsigned displayWidth, unsigned displayHeight)
{
    const std::int64_t width = std::int64_t(3) * scrollBarWidth + std::int64_t(thumbSize + 2) * maxLevel +
                               TruncTenPercentMore(displayWidth);
    const std::int64_t height = std::int64_t(2) * captionHeight + TruncTenPercentMore(displayHeight);
    return QSize(int(std::clamp<std::int64_t>(width, 0, kMaxFrameSide)),
                 int(std::clamp<std::int64_t>(height, 0, kMaxFrameSide)));
}

SplitterColumns ChildFrameColumns(const ColumnInputs& in)
{
    if (in.userTree >= 0) {
        const int g = std::clamp(in.userTree, kMinTreeColumn, std::max(kMinTreeColumn, in.width - kMinTreeColumn));
        return {g, in.width - g};
    }
    int g = in.thumbSize + in.labelExtent.width() + kTreeLabelMargin;
    if (in.height < in.thumbSize + in.labelExtent.height())
        g += in.scrollBarWidth;
    int h = TruncTenPercentMore(in.displayWidth);
    if (in.width < g + h)
        g = in.width - h;
    // The labels stay readable: the picture column gives way first.
    const int labelFloor = std::min(in.labelNeed, in.width / kLabelColumnShareDivisor);
    if (g < labelFloor) {
        g = labelFloor;
        h = in.width - g;
    }
    if (g < kMinTreeColumn) {
        g = kMinTreeColumn;
        h = in.width - kMinTreeColumn;
    }
    return {g, h};
}

std::vector<QRect> CascadeLayout(const QSize& area, const std::vector<QSize>& needs, int step)
{
    std::vector<QRect> placed;
    const int n = int(needs.size());
    if (n == 0)
        return placed;
    step = std::max(1, step);
    // One run holds as many windows as fit with each at least half the area;
    // every window of a run is small enough for the whole run to stay inside
    // the area, so that no window hides another's title bar.
    const int maxSteps = std::max(0, std::min((area.width() - area.width() / 2) / step,
                                              (area.height() - area.height() / 2) / step));
    const int run = std::min(n, maxSteps + 1);
    const QSize room(std::max(1, area.width() - (run - 1) * step), std::max(1, area.height() - (run - 1) * step));
    placed.reserve(needs.size());
    for (int i = 0; i < n; ++i) {
        const int k = i % run;
        placed.emplace_back(QPoint(k * step, k * step), needs[size_t(i)].boundedTo(room).expandedTo(QSize(1, 1)));
    }
    return placed;
}

std::vector<QRect> TileLayout(const QSize& area, int count)
{
    std::vector<QRect> placed;
    if (count <= 0)
        return placed;
    const int columns = std::max(1, int(std::ceil(std::sqrt(double(count)))));
    const int rows = (count + columns - 1) / columns;
    placed.reserve(size_t(count));
    // Cells share the area exactly; the last row's fewer windows share its whole width.
    for (int i = 0; i < count; ++i) {
        const int row = i / columns;
        const int inRow = row == rows - 1 ? count - row * columns : columns;
        const int col = i % columns;
        const int x0 = col * area.width() / inRow;
        const int x1 = (col + 1) * area.width() / inRow;
        const int y0 = row * area.height() / rows;
        const int y1 = (row + 1) * area.height() / rows;
        placed.emplace_back(QPoint(x0, y0), QSize(std::max(1, x1 - x0), std::max(1, y1 - y0)));
    }
    return placed;
}
