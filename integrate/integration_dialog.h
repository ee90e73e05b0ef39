// The integration wizard's main dialog (template 102) without a window: ids, states, the run.
// Portable: no Win32 here.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "integrate/engine/integration_engine.h"
#include "integrate/owner.h"
#include "integrate/res/resource.h"
#include "platform/platform.h"

namespace integrate {

/// Control ids of dialog 102, named from the table the resource script builds it from.
enum ControlId : int {
  kIdOkButton = 1,      // IDOK
  kIdCancelButton = 2,  // IDCANCEL
  kIdBanner = IDC_BANNER,
  kIdHelpOption = IDC_HELP_OPTION,
  kIdDirectoriesOption = IDC_DIRECTORIES_OPTION,
  kIdAppWizardOption = IDC_APP_WIZARD_OPTION,
  kIdSkinWizardOption = IDC_SKIN_WIZARD_OPTION,
  kIdVc6Option = IDC_VC6_OPTION,
  kIdNet70Option = IDC_NET70_OPTION,
  kIdNet71Option = IDC_NET71_OPTION,
  kIdVs2005Option = IDC_VS2005_OPTION,
  kIdWelcomeText = IDC_WELCOME_TEXT,
  kIdProgressList = IDC_PROGRESS_LIST,
};

/// Resource ids of the dialog's template and pictures.
enum ResourceId : int {
  kIdDialogTemplate = IDD_INTEGRATION,
  kIdProgramIcon = IDI_PROGRAM,
  kIdBannerBitmap = IDB_BANNER,
  kIdBanner16ColourBitmap = IDB_BANNER_16_COLOURS,
  kIdProgressImages = IDB_PROGRESS_IMAGES,
};

/// The banner for a screen of that depth: the 16-colour artwork below 8 bits per pixel.
int BannerBitmapId(int bitsPerPixel);

/// Where the minimised window draws its icon: centred in the client area, rounding as the
/// original does ((client - icon + 1) / 2 with integer division).
struct Point {
  int x;
  int y;
};
Point MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

/// What a view draws for one control.
struct ControlState {
  std::string text;  ///< Windows-1252, with '&' marking the mnemonic
  bool enabled = true;
  bool visible = true;
  bool checked = false;  ///< checkboxes only
};

/// One line of the progress list.
struct ProgressLine {
  std::string text;  ///< Windows-1252, exactly as the string table holds it
  int image = 0;     ///< 0 check mark, 1 cross
};

/// The main dialog without a window: the option values, the availability rules, the state
/// of every control, the progress list and the run. A view draws this state and forwards
/// clicks, so every rule runs without a window.
class IntegrationDialog : public EngineHost {
 public:
  /// `platform` and `owner` are not owned and must outlive the dialog.
  IntegrationDialog(const std::string& installDir, platform::Platform& platform, Owner& owner);
  ~IntegrationDialog() override;

  /// Runs once when the window exists: OK only with an install directory, then the
  /// availability tests, clearing and disabling what cannot be carried out.
  void OnInitDialog();

  /// Re-derives the skin-wizard checkbox: enabled exactly when Visual C++ 6.0 is ticked,
  /// cleared and disabled without its source file.
  void UpdateSkinWizardOption(bool initial);

  /// The user left an option checkbox checked or cleared, as a click does: runs the click
  /// handler of 1006 when its state changed. False (nothing done) for a disabled or hidden
  /// checkbox, which cannot be clicked.
  bool SetChecked(int controlId, bool checked);
  /// Click handler of checkbox 1006.
  void OnVc6OptionClicked();

  /// How a run ended, so a front end need not read it from the lines' texts.
  enum RunResult {
    kRunNotStarted,  ///< OK unavailable, or the choice refused; the options face stays
    kRunCompleted,   ///< every chosen IDE completed
    kRunFailed,      ///< one or more chosen IDEs failed
  };

  /// OK: validates the choice, switches to the progress face and runs each chosen IDE.
  RunResult OnRun();
  /// The same run taking the library out of each chosen IDE again, with its own lines.
  RunResult OnRemove();

  /// Where the library stands in one item of an IDE: both by their checkbox ids.
  struct ItemStatus {
    int ideId;
    int itemId;
    ItemState state;
  };
  /// Where the library stands in each ticked item of each ticked IDE, in the run's order;
  /// reads and changes nothing. Items the IDE has no part in (the skin wizard beyond Visual
  /// C++ 6.0, the directories of 2005) are left out.
  std::vector<ItemStatus> Status();

  /// Data exchange between option values and checkboxes: true reads the checkboxes.
  void UpdateData(bool saveAndValidate);

  const ControlState& Control(int controlId) const;
  /// The control the run gave the focus to (the relabelled Cancel button); 0 before.
  int FocusedControl() const { return focus_; }
  /// Ids of the controls in the dialog's member order, for views that walk them all.
  static const std::vector<int>& ControlIds();
  /// The checkboxes in the order the run hides and then disables them.
  static const std::vector<int>& OptionsFaceIds();

  /// The progress lines in the order they were added.
  const std::vector<ProgressLine>& Lines() const { return lines_; }
  /// Called with each line as it is appended (a console prints it).
  void SetLineObserver(std::function<void(const ProgressLine&)> observer) {
    lineObserver_ = std::move(observer);
  }

  // EngineHost: the progress list and the dialog's message boxes.
  void AddLine(int stringId) override;
  void InsertLine(const std::string& text, bool isError) override;
  int ShowMessage(const std::string& text, unsigned flags = kMbOk) override;
  bool ShowServicePackWarning() override;
  /// Appends a string-table text with the cross; used for the failure line only.
  void AddErrorLine(int stringId);

  /// The eight option values (0 or 1), exchanged with their checkboxes by UpdateData.
  int integrateHelp = 1;
  int setupAppWizard = 1;
  int setupDirectories = 1;
  int setupSkinWizard = 1;
  int integrateVc6 = 1;
  int integrateNet70 = 1;
  int integrateNet71 = 1;
  int integrateVs2005 = 1;

 private:
  struct IdeRun {
    int IntegrationDialog::*option;
    int controlId;
    int headerId;
    int removalHeaderId;
    std::function<bool()> integrate;
    std::function<bool()> remove;
  };
  std::vector<IdeRun> IdeRuns();
  bool RunVsNet(int versionCode);
  RunResult Run(bool removal);
  void Disable(int controlId, int IntegrationDialog::*option);
  void Enable(int controlId, bool enabled);
  ControlState& Mutable(int controlId);

  std::map<int, ControlState> controls_;
  std::string installDir_;
  Owner& owner_;
  std::vector<ProgressLine> lines_;
  // A step's held writes could not all be carried out: the run failed, whatever the engine says.
  bool writesFailed_ = false;
  // Carries out the held writes; false, with the failure shown as a line, when one failed.
  [[nodiscard]] bool FlushStep();
  void ShowWriteFailure(const std::string& reason);
  std::function<void(const ProgressLine&)> lineObserver_;
  int focus_ = 0;
  std::unique_ptr<IntegrationEngine> engine_;
};

}  // namespace integrate
