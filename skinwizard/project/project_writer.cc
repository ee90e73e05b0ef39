// The project writer: the new project planned in memory, then written whole or taken back.
// Portable: no Win32 here.
#include "skinwizard/project/project_writer.h"

#include <algorithm>
#include <cstdio>

#include "platform/encoding.h"
#include "platform/windows_path.h"
#include "skinwizard/project/dsp_file.h"
#include "skinwizard/project/template_set.h"
#include "skinwizard/typed_text.h"

namespace skinwizard {

namespace {

const char kFileList[] = "NEWPROJ.INF";

// MAX_PATH: the IDE and the file functions it uses stop at 260 characters with the NUL; a
// folder must leave room for an 8.3 name inside it, so CreateDirectory stops at 248.
constexpr std::size_t kMaxPath = 260;
constexpr std::size_t kMaxFolderPath = 248;

std::string TooLong(const std::string& path, std::size_t limit) {
  return path + " is longer than the " + std::to_string(limit - 1) +
         " characters Windows allows here; choose a shorter location or name";
}

// Texts the user typed freely. The templates put them only inside string literals, so each
// is escaped for the language of the file it lands in; every other symbol is a name the
// wizard or host made safe (letters, digits, underscores) and goes in as it is.
const char* const kFreeTextSymbols[] = {"SKIN_NAME",   "AUTHOR",     "COMPANY",
                                        "AUTHOR_MAIL", "AUTHOR_URL", "COPYRIGHT"};

// C and C++ string literal: backslash and quote escaped, the second '?' of a pair escaped so
// no trigraph forms, control characters as three-digit octal (never hex, which would swallow
// following digits).
std::string EscapeForCString(const std::string& text) {
  std::string out;
  char previous = 0;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '?' && previous == '?') {
      out += "\\?";
    } else if (u < 0x20 || u == 0x7F) {
      char octal[5];
      std::snprintf(octal, sizeof octal, "\\%03o", u);
      out += octal;
    } else {
      out += c;
    }
    previous = c;
  }
  return out;
}

// Resource-script string: the resource compiler takes "" for a quote and reads backslash
// escapes, so a backslash is doubled; a line break would end the string, so control
// characters go in as escapes as on the C++ side.
std::string EscapeForRcString(const std::string& text) {
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"') {
      out += "\"\"";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20 || u == 0x7F) {
      char octal[5];
      std::snprintf(octal, sizeof octal, "\\%03o", u);
      out += octal;
    } else {
      out += c;
    }
  }
  return out;
}

// Windows compares names in the code page's upper case.
std::string Upper(const std::string& text) { return platform::AnsiToUpper(text); }

std::string ExtensionOf(const std::string& name) { return Upper(platform::Extension(name)); }

SymbolMap SymbolsForTemplate(const std::string& template_name, const SymbolMap& symbols) {
  std::string extension = ExtensionOf(template_name);
  std::string (*escape)(const std::string&) = nullptr;
  if (extension == "CPP" || extension == "H") {
    escape = EscapeForCString;
  } else if (extension == "RC") {
    escape = EscapeForRcString;
  }
  SymbolMap result = symbols;
  if (escape == nullptr) return result;
  for (const char* key : kFreeTextSymbols) {
    auto found = result.find(key);
    if (found != result.end()) found->second = escape(found->second);
  }
  return result;
}

// A project-relative path from the file list: plain names joined by backslashes.
bool IsRelativePath(const std::string& path) {
  std::size_t start = 0;
  while (true) {
    std::size_t end = path.find('\\', start);
    if (!IsPlainName(path.substr(start, end == std::string::npos ? end : end - start))) {
      return false;
    }
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string Where(int line) { return std::string(kFileList) + "(" + std::to_string(line) + "): "; }

}  // namespace

bool IsReservedDeviceName(const std::string& name) {
  // Windows opens the device whatever the extension: "con.txt" and "CON .h" are CON. The
  // superscript digits count as digits there, and COM0 and LPT0 are kept as well.
  std::string base = Upper(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (base == device) return true;
  }
  if (base.size() != 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) {
    return false;
  }
  const char digit = base[3];
  return (digit >= '0' && digit <= '9') || digit == '\xB9' || digit == '\xB2' || digit == '\xB3';
}

std::string ProjectNameRefusal(const std::string& name) {
  if (IsPlainName(name)) return std::string();
  const std::string quoted = QuoteTyped(platform::AnsiToUtf8(name));
  if (IsReservedDeviceName(name)) return quoted + " is a name Windows keeps for a device";
  for (const unsigned char c : name) {
    if (c < 0x20) return "A project name cannot hold control characters";
  }
  return quoted + " cannot be a project name: it names a folder and its files";
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || IsReservedDeviceName(name)) return false;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::string("\\/:*?\"<>|").find(c) != std::string::npos) return false;
  }
  return name.back() != '.' && name.back() != ' ';
}

bool ExpandNamedTemplate(const std::string& name, const SymbolMap& symbols, std::string* out,
                         std::string* error) {
  std::string text;
  if (!FindTemplate(name, &text)) {
    *error = "No template named \"" + name + "\"";
    return false;
  }
  return ExpandTemplate(name, text, symbols, out, error);
}

