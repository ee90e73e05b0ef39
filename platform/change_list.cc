// The changes of a run as a person reads them: registry values old -> new, files as unified diffs.
// Portable: no Win32 here.
#include "platform/change_list.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::size_t kContext = 3;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string Range(std::size_t first, std::size_t count) {
  // A range of no lines names the line before it, as diff does.
  return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

bool IsBinary(const std::string& bytes) { return bytes.find('\0') != std::string::npos; }

std::string Bytes(std::size_t size) { return std::to_string(size) + " bytes"; }

}  // namespace

std::string UnifiedDiff(const std::string& name, const std::string& before,
                        const std::string& after) {
  const std::vector<std::string> old_lines = Lines(before), new_lines = Lines(after);
  std::size_t head = 0;
  while (head < old_lines.size() && head < new_lines.size() && old_lines[head] == new_lines[head]) {
    ++head;
  }
  std::size_t tail = 0;
  while (tail < old_lines.size() - head && tail < new_lines.size() - head &&
         old_lines[old_lines.size() - 1 - tail] == new_lines[new_lines.size() - 1 - tail]) {
    ++tail;
  }
  if (head == old_lines.size() && head == new_lines.size()) return std::string();
  const std::size_t first = head - std::min(head, kContext);
  const std::size_t old_end = old_lines.size() - tail, new_end = new_lines.size() - tail;
  const std::size_t after_context = std::min(tail, kContext);
  std::string diff = "--- " + name + "\n+++ " + name + "\n";
  diff += "@@ -" + Range(first, old_end + after_context - first) + " +" +
          Range(first, new_end + after_context - first) + " @@\n";
  for (std::size_t i = first; i < head; ++i) diff += " " + old_lines[i] + "\n";
  for (std::size_t i = head; i < old_end; ++i) diff += "-" + old_lines[i] + "\n";
  for (std::size_t i = head; i < new_end; ++i) diff += "+" + new_lines[i] + "\n";
  for (std::size_t i = old_end; i < old_end + after_context; ++i) {
    diff += " " + old_lines[i] + "\n";
  }
  return diff;
}

std::string DescribeChanges(const std::vector<Change>& changes) {
  std::string text;
  for (const Change& change : changes) {
    switch (change.kind) {
      case Change::Kind::kRegistryValue:
        text += RootKeyName(change.root) + "\\" + change.key + "  \"" + change.name + "\"\n" +
                "  old: " + (change.existed ? "\"" + change.before + "\"" : "(none)") +
                "\n  new: \"" + change.after + "\"\n";
        break;
      case Change::Kind::kFile: {
        const std::string what = !change.existed        ? "new file, " + Bytes(change.after.size())
                                 : !change.exists_after ? "deleted, " + Bytes(change.before.size())
                                                        : "replaces " + Bytes(change.before.size());
        if (!change.source.empty()) {
          text += "copy " + change.source + " -> " + change.path + " (" + what + ")\n";
        } else if (!change.existed || !change.exists_after) {
          text += change.path + ": " + what + "\n";
        } else if (change.before == change.after) {
          text += change.path + ": made writable\n";
        } else if (IsBinary(change.before) || IsBinary(change.after)) {
          text += change.path + ": binary file, " + Bytes(change.before.size()) + " -> " +
                  Bytes(change.after.size()) + "\n";
        } else {
          text += UnifiedDiff(change.path, change.before, change.after);
        }
        break;
      }
      case Change::Kind::kFolder:
        text += change.path + (change.existed ? ": folder removed\n" : ": new folder\n");
        break;
      case Change::Kind::kHelpCall:
        text += "help registration: " + change.call + "\n";
        break;
    }
  }
  return text;
}

}  // namespace platform
