// The windows' layout in twips, converted with the real DPI of the display:
// this program runs at 96 and at 144 DPI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/win/ui/CuelarkRun.h"

namespace cuelark::test {
namespace {

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run.Start();
    // The run at another DPI says which, so that it cannot pass at 96.
    if (const char* expected = std::getenv("CUELARK_EXPECT_DPI")) {
      ASSERT_EQ(WindowDpi(run.Main()), std::atoi(expected));
    }
  }
  CuelarkRun run;
};

void ExpectNearTwips(const RECT& r, int left, int top, int width, int height, int dpi) {
  EXPECT_NEAR(r.left, TwipsToPixels(left, dpi), 1);
  EXPECT_NEAR(r.top, TwipsToPixels(top, dpi), 1);
  EXPECT_NEAR(r.right - r.left, TwipsToPixels(width, dpi), 1);
  EXPECT_NEAR(r.bottom - r.top, TwipsToPixels(height, dpi), 1);
}

struct Placement {
  int id;
  int left, top, width, height;  // twips, in the container's client area
};

// Every control where the window designer put it.
TEST_F(LayoutTest, EveryControlOfTheMainWindowSitsAtItsDesignedPlace) {
  const Placement placements[] = {
      {ids::kTabs, 120, 120, 7455, 3015}, {ids::kEditorFrame, 240, 480, 7215, 2535},
      {ids::kSavedFrame, 240, 480, 7215, 2535},    {ids::kCommandLabel, 120, 240, 2775, 255},
      {ids::kCommandBox, 120, 480, 6015, 285},    {ids::kBrowseButton, 6240, 480, 855, 285},
      {ids::kNameLabel, 120, 840, 3855, 255},     {ids::kDateLabel, 4800, 840, 1095, 255},
      {ids::kTimeLabel, 6120, 840, 735, 255},     {ids::kNameBox, 120, 1080, 4575, 285},
      {ids::kDatePicker, 4800, 1080, 1215, 285}, {ids::kTimePicker, 6120, 1080, 975, 285},
      {ids::kWeeklyBox, 120, 1440, 4815, 255},  {ids::kEveryDayBox, 120, 1800, 3735, 255},
      {ids::kRemoveWhenDoneBox, 120, 2160, 3855, 255}, {ids::kClearButton, 5520, 2160, 735, 285},
      {ids::kSaveButton, 6360, 2160, 735, 285},   {ids::kSavedList, 120, 240, 6975, 1815},
      {ids::kExecuteButton, 3840, 2160, 1575, 285},   {ids::kRemoveButton, 5520, 2160, 1575, 285},
  };
  const int dpi = WindowDpi(run.Main());
  for (const Placement& p : placements) {
    SCOPED_TRACE("control " + std::to_string(p.id));
    ExpectNearTwips(RectInParent(run[p.id]), p.left, p.top, p.width, p.height, dpi);
  }

  const SIZE client = ClientSize(run.Main());
  EXPECT_NEAR(client.cx, TwipsToPixels(7695, dpi), 1);
  RECT window;
  ASSERT_TRUE(GetWindowRect(run.Main(), &window));
  EXPECT_NEAR(window.bottom - window.top, TwipsToPixels(4200, dpi), 1);

  const RECT status = RectInParent(run[ids::kStatusBar]);
  EXPECT_EQ(status.bottom, client.cy);
  EXPECT_EQ(status.right - status.left, client.cx);
  EXPECT_NEAR(status.bottom - status.top, TwipsToPixels(300, dpi), 1);
  const std::vector<int> edges = PanelRightEdges(run[ids::kStatusBar]);
  ASSERT_EQ(edges.size(), 2u);
  EXPECT_NEAR(edges[0], TwipsToPixels(6210, dpi), 1);
  EXPECT_NEAR(edges[1], TwipsToPixels(6210 + 1440, dpi), 1);
}

std::vector<HWND> DirectChildren(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) children.push_back(child);
  return children;
}

bool IsLabel(HWND control) { return _wcsicmp(ClassName(control).c_str(), L"Static") == 0; }

