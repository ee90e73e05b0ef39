// Win32 views of the skin wizard's pages and its Advanced dialog, over the page models.
#include "skinwizard/win32/page_windows.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "platform/encoding.h"
#include "skinwizard/advanced_methods_dialog.h"
#include "skinwizard/res/resource.h"
#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_options_page.h"
#include "skinwizard/typed_text.h"

namespace skinwizard {
namespace {

// Characters a message box line may hold before a long name or path is broken: the box grows
// as wide as its longest unbroken word.
constexpr std::size_t kMessageWidth = 60;

// The templates and the picture are linked into the program itself.
HINSTANCE Module() { return GetModuleHandleA(nullptr); }

// As the framework's FillSolidRect: an opaque empty text output is the cheapest fill.
void FillSolid(HDC dc, int x, int y, int width, int height, COLORREF colour) {
  RECT rect{x, y, x + width, y + height};
  SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// The framework's Draw3dRect: the frame lies on the rectangle's outermost pixels; the top-right and
// bottom-left corners belong to the light edges.
void Draw3dFrame(HDC dc, const RECT& rect, COLORREF top_left, COLORREF bottom_right) {
  int x = rect.left, y = rect.top, cx = rect.right - rect.left, cy = rect.bottom - rect.top;
  FillSolid(dc, x, y, cx - 1, 1, top_left);
  FillSolid(dc, x, y, 1, cy - 1, top_left);
  FillSolid(dc, x + cx - 1, y, 1, cy, bottom_right);
  FillSolid(dc, x, y + cy - 1, cx, 1, bottom_right);
}

// Radio groups as the framework's DDX_Radio binds them: the index of the checked button of the
// group, -1 when none is; an index outside the group checks none.
int CheckedIndex(HWND dialog, const std::vector<int>& group) {
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (IsDlgButtonChecked(dialog, group[i]) == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void CheckIndex(HWND dialog, const std::vector<int>& group, int index) {
  for (std::size_t i = 0; i < group.size(); ++i) {
    CheckDlgButton(dialog, group[i], static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED);
  }
}

// A page's child window: its side picture, painted with the 3-D frame, and its commands.
class PageWindow : public DialogWindowView {
 public:
  PageWindow(WizardPage& page, std::string caption, std::function<void(HWND)> reveal)
      : DialogWindowView(std::move(caption), std::move(reveal)), page_(page) {}
  ~PageWindow() override {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (picture_ != nullptr) DeleteObject(picture_);
  }

  bool Create(HWND frame, const RECT& area) {
    hwnd_ = CreateDialogParamA(Module(), MAKEINTRESOURCEA(page_.TemplateId()), frame, &Proc,
                               reinterpret_cast<LPARAM>(this));
    if (hwnd_ == nullptr) return false;
    SetWindowPos(hwnd_, nullptr, area.left, area.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }

 protected:
  virtual void OnCommand(int /*id*/, int /*code*/) {}

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(hwnd, GWLP_USERDATA, lparam);
    auto* self = reinterpret_cast<PageWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        self->hwnd_ = hwnd;
        self->LoadSidePicture();
        return FALSE;  // the frame decides where the focus goes
      case WM_PAINT:
        self->Paint();
        return TRUE;
      case WM_COMMAND:
        self->OnCommand(LOWORD(wparam), HIWORD(wparam));
        return TRUE;
      default:
        return FALSE;
    }
  }

  void LoadSidePicture() {
    // A DIB section keeps the 256 colours whatever the display's depth.
    picture_ = static_cast<HBITMAP>(LoadImageA(Module(), MAKEINTRESOURCEA(IDB_SIDE_PICTURE),
                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (picture_ != nullptr) picture_rect_ = SidePictureRect(hwnd_, kPlaceholder, picture_);
  }

  void Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (picture_ != nullptr) {
      const RECT& r = picture_rect_;
      DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(picture_), 0, r.left, r.top,
                 r.right - r.left, r.bottom - r.top, DST_BITMAP | DSS_NORMAL);
      Draw3dFrame(dc, r, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    EndPaint(hwnd_, &paint);
  }

  // Both pages place the picture at the same hidden static.
  static constexpr int kPlaceholder = SkinNamePage::kPicture;
  static_assert(SkinNamePage::kPicture == SkinOptionsPage::kPicture);

  WizardPage& page_;
  HBITMAP picture_ = nullptr;
  RECT picture_rect_{};
};

class NamePageWindow : public PageWindow {
 public:
  NamePageWindow(SkinNamePage& page, std::string caption, std::function<void(HWND)> reveal)
      : PageWindow(page, std::move(caption), std::move(reveal)), page_(page) {}

  bool TransferToMembers() override {
    return TypedText(SkinNamePage::kSkinNameEdit, &page_.skinName) &&
           TypedText(SkinNamePage::kAuthorEdit, &page_.author) &&
           TypedText(SkinNamePage::kCompanyEdit, &page_.company) &&
           TypedText(SkinNamePage::kEmailEdit, &page_.email) &&
           TypedText(SkinNamePage::kUrlEdit, &page_.url);
  }
  void TransferToControls() override {
    SetText(SkinNamePage::kSkinNameEdit, page_.skinName);
    SetText(SkinNamePage::kAuthorEdit, page_.author);
    SetText(SkinNamePage::kCompanyEdit, page_.company);
    SetText(SkinNamePage::kEmailEdit, page_.email);
    SetText(SkinNamePage::kUrlEdit, page_.url);
  }

 private:
  SkinNamePage& page_;
};

class OptionsPageWindow : public PageWindow {
 public:
  OptionsPageWindow(SkinOptionsPage& page, std::string caption, std::function<void(HWND)> reveal)
      : PageWindow(page, std::move(caption), std::move(reveal)), page_(page) {}

  bool TransferToMembers() override {
    page_.comments = CheckedIndex(hwnd_, kComments);
    page_.baseLook = CheckedIndex(hwnd_, kLooks);
    page_.writeToSkinsDirectory =
        IsDlgButtonChecked(hwnd_, SkinOptionsPage::kWriteCheck) == BST_CHECKED ? 1 : 0;
    return true;
  }
  void TransferToControls() override {
    CheckIndex(hwnd_, kComments, page_.comments);
    CheckIndex(hwnd_, kLooks, page_.baseLook);
    CheckDlgButton(hwnd_, SkinOptionsPage::kWriteCheck,
                   page_.writeToSkinsDirectory != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(hwnd_, SkinOptionsPage::kWriteCheck), page_.writeCheckEnabled);
    SetText(SkinOptionsPage::kSkinsLine, page_.skinsLine);
  }

 protected:
  void OnCommand(int id, int code) override {
    if (id == SkinOptionsPage::kAdvancedButton && code == BN_CLICKED) page_.OnAdvanced();
  }

 private:
  inline static const std::vector<int> kComments = {SkinOptionsPage::kCommentsYes,
                                                    SkinOptionsPage::kCommentsNo};
  inline static const std::vector<int> kLooks = {SkinOptionsPage::kLook2000,
                                                 SkinOptionsPage::kLookXp};
  SkinOptionsPage& page_;
};

// "Skin Advanced Properties": the check list is an owner-drawn list box whose check marks are the
// model's items; a click on a mark or the space bar toggles it, as a check list does.
class AdvancedWindow : public DialogWindowView {
 public:
  AdvancedWindow(AdvancedMethodsDialog& dialog, std::string caption)
      : DialogWindowView(std::move(caption), nullptr), dialog_(dialog) {}

  int Run(HWND parent) {
    INT_PTR result = DialogBoxParamA(Module(), MAKEINTRESOURCEA(dialog_.TemplateId()), parent,
                                     &Proc, reinterpret_cast<LPARAM>(this));
    return result == IDOK ? ModalDialog::kOk : ModalDialog::kCancel;
  }

  bool TransferToMembers() override { return true; }  // the checks live in the model
  void TransferToControls() override {
    SetText(AdvancedMethodsDialog::kDescription, dialog_.description);
    InvalidateRect(List(), nullptr, TRUE);
  }

 private:
  HWND List() const { return GetDlgItem(hwnd_, AdvancedMethodsDialog::kMethodList); }

  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_MEASUREITEM) {
      // Sent while the list is made, before WM_INITDIALOG: only the dialog's font is known.
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      measure->itemHeight = ItemHeight(hwnd);
      return TRUE;
    }
    if (message == WM_INITDIALOG) SetWindowLongPtrA(hwnd, GWLP_USERDATA, lparam);
    auto* self = reinterpret_cast<AdvancedWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        self->hwnd_ = hwnd;
        return self->Init();
      case WM_DRAWITEM:
        self->DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      case WM_COMMAND:
        self->OnCommand(LOWORD(wparam), HIWORD(wparam));
        return TRUE;
      case WM_DESTROY:
        self->dialog_.AttachView(nullptr);
        return FALSE;
      default:
        return FALSE;
    }
  }

  static UINT ItemHeight(HWND dialog) {
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return static_cast<UINT>(std::max<LONG>(metrics.tmHeight, kCheckSize) + 2);
  }

  INT_PTR Init() {
    dialog_.AttachView(this);
    if (!dialog_.OnInitDialog()) {
      EndDialog(hwnd_, IDCANCEL);
      return TRUE;
    }
    HWND list = List();
    for (const AdvancedMethodsDialog::Item& item : dialog_.Items()) {
      LRESULT index =
          SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
      SendMessageA(list, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(item.method));
    }
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    list_proc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc)));
    return TRUE;
  }

