#pragma once
// The geometry of the sizing bar between the MDI area and the output panel, without any
// window: the frame's layout and the drag rule, so that both can be tested alone.

constexpr int kSplitBarHeight = 5;
constexpr int kInitialLowerHeight = 150;
constexpr int kMinLowerHeight = 25;

// Vertical extents inside the frame's client area; bottoms are exclusive.
struct SplitLayout {
    int mdiTop;
    int mdiHeight;
    int barTop;
    int lowerTop;
    int lowerHeight;
};

// Carves the bar and the lower window out of the bottom of the area the frame gave the
// MDI client. The MDI client never gets a negative height.
SplitLayout ComputeSplitLayout(int areaTop, int areaBottom, int lowerHeight);

struct SplitDragStep {
    int lowerHeight; // the lower window's new height
    bool moved;      // the windows follow the pointer, which becomes the last point
    int mdiBottom;   // the MDI client's new bottom
};

// One mouse move of a drag by dy pixels (positive: downwards). The lower window keeps at
// least kMinLowerHeight; the MDI client's bottom never passes above its top.
SplitDragStep DragSplit(int lowerHeight, int mdiTop, int mdiBottom, int dy);
