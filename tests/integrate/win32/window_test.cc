// TSLKTIntegrate's dialog in process under wine on an X display: the template as built,
// the view drawing the model, clicks, message boxes and the progress list.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "integrate/win32/integration_window.h"
#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using integrate_win32::IntegrationWindow;
using integrate_win32::Wide;
using platform::RootKey;

// One control of dialog 102 as the layout table gives it.
struct Expected {
  int id;
  const wchar_t* className;
  std::string text;  // Windows-1252
  DWORD style;       // the bits that must be set
  DWORD absent;      // the bits that must be clear
  RECT units;        // left, top, width, height in dialog units (right/bottom hold w/h)
};

const DWORD kCheckbox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

const std::vector<Expected>& Layout() {
  using namespace integrate;
  const DWORD list =
      WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SINGLESEL;
  const DWORD push = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  // clang-format off
  static const std::vector<Expected> layout = {
      {kIdBanner, L"Static", "", WS_CHILD | SS_WHITERECT, WS_VISIBLE, {0, 0, 285, 36}},
      {kIdWelcomeText, L"Static", LABEL_WELCOME_TEXT, WS_CHILD | WS_VISIBLE, 0, {24, 43, 255, 34}},
      {kIdVc6Option, L"Button", LABEL_VC6_OPTION, kCheckbox, 0, {35, 84, 144, 10}},
      {kIdNet70Option, L"Button", LABEL_NET70_OPTION, kCheckbox, 0, {35, 99, 156, 10}},
      {kIdNet71Option, L"Button", LABEL_NET71_OPTION, kCheckbox, 0, {35, 114, 174, 10}},
      {kIdVs2005Option, L"Button", LABEL_VS2005_OPTION, kCheckbox, 0, {35, 129, 157, 10}},
      {kIdDirectoriesOption, L"Button", LABEL_DIRECTORIES_OPTION, kCheckbox, 0, {49, 145, 89, 10}},
      {kIdHelpOption, L"Button", LABEL_HELP_OPTION, kCheckbox, 0, {49, 159, 110, 10}},
      {kIdAppWizardOption, L"Button", LABEL_APP_WIZARD_OPTION, kCheckbox, 0, {49, 173, 145, 10}},
      {kIdSkinWizardOption, L"Button", LABEL_SKIN_WIZARD_OPTION, kCheckbox, 0, {49, 187, 165, 10}},
      {kIdOkButton, L"Button", LABEL_OK, push | BS_DEFPUSHBUTTON, 0, {173, 212, 50, 14}},
      {kIdCancelButton, L"Button", LABEL_CANCEL, push, BS_DEFPUSHBUTTON, {229, 212, 50, 14}},
      {kIdProgressList, L"SysListView32", "", list, WS_VISIBLE | LVS_SORTASCENDING | LVS_SORTDESCENDING, {24, 45, 255, 153}},
  };
  // clang-format on
  return layout;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

// A rectangle in dialog units as pixels of this dialog's font. The dialog manager converts
// the origin and the size each on its own, so the far edges round as theirs do.
RECT Pixels(HWND dialog, const RECT& units) {
  RECT r = units;
  MapDialogRect(dialog, &r);
  return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT ClientRectOf(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectRect(const RECT& expected, const RECT& actual, const std::string& what) {
  EXPECT_EQ(expected.left, actual.left) << what;
  EXPECT_EQ(expected.top, actual.top) << what;
  EXPECT_EQ(expected.right, actual.right) << what;
  EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

// A dialog procedure that adds nothing, so the window shows the template as built.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A message box as the user saw it, and the button it was answered with.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  bool hasOk = false;
  bool hasCancel = false;
  bool ownedByDialog = false;
  bool exclamation = false;
  bool waitCursor = false;
};

// Answers the message boxes the thread opens, from a timer that runs inside their modal
// loops: records each and presses the next answer (OK once the answers run out).
class BoxAnswerer {
 public:
  BoxAnswerer(HWND dialog, std::vector<int> answers) : dialog_(dialog), answers_(answers) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, &BoxAnswerer::OnTimer);
  }
  ~BoxAnswerer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  std::vector<SeenBox> seen;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_) EnumThreadWindows(GetCurrentThreadId(), &BoxAnswerer::OnWindow, 0);
  }
  static BOOL CALLBACK OnWindow(HWND window, LPARAM) {
    BoxAnswerer& self = *current_;
    if (window == self.dialog_ || !IsWindowVisible(window) || ClassOf(window) != L"#32770") {
      return TRUE;
    }
    SeenBox box;
    box.caption = TextOf(window);
    box.ownedByDialog = GetWindow(window, GW_OWNER) == self.dialog_;
    box.hasOk = GetDlgItem(window, IDOK) != nullptr;
    box.hasCancel = GetDlgItem(window, IDCANCEL) != nullptr;
    box.waitCursor = GetCursor() == LoadCursor(nullptr, IDC_WAIT);
    HICON exclamation = LoadIcon(nullptr, IDI_EXCLAMATION);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassOf(child) != L"Static") continue;
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box.exclamation =
            reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) == exclamation;
      } else if (TextOf(child).size() > box.text.size()) {
        box.text = TextOf(child);
      }
    }
    self.seen.push_back(box);
    int answer = IDOK;
    if (!self.answers_.empty()) {
      answer = self.answers_.front();
      self.answers_.erase(self.answers_.begin());
    }
    PostMessageW(window, WM_COMMAND, answer, 0);
    return FALSE;
  }

  static BoxAnswerer* current_;
  HWND dialog_;
  std::vector<int> answers_;
  UINT_PTR timer_ = 0;
};
BoxAnswerer* BoxAnswerer::current_ = nullptr;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override {
    view.reset();
    Pump();
  }

  HWND Open(const std::string& installDir = "C:\\Lib", FakePlatform* machine = nullptr) {
    view = std::make_unique<IntegrationWindow>(installDir, (machine ? *machine : fake).services,
                                               owner);
    // Left unshown: without a window manager wine waits 2 s for each shown window to be
    // withdrawn again. The checks read the controls' own visibility bits.
    dialog = view->Create(GetModuleHandleW(nullptr));
    Pump();
    return dialog;
  }
  HWND Item(int id) { return GetDlgItem(dialog, id); }
  bool Checked(int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
  bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }
  bool Visible(int id) { return (GetWindowLongW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
  void Click(int id) {
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    Pump();
  }

  // The progress list's lines as "image text".
  std::vector<std::wstring> ListLines() {
    std::vector<std::wstring> lines;
    HWND list = Item(integrate::kIdProgressList);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_IMAGE;
      item.iItem = i;
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      lines.push_back(std::to_wstring(item.iImage) + L" " + text);
    }
    return lines;
  }

  void InstallVc6() { integrate_test::InstallVc6(fake); }

  FakePlatform fake;
  integrate_win32::WindowOwner owner{"window_test"};
  std::unique_ptr<IntegrationWindow> view;
  HWND dialog = nullptr;
};

