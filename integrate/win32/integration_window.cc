// The Win32 view of dialog 102: draws the model's control states and forwards clicks.
#include "integrate/win32/integration_window.h"

#include <vector>

#include "integrate/startup.h"
#include "platform/encoding.h"
#include "tsl_version.h"

namespace integrate_win32 {
namespace {

using integrate::IntegrationDialog;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kImageWidth = 16;
constexpr UINT kIconMask = 0xF0;  // MB_ICONHAND .. MB_ICONASTERISK
// A system menu command of our own: below 0xF000 and with the low four bits clear, which
// the system keeps for itself.
constexpr UINT kAboutCommand = 0x0010;

bool IsOption(int id) {
  for (int option : IntegrationDialog::OptionsFaceIds()) {
    if (option == id) return true;
  }
  return false;
}

std::wstring WindowText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
  return text;
}

// While the run holds the wait cursor its message boxes keep it too: each box is subclassed as
// it is created, so the pointer over it does not bring the arrow back.
const wchar_t kBoxProcProperty[] = L"TslWaitingBoxProc";

LRESULT CALLBACK WaitingBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetPropW(box, kBoxProcProperty));
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    return TRUE;
  }
  if (message == WM_NCDESTROY) RemovePropW(box, kBoxProcProperty);
  return CallWindowProcW(original, box, message, wParam, lParam);
}

LRESULT CALLBACK SubclassNewBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    HWND window = reinterpret_cast<HWND>(wParam);
    const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if ((create->style & WS_CHILD) == 0) {
      SetPropW(window, kBoxProcProperty,
               reinterpret_cast<HANDLE>(SetWindowLongPtrW(
                   window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WaitingBoxProc))));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::wstring Wide(const std::string& ansi) {
  const std::u16string text = platform::AnsiToUtf16(ansi);
  return std::wstring(text.begin(), text.end());
}

std::string ProgramBaseName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return integrate::MessageCaption(path, "TSLKTIntegrate");
}

int WindowOwner::ShowMessage(const std::string& text, unsigned flags) {
  UINT style = flags;
  if ((style & kIconMask) == 0) style |= MB_ICONEXCLAMATION;
  HHOOK hook = waiting_
                   ? SetWindowsHookExW(WH_CBT, &SubclassNewBoxes, nullptr, GetCurrentThreadId())
                   : nullptr;
  const int answer = MessageBoxW(window_, Wide(text).c_str(), Wide(caption_).c_str(), style);
  if (hook) UnhookWindowsHookEx(hook);
  return answer;
}

void WindowOwner::Beep(unsigned type) { MessageBeep(type); }

void WindowOwner::SetWaitCursor(bool on) {
  waiting_ = on;
  if (on) {
    previous_ = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  } else {
    SetCursor(previous_ ? previous_ : LoadCursor(nullptr, IDC_ARROW));
  }
}

IntegrationWindow::IntegrationWindow(const std::string& installDir, platform::Platform& platform,
                                     WindowOwner& owner)
    : model_(installDir, platform, owner), owner_(owner) {
  model_.SetLineObserver([this](const integrate::ProgressLine& line) { AppendLine(line); });
}

IntegrationWindow::~IntegrationWindow() {
  if (window_ && !modal_) DestroyWindow(window_);
  if (images_) ImageList_Destroy(images_);
  if (banner_) DeleteObject(banner_);
}

void IntegrationWindow::RunModal(HINSTANCE instance) {
  instance_ = instance;
  modal_ = true;
  DialogBoxParamW(instance, MAKEINTRESOURCEW(integrate::kIdDialogTemplate), nullptr,
                  &IntegrationWindow::DialogProc, reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  owner_.SetWindow(nullptr);
}

HWND IntegrationWindow::Create(HINSTANCE instance) {
  instance_ = instance;
  modal_ = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(integrate::kIdDialogTemplate), nullptr,
                            &IntegrationWindow::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK IntegrationWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<IntegrationWindow*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
    self->OnInitDialog();
    return TRUE;  // the platform gives the first control the focus
  }
  auto* self = reinterpret_cast<IntegrationWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    self->window_ = nullptr;
    self->owner_.SetWindow(nullptr);
    return FALSE;
  }
  return self->OnMessage(message, wParam);
}

INT_PTR IntegrationWindow::OnMessage(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != kAboutCommand) return FALSE;
      MessageBoxW(window_, L"TSLKTIntegrate " TSL_VERSION_W, L"About TSLKTIntegrate",
                  MB_OK | MB_ICONINFORMATION);
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    case WM_SETCURSOR:
      // The run keeps the wait cursor however the mouse moves over the dialog.
      if (!owner_.Waiting()) return FALSE;
      SetCursor(LoadCursor(nullptr, IDC_WAIT));
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    default:
      return FALSE;
  }
}

