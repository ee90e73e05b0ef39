// TempDrive: a fresh folder this build's real file services reach by a Windows path.
#pragma once

#include <string>

#include "platform/platform.h"

namespace testing_support {

/// A fresh, empty folder that the real file services of this build reach by a Windows
/// path, removed again at the end of the test. Natively it is a small Wine-prefix layout in
/// a temporary folder (dosdevices/c: -> drive_c, with windows\system32), reached through
/// the Wine implementation; in the Windows builds it is a folder under the temporary
/// directory, reached through the Win32 API. File tests build every path from Root(), so
/// one test checks both implementations.
class TempDrive {
 public:
  TempDrive();
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  /// The folder in Windows form, without a trailing backslash ("C:\tsl-test-1a2b").
  const std::string& Root() const { return root_; }
  /// Root() + "\" + relative.
  std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }

  /// The real platform of this build over this drive (registry included: natively it is the
  /// mini prefix's own, initially empty, hive files). Tests may replace members with fakes.
  platform::Platform& Services() { return platform_; }

  /// Writes a file's bytes directly (parents created), bypassing the services under test.
  void WriteRaw(const std::string& relative, const std::string& bytes);
  /// Reads a file's bytes directly; "" with *exists false when missing.
  std::string ReadRaw(const std::string& relative, bool* exists = nullptr) const;
  /// Makes a file read-only (or writable again) directly.
  void SetReadOnlyRaw(const std::string& relative, bool read_only);
  /// Makes a symbolic link at `relative` to `target` ('/'-separated, relative to the link)
  /// directly; false where a test cannot make one (a Windows program under wine).
  bool LinkRaw(const std::string& relative, const std::string& target);
  /// Puts an entry at `relative` that exists but cannot be read as a file, until the drive
  /// goes: a pipe natively (root reads any file), a file held open without sharing on Windows.
  void MakeUnreadableRaw(const std::string& relative);

 private:
  std::string root_;
  std::string host_dir_;  // the folder in the host's own form
  void* held_ = nullptr;  // what MakeUnreadableRaw holds open on Windows
  platform::Platform platform_;
};

}  // namespace testing_support