// The template and resources as built, against the layout table.
TEST_F(WindowTest, TemplateAsBuiltMatchesTheLayout) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND raw = CreateDialogParamW(instance, MAKEINTRESOURCEW(integrate::kIdDialogTemplate), nullptr,
                                &PlainDialogProc, 0);
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(TextOf(raw), Wide(CAPTION_INTEGRATION));
  const DWORD style = static_cast<DWORD>(GetWindowLongW(raw, GWL_STYLE));
  for (DWORD bit : {DWORD(WS_POPUP), DWORD(WS_CAPTION), DWORD(WS_SYSMENU), DWORD(WS_MINIMIZEBOX),
                    DWORD(DS_MODALFRAME)}) {
    EXPECT_EQ(style & bit, bit) << std::hex << bit;
  }
  // It opens in the middle of the screen's work area, not at its corner.
  RECT frame{}, work{};
  GetWindowRect(raw, &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
  EXPECT_NE(GetWindowLongW(raw, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  RECT client{};
  GetClientRect(raw, &client);
  ExpectRect(Pixels(raw, {0, 0, 286, 233}), client, "client area");

  for (const Expected& e : Layout()) {
    const std::string what = "control " + std::to_string(e.id);
    HWND control = GetDlgItem(raw, e.id);
    ASSERT_NE(control, nullptr) << what;
    EXPECT_TRUE(_wcsicmp(ClassOf(control).c_str(), e.className) == 0) << what;
    EXPECT_EQ(TextOf(control), Wide(e.text)) << what;
    const DWORD s = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    EXPECT_EQ(s & e.style, e.style) << what << std::hex << " style " << s;
    EXPECT_EQ(s & e.absent, 0u) << what << std::hex << " style " << s;
    ExpectRect(Pixels(raw, e.units), ClientRectOf(raw, control), what);
  }
  // The list view turns its border style into a client edge when it is created.
  HWND list = GetDlgItem(raw, integrate::kIdProgressList);
  EXPECT_TRUE((GetWindowLongW(list, GWL_STYLE) & WS_BORDER) != 0 ||
              (GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
  // The two etched lines carry no id: find them by their style.
  std::vector<RECT> etched;
  for (HWND c = GetWindow(raw, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ) {
      etched.push_back(ClientRectOf(raw, c));
    }
  }
  ASSERT_EQ(etched.size(), 2u);
  // An etched line keeps its origin but draws its edge 2 pixels past the template's size.
  const RECT lines[] = {Pixels(raw, {7, 204, 272, 1}), Pixels(raw, {0, 36, 288, 1})};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(etched[i].left, lines[i].left) << i;
    EXPECT_EQ(etched[i].top, lines[i].top) << i;
    EXPECT_NEAR(etched[i].right, lines[i].right, 2) << i;
  }
  DestroyWindow(raw);

  // The pictures: both banners 426 x 58 (true colour and 16 colours), the 32 x 16 strip.
  struct Picture {
    int id, width, height, bits;
  };
  for (const Picture& p :
       {Picture{129, 426, 58, 24}, Picture{130, 426, 58, 4}, Picture{131, 32, 16, 4}}) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(p.id), MAKEINTRESOURCEW(2));
    ASSERT_NE(found, nullptr) << p.id;
    const auto* info =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(instance, found)));
    EXPECT_EQ(info->biWidth, p.width) << p.id;
    EXPECT_EQ(info->biHeight, p.height) << p.id;
    EXPECT_EQ(info->biBitCount, p.bits) << p.id;
  }
  EXPECT_NE(LoadIconW(instance, MAKEINTRESOURCEW(128)), nullptr);
  HRSRC manifest = FindResourceW(instance, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(instance, manifest))),
                         SizeofResource(instance, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
}

