// The in-memory registry double that records its calls and fails the ones it is told to.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace testing_support {

/// An in-memory registry that records what was opened, read and written, and can be told
/// to fail a given call, so a test can say what the code under test did to the registry.
class FakeRegistry : public platform::Registry {
 public:
  /// One recorded call: "open HKCU\Software\X", "read HKCU\Software\X|Name",
  /// "write HKCU\Software\X|Name=Value".
  std::vector<std::string> calls;

  /// Creates a key (and its parents) and sets a string value in it.
  void Set(platform::RootKey root, const std::string& key, const std::string& name,
           const std::string& value);
  /// Creates an empty key.
  void AddKey(platform::RootKey root, const std::string& key);
  /// The value's data, or nullptr when the key or value is missing.
  const std::string* Get(platform::RootKey root, const std::string& key,
                         const std::string& name) const;
  bool HasKey(platform::RootKey root, const std::string& key) const;

  /// Makes every call whose record starts with `prefix` fail ("write HKCU\...|Include Dirs").
  void FailCallsStartingWith(const std::string& prefix) { fail_prefixes_.push_back(prefix); }

  /// Makes every write whose record starts with `prefix` report success and store nothing.
  void DropCallsStartingWith(const std::string& prefix) { drop_prefixes_.push_back(prefix); }

  /// Number of recorded calls that start with `prefix`.
  int CountCalls(const std::string& prefix) const;

  std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey root, const std::string& path,
                                                 platform::KeyAccess access,
                                                 std::string* error = nullptr) override;
  /// Records "check HKCU"; fails when told to, as a damaged hive would.
  bool CheckReadable(platform::RootKey root, std::string* error) override;
  /// Records "writable HKCU"; fails when told to, as a hive file that may not be replaced.
  bool CheckWritable(platform::RootKey root, std::string* error) override;

 private:
  friend class FakeKey;
  bool ShouldFail(const std::string& call) const;
  static std::string KeyId(platform::RootKey root, const std::string& key);

  struct Key {
    std::map<std::string, std::pair<std::string, std::string>>
        values;  // lower name -> (name, data)
  };
  std::map<std::string, Key> keys_;  // lower-cased "HKCU\path" -> key
  std::vector<std::string> fail_prefixes_;
  std::vector<std::string> drop_prefixes_;
};

}  // namespace testing_support
