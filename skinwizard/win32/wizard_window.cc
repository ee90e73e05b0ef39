// The skin wizard's window host: our wizard frame driving the console's project wizard host.
#include "skinwizard/win32/wizard_window.h"

#include <windows.h>

#include <memory>

#include "skinwizard/host/project_wizard_host.h"
#include "skinwizard/res/resource.h"
#include "skinwizard/skin_wizard.h"
#include "skinwizard/typed_text.h"
#include "skinwizard/win32/page_windows.h"
#include "tsl_version.h"

namespace skinwizard {
namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

// A system menu command of our own: below 0xF000 and with the low four bits clear, which
// the system keeps for itself.
constexpr UINT kAboutCommand = 0x0010;

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

struct Confirmation {
  std::string text;
  std::string folder;
};

INT_PTR CALLBACK ConfirmProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* confirmation = reinterpret_cast<const Confirmation*>(lparam);
      SetDlgItemTextA(hwnd, IDC_CONFIRM_TEXT, confirmation->text.c_str());
      SetDlgItemTextA(hwnd, IDC_CONFIRM_FOLDER, confirmation->folder.c_str());
      SetFocus(GetDlgItem(hwnd, IDOK));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(hwnd, LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

class FrameWindow : public WizardFrame {
 public:
  FrameWindow(platform::Platform& services, std::string location)
      : location_(std::move(location)),
        host_(*this, *services.files),
        wizard_(host_, *services.registry) {
    host_.RegisterWizard(&wizard_);
  }

  bool Run() {
    DialogBoxParamA(Module(), MAKEINTRESOURCEA(IDD_WIZARD_FRAME), nullptr, &Proc,
                    reinterpret_cast<LPARAM>(this));
    return created_;
  }

  std::unique_ptr<PageView> CreatePageView(WizardPage& page) override {
    return CreatePageWindow(hwnd_, area_, page, kWizardWindowTitle,
                            [this](HWND window) { ShowOnly(window); });
  }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(hwnd, GWLP_USERDATA, lparam);
    auto* self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        self->hwnd_ = hwnd;
        self->Init();
        return FALSE;
      case WM_COMMAND:
        self->OnCommand(LOWORD(wparam));
        return TRUE;
      case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) != kAboutCommand) return FALSE;
        MessageBoxA(hwnd, "TSLKTSkinWizard " TSL_VERSION, "About TSLKTSkinWizard",
                    MB_OK | MB_ICONINFORMATION);
        return TRUE;
      default:
        return FALSE;
    }
  }

  static INT_PTR CALLBACK ProjectStepProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(hwnd, GWLP_USERDATA, lparam);
    auto* self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE) {
      self->ShowProjectFolder(hwnd);
      return TRUE;
    }
    return FALSE;
  }

  void Init() {
    // The frame has no menu bar: the version is told from the system menu.
    HMENU systemMenu = GetSystemMenu(hwnd_, FALSE);
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, kAboutCommand, "&About TSLKTSkinWizard...");
    HWND area = GetDlgItem(hwnd_, IDC_PAGE_AREA);
    GetWindowRect(area, &area_);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area_), 2);
    project_step_ = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_PROJECT_STEP), hwnd_,
                                       &ProjectStepProc, reinterpret_cast<LPARAM>(this));
    SetWindowPos(project_step_, nullptr, area_.left, area_.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetDlgItemTextA(project_step_, IDC_PROJECT_LOCATION, location_.c_str());
    host_.StartRun("", location_);
    running_ = true;
    ShowCurrent();
  }

  void ShowProjectFolder(HWND step) {
    const std::string folder =
        host_.ProjectFolder(WindowText(GetDlgItem(step, IDC_PROJECT_NAME)),
                            WindowText(GetDlgItem(step, IDC_PROJECT_LOCATION)));
    SetDlgItemTextA(step, IDC_PROJECT_FOLDER, folder.c_str());
  }

  HWND CurrentWindow() const {
    if (WizardPage* page = host_.CurrentPage()) {
      if (auto* view = dynamic_cast<DialogWindowView*>(page->View())) return view->Window();
    }
    return project_step_;
  }

  // Every page window is a direct child dialog of the frame; one of them is in view.
  void ShowOnly(HWND shown) {
    for (HWND child = FindWindowExA(hwnd_, nullptr, "#32770", nullptr); child != nullptr;
         child = FindWindowExA(hwnd_, child, "#32770", nullptr)) {
      if (child != shown) ShowWindow(child, SW_HIDE);
    }
    ShowWindow(shown, SW_SHOW);
  }

  void ShowCurrent() {
    HWND shown = CurrentWindow();
    ShowOnly(shown);
    int step = host_.CurrentStep();
    bool last = step >= host_.NumberOfSteps();
    EnableWindow(GetDlgItem(hwnd_, IDC_BACK), step > 0);
    EnableWindow(GetDlgItem(hwnd_, IDC_NEXT), !last);
    SendMessageA(hwnd_, DM_SETDEFID, last ? IDC_FINISH : IDC_NEXT, 0);
    std::string title =
        "Step " + std::to_string(step + 1) + " of " + std::to_string(host_.NumberOfSteps() + 1);
    SetDlgItemTextA(hwnd_, IDC_STEP_TITLE, title.c_str());
    // A page coming into view gets the focus on its first field; a page that stays keeps its own (a
    // refused name keeps it on the name).
    if (shown != focused_page_) {
      focused_page_ = shown;
      HWND first = GetNextDlgTabItem(shown, nullptr, FALSE);
      if (first != nullptr)
        SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
  }

  void Message(const std::string& text, UINT icon) {
    MessageBoxAnsi(hwnd_, text, kWizardWindowTitle, MB_OK | icon);
  }

  // Refuses in the host's words with the focus on the field.
  void Refuse(const ProjectRefusal& refusal) {
    MessageBoxUtf8(hwnd_, refusal.reason, kWizardWindowTitle, MB_OK | MB_ICONEXCLAMATION);
    const int control =
        refusal.field == ProjectField::kName ? IDC_PROJECT_NAME : IDC_PROJECT_LOCATION;
    SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(project_step_, control)),
                 TRUE);
  }

  // The frame's own first step as typed, in Windows-1252; false once a refusal is shown.
  [[nodiscard]] bool TypedProject(std::string* name, std::string* location) {
    ProjectRefusal refusal;
    if (TypedToAnsi(TypedTextOf(GetDlgItem(project_step_, IDC_PROJECT_NAME)), name,
                    &refusal.reason)) {
      refusal.field = ProjectField::kLocation;
      if (TypedToAnsi(TypedTextOf(GetDlgItem(project_step_, IDC_PROJECT_LOCATION)), location,
                      &refusal.reason)) {
        return true;
      }
    }
    Refuse(refusal);
    return false;
  }

  void OnCommand(int id) {
    switch (id) {
      case IDC_NEXT:
        if (host_.CurrentStep() == 0) {
          std::string name, location;
          ProjectRefusal refusal;
          if (!TypedProject(&name, &location)) return;
          if (!host_.NameProject(name, location, &refusal)) return Refuse(refusal);
        }
        (void)host_.Next();  // a page that refuses stays and has said why
        ShowCurrent();
        break;
      case IDC_BACK:
        (void)host_.Back();  // the button is disabled on the first step
        ShowCurrent();
        break;
      case IDC_FINISH:
        OnFinish();
        break;
      case IDCANCEL:
        End(IDCANCEL);
        break;
      default:
        break;
    }
  }

  void OnFinish() {
    std::string name, location;
    if (!TypedProject(&name, &location)) return;
    const FinishOutcome outcome = host_.FinishProject(
        name, location, false, [this](const std::string& text, const std::string& folder) {
          Confirmation confirmation{text, folder};
          // Cancel goes back to the wizard, as the IDE's own confirmation does.
          return DialogBoxParamA(Module(), MAKEINTRESOURCEA(IDD_CONFIRM), hwnd_, &ConfirmProc,
                                 reinterpret_cast<LPARAM>(&confirmation)) == IDOK;
        });
    ShowCurrent();
    switch (outcome.kind) {
      case FinishOutcome::Kind::kRefused:
        if (outcome.refusal) Refuse(*outcome.refusal);
        break;
      case FinishOutcome::Kind::kWouldOverwrite: {
        std::string list;
        for (const std::string& path : outcome.existing) list += "\n    " + path;
        Message(outcome.plan.project_folder +
                    " already holds files that this project would overwrite:" + list +
                    "\n\nChoose another project name or location.",
                MB_ICONEXCLAMATION);
        break;
      }
      case FinishOutcome::Kind::kDeclined:
        break;
      case FinishOutcome::Kind::kFailed:
        Message(outcome.reason, MB_ICONSTOP);
        break;
      case FinishOutcome::Kind::kCreated:
        created_ = true;
        End(IDOK);
        break;
    }
  }

  void End(int result) {
    if (running_) host_.EndRun();
    running_ = false;
    EndDialog(hwnd_, result);
  }

  std::string location_;
  ProjectWizardHost host_;
  SkinWizard wizard_;
  HWND hwnd_ = nullptr;
  HWND project_step_ = nullptr;
  HWND focused_page_ = nullptr;
  RECT area_{};
  bool running_ = false;
  bool created_ = false;
};

}  // namespace

bool RunWizardWindow(platform::Platform& services, const std::string& location) {
  FrameWindow frame(services, location);
  return frame.Run();
}

}  // namespace skinwizard
