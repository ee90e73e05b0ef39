// The integration tests' doubles: a recording owner and host, and a platform of fakes.
#pragma once

#include <deque>
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

/// A platform made of the doubles above, with typed access to each.
struct FakePlatform {
  FakePlatform();
  platform::Platform services;
  testing_support::FakeRegistry& registry;
  MemoryFiles& files;
  testing_support::FakeProcesses& processes;
  testing_support::FakeVersionResources& versions;
};

}  // namespace integrate_test
