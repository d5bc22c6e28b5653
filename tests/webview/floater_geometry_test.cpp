// The floater's arithmetic: which part of it drags, where it may stand in
// its parent, and when a press becomes a drag.
#include "core/owners.h"
#include "webview/windows/floater_drag_padding.h"
#include "webview/windows/floater_geometry.h"

#include "webview/webview_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using namespace VemoSDK;

std::string text(const DragPadding& p) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%.2f %.2f %.2f %.2f", p.left, p.top, p.right, p.bottom);
  return buffer;
}

TEST(FloaterDragPadding, ReconcilesDraggableAndPadding) {
  struct Case {
    bool hasDraggable;
    bool draggable;
    const char* padding;  // JSON, or null for none
    int width, height;
    bool expectedDraggable;
    const char* expectedPadding;
  } cases[] = {
      // The game said nothing: a padding alone makes the floater draggable.
      {false, false, nullptr, 200, 100, false, "0.00 0.00 1.00 1.00"},
      {false, false, R"({"left":20,"top":10,"right":40,"bottom":30})", 200, 100, true, "0.10 0.10 0.20 0.30"},
      // Draggable without a padding drags by the whole window.
      {true, true, nullptr, 200, 100, true, "0.00 0.00 0.00 0.00"},
      // Not draggable: a padding gives no drag area.
      {true, false, R"({"left":20,"top":10,"right":40,"bottom":30})", 200, 100, false, "0.00 0.00 1.00 1.00"},
      {true, false, nullptr, 200, 100, false, "0.00 0.00 1.00 1.00"},
      {true, true, R"({"left":50,"top":"x","bottom":25})", 200, 100, true, "0.25 0.00 0.00 0.25"},
      // A floater of no size has nothing to take fractions of.
      {false, false, R"({"left":20,"top":10,"right":40,"bottom":30})", 0, 0, true, "0.00 0.00 0.00 0.00"},
      {true, true, R"({"left":20,"top":10,"right":40,"bottom":30})", 200, 0, true, "0.10 0.00 0.20 0.00"},
  };
  for (const Case& c : cases) {
    vemo::JsonPtr padding(c.padding ? cJSON_Parse(c.padding) : nullptr);
    DragSetting setting = reconcileDragPadding(c.hasDraggable, c.draggable, padding.get(), c.width, c.height);
    std::string label = std::string(c.padding ? c.padding : "no padding") + " " + std::to_string(c.width) + "x" +
                        std::to_string(c.height) + (c.hasDraggable ? (c.draggable ? " draggable" : " fixed") : "");
    EXPECT_EQ(setting.draggable, c.expectedDraggable) << label;
    EXPECT_EQ(text(setting.padding), c.expectedPadding) << label;
    for (float f : {setting.padding.left, setting.padding.top, setting.padding.right, setting.padding.bottom})
      EXPECT_TRUE(std::isfinite(f)) << label;
  }
}

TEST(FloaterDragPadding, DragAreaInsideTheFloater) {
  struct Case {
    DragPadding padding;
    RECT expected;
  } cases[] = {
      {DragPadding{0, 0, 0, 0}, RECT{0, 0, 200, 100}},
      {DragPadding{}, RECT{0, 0, 0, 0}},
      {DragPadding{0.1f, 0.2f, 0.3f, 0.4f}, RECT{20, 20, 140, 60}},
      {DragPadding{0.75f, 0, 0.75f, 0}, RECT{150, 0, 150, 100}},  // insets that overlap leave nothing
  };
  for (const Case& c : cases) {
    RECT area = dragAreaRect(200, 100, c.padding);
    EXPECT_EQ(area.left, c.expected.left) << text(c.padding);
    EXPECT_EQ(area.top, c.expected.top) << text(c.padding);
    EXPECT_EQ(area.right, c.expected.right) << text(c.padding);
    EXPECT_EQ(area.bottom, c.expected.bottom) << text(c.padding);
  }
}

std::string text(const FloaterBox& b) {
  return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
         std::to_string(b.height);
}

TEST(FloaterGeometry, ProtectedBoardKeepsTheFloaterInside) {
  struct Case {
    FloaterBox wanted;
    const char* clamped;  // asked for through setBounds
    const char* settled;  // where a drag that ended there leaves it (null: cannot be dragged there)
  } cases[] = {
      {{100, 50, 200, 100}, "100,50 200x100", "100,50 200x100"},
      {{700, 50, 200, 100}, "600,50 200x100", "600,50 200x100"},
      {{100, 550, 200, 100}, "100,500 200x100", "100,500 200x100"},
      {{-30, -20, 200, 100}, "-30,-20 200x100", "0,0 200x100"},
      {{100, 50, 900, 700}, "0,0 800x600", nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text(clampToBoard(c.wanted, 800, 600)), c.clamped) << text(c.wanted);
    if (c.settled) {
      EXPECT_EQ(text(settleInsideBoard(c.wanted, 800, 600)), c.settled) << text(c.wanted);
    }
  }
}

TEST(FloaterGeometry, APressBecomesADragPastTenPixels) {
  struct Case {
    POINT now;
    bool drags;
  } cases[] = {
      {{110, 100}, false}, {{111, 100}, true}, {{90, 100}, false}, {{89, 100}, true},
      {{100, 110}, false}, {{100, 89}, true},  {{110, 110}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(passesDragThreshold(POINT{100, 100}, c.now), c.drags) << c.now.x << "," << c.now.y;
}

TEST(FloaterGeometry, ContainsItsEdges) {
  FloaterBox box{10, 20, 100, 50};
  for (POINT in : {POINT{10, 20}, POINT{110, 70}, POINT{50, 40}}) EXPECT_TRUE(boxContains(box, in)) << in.x;
  for (POINT out : {POINT{9, 20}, POINT{111, 70}, POINT{50, 71}}) EXPECT_FALSE(boxContains(box, out)) << out.x;
}

}  // namespace
