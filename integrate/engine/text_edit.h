// Whole-file edits of the IDEs' settings files (TextEdit) and the search and replace they use.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace integrate {

/// Edits an IDE settings file as a whole: the file is read line by line into a working
/// text (every line followed by one LF), changed in memory, and only then written back
/// whole in text mode, so every line ends with CR LF. The write replaces the file
/// atomically: a failed write leaves the old file whole, a read-only file unchanged.
class TextEdit {
 public:
  TextEdit(platform::FileSystem& files, std::string path);

  /// Loads the working text; false when the file cannot be read, with the reason in error().
  [[nodiscard]] bool Read();

  /// The working text, to search and change in place.
  std::string& text() { return text_; }

  /// Writes the working text back. Sets written() before it opens the file, so a caller
  /// restoring from a backup knows the file may have been touched; a read-only file is
  /// not opened and leaves written() false. False with the reason in error().
  [[nodiscard]] bool Write();

  /// True once Write has opened (or tried to open) a writable file for writing.
  bool written() const { return written_; }

  /// Why the last Read or Write failed, as the file services said it.
  const std::string& error() const { return error_; }

 private:
  platform::FileSystem& files_;
  std::string path_;
  std::string text_;
  bool written_ = false;
  std::string error_;
};

/// Finds `what` in `text` from `pos` (npos when absent). The patterns searched here begin
/// with a tab or '<', which start nearly every line of an XML file, so std::string::find,
/// which stops at every match of the first character, is several times slower on 20 MB.
std::size_t FindText(std::string_view text, std::string_view what, std::size_t pos = 0);

/// Replaces every occurrence of `from` (not empty) in `text` with `to`, in one linear pass
/// in place; the count of replacements. `start` skips a head the caller knows holds none.
std::size_t ReplaceAll(std::string* text, const std::string& from, const std::string& to,
                       std::size_t start = 0);

}  // namespace integrate
