// The skin wizard's windows driven in-process under wine, on a display of their own.
// A driver thread plays the user through window messages while the test thread runs the frame's
// modal loop, as the program's main thread does.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "skinwizard/console/console_app.h"
#include "skinwizard/overridable_method.h"
#include "skinwizard/res/resource.h"
#include "skinwizard/win32/wizard_window.h"
#include "tests/support/temp_drive.h"

namespace {

namespace fs = std::filesystem;
using skinwizard::OverridableMethod;

constexpr const char* kTitle = skinwizard::kWizardWindowTitle;
constexpr const char* kAdvancedTitle = TXT_ADVANCED_CAPTION;
constexpr int kSkinName = IDC_SKIN_NAME, kAuthor = IDC_AUTHOR, kCompany = IDC_COMPANY;
constexpr int kEmail = IDC_EMAIL, kCommentsNo = IDC_COMMENTS_NO, kLookXp = IDC_LOOK_XP;
constexpr int kAdvanced = IDC_ADVANCED, kPlaceholder = IDC_SIDE_PICTURE;
constexpr int kWriteCheck = IDC_WRITE_CHECK, kSkinsLine = IDC_SKINS_LINE;
constexpr int kMethodList = IDC_METHOD_LIST, kDescription = IDC_DESCRIPTION;
constexpr int kSelectAll = IDC_SELECT_ALL, kSelectNone = IDC_SELECT_NONE;
constexpr DWORD kPatienceMs = 10000;

// ---- the driver's side --------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < kPatienceMs; Sleep(20)) {
    if (condition()) return true;
  }
  return condition();
}

std::string TextOf(HWND window) {
  char text[4096] = "";
  // WM_GETTEXT answers across threads where GetWindowText would not ask another thread.
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct DialogSearch {
  const char* caption;
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != "#32770" || TextOf(window) != search->caption) return TRUE;
  if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level dialog of this process with the caption, owned by `owner` when given.
HWND FindDialog(const char* caption, HWND owner) {
  DialogSearch search{caption, owner, nullptr};
  EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForDialog(const char* caption, HWND owner = nullptr) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindDialog(caption, owner)) != nullptr; });
  return found;
}

// The page in view inside the frame: the visible child dialog.
HWND VisiblePage(HWND frame) {
  for (HWND child = FindWindowExA(frame, nullptr, "#32770", nullptr); child != nullptr;
       child = FindWindowExA(frame, child, "#32770", nullptr)) {
    if (IsWindowVisible(child)) return child;
  }
  return nullptr;
}

// Waits until the page in view holds the control `id`; null when it never does.
HWND WaitForPage(HWND frame, int id) {
  HWND page = nullptr;
  WaitUntil([&] {
    page = VisiblePage(frame);
    return page != nullptr && GetDlgItem(page, id) != nullptr;
  });
  return page != nullptr && GetDlgItem(page, id) != nullptr ? page : nullptr;
}

// A button press as the button reports it; posted, since it may open a nested modal loop.
void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Type(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Text as a paste or an input method brings it: UTF-16, whatever the code page can spell.
void TypeWide(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Whether a message box shows `utf8` in one of its texts, read in UTF-16.
bool Says(HWND box, const std::string& utf8) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[1024] = L"";
    SendMessageW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    char shown[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, shown, sizeof shown, nullptr, nullptr);
    if (utf8 == shown) return true;
  }
  return false;
}

// A click (or double click) on list item `index`, handled by the list box itself. `x` is the
// distance from the item's left: on its text by default, or on its check mark.
constexpr int kOnText = 40, kOnMark = 8;
void ClickItem(HWND list, int index, bool twice, int x = kOnText) {
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  LPARAM at = MAKELPARAM(item.left + x, (item.top + item.bottom) / 2);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  if (twice) {
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
  }
}

