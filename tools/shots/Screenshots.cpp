// Pictures of Cuelark for the README and for a person checking the layout:
// both tabs of the main window with a few entries, the player executable
// dialog, the History window with a few days of history, and the whole
// screen with the tray icon. Written as BMP files;
// the calling script turns them into PNG.
// Usage: screenshots.exe OUTPUT_FOLDER CUELARK_EXE BREVONI_DLL
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"

using namespace cuelark;
using namespace cuelark::test;

namespace {

constexpr char kSampleStore[] =
    "[Saved Commands]\r\n"
    "name1=Morning news\r\ncommand1=http://radio.example/news.m3u\r\nstartDate1=EVERY DAY\r\n"
    "startTime1=07:00:00\r\nisChecked1=True\r\nremWhenDone1=0\r\n"
    "name2=Friday mix\r\ncommand2=C:\\Music\\Playlists\\friday.m3u\r\nstartDate2=FRIDAY\r\n"
    "startTime2=18:30:00\r\nisChecked2=True\r\nremWhenDone2=0\r\n"
    "name3=Birthday song\r\ncommand3=C:\\Music\\happy birthday.mp3\r\nstartDate3=2027-03-14\r\n"
    "startTime3=08:15:00\r\nisChecked3=False\r\nremWhenDone3=1\r\n"
    "[Total Count]\r\ncount=3\r\n";

// A few days of the sample entries: played, missed for each reason, one
// failed, one executed by hand.
constexpr char kSampleHistory[] =
    "\xEF\xBB\xBF" "due\tstarted\tname\tcommand\toutcome\tdetail\r\n"
    "2026-11-26 06:58:12\t\t\t\tstarted\t\r\n"
    "2026-11-26 07:00:00\t2026-11-26 07:00:00.006\tMorning news\thttp://radio.example/news.m3u\tplayed\t\r\n"
    "2026-11-26 12:41:07\t2026-11-26 12:41:07.231\tBirthday song\tC:\\\\Music\\\\happy birthday.mp3\tplayed\t"
    "by hand\r\n"
    "2026-11-27 07:00:00\t\tMorning news\thttp://radio.example/news.m3u\tmissed\tcomputer asleep\r\n"
    "2026-11-27 18:30:00\t2026-11-27 18:30:00.004\tFriday mix\tC:\\\\Music\\\\Playlists\\\\friday.m3u\tnot-started\t"
    "Winamp Is Not Started, Command not Executed!\r\n"
    "2026-11-27 22:04:51\t\t\t\tstopped\t\r\n"
    "2026-11-29 06:40:03\t\t\t\tstarted\t\r\n"
    "2026-11-28 07:00:00\t\tMorning news\thttp://radio.example/news.m3u\tmissed\tprogram not running\r\n"
    "2026-11-29 07:00:00\t2026-11-29 07:00:00.005\tMorning news\thttp://radio.example/news.m3u\tplayed\t\r\n";

// The previous run's stop marker, dated now: nothing counts as missed
// between the sample and this run.
std::string StoppedNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char line[64];
  std::snprintf(line, sizeof(line), "%04u-%02u-%02u %02u:%02u:%02u\t\t\t\tstopped\t\r\n", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond);
  return line;
}

// Copies a rectangle of the screen into a 24-bit BMP file.
void SaveScreenRect(const RECT& r, const std::filesystem::path& file) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = ((width * 3 + 3) / 4) * 4;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;
  fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
  fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fileHeader), sizeof(fileHeader));
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  if (!out) throw DriverError("could not write " + file.string());
}

void SaveWindow(HWND window, const std::filesystem::path& file) {
  // Let the window finish painting before it is copied.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  SendMessageW(window, WM_NULL, 0, 0);
  Sleep(300);
  RECT r;
  GetWindowRect(window, &r);
  SaveScreenRect(r, file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  try {
    const std::filesystem::path out = argv[1];
    TempFolder folder;
    CopyFileTo(argv[2], folder.Path());
    CopyFileTo(argv[3], folder.Path());
    WriteFileText(folder / "cue.ini", kSampleStore);
    WriteFileText(folder / "history.tsv", kSampleHistory + StoppedNow());
    App app = App::Launch(folder / "Cuelark.exe", folder.Path());
    SetWindowPos(app.MainWindow(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);

    SetText(app.Control(ids::kNameBox), L"Evening concert");
    SetText(app.Control(ids::kCommandBox), L"C:\\Music\\Live\\evening concert.mp3");
    SetChecked(app.Control(ids::kWeeklyBox), true);
    SaveWindow(app.MainWindow(), out / "main-add.bmp");

    SelectTab(app.Control(ids::kTabs), 1);
    SelectItem(app.Control(ids::kSavedList), 1);
    SaveWindow(app.MainWindow(), out / "main-saved.bmp");

    SendMenuCommand(app.MainWindow(), ids::kSelectPlayerCommand);
    const HWND dialog = app.Window(ids::kPlayerDialogClass);
    SaveWindow(dialog, out / "dialog.bmp");
    SendMessageW(dialog, WM_CLOSE, 0, 0);

    SendMenuCommand(app.MainWindow(), ids::kOptionsCommand);
    const HWND options = app.Window(ids::kOptionsDialogClass);
    SetChecked(FindControl(options, ids::kWakeForFiringsBox), true);
    SetChecked(FindControl(options, ids::kCheckAheadBox), true);
    SetText(FindControl(options, ids::kFallbackBox), L"C:\\Music\\station id.mp3");
    SaveWindow(options, out / "options.bmp");
    SendMessageW(options, WM_CLOSE, 0, 0);

    SendMenuCommand(app.MainWindow(), ids::kHistoryCommand);
    const HWND history = app.Window(ids::kHistoryWindowClass);
    SetWindowPos(history, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    SaveWindow(history, out / "history.bmp");
    SendMessageW(history, WM_CLOSE, 0, 0);

    // The tray icon lives in the desktop's notification area.
    Minimize(app.MainWindow());
    WaitUntil([&] { return !IsWindowVisible(app.MainWindow()); }, kDefaultTimeoutMs, "the window to hide");
    Sleep(300);
    SaveScreenRect({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, out / "screen-tray.bmp");
    app.Kill();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "screenshots: %s\n", error.what());
    return 1;
  }
  return 0;
}