void IntegrationWindow::OnInitDialog() {
  owner_.SetWindow(window_);
  icon_ = LoadIconW(instance_, MAKEINTRESOURCEW(integrate::kIdProgramIcon));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  // The dialog has no menu bar: the version is told from the system menu, as a dialog
  // program's About usually is.
  HMENU systemMenu = GetSystemMenu(window_, FALSE);
  AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu, MF_STRING, kAboutCommand, L"&About TSLKTIntegrate...");

  GetWindowRect(GetDlgItem(window_, integrate::kIdBanner), &bannerRect_);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&bannerRect_), 2);

  images_ = ImageList_LoadImageW(instance_, MAKEINTRESOURCEW(integrate::kIdProgressImages),
                                 kImageWidth, 0, kMagenta, IMAGE_BITMAP, 0);
  HWND list = GetDlgItem(window_, integrate::kIdProgressList);
  RECT client{};
  GetClientRect(list, &client);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right - client.left;
  wchar_t heading[] = L"";
  column.pszText = heading;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  ListView_SetImageList(list, images_, LVSIL_SMALL);

  HDC screen = GetDC(nullptr);
  bannerId_ = integrate::BannerBitmapId(GetDeviceCaps(screen, BITSPIXEL));
  ReleaseDC(nullptr, screen);
  banner_ = static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(bannerId_), IMAGE_BITMAP, 0, 0, 0));
  BITMAP info{};
  if (banner_ && GetObjectW(banner_, sizeof info, &info)) {
    bannerSize_ = {info.bmWidth, info.bmHeight};
  }

  model_.OnInitDialog();
  Draw();
}

void IntegrationWindow::OnCommand(int id) {
  if (id == IDOK) {
    const IntegrationDialog::RunResult result = model_.OnRun();
    Draw();
    if (model_.FocusedControl() != 0) {
      SendMessageW(window_, WM_NEXTDLGCTL,
                   reinterpret_cast<WPARAM>(GetDlgItem(window_, model_.FocusedControl())), TRUE);
    }
    if (result != IntegrationDialog::kRunNotStarted && runObserver_) runObserver_(result);
  } else if (id == IDCANCEL) {
    if (modal_) {
      EndDialog(window_, IDCANCEL);
    } else {
      DestroyWindow(window_);
    }
  } else if (IsOption(id)) {
    // An auto checkbox has already toggled itself; the model decides what follows.
    const bool checked = IsDlgButtonChecked(window_, id) == BST_CHECKED;
    model_.SetChecked(id, checked);
    Draw();
  }
}

void IntegrationWindow::Draw() {
  // The option checkboxes first, in the order the run hides and then disables them.
  std::vector<int> ids = IntegrationDialog::OptionsFaceIds();
  for (int id : IntegrationDialog::ControlIds()) {
    if (!IsOption(id)) ids.push_back(id);
  }
  for (int id : ids) {
    if (id == integrate::kIdBanner) continue;  // it only marks the banner's rectangle
    HWND control = GetDlgItem(window_, id);
    const integrate::ControlState& state = model_.Control(id);
    if (id != integrate::kIdProgressList) {
      const std::wstring text = Wide(state.text);
      if (WindowText(control) != text) SetWindowTextW(control, text.c_str());
    }
    if (IsOption(id)) {
      CheckDlgButton(window_, id, state.checked ? BST_CHECKED : BST_UNCHECKED);
    }
    // The style bit, not IsWindowVisible: a control of a hidden dialog is not visible either.
    const bool visible = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != state.visible) ShowWindow(control, state.visible ? SW_SHOW : SW_HIDE);
    if ((IsWindowEnabled(control) != FALSE) != state.enabled) {
      EnableWindow(control, state.enabled);
    }
  }
}

void IntegrationWindow::AppendLine(const integrate::ProgressLine& line) {
  // The first line comes right after the run switched faces; show the list it goes into.
  Draw();
  HWND list = GetDlgItem(window_, integrate::kIdProgressList);
  std::wstring text = Wide(line.text);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = ListView_GetItemCount(list);
  item.pszText = &text[0];
  item.iImage = line.image;
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void IntegrationWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (IsIconic(window_)) {
    SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(window_, &client);
    const integrate::Point at =
        integrate::MinimisedIconOrigin(client.right - client.left, client.bottom - client.top,
                                       GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, at.x, at.y, icon_);
  } else {
    FillRect(dc, &bannerRect_, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (banner_) {
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, banner_);
      BitBlt(dc, bannerRect_.left, bannerRect_.top, bannerSize_.cx, bannerSize_.cy, memory, 0, 0,
             SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    }
  }
  EndPaint(window_, &paint);
}

}  // namespace integrate_win32