// The method records behind the check list's items (their item data).
std::vector<OverridableMethod*> Records(HWND list) {
  std::vector<OverridableMethod*> records;
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    records.push_back(
        reinterpret_cast<OverridableMethod*>(SendMessageA(list, LB_GETITEMDATA, i, 0)));
  }
  return records;
}

int SelectedCount(const std::vector<OverridableMethod*>& records) {
  int selected = 0;
  for (OverridableMethod* record : records) selected += record->selected;
  return selected;
}

// Opens the Advanced dialog from step 2 and returns it once its list is filled.
HWND OpenAdvanced(HWND frame, HWND options) {
  Press(options, kAdvanced);
  HWND dialog = WaitForDialog(kAdvancedTitle, frame);
  if (dialog != nullptr) {
    WaitUntil(
        [&] { return SendMessageA(GetDlgItem(dialog, kMethodList), LB_GETCOUNT, 0, 0) == 12; });
  }
  return dialog;
}

void CloseAndWait(HWND dialog, int button) {
  Press(dialog, button);
  WaitUntil([&] { return !IsWindow(dialog); });
}

// ---- screenshots ---------------------------------------------------------------------------

// The screen's pixels of a rectangle, as 0xRRGGBB, top row first.
struct Shot {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Shot Capture(const RECT& rect) {
  Shot shot;
  shot.width = rect.right - rect.left;
  shot.height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const auto* words = static_cast<const std::uint32_t*>(bits);
  shot.pixels.assign(words, words + static_cast<std::size_t>(shot.width) * shot.height);
  for (std::uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

std::uint32_t Rgb(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// The build folder's artefacts, reached from wine through its Z: drive.
fs::path ArtefactDir() {
  std::string dir = "Z:" + std::string(TSL_BINARY_DIR) + "/artefacts/skin_window";
  for (char& c : dir) {
    if (c == '/') c = '\\';
  }
  fs::create_directories(dir);
  return dir;
}

// Keeps a window's client area as a 24-bit BMP for people to look at (without a window manager on
// the display nobody draws the caption).
void SaveShot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(200);  // the repaint runs on the window's own thread
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  Shot shot = Capture(rect);
  int stride = (shot.width * 3 + 3) / 4 * 4;
  std::string data;
  for (int y = shot.height - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(stride), '\0');
    for (int x = 0; x < shot.width; ++x) {
      std::uint32_t p = shot.At(x, y);
      row[x * 3] = static_cast<char>(p & 0xFF);
      row[x * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>(p >> 16);
    }
    data += row;
  }
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(data.size());
  info.biSize = sizeof info;
  info.biWidth = shot.width;
  info.biHeight = shot.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(data.size());
  std::ofstream out(ArtefactDir() / (name + ".bmp"), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out << data;
}

// ---- the fixture ---------------------------------------------------------------------------

class SkinWindowTest : public ::testing::Test {
 protected:
  // Runs the window on this thread and `driver` on another with the frame it found; whatever the
  // driver leaves open is cancelled, so a failed expectation cannot hang the test.
  bool RunWindow(const std::function<void(HWND frame)>& driver) {
    std::atomic<bool> done{false};
    std::thread user([&] {
      HWND frame = WaitForDialog(kTitle);
      EXPECT_NE(frame, nullptr) << "the wizard frame did not appear";
      if (frame != nullptr) {
        WaitForPage(frame, IDC_PROJECT_NAME);
        driver(frame);
      }
      while (!done) {
        if (HWND open = GetLastActivePopup(frame); open != nullptr && open != frame) {
          PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
          PostMessageA(open, WM_CLOSE, 0, 0);
        } else if (frame != nullptr) {
          Press(frame, IDCANCEL);
        }
        Sleep(100);
      }
    });
    bool created = skinwizard::RunWizardWindow(drive_.Services(), drive_.Root());
    done = true;
    user.join();
    return created;
  }

  // Fills the frame's first step and moves on to step 1.
  static HWND ToNamePage(HWND frame, const std::string& project) {
    HWND step = WaitForPage(frame, IDC_PROJECT_NAME);
    Type(step, IDC_PROJECT_NAME, project);
    Press(frame, IDC_NEXT);
    return WaitForPage(frame, kSkinName);
  }

  testing_support::TempDrive drive_;
};

// ---- templates as built ------------------------------------------------------------------

struct ExpectedControl {
  int id;
  const char* kind;
  DWORD style;
  const char* text;  // null: not compared (edits hold the run's values)
  RECT units;        // x, y, width, height in dialog units
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kEdit = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kPicture = WS_CHILD | SS_BITMAP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;

const std::vector<ExpectedControl> kNamePage = {
    {-1, "Static", kLabel, TXT_SKIN_NAME, {89, 20, 36, 8}},
    {IDC_SKIN_NAME, "Edit", kEdit, nullptr, {135, 17, 159, 14}},
    {-1, "Static", kLabel, TXT_AUTHOR, {99, 68, 22, 8}},
    {IDC_AUTHOR, "Edit", kEdit, nullptr, {135, 65, 93, 14}},
    {IDC_SIDE_PICTURE, "Static", kPicture, "#117", {4, 5, 69, 187}},
    {-1, "Static", kLabel, TXT_AUTHOR_INFORMATION, {89, 46, 89, 8}},
    {-1, "Static", kLabel, TXT_COMPANY, {99, 87, 32, 8}},
    {IDC_COMPANY, "Edit", kEdit, nullptr, {135, 84, 93, 14}},
    {-1, "Static", kLabel, TXT_EMAIL, {99, 108, 22, 8}},
    {IDC_EMAIL, "Edit", kEdit, nullptr, {135, 105, 93, 14}},
    {-1, "Static", kLabel, TXT_URL, {99, 127, 18, 8}},
    {IDC_URL, "Edit", kEdit, nullptr, {135, 124, 93, 14}},
};

const std::vector<ExpectedControl> kOptionsPage = {
    {-1, "Static", kLabel, TXT_COMMENTS_QUESTION, {89, 20, 158, 8}},
    {IDC_COMMENTS_YES, "Button", kRadio | WS_GROUP, TXT_COMMENTS_YES, {99, 35, 53, 10}},
    {IDC_COMMENTS_NO, "Button", kRadio, TXT_COMMENTS_NO, {99, 48, 61, 10}},
    {-1, "Static", kLabel, TXT_LOOK_QUESTION, {89, 67, 85, 8}},
    {IDC_LOOK_2000, "Button", kRadio | WS_GROUP, TXT_LOOK_2000, {99, 81, 68, 10}},
    {IDC_LOOK_XP, "Button", kRadio, TXT_LOOK_XP, {99, 95, 61, 10}},
    {IDC_WRITE_CHECK, "Button", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, TXT_WRITE_CHECK,
     {89, 113, 166, 10}},
    {IDC_ADVANCED, "Button", kPush, TXT_ADVANCED, {89, 145, 59, 14}},
    {IDC_SIDE_PICTURE, "Static", kPicture, "#117", {4, 5, 69, 187}},
    {IDC_SKINS_LINE, "Static", kLabel, nullptr, {99, 126, 204, 8}},
};

const std::vector<ExpectedControl> kAdvancedDialog = {
    {-1, "Static", kLabel, TXT_ADVANCED_QUESTION, {14, 7, 145, 19}},
    {IDC_METHOD_LIST,
     "ListBox",
     kChild | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
         WS_BORDER,
     nullptr,
     {14, 27, 139, 83}},
    {1, "Button", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, "OK", {166, 7, 50, 14}},
    {2, "Button", kPush, "Cancel", {166, 27, 50, 14}},
    {IDC_SELECT_ALL, "Button", kPush, TXT_SELECT_ALL, {166, 47, 50, 14}},
    {IDC_SELECT_NONE, "Button", kPush, TXT_SELECT_NONE, {166, 67, 50, 14}},
    {-1, "Static", kLabel, TXT_DESCRIPTION, {14, 117, 38, 8}},
    {IDC_DESCRIPTION, "Static", kLabel, nullptr, {14, 129, 139, 23}},
};

// Every control of `dialog` in creation order against the table, and the client size.
void ExpectTemplate(HWND dialog, const std::vector<ExpectedControl>& table, int width, int height,
                    const std::string& name) {
  SCOPED_TRACE(name);
  RECT size{0, 0, width, height};
  MapDialogRect(dialog, &size);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  std::vector<HWND> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    controls.push_back(child);
  }
  ASSERT_EQ(controls.size(), table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ExpectedControl& want = table[i];
    HWND control = controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(want.id));
    EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(control))), want.id);
    EXPECT_STREQ(ClassOf(control).c_str(), want.kind);
    // Run-time state is not the template's: a disabled check box is tested on its own, and a radio
    // button takes the tab stop while it is checked. The dialog manager draws a bordered edit with
    // a sunken client edge instead of its border.
    DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)) & ~WS_DISABLED;
    if ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON && want.kind == std::string("Button")) {
      style &= ~WS_TABSTOP;
    }
    if ((GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0) style |= WS_BORDER;
    EXPECT_EQ(style, want.style) << std::hex << style << " != " << want.style;
    if (want.text != nullptr) {
      EXPECT_EQ(TextOf(control), want.text);
    }
    // The dialog manager converts the corner and the size each on its own.
    RECT units = want.units;
    MapDialogRect(dialog, &units);
    units.right += units.left;
    units.bottom += units.top;
    RECT actual{};
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, units.left);
    EXPECT_EQ(actual.top, units.top);
    if ((style & SS_TYPEMASK) == SS_BITMAP && want.kind == std::string("Static")) {
      // A bitmap static takes its bitmap's size: the side picture's 100 x 300.
      EXPECT_EQ(actual.right - actual.left, 100);
      EXPECT_EQ(actual.bottom - actual.top, 300);
      continue;
    }
    EXPECT_EQ(actual.right, units.right);
    EXPECT_EQ(actual.bottom, units.bottom);
  }
}

