#include "ide/SplitDrag.h"

#include <algorithm>

SplitLayout ComputeSplitLayout(int areaTop, int areaBottom, int lowerHeight) {
    SplitLayout layout{};
    layout.mdiTop = areaTop;
    layout.mdiHeight = std::max(0, areaBottom - areaTop - (lowerHeight + kSplitBarHeight));
    layout.barTop = areaBottom - (lowerHeight + kSplitBarHeight);
    layout.lowerTop = areaBottom - lowerHeight;
    layout.lowerHeight = lowerHeight;
    return layout;
}

SplitDragStep DragSplit(int lowerHeight, int mdiTop, int mdiBottom, int dy) {
    const int lower = lowerHeight - dy;
    if (lower < kMinLowerHeight)
        return {kMinLowerHeight, false, mdiBottom};
    if (mdiBottom + dy < mdiTop)
        return {lowerHeight, false, mdiBottom};
    return {lower, true, mdiBottom + dy};
}
