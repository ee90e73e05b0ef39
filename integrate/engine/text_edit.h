// Whole-file edits of the IDEs' settings files (TextEdit), edits of big files where they lie
// (SpliceEdit), and the search and replace they use.
// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

/// Edits a file as TextEdit does, with the same resulting bytes, without rebuilding it in
/// memory: it is searched a megabyte at a time in the bytes a text-mode rewrite would give it
/// (every line end CR LF), and written back as the stretches it keeps, copied within the file
/// system, and the new text. A help collection's registry of 200 MB changed in two places so
/// costs about a copy. A file that a rewrite would change (a lone LF, a last line without its
/// end) is converted in memory first. A read that fails part way makes every later search
/// find nothing and Write refuse.
class SpliceEdit {
 public:
  SpliceEdit(platform::FileSystem& files, std::string path);

  /// Opens the file; false when it cannot be read, with the reason in error().
  [[nodiscard]] bool Read();

  /// Where `what` first stands from `from` wholly before `limit`, in the bytes a text-mode
  /// rewrite gives the file; npos when nowhere.
  std::size_t Find(std::string_view what, std::size_t from = 0,
                   std::size_t limit = std::string::npos);

  /// Those bytes in [from, to).
  std::string Text(std::size_t from, std::size_t to);

  /// Leaves out [from, to) of those bytes. Cuts come in order and do not overlap.
  void Cut(std::size_t from, std::size_t to);

  /// Puts `text` (LF line ends) before every `what` in what the cuts leave, found left to
  /// right as ReplaceAll finds them, also where a cut joins its pieces; the count.
  std::size_t InsertBeforeEach(std::string_view what, const std::string& text);

  /// Writes the edited file, with TextEdit::Write's rules for written() and read-only files.
  [[nodiscard]] bool Write();

  /// True once Write has opened (or tried to open) a writable file for writing.
  bool written() const { return written_; }

  /// Why the last Read or Write failed, as the file services said it.
  const std::string& error() const { return error_; }

 private:
  // The bytes in [from, to), cut at the end; valid until the next call.
  std::string_view Span(std::size_t from, std::size_t to);
  // Whether `what` starts at `at` of kept stretch `stretch` and runs on through the next ones;
  // *end is where it ends.
  bool MatchesAcross(std::size_t stretch, std::size_t at, std::string_view what,
                     std::size_t* end);

  platform::FileSystem& files_;
  std::string path_;
  std::unique_ptr<platform::FileReader> reader_;
  bool rewritten_ = false;
  std::string converted_;  // the rewrite's bytes when they differ from the file's
  std::size_t size_ = 0;
  std::string chunk_;
  bool failed_ = false;
  std::vector<std::pair<std::size_t, std::size_t>> kept_;      // [from, to) stretches
  std::vector<std::pair<std::size_t, std::string>> inserted_;  // before a byte, CR LF text
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