TEST_F(SkinWindowTest, TemplatesAsBuiltMatchTheirTables) {
  RunWindow([](HWND frame) {
    HWND project = WaitForPage(frame, IDC_PROJECT_NAME);
    ASSERT_NE(project, nullptr);
    Type(project, IDC_PROJECT_NAME, "Templates");
    SaveShot(frame, "step1-project");
    HWND name = ToNamePage(frame, "Templates");
    ASSERT_NE(name, nullptr);
    ExpectTemplate(name, kNamePage, 303, 197, "template 129");
    DWORD pageStyle = static_cast<DWORD>(GetWindowLongA(name, GWL_STYLE));
    EXPECT_EQ(pageStyle & (WS_CHILD | WS_CAPTION | DS_CONTROL | WS_TABSTOP),
              static_cast<DWORD>(WS_CHILD | DS_CONTROL | WS_TABSTOP));
    // Registry defaults: the owner and organisation the test prefix was given.
    EXPECT_EQ(TextOf(GetDlgItem(name, kAuthor)), "Ann Lee");
    EXPECT_EQ(TextOf(GetDlgItem(name, kCompany)), "Soci\xE9t\xE9 Ltd");
    SaveShot(frame, "step2-skin-name");

    Type(name, kSkinName, "Glass");
    Press(frame, IDC_NEXT);
    HWND options = WaitForPage(frame, kAdvanced);
    ASSERT_NE(options, nullptr);
    ExpectTemplate(options, kOptionsPage, 303, 197, "template 130");
    EXPECT_EQ(TextOf(GetDlgItem(options, kSkinsLine)), "(D:\\Shared Files\\Quorvane\\Skins)");
    SaveShot(frame, "step3-options");

    HWND advanced = OpenAdvanced(frame, options);
    ASSERT_NE(advanced, nullptr);
    ExpectTemplate(advanced, kAdvancedDialog, 223, 159, "template 120");
    EXPECT_EQ(TextOf(GetDlgItem(advanced, kDescription)), "");
    DWORD dialogStyle = static_cast<DWORD>(GetWindowLongA(advanced, GWL_STYLE));
    EXPECT_EQ(dialogStyle & (WS_POPUP | WS_CAPTION | WS_SYSMENU),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU));
    ClickItem(GetDlgItem(advanced, kMethodList), 2, false);
    WaitUntil([&] { return TextOf(GetDlgItem(advanced, kDescription)) != ""; });
    SaveShot(advanced, "advanced");
    // The frame opens centred on the screen and the Advanced dialog over it, not on its caption.
    RECT frameRect{}, advancedRect{};
    GetWindowRect(frame, &frameRect);
    GetWindowRect(advanced, &advancedRect);
    const int screenX = GetSystemMetrics(SM_CXSCREEN), screenY = GetSystemMetrics(SM_CYSCREEN);
    for (const RECT& r : {frameRect, advancedRect}) {
      EXPECT_NEAR(r.left + r.right, screenX, 2) << r.left << "," << r.top;
      EXPECT_NEAR(r.top + r.bottom, screenY, 2) << r.left << "," << r.top;
    }
    CloseAndWait(advanced, IDCANCEL);
  });
}

