// Text-mode file rules shared by every file service: line ends, refusals and error messages.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

/// Splits file bytes into text-mode lines as they arrive in chunks: LF ends a line and a CR
/// right before it goes with it, a lone CR is text, a last line without an end is still a
/// line, no length limit.
class TextLineSplitter {
 public:
  using OnLine = std::function<bool(const std::string& line)>;

  /// `on_line` returns false to stop; no line is handed on after that.
  explicit TextLineSplitter(const OnLine& on_line) : on_line_(on_line) {}

  /// Hands on every line the chunk completes; false once the reader asked to stop.
  bool Feed(const char* chunk, std::size_t size);

  /// Hands on a last line that has no end, unless the reader stopped.
  void Finish();

 private:
  const OnLine& on_line_;
  std::string line_;
  bool stopped_ = false;
};

/// Room LfToCrLf needs for `size` bytes of text, in which every byte may be a line end.
constexpr std::size_t CrLfRoom(std::size_t size) { return 2 * size; }

/// Writes text as text mode does, every LF as CR LF, to `out` (CrLfRoom bytes of room);
/// returns the end of what it wrote.
char* LfToCrLf(const char* at, const char* end, char* out);

/// Turns file bytes into text in place as text mode reads them: CR LF becomes LF, a lone CR
/// stays; returns the text's new size.
std::size_t CrLfToLf(char* text, std::size_t size);

/// Turns a whole file's bytes into the lines a text-mode read gives, each ended by one LF:
/// CR LF and LF end a line, a lone CR is text, a last line without an end still gets one.
void ToTextLines(std::string* bytes);

/// Whether `bytes` hold an LF without a CR before it (`after_cr`: the byte before them is a
/// CR), which a text-mode read and rewrite turns into CR LF. Files written in text mode hold
/// none, so a rewrite keeps their bytes as they are, given that they end with an LF.
bool HasLoneLf(std::string_view bytes, bool after_cr);

/// The bytes a text-mode read and rewrite makes of `bytes`: every lone LF as CR LF, and a last
/// line without an end given CR LF; a lone CR stays.
std::string TextModeRewrite(std::string_view bytes);

/// Why an existing file may not be replaced by a write, or nullptr when it may: a folder is
/// never replaced, a read-only file only where the caller allows it (the shell does).
const char* ReplaceRefusal(bool is_folder, bool read_only, bool replace_read_only = false);

/// What failed, the first part of every file-service error; both backends say it alike.
inline constexpr char kCannotOpen[] = "Cannot open";
inline constexpr char kCannotRead[] = "Cannot read";
inline constexpr char kCannotWrite[] = "Cannot write";
inline constexpr char kCannotCreateFolder[] = "Cannot create the folder";
inline constexpr char kCannotSetAttributes[] = "Cannot change the attributes of";
inline constexpr char kCannotDelete[] = "Cannot delete";
inline constexpr char kCannotRemoveFolder[] = "Cannot remove the folder";
inline constexpr char kCannotList[] = "Cannot list the folder";
/// A folder wanted where a file is.
inline constexpr char kFileInTheWay[] = "a file of that name exists";

/// The one shape of every file-service error: "Cannot write C:\a.txt: the file is read-only".
std::string FileError(const std::string& what, const std::string& path, const std::string& reason);

}  // namespace platform

namespace platform {

/// Text built with LF line ends as text mode writes it, every LF as CR LF.
std::string LfToCrLf(const std::string& text);

}  // namespace platform