  void Redraw() { InvalidateRect(List(), nullptr, TRUE); }

  void OnCommand(int id, int code) {
    switch (id) {
      case AdvancedMethodsDialog::kMethodList:
        if (code == LBN_SELCHANGE) {
          dialog_.OnSelectionChange(static_cast<int>(SendMessageA(List(), LB_GETCURSEL, 0, 0)));
        } else if (code == LBN_DBLCLK) {
          dialog_.OnDoubleClick();
          Redraw();
        }
        break;
      case AdvancedMethodsDialog::kSelectAll:
        dialog_.OnSelectAll();
        Redraw();
        break;
      case AdvancedMethodsDialog::kSelectNone:
        dialog_.OnSelectNone();
        Redraw();
        break;
      case IDOK:
        dialog_.OnOK();
        EndDialog(hwnd_, IDOK);
        break;
      case IDCANCEL:  // the button, Escape and the system menu's Close
        dialog_.OnCancel();
        EndDialog(hwnd_, IDCANCEL);
        break;
      default:
        break;
    }
  }

  static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<AdvancedWindow*>(GetWindowLongPtrA(list, GWLP_USERDATA));
    if (message == WM_LBUTTONDOWN && GET_X_LPARAM(lparam) < kCheckSize + 2 * kCheckMargin) {
      LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, lparam);
      if (HIWORD(hit) == 0) {
        self->dialog_.ToggleCheck(LOWORD(hit));
        self->Redraw();
      }
    } else if (message == WM_KEYDOWN && wparam == VK_SPACE) {
      self->dialog_.ToggleCheck(self->dialog_.Selection());
      self->Redraw();
      return 0;
    }
    return CallWindowProcA(self->list_proc_, list, message, wparam, lparam);
  }

  static int GET_X_LPARAM_(LPARAM lparam) { return static_cast<short>(LOWORD(lparam)); }

  void DrawItem(const DRAWITEMSTRUCT& draw) {
    if (draw.itemID == static_cast<UINT>(-1)) return;
    const auto& items = dialog_.Items();
    if (draw.itemID >= items.size()) return;
    const AdvancedMethodsDialog::Item& item = items[draw.itemID];
    HDC dc = draw.hDC;
    RECT rect = draw.rcItem;
    int height = rect.bottom - rect.top;
    RECT box{rect.left + kCheckMargin, rect.top + (height - kCheckSize) / 2, 0, 0};
    box.right = box.left + kCheckSize;
    box.bottom = box.top + kCheckSize;
    FillSolid(dc, rect.left, rect.top, kCheckSize + 2 * kCheckMargin, height,
              GetSysColor(COLOR_WINDOW));
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (item.checked ? DFCS_CHECKED : 0));
    RECT text = rect;
    text.left += kCheckSize + 2 * kCheckMargin;
    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    FillSolid(dc, text.left, text.top, text.right - text.left, height,
              GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    RECT inner = text;
    inner.left += 2;
    DrawTextA(dc, item.text.c_str(), -1, &inner, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((draw.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &text);
  }

  static constexpr int kCheckSize = 13;
  static constexpr int kCheckMargin = 2;

  AdvancedMethodsDialog& dialog_;
  WNDPROC list_proc_ = nullptr;
};

}  // namespace

