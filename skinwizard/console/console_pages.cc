// The wizard's pages on a console: each asked in turn, or filled from the options.
// Portable: no Win32 here.
#include "skinwizard/console/console_pages.h"

#include <cstdlib>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>

#include "console/terminal.h"
#include "skinwizard/advanced_methods_dialog.h"
#include "skinwizard/res/resource.h"

namespace skinwizard {
namespace {

constexpr const char* kProgram = "tslkt-skinwizard";

// A page's "window" on the console: members are the controls, so the transfers are empty;
// messages go to stderr and the Advanced dialog runs as a numbered list.
class ConsoleView : public PageView {
 public:
  explicit ConsoleView(ConsolePages& pages) : pages_(pages) {}
  bool TransferToMembers() override { return true; }
  void TransferToControls() override {}
  void ShowMessage(const std::string& text) override { pages_.Message(text); }
  void FocusControl(int /*control_id*/) override {}
  int RunModal(ModalDialog& dialog) override;

 private:
  ConsolePages& pages_;
};

int ConsoleView::RunModal(ModalDialog& dialog) {
  auto* advanced = dynamic_cast<AdvancedMethodsDialog*>(&dialog);
  if (advanced == nullptr) return ModalDialog::kCancel;
  dialog.AttachView(this);
  int result = ModalDialog::kCancel;
  if (dialog.OnInitDialog()) result = pages_.RunAdvanced(*advanced);
  if (result == ModalDialog::kOk) {
    dialog.OnOK();
  } else {
    dialog.OnCancel();
  }
  dialog.AttachView(nullptr);
  return result;
}

}  // namespace

std::unique_ptr<PageView> ConsolePages::CreatePageView(WizardPage& /*page*/) {
  return std::make_unique<ConsoleView>(*this);
}

void ConsolePages::Message(const std::string& ansi) {
  io_.err << kProgram << ": " << console::ConsoleText(ansi) << "\n";
}

void ConsolePages::Say(const std::string& ansi) { io_.out << console::ConsoleText(ansi); }

bool ConsolePages::Ask(const std::string& prompt, std::string* answer) {
  Say(prompt);
  io_.out.flush();
  std::string line;
  if (!std::getline(io_.in, line)) {
    io_.out << "\n";
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  *answer = line;
  return true;
}

bool ConsolePages::AskText(const std::string& prompt, std::string* value) {
  for (;;) {
    std::string answer, ansi, refusal;
    if (!Ask(prompt + " [" + *value + "]: ", &answer)) return false;
    if (!ArgToAnsi(answer, &ansi, &refusal)) {
      io_.out << refusal << "\n";
      continue;
    }
    if (ansi == "-") {
      value->clear();
    } else if (!ansi.empty()) {
      *value = ansi;
    }
    return true;
  }
}

bool ConsolePages::AskChoice(const std::string& question, const std::string& first,
                             const std::string& second, int* value) {
  Say(question + "\n  1) " + console::Label(first) + "\n  2) " + console::Label(second) + "\n");
  for (;;) {
    std::string answer;
    if (!Ask("Choice [" + std::to_string(*value + 1) + "]: ", &answer)) return false;
    if (answer.empty()) return true;
    if (answer == "1" || answer == "2") {
      *value = answer == "1" ? 0 : 1;
      return true;
    }
    Say("Please answer 1 or 2.\n");
  }
}

bool ConsolePages::AskYesNo(const std::string& question, bool byDefault, bool* yes) {
  const std::optional<bool> answer = console::AskYesNo(io_.in, io_.out, question, byDefault);
  if (answer) *yes = *answer;
  return answer.has_value();
}

void ConsolePages::ShowMethods(const AdvancedMethodsDialog& dialog) {
  Say(std::string(TXT_ADVANCED_QUESTION) + "\n");
  const auto& items = dialog.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string number = std::to_string(i + 1);
    if (number.size() < 2) number = " " + number;
    Say(std::string("  [") + (items[i].checked ? "x" : " ") + "] " + number + " " + items[i].text +
        "\n         " + items[i].method->description + "\n");
  }
}

int ConsolePages::RunAdvanced(AdvancedMethodsDialog& dialog) {
  if (options_.methods) {
    // As a user would: "Select None", then a double click on each wanted method.
    dialog.OnSelectNone();
    for (const std::string& name : *options_.methods) {
      const auto& items = dialog.Items();
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].text == name && !items[i].checked) {
          dialog.OnSelectionChange(static_cast<int>(i));
          dialog.OnDoubleClick();
        }
      }
    }
    return ModalDialog::kOk;
  }
  for (;;) {
    ShowMethods(dialog);
    std::string answer;
    if (!Ask("Numbers to toggle, a = Select All, n = Select None, Enter = OK, c = Cancel: ",
             &answer)) {
      return ModalDialog::kCancel;
    }
    std::string lower = Lower(answer);
    if (lower.empty()) return ModalDialog::kOk;
    if (lower == "c") return ModalDialog::kCancel;
    if (lower == "a") {
      dialog.OnSelectAll();
      continue;
    }
    if (lower == "n") {
      dialog.OnSelectNone();
      continue;
    }
    std::stringstream numbers(answer);
    std::string token;
    while (numbers >> token) {
      for (std::string part; !token.empty();) {
        std::size_t comma = token.find(',');
        part = token.substr(0, comma);
        token = comma == std::string::npos ? "" : token.substr(comma + 1);
        char* end = nullptr;
        long index = std::strtol(part.c_str(), &end, 10);
        if (part.empty() || *end != '\0' || index < 1 ||
            index > static_cast<long>(dialog.Items().size())) {
          if (!part.empty()) Say("No method numbered '" + part + "'.\n");
          continue;
        }
        dialog.OnSelectionChange(static_cast<int>(index - 1));
        dialog.OnDoubleClick();
      }
    }
  }
}