// The view draws the model's opening state for what the machine and the library hold.
TEST_F(WindowTest, OpensWithWhatIsAvailable) {
  struct Case {
    const char* name;
    std::function<void(FakePlatform&)> install;
    std::vector<int> checkedEnabled, uncheckedDisabled, checkedDisabled;
  };
  const std::vector<Case> cases = {
      {"help files missing, Visual C++ 6.0 and its wizards present",
       [](FakePlatform& f) {
         f.registry.AddKey(RootKey::kLocalMachine, kVc6Key);
         f.files.Put("C:\\Lib\\TSLAppWizard\\Release\\TSLXAppWizard.awx", "app");
         f.files.Put(kSkinSource, "skin");
       },
       {1003, 1004, 1005, 1006},
       {1001, 1009, 1010, 1011},
       {}},
      {"only the 2005 wizard",
       [](FakePlatform& f) {
         f.files.AddFolder("C:\\Lib\\TSLAppWizard2005\\TSLAppWizard");
         f.files.AddFolder("C:\\Lib\\TSLAppWizard2005\\vcprojects");
       },
       {1003, 1004},
       {1001, 1005, 1006},
       {}},
      {"no wizard at all, help present",
       [](FakePlatform& f) {
         f.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "");
         f.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "");
       },
       {1001, 1003},
       {1004, 1005},
       {}},
      {"no Visual C++ 6.0, skin wizard present",
       [](FakePlatform& f) { f.files.Put(kSkinSource, "skin"); },
       {1003},
       {1006},
       {1005}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform machine;
    c.install(machine);
    Open("C:\\Lib", &machine);
    for (int id : c.checkedEnabled) EXPECT_TRUE(Checked(id) && Enabled(id)) << id;
    for (int id : c.uncheckedDisabled) EXPECT_TRUE(!Checked(id) && !Enabled(id)) << id;
    for (int id : c.checkedDisabled) EXPECT_TRUE(Checked(id) && !Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_FALSE(Visible(integrate::kIdProgressList));
    EXPECT_EQ(view->BannerId(), 129);  // the test display has 24 bits per pixel
    view.reset();
  }
  Open("");
  EXPECT_FALSE(Enabled(IDOK));
}

