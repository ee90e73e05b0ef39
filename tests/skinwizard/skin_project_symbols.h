// The method names and a finished run's dictionary for skin Aqua in project MySkins.
#pragma once

#include <string>

#include "platform/windows_path.h"
#include "skinwizard/project/expander.h"

namespace skinwizard_test {

/// The twelve overridable methods, in the wizard's list order.
inline const char* const kMethodNames[] = {"OnFillBarBackground",  "OnDrawBarBorder",
                                           "OnDrawMenuBorder",     "OnDrawBarGripper",
                                           "OnDrawSeparator",      "OnDrawCaptionButton",
                                           "OnFillButtonInterior", "OnDrawButtonBorder",
                                           "OnHighlightMenuItem",  "OnHighlightRarelyUsedMenuItems",
                                           "OnEraseTabsArea",      "OnDrawTab"};

/// The dictionary a finished run leaves for skin "Aqua" in project "MySkins": the wizard's
/// keys after both commits (comments on, Office 2000 look, every method, common directory)
/// plus the host's root, ROOT and Safe_root. Built directly, as a host would hand it over.
inline skinwizard::SymbolMap AquaSymbols() {
  skinwizard::SymbolMap s;
  s["HELP"] = "0";
  s["PROJTYPE_DLL"] = "1";
  s["SKIN_NAME"] = "Aqua";
  s["skin_file"] = "SkinAqua";
  s["SKIN_CLASS"] = "CSkinAqua";
  s["SKIN_NAME_UPPER"] = "SKINAQUA";
  s["COPYRIGHT"] = "Copyright \xA9 2026 Jane Doe Blue Water Ltd. All rights reserved";
  s["AUTHOR"] = "Jane Doe";
  s["COMPANY"] = "Blue Water Ltd.";
  s["AUTHOR_MAIL"] = "jane@bluewater.example";
  s["AUTHOR_URL"] = "http://www.bluewater.example";
  s["VERBOSE"] = "1";
  s["SKIN_BASE_CLASS"] = "CTSLVisualManager";
  for (const char* method : kMethodNames) s[method] = "1";
  s["SKIN_OUTPUT"] = "Write skin DLL to common (shared) directory";
  s["root"] = "MySkins";
  s["ROOT"] = "MYSKINS";
  s["Safe_root"] = "MySkins";
  return s;
}

/// A fixed include-guard symbol per file, as a host derives one ("SkinAqua.h" ->
/// "AFX_SKINAQUA_H__<GUID>").
inline std::string TestFileNameSymbol(const std::string& destination) {
  std::string name = platform::FileName(destination);
  std::string symbol = "AFX_";
  for (char c : name) {
    if (c == '.') {
      symbol += '_';
    } else if (c >= 'a' && c <= 'z') {
      symbol += static_cast<char>(c - 'a' + 'A');
    } else {
      symbol += c;
    }
  }
  return symbol + "__6F2C1A3E_8B4D_4C2A_9E71_3D5B0A8C4F12";
}

}  // namespace skinwizard_test
