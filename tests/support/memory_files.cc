// The in-memory file double's file rules.
#include "tests/support/memory_files.h"

#include <algorithm>
#include <cctype>

#include "platform/text_mode.h"
#include "platform/windows_path.h"

namespace testing_support {

std::string MemoryFiles::Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

std::string MemoryFiles::Parent(const std::string& path) { return platform::ParentPath(path); }

void MemoryFiles::AddFolder(const std::string& path) {
  for (std::string p = Key(path); p.size() > 2; p = Parent(p)) folders_.insert(p);
}

void MemoryFiles::Put(const std::string& path, const std::string& bytes) {
  AddFolder(Parent(path));
  files_[Key(path)].bytes = bytes;
}

const std::string* MemoryFiles::Get(const std::string& path) const {
  auto it = files_.find(Key(path));
  return it == files_.end() ? nullptr : &it->second.bytes;
}

void MemoryFiles::SetReadOnly(const std::string& path, bool readOnly) {
  files_.at(Key(path)).readOnly = readOnly;
}

bool MemoryFiles::IsReadOnly(const std::string& path) {
  auto it = files_.find(Key(path));
  return it != files_.end() && it->second.readOnly;
}

bool MemoryFiles::Exists(const std::string& path) {
  return files_.count(Key(path)) || folders_.count(Key(path));
}

bool MemoryFiles::SetNormalAttributes(const std::string& path, std::string* error) {
  calls.push_back("attrs " + path);
  auto it = files_.find(Key(path));
  if (it == files_.end()) {
    *error = "not found";
    return false;
  }
  it->second.readOnly = false;
  return true;
}

bool MemoryFiles::CanReplace(const std::string& what, const std::string& path,
                             std::string* error) {
  std::string parent = Key(Parent(path));
  if (parent.size() > 2 && !folders_.count(parent)) {
    *error = "folder not found";
    return false;
  }
  if (!CheckWritable(path, error)) return false;
  if (IsReadOnly(path) || failing_.count(Key(path))) {
    *error = IsReadOnly(path) ? platform::FileError(what, path, platform::ReplaceRefusal(false, true))
                              : "disk full";
    return false;
  }
  return true;
}

bool MemoryFiles::CheckWritable(const std::string& path, std::string* reason) {
  if (!closed_.count(Key(Parent(path)))) return true;
  *reason = "access denied";
  return false;
}

bool MemoryFiles::AppendToFile(const std::string& path, std::string_view bytes,
                               std::string* error) {
  calls.push_back("append " + path);
  if (!CanReplace(platform::kCannotWrite, path, error)) return false;
  files_[Key(path)].bytes.append(bytes.data(), bytes.size());
  return true;
}

bool MemoryFiles::CopyFile(const std::string& from, const std::string& to, std::string* error) {
  calls.push_back("copy " + from + " -> " + to);
  const std::string* bytes = Get(from);
  if (!bytes) {
    *error = "source not found";
    return false;
  }
  if (!CanReplace("Cannot copy " + from + " to", to, error)) return false;
  std::string copy = *bytes;
  if (dropping_.count(Key(to))) copy.resize(copy.size() / 2);
  files_[Key(to)].bytes = copy;
  return true;
}

bool MemoryFiles::ReadTextLines(const std::string& path,
                                const std::function<bool(const std::string& line)>& on_line,
                                std::string* error) {
  const std::string* bytes = Get(path);
  if (!bytes) {
    *error = "not found";
    return false;
  }
  std::size_t start = 0;
  while (start < bytes->size()) {
    std::size_t end = bytes->find('\n', start);
    std::size_t next = end == std::string::npos ? bytes->size() : end + 1;
    if (end == std::string::npos) end = bytes->size();
    std::size_t stop = end;
    if (stop > start && (*bytes)[stop - 1] == '\r' && end < bytes->size()) --stop;
    if (!on_line(bytes->substr(start, stop - start))) break;
    start = next;
  }
  return true;
}

bool MemoryFiles::WriteTextFile(const std::string& path, const std::string& text,
                                std::string* error) {
  calls.push_back("write " + path);
  if (!CanReplace(platform::kCannotWrite, path, error)) return false;
  if (dropping_.count(Key(path))) return true;
  std::string bytes;
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  files_[Key(path)].bytes = bytes;
  return true;
}

bool MemoryFiles::ReadBinaryFile(const std::string& path, std::string* bytes, std::string* error) {
  const std::string* found = Get(path);
  if (!found) {
    *error = "not found";
    return false;
  }
  *bytes = *found;
  return true;
}

bool MemoryFiles::WriteBinaryFile(const std::string& path, const std::string& bytes,
                                  std::string* error) {
  calls.push_back("write " + path);
  if (!CanReplace(platform::kCannotWrite, path, error)) return false;
  if (dropping_.count(Key(path))) return true;
  files_[Key(path)].bytes = bytes;
  return true;
}

bool MemoryFiles::RemoveFile(const std::string& path, std::string* error) {
  calls.push_back("remove " + path);
  if (IsReadOnly(path) || failing_.count(Key(path))) {
    *error = IsReadOnly(path) ? "access denied" : "disk full";
    return false;
  }
  files_.erase(Key(path));
  return true;
}

bool MemoryFiles::RemoveEmptyFolder(const std::string& path, std::string* error) {
  calls.push_back("rmdir " + path);
  const std::string key = Key(path);
  auto inside = [&](const std::string& entry) {
    return entry.compare(0, key.size() + 1, key + "\\") == 0;
  };
  for (const auto& file : files_) {
    if (inside(file.first)) {
      *error = "not empty";
      return false;
    }
  }
  for (const std::string& folder : folders_) {
    if (inside(folder)) {
      *error = "not empty";
      return false;
    }
  }
  if (folders_.erase(key) == 1) return true;
  *error = "not found";
  return false;
}

bool MemoryFiles::ListFolder(const std::string& path, std::vector<platform::FolderEntry>* entries,
                             std::string* error) {
  const std::string key = Key(path);
  if (!folders_.count(key)) {
    *error = "Cannot list the folder " + path + ": not found";
    return false;
  }
  entries->clear();
  // Entries are kept by their lower-case keys: names come back in lower case.
  auto add = [&](const std::string& entry, bool folder) {
    if (Parent(entry) == key) entries->push_back({entry.substr(key.size() + 1), folder});
  };
  for (const auto& file : files_) add(file.first, false);
  for (const std::string& folder : folders_) add(folder, true);
  std::sort(entries->begin(), entries->end(),
            [](const platform::FolderEntry& a, const platform::FolderEntry& b) {
              return a.name < b.name;
            });
  return true;
}

bool MemoryFiles::CreateDirectories(const std::string& path, std::string*) {
  AddFolder(path);
  return true;
}

}  // namespace testing_support
