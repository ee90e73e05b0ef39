#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "integrate/owner.h"
#include "platform/platform.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fakes.h"

namespace integrate_test {

/// Files in memory under Windows paths (compared case-insensitively), with the text-mode
/// rules of the real services, read-only flags and injectable write failures, recording
/// every copy and write. Used where a test needs failures a real drive cannot give.
class MemoryFiles : public platform::FileSystem {
 public:
  std::vector<std::string> calls;  ///< "copy A -> B", "write P", "attrs P"

  /// Creates a file with these bytes (and its folders).
  void Put(const std::string& path, const std::string& bytes);
  /// Creates a folder and its parents.
  void AddFolder(const std::string& path);
  /// The file's bytes, or nullptr when missing.
  const std::string* Get(const std::string& path) const;
  /// Deletes a file, as if the library had been installed without it.
  void Remove(const std::string& path) { files_.erase(Key(path)); }
  void SetReadOnly(const std::string& path, bool readOnly);
  bool IsReadOnly(const std::string& path) override;
  /// Makes every later write or copy to `path` fail, leaving the old file whole.
  void FailWritesTo(const std::string& path) { failing_.insert(Key(path)); }

  bool Exists(const std::string& path) override;
  bool SetNormalAttributes(const std::string& path, std::string* error) override;
  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override;
  bool ReadTextLines(const std::string& path,
                     const std::function<bool(const std::string& line)>& on_line,
                     std::string* error) override;
  bool WriteTextFile(const std::string& path, const std::string& text,
                     std::string* error) override;
  bool ReadBinaryFile(const std::string& path, std::string* bytes, std::string* error) override;
  bool WriteBinaryFile(const std::string& path, const std::string& bytes,
                       std::string* error) override;
  bool CreateDirectories(const std::string& path, std::string* error) override;
  bool RemoveFile(const std::string& path, std::string* error) override;
  bool RemoveEmptyFolder(const std::string& path, std::string* error) override;
  std::string WindowsDirectory() override { return "C:\\windows"; }
  std::string SystemDirectory() override { return "C:\\windows\\system32"; }
  std::string FromUserPath(const std::string& path) override { return path; }

 private:
  struct File {
    std::string bytes;
    bool readOnly = false;
  };
  static std::string Key(const std::string& path);
  static std::string Parent(const std::string& path);
  bool CanReplace(const std::string& path, std::string* error);

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  std::set<std::string> failing_;
};

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