void DialogWindowView::ShowMessage(const std::string& text) {
  if (reveal_) reveal_(hwnd_);
  MessageBoxAnsi(hwnd_, text, caption_, MB_OK);
}

void DialogWindowView::FocusControl(int control_id) {
  // Through the dialog manager, so that the default button follows the focus.
  HWND control = GetDlgItem(hwnd_, control_id);
  if (control != nullptr) {
    SendMessageA(GetAncestor(hwnd_, GA_ROOT), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control),
                 TRUE);
  }
}

int DialogWindowView::RunModal(ModalDialog& dialog) {
  auto* advanced = dynamic_cast<AdvancedMethodsDialog*>(&dialog);
  if (advanced == nullptr) return ModalDialog::kCancel;
  AdvancedWindow window(*advanced, caption_);
  return window.Run(hwnd_);
}

std::string DialogWindowView::Text(int control_id) const {
  HWND control = GetDlgItem(hwnd_, control_id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void DialogWindowView::SetText(int control_id, const std::string& text) {
  SetDlgItemTextA(hwnd_, control_id, text.c_str());
}

bool DialogWindowView::TypedText(int control_id, std::string* ansi) {
  std::string refusal;
  if (TypedToAnsi(TypedTextOf(GetDlgItem(hwnd_, control_id)), ansi, &refusal)) return true;
  if (reveal_) reveal_(hwnd_);
  MessageBoxUtf8(hwnd_, refusal, caption_, MB_OK);
  FocusControl(control_id);
  return false;
}

std::string TypedTextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return platform::Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

void MessageBoxUtf8(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  const std::u16string wide = platform::Utf8ToUtf16(BreakLongWords(text, kMessageWidth));
  const std::wstring shown(wide.begin(), wide.end());
  MessageBoxW(owner, shown.c_str(), std::wstring(caption.begin(), caption.end()).c_str(), type);
}

void MessageBoxAnsi(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  MessageBoxA(owner, BreakLongWords(text, kMessageWidth).c_str(), caption.c_str(), type);
}

std::unique_ptr<DialogWindowView> CreatePageWindow(HWND frame, const RECT& area, WizardPage& page,
                                                   const std::string& caption,
                                                   std::function<void(HWND)> reveal) {
  std::unique_ptr<PageWindow> window;
  if (auto* name = dynamic_cast<SkinNamePage*>(&page)) {
    window = std::make_unique<NamePageWindow>(*name, caption, std::move(reveal));
  } else if (auto* options = dynamic_cast<SkinOptionsPage*>(&page)) {
    window = std::make_unique<OptionsPageWindow>(*options, caption, std::move(reveal));
  }
  if (!window || !window->Create(frame, area)) return nullptr;
  return window;
}

RECT SidePictureRect(HWND page, int placeholder_id, HBITMAP picture) {
  RECT rect{};
  GetWindowRect(GetDlgItem(page, placeholder_id), &rect);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
  BITMAP size{};
  GetObjectA(picture, sizeof size, &size);
  rect.right = rect.left + size.bmWidth;
  rect.bottom = rect.top + size.bmHeight;
  return rect;
}

}  // namespace skinwizard
