// The sizing bar: the drag rule alone, then dragged with the mouse in a real frame and kept
// as the frame is resized.

#include "IdeTestSupport.h"

#include "ide/SplitBar.h"
#include "ide/SplitDrag.h"

namespace idetest {
namespace {

TEST(SplitDragTest, KeepsThePanelAtLeast25AndTheMdiAreaNeverNegative) {
    struct Case {
        const char* name;
        int lower, mdiTop, mdiBottom, dy;
        SplitDragStep expected;
    };
    const Case cases[] = {
        {"drag up grows the panel", 150, 0, 400, -30, {180, true, 370}},
        {"drag down shrinks the panel", 150, 0, 400, 100, {50, true, 500}},
        {"exactly the minimum", 150, 0, 400, 125, {25, true, 525}},
        {"below the minimum holds 25", 150, 0, 400, 126, {25, false, 400}},
        {"MDI bottom may reach its top", 150, 10, 400, -390, {540, true, 10}},
        {"MDI bottom may not pass its top", 150, 10, 400, -391, {150, false, 400}},
        {"no movement", 60, 0, 100, 0, {60, true, 100}},
    };
    for (const Case& c : cases) {
        const SplitDragStep step = DragSplit(c.lower, c.mdiTop, c.mdiBottom, c.dy);
        EXPECT_EQ(step.lowerHeight, c.expected.lowerHeight) << c.name;
        EXPECT_EQ(step.moved, c.expected.moved) << c.name;
        EXPECT_EQ(step.mdiBottom, c.expected.mdiBottom) << c.name;
    }
    // A window lower than the panel leaves the MDI area no room, not less than none.
    EXPECT_EQ(ComputeSplitLayout(0, 100, 150).mdiHeight, 0);
}

using SplitBarTest = FrameTest;

// Drags to screen rows; the bar moves under the pointer, so every step is placed in
// screen coordinates.
void DragBar(CSplitBar* bar, const std::vector<int>& globalRows) {
    const QPoint start = bar->mapToGlobal(QPoint(20, 2));
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(20, 2));
    for (int row : globalRows)
        QTest::mouseMove(bar, bar->mapFromGlobal(QPoint(start.x(), row)));
    QTest::mouseRelease(bar, Qt::LeftButton, {},
                        bar->mapFromGlobal(QPoint(start.x(), globalRows.back())));
}

TEST_F(SplitBarTest, DraggingFollowsThePointerWithinTheLimits) {
    CSplitBar* bar = frame->SplitBar();
    QWidget* panel = frame->OutputBar();
    QMdiArea* mdi = frame->MdiArea();
    const int top = bar->mapToGlobal(QPoint(0, 2)).y();

    DragBar(bar, {top - 10, top - 50});
    EXPECT_EQ(panel->height(), 200);
    EXPECT_EQ(bar->LowerHeight(), 200);

    DragBar(bar, {top + 1000});
    EXPECT_EQ(panel->height(), kMinLowerHeight);
    EXPECT_EQ(panel->geometry().bottom(), frame->centralWidget()->height() - 1);

    const int lowTop = bar->mapToGlobal(QPoint(0, 2)).y();
    DragBar(bar, {lowTop - 5000});
    EXPECT_GE(mdi->height(), 0);
    EXPECT_EQ(panel->height(), kMinLowerHeight);

    const int mdiTop = mdi->mapToGlobal(QPoint(0, 0)).y();
    DragBar(bar, {mdiTop + 2});
    EXPECT_EQ(mdi->height(), 0);
    EXPECT_EQ(panel->height(), frame->centralWidget()->height() - kSplitBarHeight);
}

// The panel starts 150 pixels high under the bar, and keeps its height as the window is
// resized; the MDI area takes the rest.
TEST_F(SplitBarTest, ResizingTheWindowKeepsThePanelHeight) {
    CSplitBar* bar = frame->SplitBar();
    QWidget* panel = frame->OutputBar();
    EXPECT_EQ(bar->height(), kSplitBarHeight);
    for (const int height : {0, 500}) {
        if (height != 0) {
            frame->resize(800, height);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(panel->height(), kInitialLowerHeight) << height;
        EXPECT_EQ(bar->geometry().bottom() + 1, panel->geometry().top()) << height;
        EXPECT_EQ(frame->MdiArea()->geometry().bottom() + 1, bar->geometry().top()) << height;
        EXPECT_EQ(panel->geometry().bottom(), frame->centralWidget()->height() - 1) << height;
        EXPECT_EQ(frame->MdiArea()->height(),
                  frame->centralWidget()->height() - kInitialLowerHeight - kSplitBarHeight);
    }
}

} // namespace
} // namespace idetest