bool ConsolePages::FillNamePage(SkinNamePage& page) {
  if (options_.skinName) page.skinName = *options_.skinName;
  if (options_.author) page.author = *options_.author;
  if (options_.company) page.company = *options_.company;
  if (options_.email) page.email = *options_.email;
  if (options_.url) page.url = *options_.url;
  if (!Asking()) return true;
  Say("\nStep 1 of 2\n");
  bool ok = (options_.skinName || AskText(console::Label(TXT_SKIN_NAME), &page.skinName));
  if (ok && !(options_.author && options_.company && options_.email && options_.url)) {
    Say(std::string(TXT_AUTHOR_INFORMATION) + "; '-' empties a field\n");
  }
  return ok && (options_.author || AskText("  Name", &page.author)) &&
         (options_.company || AskText("  Company", &page.company)) &&
         (options_.email || AskText("  E-Mail", &page.email)) &&
         (options_.url || AskText("  URL", &page.url));
}

bool ConsolePages::FillOptionsPage(SkinOptionsPage& page) {
  if (options_.comments) page.comments = *options_.comments;
  if (options_.look) page.baseLook = *options_.look;
  if (options_.commonDir) page.writeToSkinsDirectory = *options_.commonDir;
  if (options_.commonDir == 1 && !page.writeCheckEnabled) Message(page.skinsLine);
  if (Asking()) {
    Say("\nStep 2 of 2\n");
    if (!options_.comments && !AskChoice(TXT_COMMENTS_QUESTION, TXT_COMMENTS_YES,
                                         TXT_COMMENTS_NO, &page.comments)) {
      return false;
    }
    if (!options_.look && !AskChoice(TXT_LOOK_QUESTION, TXT_LOOK_2000, TXT_LOOK_XP,
                                     &page.baseLook)) {
      return false;
    }
    if (!options_.commonDir && page.writeCheckEnabled) {
      bool yes = page.writeToSkinsDirectory != 0;
      if (!AskYesNo(
              console::Label(SkinOptionsPage::kWriteCheckText) + "\n  " + page.skinsLine + "\n ",
              yes, &yes)) {
        return false;
      }
      page.writeToSkinsDirectory = yes ? 1 : 0;
    } else {
      Say(std::string("Write to the common skins directory: ") +
          (page.writeToSkinsDirectory != 0 ? "yes" : "no") + "  " + page.skinsLine + "\n");
    }
  }
  if (options_.methods || Asking()) page.OnAdvanced();
  return true;
}

}  // namespace skinwizard
