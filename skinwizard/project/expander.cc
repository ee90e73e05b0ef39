// The template expander ($$name$$, $$IF/$$ENDIF, $$//) and the NEWPROJ.INF file-list parser.
// Portable: no Win32 here.
#include "skinwizard/project/expander.h"

#include <cstring>

namespace skinwizard {

namespace {

bool IsSymbolChar(char c, bool first) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         (!first && c >= '0' && c <= '9');
}

bool IsSymbolName(const std::string& name) {
  if (name.empty() || !IsSymbolChar(name[0], true)) return false;
  for (char c : name) {
    if (!IsSymbolChar(c, false)) return false;
  }
  return true;
}

std::string Where(const std::string& template_name, int line) {
  return template_name + "(" + std::to_string(line) + "): ";
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Replaces every "$$name$$" of one line (without its line end).
bool ExpandLine(const std::string& template_name, int line_number, const std::string& line,
                const SymbolMap& symbols, std::string* out, std::string* error) {
  std::size_t pos = 0;
  while (true) {
    std::size_t open = line.find("$$", pos);
    if (open == std::string::npos) {
      out->append(line, pos, std::string::npos);
      return true;
    }
    out->append(line, pos, open - pos);
    std::size_t close = line.find("$$", open + 2);
    if (close == std::string::npos) {
      *error = Where(template_name, line_number) + "\"$$\" without its closing \"$$\"";
      return false;
    }
    std::string name = line.substr(open + 2, close - open - 2);
    if (!IsSymbolName(name)) {
      *error = Where(template_name, line_number) + "\"$$" + name + "$$\" is no symbol name";
      return false;
    }
    auto found = symbols.find(name);
    if (found == symbols.end()) {
      *error = Where(template_name, line_number) + "symbol \"" + name + "\" has no value";
      return false;
    }
    out->append(found->second);
    pos = close + 2;
  }
}

// One line of the expansion: its text, its original line end, and its line in the template.
struct ExpandedLine {
  std::string text;
  std::string line_end;
  int source_line;
};

bool ExpandLines(const std::string& template_name, const std::string& text,
                 const SymbolMap& symbols, std::vector<ExpandedLine>* out, std::string* error) {
  // One entry per open $$IF: whether its lines are kept, and its line for the message.
  struct Block {
    bool keep;
    int line;
  };
  std::vector<Block> blocks;
  int line_number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    ++line_number;
    std::size_t lf = text.find('\n', pos);
    std::size_t next = lf == std::string::npos ? text.size() : lf + 1;
    std::size_t content_end = lf == std::string::npos ? text.size() : lf;
    if (content_end > pos && text[content_end - 1] == '\r') --content_end;
    std::string line = text.substr(pos, content_end - pos);
    std::string line_end = text.substr(content_end, next - content_end);
    pos = next;

    bool keeping = blocks.empty() || blocks.back().keep;
    if (StartsWith(line, "$$//")) continue;
    if (StartsWith(line, "$$IF(")) {
      std::size_t close = line.find(')');
      std::string name = close == std::string::npos ? "" : line.substr(5, close - 5);
      if (close == std::string::npos || close + 1 != line.size() || !IsSymbolName(name)) {
        *error = Where(template_name, line_number) + "malformed \"" + line +
                 "\" (expected $$IF(symbol) alone on its line)";
        return false;
      }
      blocks.push_back({keeping && symbols.count(name) != 0, line_number});
      continue;
    }
    if (line == "$$ENDIF") {
      if (blocks.empty()) {
        *error = Where(template_name, line_number) + "$$ENDIF without $$IF";
        return false;
      }
      blocks.pop_back();
      continue;
    }
    // A line opening with "$$WORD" that is not a symbol reference would be a directive this
    // expander does not know ($$ELSE, $$BEGINLOOP ...): refuse rather than copy it.
    if (StartsWith(line, "$$") && line.find("$$", 2) == std::string::npos) {
      *error = Where(template_name, line_number) + "unknown directive \"" + line + "\"";
      return false;
    }
    if (!keeping) continue;
    ExpandedLine expanded{std::string(), line_end, line_number};
    if (!ExpandLine(template_name, line_number, line, symbols, &expanded.text, error)) {
      return false;
    }
    out->push_back(std::move(expanded));
  }
  if (!blocks.empty()) {
    *error = Where(template_name, blocks.back().line) + "$$IF without $$ENDIF";
    return false;
  }
  return true;
}

}  // namespace

bool ExpandTemplate(const std::string& template_name, const std::string& text,
                    const SymbolMap& symbols, std::string* out, std::string* error) {
  std::vector<ExpandedLine> lines;
  if (!ExpandLines(template_name, text, symbols, &lines, error)) return false;
  out->clear();
  for (const ExpandedLine& line : lines) *out += line.text + line.line_end;
  return true;
}

bool ParseFileList(const std::string& template_name, const std::string& text,
                   const SymbolMap& symbols, FileList* out, std::string* error) {
  std::vector<ExpandedLine> lines;
  if (!ExpandLines(template_name, text, symbols, &lines, error)) return false;
  FileList list;
  for (const ExpandedLine& expanded : lines) {
    const std::string& line = expanded.text;
    int line_number = expanded.source_line;
    if (line.empty()) continue;
    if (line[0] == '/') {
      std::string dir = line.substr(1);
      if (dir.empty()) {
        *error = Where(template_name, line_number) + "\"/\" without a folder name";
        return false;
      }
      list.directories.push_back(dir);
      continue;
    }
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      *error = Where(template_name, line_number) + "no tab between source and destination in \"" +
               line + "\"";
      return false;
    }
    FileListEntry entry;
    entry.line = line_number;
    entry.destination = line.substr(tab + 1);
    std::size_t i = 0;
    for (; i < tab; ++i) {
      char c = line[i];
      if (c == '=') {
        entry.binary = true;
      } else if (c == '-') {
        entry.not_in_project = true;
      } else if (c == '!') {
        entry.excluded_from_build = true;
      } else if (c == '?') {
        entry.help_file = true;
      } else if (c == ':') {
        entry.resource = true;
      } else if (c == '#') {
        entry.is_template = true;
        entry.excluded_from_build = true;
      } else if (c == '*') {
        entry.bypass_custom = true;
      } else if (IsSymbolChar(c, false) || c == '.') {
        break;
      } else {
        *error = Where(template_name, line_number) + "unknown flag '" + std::string(1, c) + "'";
        return false;
      }
    }
    entry.source = line.substr(i, tab - i);
    if (entry.source.empty() || entry.destination.empty()) {
      *error =
          Where(template_name, line_number) + "empty source or destination in \"" + line + "\"";
      return false;
    }
    list.entries.push_back(entry);
  }
  *out = std::move(list);
  return true;
}

}  // namespace skinwizard