bool PlanProject(const ProjectRequest& request, ProjectPlan* plan, std::string* error) {
  auto root = request.symbols.find("root");
  if (root == request.symbols.end()) {
    *error = "The project has no name (symbol \"root\" has no value)";
    return false;
  }
  const std::string& name = root->second;
  if (!IsPlainName(name)) {
    *error = "\"" + name + "\" cannot be a project name: it must be a plain file name";
    return false;
  }

  std::string list_text;
  FileList list;
  if (!FindTemplate(kFileList, &list_text)) {
    *error = std::string("No template named \"") + kFileList + "\"";
    return false;
  }
  if (!ParseFileList(kFileList, list_text, request.symbols, &list, error)) return false;

  ProjectPlan result;
  result.project_folder = platform::JoinPath(request.location, name);
  result.directories.push_back(result.project_folder);
  std::vector<std::string> folders;  // project-relative, upper-cased: Windows ignores case
  for (const std::string& dir : list.directories) {
    if (!IsRelativePath(dir)) {
      *error = std::string(kFileList) + ": \"/" + dir + "\" is no folder inside the project";
      return false;
    }
    folders.push_back(Upper(dir));
    result.directories.push_back(result.project_folder + "\\" + dir);
  }

  std::vector<std::string> seen;
  for (const FileListEntry& entry : list.entries) {
    const std::string& destination = entry.destination;
    if (!IsRelativePath(destination)) {
      *error = Where(entry.line) + "\"" + destination + "\" is no file name inside the project";
      return false;
    }
    const std::string folder = platform::ParentPath(destination);
    if (!folder.empty() &&
        std::find(folders.begin(), folders.end(), Upper(folder)) == folders.end()) {
      *error = Where(entry.line) + "\"" + destination + "\" is in a folder no \"/\" line creates";
      return false;
    }
    if (std::find(seen.begin(), seen.end(), Upper(destination)) != seen.end()) {
      *error = Where(entry.line) + "\"" + destination + "\" is listed twice";
      return false;
    }
    seen.push_back(Upper(destination));

    std::string bytes;
    if (!FindTemplate(entry.source, &bytes)) {
      *error = Where(entry.line) + "no template named \"" + entry.source + "\"";
      return false;
    }
    PlannedFile file;
    file.relative = destination;
    file.path = result.project_folder + "\\" + destination;
    if (entry.binary) {
      file.bytes = bytes;
    } else {
      SymbolMap symbols = SymbolsForTemplate(entry.source, request.symbols);
      if (request.file_name_symbol) {
        symbols["FILE_NAME_SYMBOL"] = request.file_name_symbol(destination);
      }
      if (!ExpandTemplate(entry.source, bytes, symbols, &file.bytes, error)) return false;
    }
    result.files.push_back(std::move(file));
  }

  for (const char* extension : {".dsp", ".dsw"}) {
    if (std::find(seen.begin(), seen.end(), Upper(name + extension)) != seen.end()) {
      *error = std::string(kFileList) + ": lists \"" + name + extension +
               "\", which is the project file itself";
      return false;
    }
  }
  result.files.push_back({result.project_folder + "\\" + name + ".dsp", name + ".dsp",
                          BuildDspText(name, list.entries)});
  result.files.push_back(
      {result.project_folder + "\\" + name + ".dsw", name + ".dsw", BuildDswText(name)});
  // Checked before anything is written, so a long location cannot leave half a project.
  for (const std::string& folder : result.directories) {
    if (folder.size() >= kMaxFolderPath) {
      *error = TooLong(folder, kMaxFolderPath);
      return false;
    }
  }
  for (const PlannedFile& file : result.files) {
    if (file.path.size() >= kMaxPath) {
      *error = TooLong(file.path, kMaxPath);
      return false;
    }
  }
  *plan = std::move(result);
  return true;
}

std::vector<std::string> ExistingFiles(const ProjectPlan& plan, platform::FileSystem& files) {
  std::vector<std::string> existing;
  for (const PlannedFile& file : plan.files) {
    if (files.Exists(file.path)) existing.push_back(file.path);
  }
  return existing;
}

bool WriteProject(const ProjectPlan& plan, platform::FileSystem& files, std::string* error) {
  // What this run made, so that a failure takes it away again: a rerun then meets no
  // leftovers of a half-written project. Files that were there before stay as they are.
  std::vector<std::string> made_folders;
  std::vector<std::string> made_files;
  // The file services' messages name the folder or file already.
  auto fail = [&](const std::string& reason) {
    std::string left;
    std::string ignored;
    for (auto file = made_files.rbegin(); file != made_files.rend(); ++file) {
      if (!files.RemoveFile(*file, &ignored)) left += "\n  " + *file;
    }
    for (auto folder = made_folders.rbegin(); folder != made_folders.rend(); ++folder) {
      if (!files.RemoveEmptyFolder(*folder, &ignored)) left += "\n  " + *folder;
    }
    *error = reason;
    if (!left.empty()) *error += "\nand could not take back what it made:" + left;
    return false;
  };
  for (const std::string& dir : plan.directories) {
    // The missing folders on the way, outermost first, as CreateDirectories makes them.
    std::vector<std::string> missing;
    for (std::string folder = dir; folder.size() > 3 && !files.Exists(folder);
         folder = platform::ParentPath(folder)) {
      missing.push_back(folder);
    }
    std::string reason;
    const bool made = files.CreateDirectories(dir, &reason);
    // A failure part way (a drive that is not mapped, a full disk) made only some of them,
    // or none: only those that stand now are this run's to take back.
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
      if (made || files.Exists(*folder)) made_folders.push_back(*folder);
    }
    if (!made) return fail(reason);
  }
  // Text files are already CR LF, so every file goes out byte for byte.
  for (const PlannedFile& file : plan.files) {
    const bool existed = files.Exists(file.path);
    std::string reason;
    if (!files.WriteBinaryFile(file.path, file.bytes, &reason)) return fail(reason);
    if (!existed) made_files.push_back(file.path);
  }
  return true;
}

}  // namespace skinwizard