// What must hold at any DPI and for any rounding: each control lies wholly
// inside its frame or dialog, and none that takes input covers another (a
// label's lower edge, as designed, reaches into the box below it).
TEST_F(LayoutTest, ControlsLieInsideTheirContainerAndNoneCoversAnother) {
  SendMenuCommand(run.Main(), ids::kSelectPlayerCommand);
  const HWND containers[] = {run[ids::kEditorFrame], run[ids::kSavedFrame], run.app().Window(ids::kPlayerDialogClass)};
  for (const HWND container : containers) {
    SCOPED_TRACE("container " + std::to_string(GetDlgCtrlID(container)));
    const SIZE client = ClientSize(container);
    const std::vector<HWND> children = DirectChildren(container);
    ASSERT_GE(children.size(), 3u);
    for (std::size_t i = 0; i < children.size(); ++i) {
      const RECT r = RectInParent(children[i]);
      SCOPED_TRACE("control " + std::to_string(GetDlgCtrlID(children[i])));
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.cx && r.bottom <= client.cy);
      for (std::size_t j = i + 1; j < children.size(); ++j) {
        if (IsLabel(children[i]) || IsLabel(children[j])) continue;
        const RECT other = RectInParent(children[j]);
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << "covers control " << GetDlgCtrlID(children[j]);
      }
    }
  }
}

TEST_F(LayoutTest, WindowTabsListAndStatusBarAreAsDesigned) {
  EXPECT_EQ(GetText(run.Main()), L"Cuelark");
  const DWORD style = StyleOf(run.Main());
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  const HWND tabs = run[ids::kTabs];
  ASSERT_EQ(TabCount(tabs), 2);
  EXPECT_EQ(TabText(tabs, 0), L"Add a Command");
  EXPECT_EQ(TabText(tabs, 1), L"Saved Commands");

  const HWND list = run[ids::kSavedList];
  EXPECT_TRUE(IsReportView(list));
  EXPECT_TRUE(HasCheckBoxes(list));
  const std::pair<const wchar_t*, int> columns[] = {{L"Name", 1700}, {L"Command", 3200}, {L"Day/Date", 1200},
                                                    {L"Time", 800}};
  ASSERT_EQ(ColumnCount(list), 4);
  const int dpi = WindowDpi(run.Main());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ColumnText(list, i), columns[i].first);
    EXPECT_NEAR(ColumnWidth(list, i), TwipsToPixels(columns[i].second, dpi), 1);
  }

  EXPECT_EQ(GetText(run[ids::kCommandLabel]), L"&Browse for a file or enter a Command ...");
  EXPECT_EQ(PanelText(run[ids::kStatusBar], 0).empty(), false);
}

TEST_F(LayoutTest, ThePlayerDialogIsAFixedToolWindowWithItsRowOfControls) {
  SendMenuCommand(run.Main(), ids::kSelectPlayerCommand);
  const HWND dialog = run.app().Window(ids::kPlayerDialogClass);
  const int dpi = WindowDpi(dialog);
  EXPECT_TRUE(ExStyleOf(dialog) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(StyleOf(dialog) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  const SIZE client = ClientSize(dialog);
  EXPECT_NEAR(client.cx, TwipsToPixels(5415, dpi), 1);
  EXPECT_NEAR(client.cy, TwipsToPixels(495, dpi), 1);

  const Placement placements[] = {{ids::kPlayerPathBox, 120, 120, 3255, 285},
                                  {ids::kPlayerBrowseButton, 3480, 120, 855, 285},
                                  {ids::kCancelSaveButton, 4440, 120, 855, 285}};
  for (const Placement& p : placements) {
    SCOPED_TRACE("control " + std::to_string(p.id));
    ExpectNearTwips(RectInParent(FindControl(dialog, p.id)), p.left, p.top, p.width, p.height, dpi);
  }

  // Centred on the screen's work area.
  RECT window, work;
  ASSERT_TRUE(GetWindowRect(dialog, &window));
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_NEAR(window.left - work.left, work.right - window.right, 2);
  EXPECT_NEAR(window.top - work.top, work.bottom - window.bottom, 2);
}

}  // namespace
}  // namespace cuelark::test