// ---- behaviours a window adds --------------------------------------------------------------

TEST_F(SkinWindowTest, AdvancedDialogKeepsChecksOnlyOnOk) {
  RunWindow([](HWND frame) {
    HWND name = ToNamePage(frame, "Checks");
    ASSERT_NE(name, nullptr);
    Type(name, kSkinName, "Glass");
    Press(frame, IDC_NEXT);
    HWND options = WaitForPage(frame, kAdvanced);
    ASSERT_NE(options, nullptr);

    HWND advanced = OpenAdvanced(frame, options);
    ASSERT_NE(advanced, nullptr);
    HWND list = GetDlgItem(advanced, kMethodList);
    std::vector<OverridableMethod*> records = Records(list);
    ASSERT_EQ(records.size(), 12u);
    for (int i = 0; i < 12; ++i) {
      char text[128] = "";
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(records[i]->name, text) << "item data is the item's own record";
    }
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR) << "nothing selected at first";
    // Selecting shows the description; Select None then Cancel keeps all twelve.
    ClickItem(list, 4, false);
    EXPECT_TRUE(WaitUntil([&] {
      return TextOf(GetDlgItem(advanced, kDescription)) == "Changes the separator appearance";
    }));
    Press(advanced, kSelectNone);
    CloseAndWait(advanced, IDCANCEL);
    EXPECT_EQ(SelectedCount(records), 12);

    // Select None then OK deselects them all.
    advanced = OpenAdvanced(frame, options);
    ASSERT_NE(advanced, nullptr);
    Press(advanced, kSelectNone);
    CloseAndWait(advanced, IDOK);
    EXPECT_EQ(SelectedCount(records), 0);
    list = GetDlgItem(advanced = OpenAdvanced(frame, options), kMethodList);

    // A double click toggles the item it lands on; Select All sets the rest.
    ClickItem(list, 1, true);
    Press(advanced, kSelectAll);
    CloseAndWait(advanced, IDOK);
    EXPECT_EQ(SelectedCount(records), 12);
    list = GetDlgItem(advanced = OpenAdvanced(frame, options), kMethodList);
    ClickItem(list, 1, true);
    CloseAndWait(advanced, IDOK);
    EXPECT_EQ(records[1]->selected, 0);
    EXPECT_EQ(SelectedCount(records), 11);

    // A click on a check mark toggles it; the space bar toggles the selected item.
    list = GetDlgItem(advanced = OpenAdvanced(frame, options), kMethodList);
    ClickItem(list, 5, false, kOnMark);
    ClickItem(list, 7, false);
    PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
    CloseAndWait(advanced, IDOK);
    EXPECT_EQ(records[5]->selected + records[7]->selected, 0);
    EXPECT_EQ(SelectedCount(records), 9);
  });
}

