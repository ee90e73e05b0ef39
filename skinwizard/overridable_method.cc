// The twelve drawing methods a skin may override, with the descriptions the Advanced dialog shows.
// Portable: no Win32 here.
#include "skinwizard/overridable_method.h"

namespace skinwizard {

void AppendOverridableMethods(MethodList* methods) {
  // The descriptions are shown as they stand.
  static const char* const kMethods[][2] = {
      {"OnFillBarBackground", "Called by the framework to fill the background of a control bar"},
      {"OnDrawBarBorder", "Called by the framework when it displays the border of a control bar"},
      {"OnDrawMenuBorder", "Changes the menu border appearance"},
      {"OnDrawBarGripper", "Changes the gripper appearance"},
      {"OnDrawSeparator", "Changes the separator appearance"},
      {"OnDrawCaptionButton", "Changes docked control bar caption"},
      {"OnFillButtonInterior", "Called by the framework to fill the background of toolbar button"},
      {"OnDrawButtonBorder", "Called by the framework to display the border of a toolbar button"},
      {"OnHighlightMenuItem", "Called by the framework to draw a highlighted menu item"},
      // sic: "highligh"
      {"OnHighlightRarelyUsedMenuItems",
       "Called by the framework by highligh a rarely used menu area"},
      {"OnEraseTabsArea",
       "Called by the framework when the tab area in tab window needs to be erased"},
      {"OnDrawTab", "Called by the framework when a tab should be redrawn"},
  };
  for (const auto& method : kMethods) {
    methods->push_back(
        std::make_unique<OverridableMethod>(OverridableMethod{method[0], method[1], 1}));
  }
}

}  // namespace skinwizard
