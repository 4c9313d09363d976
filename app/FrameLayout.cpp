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
    placed.reserve(needs.size());
    int k = 0;
    for (const QSize& need : needs) {
        const QSize size = need.boundedTo(area).expandedTo(QSize(1, 1));
        QPoint at(k * step, k * step);
        if (k > 0 && (at.x() + size.width() > area.width() || at.y() + size.height() > area.height())) {
            k = 0;
            at = QPoint(0, 0);
        }
        placed.emplace_back(at, size);
        ++k;
    }
    return placed;
}

std::vector<QRect> TileLayout(const QSize& area, const std::vector<QSize>& needs)
{
    std::vector<QRect> placed;
    const int n = int(needs.size());
    if (n == 0)
        return placed;
    const int columns = std::max(1, int(std::ceil(std::sqrt(double(n)))));
    const int rows = (n + columns - 1) / columns;
    const int cellWidth = std::max(1, area.width() / columns);
    const int cellHeight = std::max(1, area.height() / rows);
    placed.reserve(needs.size());
    for (int i = 0; i < n; ++i) {
        const QSize need = needs[size_t(i)].boundedTo(area);
        const QSize size(std::max(cellWidth, need.width()), std::max(cellHeight, need.height()));
        const int x = std::max(0, std::min((i % columns) * cellWidth, area.width() - size.width()));
        const int y = std::max(0, std::min((i / columns) * cellHeight, area.height() - size.height()));
        placed.emplace_back(QPoint(x, y), size);
    }
    return placed;
}