TEST_F(SkinWindowTest, RefusedNamesKeepTheirStepWithFocusOnTheName) {
  RunWindow([](HWND frame) {
    // The frame's own step wants a project name first.
    HWND project = WaitForPage(frame, IDC_PROJECT_NAME);
    Press(frame, IDC_NEXT);
    HWND box = WaitForDialog(kTitle, frame);
    ASSERT_NE(box, nullptr);
    CloseAndWait(box, IDOK);
    EXPECT_EQ(VisiblePage(frame), project);

    // Device names and characters Windows-1252 cannot spell, refused in the console's words.
    const struct {
      int field;
      const wchar_t* typed;
      const char* said;
    } refused[] = {
        {IDC_PROJECT_NAME, L"COM\u00B9", "'COM\u00B9' is a name Windows keeps for a device"},
        {IDC_PROJECT_NAME, L"conin$.txt", "'conin$.txt' is a name Windows keeps for a device"},
        {IDC_PROJECT_NAME, L"\u03A9mega",
         "'\u03A9mega' holds '\u03A9', which Windows-1252 cannot spell"},
        {kCompany, L"\u03A9 Corp", "'\u03A9 Corp' holds '\u03A9', which Windows-1252 cannot spell"},
    };
    HWND name = nullptr;
    for (const auto& c : refused) {
      HWND page = project;
      if (c.field != IDC_PROJECT_NAME) {
        ASSERT_NE(name = ToNamePage(frame, "Refusal"), nullptr);
        page = name;
        Type(page, kSkinName, "Aqua");
      }
      TypeWide(page, c.field, c.typed);
      Press(frame, IDC_NEXT);
      box = WaitForDialog(kTitle, frame);
      ASSERT_NE(box, nullptr) << c.said;
      EXPECT_TRUE(Says(box, c.said)) << c.said;
      if (c.field == kCompany) SaveShot(box, "refusal-code-page");
      CloseAndWait(box, IDOK);
      EXPECT_EQ(VisiblePage(frame), page) << c.said;
    }
    TypeWide(name, kCompany, L"Soci\u00E9t\u00E9");
    Type(name, kSkinName, "-- --");
    Press(frame, IDC_NEXT);
    box = WaitForDialog(kTitle, frame);
    ASSERT_NE(box, nullptr) << "no message box owned by the page's frame";
    bool spoken = false;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      spoken |= TextOf(child) == "The skin name must include at least one alphabetic character";
    }
    EXPECT_TRUE(spoken);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    EXPECT_TRUE(WaitUntil([&] {
      return GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &gui) &&
             gui.hwndFocus == GetDlgItem(name, kSkinName);
    }));
    EXPECT_EQ(VisiblePage(frame), name);

    // A name as long as a folder's path may be: the refusal at Finish breaks it into lines
    // rather than growing wider than the screen.
    Press(frame, IDC_BACK);
    ASSERT_NE(WaitForPage(frame, IDC_PROJECT_NAME), nullptr);
    ASSERT_NE(ToNamePage(frame, std::string(240, 'N')), nullptr);
    Type(name, kSkinName, "Aqua");
    Press(frame, IDC_FINISH);
    box = WaitForDialog(kTitle, frame);
    ASSERT_NE(box, nullptr);
    SaveShot(box, "refusal-long-name");
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    EXPECT_LE(boxRect.right - boxRect.left, GetSystemMetrics(SM_CXSCREEN) * 3 / 4);
    CloseAndWait(box, IDOK);
  });
}

