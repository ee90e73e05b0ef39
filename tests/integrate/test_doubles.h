// The integration tests' doubles: a recording owner and host, and a platform of fakes.
#pragma once

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "integrate/owner.h"
#include "platform/platform.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fakes.h"
#include "tests/support/memory_files.h"

namespace integrate_test {

/// The in-memory file double is shared with the other suites.
using testing_support::MemoryFiles;

/// A message box answer and what was shown.
struct ShownMessage {
  std::string text;
  unsigned flags;
};

/// The view's services, recording every box, beep and cursor change; boxes are answered
/// from `answers` (OK once it is empty).
class RecordingOwner : public integrate::Owner {
 public:
  std::vector<ShownMessage> messages;
  std::deque<int> answers;
  std::vector<unsigned> beeps;
  std::vector<bool> cursor;

  int ShowMessage(const std::string& text, unsigned flags) override {
    messages.push_back({text, flags});
    if (answers.empty()) return integrate::kIdOk;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Beep(unsigned type) override { beeps.push_back(type); }
  void SetWaitCursor(bool on) override { cursor.push_back(on); }
};

/// The dialog as the engine sees it: records lines and boxes.
class RecordingHost : public integrate::EngineHost {
 public:
  RecordingOwner owner;
  std::vector<std::string> lines;
  int servicePackWarnings = 0;

  void AddLine(int stringId) override;
  void InsertLine(const std::string& text, bool isError) override {
    lines.push_back(isError ? "x " + text : text);
  }
  int ShowMessage(const std::string& text, unsigned flags) override {
    return owner.ShowMessage(text, flags);
  }
  bool ShowServicePackWarning() override {
    ++servicePackWarnings;
    return true;
  }
};

/// The shell copy as a record: "FROM -> TO" per call; a call to a failing destination
/// fails, and a source in `refusedSources` (a loop or an unreadable entry, on a real drive)
/// fails both calls. Copies nothing, so a test lays down what an earlier copy would have left.
class RecordingShellCopy : public platform::ShellCopy {
 public:
  std::vector<std::string> calls;
  std::set<std::string> failingTargets;
  std::set<std::string> refusedSources;

  bool Copy(const std::string& from, const std::string& to, std::string* error) override;
  bool CheckSource(const std::string& from, std::string* error) override;
};

/// The Help 2 service as a script: every call, its arguments and every release go into
/// `calls` in order; the call named `failCall` ("RegisterHelpPlugIn") answers `failure`,
/// and the objects named in `lacking` ("session", "register", "plugin") lack their
/// interface, as a service of another version could.
class FakeHelp2 : public platform::Help2Service {
 public:
  std::vector<std::string> calls;
  std::string failCall;
  platform::Help2Status failure;
  std::set<std::string> lacking;

  platform::Help2Status CreateSession(std::unique_ptr<platform::Help2Session>* out) override;
  /// The scripted answer of the call `name`, recording it with its arguments.
  platform::Help2Status Answer(const std::string& name, const std::string& arguments);
};

/// A platform made of the doubles above, with typed access to each.
struct FakePlatform {
  FakePlatform();
  platform::Platform services;
  testing_support::FakeRegistry& registry;
  MemoryFiles& files;
  testing_support::FakeProcesses& processes;
  testing_support::FakeVersionResources& versions;
  RecordingShellCopy& shell;
  FakeHelp2& help2;
};

/// The library's skin wizard as the dialog looks for it under install folder C:\Lib.
inline constexpr char kSkinSource[] = "C:\\Lib\\TSLSkinWizard\\Release\\TSLSkinWizard.awx";
/// The key whose presence says Visual C++ 6.0 is installed.
inline constexpr char kVc6Key[] =
    "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++";

/// Visual C++ 6.0 installed with its lists and template folder, and the library's skin wizard.
void InstallVc6(FakePlatform& fake);

}  // namespace integrate_test
