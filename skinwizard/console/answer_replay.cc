// An answers file replayed into a run's options, and a run's answers for --save-answers.
// Portable: no Win32 here.
#include "skinwizard/console/answer_replay.h"

#include <filesystem>
#include <system_error>

#include "platform/encoding.h"
#include "platform/windows_path.h"
#include "skinwizard/typed_text.h"

namespace skinwizard {

bool ServicePath(platform::FileSystem& files, const std::string& typed, std::string* path,
                 std::string* error) {
  std::string ansi;
  if (!TypedToAnsi(typed, &ansi, error)) return false;
  if (platform::IsWindowsFormPath(ansi)) {
    *path = ansi;
    return true;
  }
  std::error_code failed;
  const std::filesystem::path full =
      std::filesystem::absolute(std::filesystem::u8path(typed), failed);
  if (failed) {
    *error = "cannot resolve " + QuoteTyped(typed) + ": " + failed.message();
    return false;
  }
  *path = files.FromUserPath(platform::Utf8ToAnsi(full.lexically_normal().u8string()));
  return true;
}

bool LoadAnswers(platform::FileSystem& files, const std::string& path, Options* options,
                 std::string* error) {
  std::vector<AnswerLine> lines;
  std::string windowsPath;
  if (!ServicePath(files, path, &windowsPath, error) ||
      !ReadAnswerLines(files, windowsPath, path, &lines, error)) {
    return false;
  }
  Options file;
  for (const AnswerLine& line : lines) {
    if (!ApplyOption("--" + line.key, line.value, &file, error)) {
      *error = path + ":" + std::to_string(line.line) + ": " + *error;
      return false;
    }
  }
  for (auto text :
       {&Options::skinName, &Options::author, &Options::company, &Options::email, &Options::url}) {
    if (!(options->*text)) options->*text = file.*text;
  }
  for (auto choice : {&Options::comments, &Options::look, &Options::commonDir}) {
    if (!(options->*choice)) options->*choice = file.*choice;
  }
  if (!options->methods) options->methods = file.methods;
  return true;
}

std::vector<AnswerLine> AnswersOf(const SkinNamePage& name, const SkinOptionsPage& page,
                                  const MethodList& methods) {
  std::vector<AnswerLine> lines = {{0, "skin-name", platform::AnsiToUtf8(name.skinName)},
                                   {0, "author", platform::AnsiToUtf8(name.author)},
                                   {0, "company", platform::AnsiToUtf8(name.company)},
                                   {0, "email", platform::AnsiToUtf8(name.email)},
                                   {0, "url", platform::AnsiToUtf8(name.url)},
                                   {0, "comments", page.comments == 0 ? "yes" : "no"},
                                   {0, "look", page.baseLook == 0 ? "2000" : "xp"}};
  // A disabled check keeps its state without a choice being made; replaying "yes" there
  // would only draw the message that the directory is unknown.
  if (page.writeCheckEnabled) {
    lines.push_back({0, "common-dir", page.writeToSkinsDirectory != 0 ? "yes" : "no"});
  }
  std::string selected;
  std::size_t count = 0;
  for (const auto& method : methods) {
    if (method->selected == 0) continue;
    selected += (count++ ? "," : "") + method->name;
  }
  lines.push_back({0, "methods", count == methods.size() ? "all" : count == 0 ? "none" : selected});
  return lines;
}

}  // namespace skinwizard
