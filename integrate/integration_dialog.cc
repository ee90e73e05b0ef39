// The integration wizard's main dialog as a model: dialog 102's texts, option rules and the run.
// Portable: no Win32 here.
#include "integrate/integration_dialog.h"

#include "integrate/strings.h"
#include "platform/held_writes.h"

namespace integrate {
namespace {

struct OptionBinding {
  int controlId;
  int IntegrationDialog::*value;
};

// Each option value with its checkbox, in the order of the values.
const OptionBinding kOptions[] = {
    {kIdHelpOption, &IntegrationDialog::integrateHelp},
    {kIdAppWizardOption, &IntegrationDialog::setupAppWizard},
    {kIdDirectoriesOption, &IntegrationDialog::setupDirectories},
    {kIdSkinWizardOption, &IntegrationDialog::setupSkinWizard},
    {kIdVc6Option, &IntegrationDialog::integrateVc6},
    {kIdNet70Option, &IntegrationDialog::integrateNet70},
    {kIdNet71Option, &IntegrationDialog::integrateNet71},
    {kIdVs2005Option, &IntegrationDialog::integrateVs2005},
};

// The texts dialog 102 opens with.
const std::pair<int, const char*> kTemplateTexts[] = {
    {kIdWelcomeText, LABEL_WELCOME_TEXT},
    {kIdVc6Option, LABEL_VC6_OPTION},
    {kIdNet70Option, LABEL_NET70_OPTION},
    {kIdNet71Option, LABEL_NET71_OPTION},
    {kIdVs2005Option, LABEL_VS2005_OPTION},
    {kIdDirectoriesOption, LABEL_DIRECTORIES_OPTION},
    {kIdHelpOption, LABEL_HELP_OPTION},
    {kIdAppWizardOption, LABEL_APP_WIZARD_OPTION},
    {kIdSkinWizardOption, LABEL_SKIN_WIZARD_OPTION},
    {kIdOkButton, LABEL_OK},
    {kIdCancelButton, LABEL_CANCEL},
};

// Restores the cursor however OnRun returns.
class WaitCursor {
 public:
  explicit WaitCursor(Owner& owner) : owner_(owner) { owner_.SetWaitCursor(true); }
  ~WaitCursor() { owner_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Owner& owner_;
};

}  // namespace

IntegrationDialog::IntegrationDialog(const std::string& installDir, platform::Platform& platform,
                                     Owner& owner)
    : installDir_(installDir), owner_(owner) {
  for (int id : ControlIds()) controls_[id];
  for (const auto& [id, text] : kTemplateTexts) controls_[id].text = text;
  // The banner rectangle only marks where the bitmap is drawn; the progress list waits
  // for the run.
  controls_[kIdBanner].visible = false;
  controls_[kIdProgressList].visible = false;
  engine_ = std::make_unique<IntegrationEngine>(this, installDir_, platform);
}

IntegrationDialog::~IntegrationDialog() = default;

const std::vector<int>& IntegrationDialog::ControlIds() {
  static const std::vector<int> ids = {
      kIdVs2005Option,    kIdProgressList, kIdWelcomeText,      kIdNet71Option,
      kIdNet70Option,     kIdVc6Option,    kIdSkinWizardOption, kIdDirectoriesOption,
      kIdAppWizardOption, kIdHelpOption,   kIdOkButton,         kIdCancelButton,
      kIdBanner};
  return ids;
}

const std::vector<int>& IntegrationDialog::OptionsFaceIds() {
  static const std::vector<int> ids = {kIdDirectoriesOption, kIdAppWizardOption, kIdHelpOption,
                                       kIdSkinWizardOption,  kIdNet70Option,     kIdVc6Option,
                                       kIdNet71Option,       kIdVs2005Option};
  return ids;
}

int BannerBitmapId(int bitsPerPixel) {
  return bitsPerPixel < 8 ? kIdBanner16ColourBitmap : kIdBannerBitmap;
}

Point MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
  return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

const ControlState& IntegrationDialog::Control(int controlId) const {
  static const ControlState none;
  auto it = controls_.find(controlId);
  return it == controls_.end() ? none : it->second;
}

ControlState& IntegrationDialog::Mutable(int controlId) { return controls_.at(controlId); }

void IntegrationDialog::UpdateData(bool saveAndValidate) {
  for (const OptionBinding& option : kOptions) {
    ControlState& box = Mutable(option.controlId);
    if (saveAndValidate) {
      this->*option.value = box.checked ? 1 : 0;
    } else {
      box.checked = this->*option.value != 0;
    }
  }
}

void IntegrationDialog::Enable(int controlId, bool enabled) {
  Mutable(controlId).enabled = enabled;
}

void IntegrationDialog::Disable(int controlId, int IntegrationDialog::*option) {
  this->*option = 0;
  Enable(controlId, false);
}

void IntegrationDialog::OnInitDialog() {
  UpdateData(false);
  Enable(kIdOkButton, !installDir_.empty());

  // An option that cannot be carried out is cleared and disabled, not reported.
  IntegrationEngine& engine = *engine_;
  if (!engine.HelpFilesPresent()) Disable(kIdHelpOption, &IntegrationDialog::integrateHelp);
  if (!engine.Vc6WizardSourcePresent() && !engine.NetWizardSourcesPresent(70) &&
      !engine.NetWizardSourcesPresent(80)) {
    Disable(kIdAppWizardOption, &IntegrationDialog::setupAppWizard);
  }
  if (!engine.IsVc6Installed()) Disable(kIdVc6Option, &IntegrationDialog::integrateVc6);
  UpdateSkinWizardOption(true);
  if (!engine.IsVsNetInstalled("7.0")) Disable(kIdNet70Option, &IntegrationDialog::integrateNet70);
  if (!engine.IsVsNetInstalled("7.1")) Disable(kIdNet71Option, &IntegrationDialog::integrateNet71);
  if (!engine.IsVsNetInstalled("8.0")) {
    Disable(kIdVs2005Option, &IntegrationDialog::integrateVs2005);
  }
  UpdateData(false);
}

void IntegrationDialog::UpdateSkinWizardOption(bool initial) {
  if (!initial) UpdateData(true);
  // The skin wizard exists for Visual C++ 6.0 only; clearing 1006 keeps its tick.
  Enable(kIdSkinWizardOption, integrateVc6 == 1);
  if (!engine_->SkinWizardSourcePresent()) {
    Disable(kIdSkinWizardOption, &IntegrationDialog::setupSkinWizard);
  }
  if (!initial) UpdateData(false);
}

bool IntegrationDialog::SetChecked(int controlId, bool checked) {
  auto it = controls_.find(controlId);
  bool isOption = false;
  for (const OptionBinding& option : kOptions) isOption |= option.controlId == controlId;
  if (!isOption || it == controls_.end() || !it->second.enabled || !it->second.visible) {
    return false;
  }
  if (it->second.checked == checked) return true;
  it->second.checked = checked;
  if (controlId == kIdVc6Option) OnVc6OptionClicked();
  return true;
}

void IntegrationDialog::OnVc6OptionClicked() { UpdateSkinWizardOption(false); }

std::vector<IntegrationDialog::IdeRun> IntegrationDialog::IdeRuns() {
  // In the order of the run; each IDE gets a header, its integration and a result line.
  auto removeVsNet = [this](int versionCode) {
    return [this, versionCode] {
      return engine_->RemoveVsNet(setupDirectories != 0, versionCode, setupAppWizard != 0,
                                  integrateHelp != 0);
    };
  };
  return {
      {&IntegrationDialog::integrateVc6, kIdVc6Option, kStrVc6Header, kStrRemoveVc6Header,
       [this] {
         return engine_->IntegrateVc6(setupDirectories != 0, setupAppWizard != 0,
                                      setupSkinWizard != 0, integrateHelp != 0);
       },
       [this] {
         return engine_->RemoveVc6(setupDirectories != 0, setupAppWizard != 0, setupSkinWizard != 0,
                                   integrateHelp != 0);
       }},
      // The skin wizard exists for Visual C++ 6.0 only.
      {&IntegrationDialog::integrateNet70, kIdNet70Option, kStrNet70Header, kStrRemoveNet70Header,
       [this] { return RunVsNet(70); }, removeVsNet(70)},
      {&IntegrationDialog::integrateNet71, kIdNet71Option, kStrNet71Header, kStrRemoveNet71Header,
       [this] { return RunVsNet(71); }, removeVsNet(71)},
      {&IntegrationDialog::integrateVs2005, kIdVs2005Option, kStrVs2005Header,
       kStrRemoveVs2005Header, [this] { return RunVsNet(80); }, removeVsNet(80)},
  };
}

bool IntegrationDialog::RunVsNet(int versionCode) {
  return engine_->IntegrateVsNet(setupDirectories != 0, versionCode, setupAppWizard != 0,
                                 integrateHelp != 0);
}

IntegrationDialog::RunResult IntegrationDialog::OnRun() { return Run(false); }

IntegrationDialog::RunResult IntegrationDialog::OnRemove() { return Run(true); }

std::vector<IntegrationDialog::ItemStatus> IntegrationDialog::Status() {
  UpdateData(true);
  IntegrationEngine& engine = *engine_;
  std::vector<ItemStatus> states;
  for (const IdeRun& run : IdeRuns()) {
    if (!(this->*run.option)) continue;
    const int ide = run.controlId;
    const int code = ide == kIdNet70Option ? 70 : ide == kIdNet71Option ? 71 : 80;
    if (setupDirectories && ide != kIdVs2005Option) {
      states.push_back(
          {ide, kIdDirectoriesOption,
           ide == kIdVc6Option ? engine.Vc6DirectoriesState() : engine.VcComponentsState(code)});
    }
    if (integrateHelp) {
      // Only the Help 2 service knows its registrations, and from here it cannot be asked.
      states.push_back({ide, kIdHelpOption,
                        ide == kIdVc6Option ? engine.MsdnHelpState() : ItemState::kCannotTell});
    }
    if (setupAppWizard && ide == kIdVc6Option && engine.Vc6WizardSourcePresent()) {
      states.push_back(
          {ide, kIdAppWizardOption, engine.Vc6WizardState(engine.wizardSources().vc6AppWizard)});
    } else if (setupAppWizard && ide != kIdVc6Option && engine.NetWizardSourcesPresent(code)) {
      states.push_back({ide, kIdAppWizardOption, engine.VsNetWizardState(code)});
    }
    if (setupSkinWizard && ide == kIdVc6Option) {
      states.push_back(
          {ide, kIdSkinWizardOption, engine.Vc6WizardState(engine.wizardSources().skinWizard)});
    }
  }
  return states;
}

IntegrationDialog::RunResult IntegrationDialog::Run(bool removal) {
  const ControlState& ok = Control(kIdOkButton);
  if (!ok.enabled || !ok.visible) return kRunNotStarted;
  WaitCursor wait(owner_);
  UpdateData(true);
  bool anyIde = integrateVc6 || integrateNet70 || integrateNet71 || integrateVs2005;
  bool anyItem = setupDirectories || setupAppWizard || integrateHelp || setupSkinWizard;
  if (!anyIde || !anyItem) {
    ShowMessage(LoadText(kStrSelectAtLeastOne), kMbOk);
    return kRunNotStarted;
  }

  for (int id : OptionsFaceIds()) {
    Mutable(id).visible = false;
    Mutable(id).enabled = false;
  }
  Mutable(kIdWelcomeText).visible = false;
  Mutable(kIdProgressList).visible = true;

  // A failed IDE does not stop the others; nothing is rolled back.
  RunResult result = kRunCompleted;
  // An IDE's writes reach the disk together, before its result or a message is shown
  // (FlushStep); each file wholly old or wholly new, each after the journal's note of it.
  platform::HoldWrites();
  for (const IdeRun& run : IdeRuns()) {
    if (!(this->*run.option)) continue;
    AddLine(removal ? run.removalHeaderId : run.headerId);
    bool succeeded = removal ? run.remove() : run.integrate();
    succeeded = FlushStep() && succeeded;
    if (succeeded) {
      AddLine(removal ? kStrRemovalCompleted : kStrIntegrationCompleted);
    } else {
      AddErrorLine(removal ? kStrRemovalFailed : kStrIntegrationFailed);
      result = kRunFailed;
    }
    owner_.Beep(succeeded ? kBeepAsterisk : kBeepExclamation);
  }
  std::string reason;
  if (!platform::StopHoldingWrites(&reason)) ShowWriteFailure(reason);
  if (writesFailed_) result = kRunFailed;

  Mutable(kIdOkButton).enabled = false;
  Mutable(kIdOkButton).visible = false;
  Mutable(kIdCancelButton).text = LoadText(kStrClose);
  focus_ = kIdCancelButton;
  return result;
}

bool IntegrationDialog::FlushStep() {
  std::string reason;
  if (platform::FlushHeldWrites(&reason)) return true;
  ShowWriteFailure(reason);
  return false;
}

void IntegrationDialog::ShowWriteFailure(const std::string& reason) {
  writesFailed_ = true;
  lines_.push_back({reason, 1});
  if (lineObserver_) lineObserver_(lines_.back());
}

void IntegrationDialog::InsertLine(const std::string& text, bool isError) {
  lines_.push_back({text, isError ? 1 : 0});
  if (lineObserver_) lineObserver_(lines_.back());
}

void IntegrationDialog::AddLine(int stringId) { InsertLine(LoadText(stringId), false); }

void IntegrationDialog::AddErrorLine(int stringId) { InsertLine(LoadText(stringId), true); }

int IntegrationDialog::ShowMessage(const std::string& text, unsigned flags) {
  // What the run has done is on the disk while the user reads, whatever is answered.
  (void)FlushStep();  // a failure is its own line, and fails the run
  return owner_.ShowMessage(text, flags);
}

bool IntegrationDialog::ShowServicePackWarning() {
  ShowMessage(LoadText(kStrServicePackWarning), kMbOk);
  return true;
}

}  // namespace integrate
