// The skin wizard's first page (template 129): the skin's name and the author information.
// Portable: no Win32 here.
#include "skinwizard/skin_name_page.h"

#include <ctime>

#include "platform/encoding.h"
#include "skinwizard/registry_reader.h"
#include "skinwizard/skin_wizard.h"

namespace skinwizard {

std::string FilterSkinName(const std::string& typed) {
  std::string kept;
  for (char c : typed) {
    // Bytes above 127 are Windows-1252 letters to a locale-aware test, never identifier
    // characters, so the test is spelled out.
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      kept += c;
    }
  }
  return kept;
}

std::string TrimWhiteSpace(const std::string& text) {
  static const char kBlanks[] = " \t\n\v\f\r";
  std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string CopyrightLine(int year, const std::string& name, const std::string& company) {
  return "Copyright \xA9 " + std::to_string(year) + " " + name + " " + company +
         ". All rights reserved";
}

int CurrentYear() {
  // One user-interface thread: the shared result of localtime is safe here.
  std::time_t now = std::time(nullptr);
  return std::localtime(&now)->tm_year + 1900;
}

bool SkinNamePage::OnInitDialog() {
  (void)UpdateData(false);  // into the controls: only taking them back can fail
  RegistryReader reader(wizard_.Registry());
  bool opened = reader.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion");
  // A value that is missing or cannot be read leaves its field empty.
  if (opened) {
    (void)reader.ReadString("RegisteredOwner", &author);
    (void)reader.ReadString("RegisteredOrganization", &company);
  }
  // NT keeps the owner under its own key; the 9x key is asked first and wins when it has one.
  if (opened && author.empty()) {
    RegistryReader nt(wizard_.Registry());
    if (nt.OpenKey("Software\\Microsoft\\Windows NT\\CurrentVersion")) {
      (void)nt.ReadString("RegisteredOwner", &author);
      (void)nt.ReadString("RegisteredOrganization", &company);
    }
  }
  (void)UpdateData(false);  // into the controls: only taking them back can fail
  return true;
}

bool SkinNamePage::CommitPage() {
  if (!UpdateData(true)) return false;
  std::string filtered = FilterSkinName(skinName);
  if (filtered.empty()) {
    if (View() != nullptr) {
      View()->ShowMessage(kNameRefusal);
      View()->FocusControl(kSkinNameEdit);
    }
    return false;
  }
  SymbolDictionary& symbols = wizard_.dictionary;
  std::string skinFile = "Skin" + filtered;
  symbols.Set("SKIN_NAME", skinName);
  symbols.Set("skin_file", skinFile);
  symbols.Set("SKIN_CLASS", "C" + skinFile);
  // The filtered name is ASCII, so the code page's upper case is plain A-Z.
  symbols.Set("SKIN_NAME_UPPER", platform::AnsiToUpper(skinFile));
  symbols.Set("COPYRIGHT", CopyrightLine(CurrentYear(), author, company));
  symbols.Set("AUTHOR", author);
  symbols.Set("COMPANY", company);
  email = TrimWhiteSpace(email);
  url = TrimWhiteSpace(url);
  symbols.Set("AUTHOR_MAIL", email);
  symbols.Set("AUTHOR_URL", url);
  return true;
}

}  // namespace skinwizard