// Clicking 1006 disables the skin wizard without clearing it, and enables it again unless
// its source is missing.
TEST_F(WindowTest, Vc6ClickRulesTheSkinWizardCheckbox) {
  InstallVc6();
  Open();
  ASSERT_TRUE(Checked(1005) && Enabled(1005));
  Click(1006);
  EXPECT_FALSE(Checked(1006));
  EXPECT_TRUE(Checked(1005));
  EXPECT_FALSE(Enabled(1005));
  Click(1006);
  EXPECT_TRUE(Checked(1005) && Enabled(1005));

  fake.files.Remove(kSkinSource);
  Click(1006);
  Click(1006);
  EXPECT_TRUE(Checked(1006));
  EXPECT_FALSE(Checked(1005));
  EXPECT_FALSE(Enabled(1005));
}

// OK with no IDE chosen: message 24 owned by the dialog, the options face unchanged.
TEST_F(WindowTest, OkWithNothingChosenShowsMessage24) {
  InstallVc6();
  Open();
  Click(1006);
  BoxAnswerer answerer(dialog, {});
  Click(IDOK);
  ASSERT_EQ(answerer.seen.size(), 1u);
  const SeenBox& box = answerer.seen[0];
  EXPECT_EQ(box.caption, L"window_test");
  EXPECT_EQ(box.text, L"You need to select at least one item.");
  EXPECT_TRUE(box.hasOk);
  EXPECT_FALSE(box.hasCancel);
  EXPECT_TRUE(box.ownedByDialog);
  EXPECT_TRUE(box.exclamation);
  for (int id : {1003, 1005, 1006, 1013, IDOK}) EXPECT_TRUE(Visible(id)) << id;
  EXPECT_FALSE(Visible(integrate::kIdProgressList));
  EXPECT_EQ(TextOf(Item(IDCANCEL)), L"Cancel");
}

// A run: the progress face with its lines and images; with Visual C++ running, the prompt
// is an OK/Cancel box and Cancel fails that IDE.
TEST_F(WindowTest, RunShowsTheProgressFace) {
  InstallVc6();
  Open();
  Click(IDOK);
  EXPECT_EQ(ListLines(),
            (std::vector<std::wstring>{L"0 Integration with Visual C++ 6.0",
                                       L"0     Setup directories", L"0     Copy TSLSkinWizard",
                                       L"0 Integration completed successfully"}));
  for (int id : {1001, 1003, 1004, 1005, 1006, 1009, 1010, 1011}) {
    EXPECT_FALSE(Visible(id)) << id;
    EXPECT_FALSE(Enabled(id)) << id;
  }
  EXPECT_FALSE(Visible(1013));
  EXPECT_TRUE(Visible(integrate::kIdProgressList));
  EXPECT_FALSE(Visible(IDOK));
  EXPECT_FALSE(Enabled(IDOK));
  EXPECT_EQ(TextOf(Item(IDCANCEL)), L"Close");
  EXPECT_EQ(GetFocus(), Item(IDCANCEL));
  EXPECT_EQ(SendMessageW(Item(integrate::kIdProgressList), LVM_GETIMAGELIST, LVSIL_SMALL, 0) != 0,
            true);
  Click(IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(WindowTest, RunningVc6PromptsAndCancelFailsIt) {
  InstallVc6();
  fake.processes.names = {"C:\\VS\\Common\\MSDev98\\Bin\\MSDEV.EXE"};
  Open();
  BoxAnswerer answerer(dialog, {IDCANCEL});
  Click(IDOK);
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen[0].text,
            L"Please close Microsoft Visual C++ before processing with Tessaline Installation");
  EXPECT_TRUE(answerer.seen[0].hasOk && answerer.seen[0].hasCancel);
  EXPECT_TRUE(answerer.seen[0].ownedByDialog);
  EXPECT_TRUE(answerer.seen[0].waitCursor);
  EXPECT_NE(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
  const std::vector<std::wstring> lines = ListLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), L"1 Integration failed");
  EXPECT_EQ(TextOf(Item(IDCANCEL)), L"Close");
}

}  // namespace
}  // namespace integrate_test