// With no common files folder there is no skins directory: the line says so and the check box is
// disabled but keeps its state.
TEST_F(SkinWindowTest, NoSkinsDirectoryDisablesTheCheckBoxKeepingItsState) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_32KEY, &key),
            ERROR_SUCCESS);
  char saved[MAX_PATH] = "";
  DWORD size = sizeof saved;
  ASSERT_EQ(RegQueryValueExA(key, "CommonFilesDir", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(saved), &size),
            ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueA(key, "CommonFilesDir"), ERROR_SUCCESS);
  RunWindow([](HWND frame) {
    HWND name = ToNamePage(frame, "NoSkins");
    ASSERT_NE(name, nullptr);
    Type(name, kSkinName, "Glass");
    Press(frame, IDC_NEXT);
    HWND options = WaitForPage(frame, kAdvanced);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(options, kSkinsLine)),
              "Error. Unable to initialize skins directory");
    HWND check = GetDlgItem(options, kWriteCheck);
    EXPECT_FALSE(IsWindowEnabled(check));
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  });
  RegSetValueExA(key, "CommonFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                 static_cast<DWORD>(strlen(saved) + 1));
  RegCloseKey(key);
}

// The picture is drawn at its own size from the placeholder's corner: the frame's dark top and left
// and light bottom and right edges sit on the outermost pixels of 100 x 300.
TEST_F(SkinWindowTest, SidePictureIsFramedAtItsSizeFromThePlaceholder) {
  RunWindow([](HWND frame) {
    HWND name = ToNamePage(frame, "Picture");
    ASSERT_NE(name, nullptr);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT placeholder{};
    GetWindowRect(GetDlgItem(name, kPlaceholder), &placeholder);
    RECT picture{placeholder.left, placeholder.top, placeholder.left + 100, placeholder.top + 300};
    RECT around{picture.left - 2, picture.top - 2, picture.right + 2, picture.bottom + 2};
    std::uint32_t dark = Rgb(GetSysColor(COLOR_3DDKSHADOW));
    std::uint32_t light = Rgb(GetSysColor(COLOR_BTNHIGHLIGHT));
    std::uint32_t face = Rgb(GetSysColor(COLOR_3DFACE));
    Shot shot;
    // The page paints on its own thread; the screen is read until the frame is there, its last
    // (light) edges as well, so a capture taken halfway through a paint is read again.
    WaitUntil([&] {
      shot = Capture(around);
      return shot.At(2, 2) == dark && shot.At(101, 301) == light;
    });
    // In shot coordinates the picture spans 2..101 across and 2..301 down.
    for (int y : {2, 150, 300}) EXPECT_EQ(shot.At(2, y), dark) << "left edge at " << y;
    for (int x : {2, 50, 100}) EXPECT_EQ(shot.At(x, 2), dark) << "top edge at " << x;
    for (int y : {2, 150, 301}) EXPECT_EQ(shot.At(101, y), light) << "right edge at " << y;
    for (int x : {2, 50, 101}) EXPECT_EQ(shot.At(x, 301), light) << "bottom edge at " << x;
    for (int y : {2, 150, 301}) EXPECT_EQ(shot.At(102, y), face) << "past the right at " << y;
    for (int x : {2, 50, 101}) EXPECT_EQ(shot.At(x, 302), face) << "below at " << x;
    EXPECT_EQ(shot.At(1, 150), face);
    EXPECT_NE(shot.At(50, 150), face) << "the bitmap inside the frame";
    // The resource itself: 100 x 300 in 256 colours.
    HANDLE bitmap = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SIDE_PICTURE),
                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBmih.biWidth, 100);
    EXPECT_EQ(dib.dsBmih.biHeight, 300);
    EXPECT_EQ(dib.dsBmih.biBitCount, 8);
    DeleteObject(bitmap);
  });
}

