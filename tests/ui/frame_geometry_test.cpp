// The frame's resize zones, the snapping while moving and the resize arithmetic, as tables.
#include "frame/frame_geometry.h"

#include <gtest/gtest.h>

namespace {

using qv::ui::frame::ResizeZone;

TEST(FrameGeometry, ResizeZonesWithT8) {
  // A 400 x 300 window at 100, 50: right edge 500, bottom edge 350.
  const QRect bounds(100, 50, 400, 300);
  struct Case {
    QPoint pointer;
    bool normalState;
    ResizeZone zone;
  };
  const Case cases[] = {
      {{105, 53}, true, ResizeZone::TopLeft},  // 3 below the top, 5 from the left
      {{115, 58}, true, ResizeZone::TopLeft},  // the top corner reaches 2T along the edge
      {{117, 53}, true, ResizeZone::Top},          {{300, 50}, true, ResizeZone::Top},
      {{484, 53}, true, ResizeZone::TopRight},     {{499, 200}, true, ResizeZone::Right},
      {{492, 200}, true, ResizeZone::Right},       {{491, 200}, true, ResizeZone::None},
      {{100, 200}, true, ResizeZone::Left},        {{108, 200}, true, ResizeZone::Left},
      {{109, 200}, true, ResizeZone::None},        {{300, 349}, true, ResizeZone::Bottom},
      {{300, 342}, true, ResizeZone::Bottom},      {{300, 341}, true, ResizeZone::None},
      {{110, 345}, true, ResizeZone::BottomLeft},  {{490, 345}, true, ResizeZone::BottomRight},
      {{499, 349}, true, ResizeZone::BottomRight}, {{300, 200}, true, ResizeZone::None},
      {{99, 200}, true, ResizeZone::None},   // outside the window
      {{105, 53}, false, ResizeZone::None},  // maximized: no zones at all
      {{499, 349}, false, ResizeZone::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qv::ui::frame::hitTest(c.pointer, bounds, 8, c.normalState), c.zone)
        << c.pointer.x() << "," << c.pointer.y() << " normal " << c.normalState;
  }
  EXPECT_EQ(qv::ui::frame::edgesOf(ResizeZone::TopLeft), Qt::TopEdge | Qt::LeftEdge);
  EXPECT_EQ(qv::ui::frame::edgesOf(ResizeZone::BottomRight), Qt::BottomEdge | Qt::RightEdge);
}

TEST(FrameGeometry, MovingSnapsToTheWorkAreaWithinTenPixels) {
  const QRect workArea(0, 0, 1024, 740);  // a panel below
  struct Case {
    QPoint topLeft;
    QPoint snapped;
  };
  const Case cases[] = {
      {{7, 200}, {0, 200}},      // near the left edge
      {{-10, 200}, {0, 200}},    // just past it
      {{11, 200}, {11, 200}},    // too far
      {{300, 9}, {300, 0}},      // near the top
      {{600, 300}, {600, 300}},  // right side 1000: 24 from the edge
      {{615, 300}, {624, 300}},  // right side 1015: 9 from the edge
      {{300, 420}, {300, 420}},  // bottom 720: 20 above the work area's bottom
      {{300, 431}, {300, 440}},  // bottom 731
      {{5, 5}, {0, 0}},          // a corner snaps both ways
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qv::ui::frame::snapToWorkArea(QRect(c.topLeft, QSize(400, 300)), workArea, 10), c.snapped)
        << c.topLeft.x() << "," << c.topLeft.y();
  }
}

TEST(FrameGeometry, ResizingMovesOnlyTheDraggedEdgesAndKeepsTheMinimum) {
  const QRect start(100, 100, 400, 300);
  const QSize minimum(200, 150);
  EXPECT_EQ(qv::ui::frame::resized(start, Qt::BottomEdge | Qt::RightEdge, {50, 20}, minimum),
            QRect(100, 100, 450, 320));
  EXPECT_EQ(qv::ui::frame::resized(start, Qt::TopEdge | Qt::LeftEdge, {-30, -10}, minimum), QRect(70, 90, 430, 310));
  EXPECT_EQ(qv::ui::frame::resized(start, Qt::LeftEdge, {350, 99}, minimum), QRect(300, 100, 200, 300));
  EXPECT_EQ(qv::ui::frame::resized(start, Qt::TopEdge, {0, 500}, minimum), QRect(100, 250, 400, 150));
}

}  // namespace