// ---- a whole run ---------------------------------------------------------------------------

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> FilesUnder(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Name, both pages, Advanced, Finish and the confirmation through the window; the project on disk
// is byte for byte the one the console host writes for the same answers. A second run for the same
// folder is refused with the list of what it would overwrite.
TEST_F(SkinWindowTest, WholeRunWritesTheConsoleHostsProject) {
  std::string confirmation;
  bool created = RunWindow([&](HWND frame) {
    // Back to the frame's own step to rename the project: the new name is the one written.
    ASSERT_NE(ToNamePage(frame, "Wrong"), nullptr);
    Press(frame, IDC_BACK);
    ASSERT_NE(WaitForPage(frame, IDC_PROJECT_NAME), nullptr);
    HWND name = ToNamePage(frame, "MySkins");
    ASSERT_NE(name, nullptr);
    Type(name, kSkinName, " Blue Glass 2 ");
    Type(name, kEmail, "  ann@example.com ");
    // Cancel in the confirmation goes back to the page Finish was pressed on.
    Press(frame, IDC_FINISH);
    HWND cancelled = WaitForDialog(TXT_CONFIRM_CAPTION, frame);
    ASSERT_NE(cancelled, nullptr);
    CloseAndWait(cancelled, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return VisiblePage(frame) == name; }));
    Press(frame, IDC_NEXT);
    HWND options = WaitForPage(frame, kAdvanced);
    ASSERT_NE(options, nullptr);
    SendMessageA(GetDlgItem(options, kCommentsNo), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(options, kLookXp), BM_CLICK, 0, 0);
    HWND advanced = OpenAdvanced(frame, options);
    ASSERT_NE(advanced, nullptr);
    HWND list = GetDlgItem(advanced, kMethodList);
    Press(advanced, kSelectNone);
    ClickItem(list, 2, true);
    ClickItem(list, 11, true);
    CloseAndWait(advanced, IDOK);
    Press(frame, IDC_FINISH);
    HWND confirm = WaitForDialog(TXT_CONFIRM_CAPTION, frame);
    ASSERT_NE(confirm, nullptr);
    confirmation = TextOf(GetDlgItem(confirm, IDC_CONFIRM_TEXT));
    SaveShot(confirm, "confirmation");
    Press(confirm, IDOK);
    WaitUntil([&] { return !IsWindow(frame); });
  });
  ASSERT_TRUE(created);
  EXPECT_NE(confirmation.find("Skin Name: \" Blue Glass 2 \""), std::string::npos) << confirmation;

  testing_support::TempDrive console;
  std::istringstream in;
  std::ostringstream out, err;
  ASSERT_EQ(skinwizard::RunSkinWizardConsole(
                {"MySkins", "--location", console.Root(), "--skin-name", " Blue Glass 2 ",
                 "--email", "  ann@example.com ", "--comments", "no", "--look", "xp", "--methods",
                 "OnDrawMenuBorder,OnDrawTab", "--yes"},
                {in, out, err, false}),
            0)
      << err.str();
  fs::path window = fs::path(drive_.Root()) / "MySkins";
  fs::path reference = fs::path(console.Root()) / "MySkins";
  std::vector<std::string> files = FilesUnder(window);
  ASSERT_EQ(files, FilesUnder(reference));
  EXPECT_GE(files.size(), 10u);
  for (const std::string& file : files) {
    EXPECT_TRUE(ReadBytes(window / file) == ReadBytes(reference / file)) << file << " differs";
  }

  std::string refusal;
  EXPECT_FALSE(RunWindow([&](HWND frame) {
    ASSERT_NE(ToNamePage(frame, "MySkins"), nullptr);
    Press(frame, IDC_FINISH);
    // Finish commits step 1 with an empty name first: name the skin and finish again.
    HWND box = WaitForDialog(kTitle, frame);
    ASSERT_NE(box, nullptr);
    // Gone before Finish is pressed again, or the search below could find this box once more.
    CloseAndWait(box, IDOK);
    HWND name = WaitForPage(frame, kSkinName);
    Type(name, kSkinName, "Again");
    Press(frame, IDC_FINISH);
    box = WaitForDialog(kTitle, frame);
    ASSERT_NE(box, nullptr);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      refusal += TextOf(child) + "\n";
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }));
  EXPECT_NE(refusal.find("already holds files that this project would overwrite"),
            std::string::npos)
      << refusal;
  EXPECT_NE(refusal.find("MySkins.dsp"), std::string::npos) << refusal;
}

}  // namespace
