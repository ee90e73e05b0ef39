// The journal's bytes: its blocks and checksums, written and read (this format and the first).
// Portable: no Win32 here.
#include "integrate/journal_format.h"

#include <cstdint>
#include <cstdio>
#include <map>

#include "integrate/strings.h"
#include "platform/encoding.h"

namespace integrate {

using platform::Change;

const char kJournalHeader[] = "tslkt-integrate journal 2\n";

namespace {

const char kHeaderVersion1[] = "tslkt-integrate journal 1\n";

std::uint64_t Checksum(std::string_view bytes, std::size_t length) {
  BlockSum sum;
  sum.Add(bytes.substr(0, length));
  return sum.value();
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

void Field(std::string* out, const char* name, const std::string& value) {
  *out += JournalField(name, value);
}

const char* KindName(Change::Kind kind) {
  switch (kind) {
    case Change::Kind::kRegistryValue:
      return "registry";
    case Change::Kind::kFile:
      return "file";
    case Change::Kind::kFolder:
      return "folder";
    case Change::Kind::kHelpCall:
      return "help";
  }
  return "";
}

// Reads "name length:bytes\n" at *at.
bool ReadField(const std::string& bytes, std::size_t* at, std::string* name, std::string* value) {
  const std::size_t space = bytes.find(' ', *at);
  const std::size_t colon = bytes.find(':', *at);
  if (space == std::string::npos || colon == std::string::npos || space > colon ||
      colon - space < 2 || colon - space > 12) {
    return false;
  }
  std::size_t length = 0;
  for (std::size_t i = space + 1; i < colon; ++i) {
    if (bytes[i] < '0' || bytes[i] > '9') return false;
    length = length * 10 + static_cast<std::size_t>(bytes[i] - '0');
  }
  if (length > bytes.size() - colon - 1 || bytes.size() - colon - 1 - length < 1 ||
      bytes[colon + 1 + length] != '\n') {
    return false;
  }
  *name = bytes.substr(*at, space - *at);
  *value = bytes.substr(colon + 1, length);
  *at = colon + 2 + length;
  return true;
}

bool Flag(const std::string& value, bool* flag) {
  if (value != "0" && value != "1") return false;
  *flag = value == "1";
  return true;
}

// Sets the member of `change` that a field names; false for a name or value not ours.
bool SetMember(Change* change, const std::string& name, const std::string& value) {
  if (name == "root") {
    if (value != "HKLM" && value != "HKCU") return false;
    change->root =
        value == "HKLM" ? platform::RootKey::kLocalMachine : platform::RootKey::kCurrentUser;
  } else if (name == "key") {
    change->key = value;
  } else if (name == "name") {
    change->name = value;
  } else if (name == "path") {
    change->path = value;
  } else if (name == "source") {
    change->source = value;
  } else if (name == "existed") {
    return Flag(value, &change->existed);
  } else if (name == "read-only-before") {
    return Flag(value, &change->read_only_before);
  } else if (name == "exists-after") {
    return Flag(value, &change->exists_after);
  } else if (name == "before") {
    change->before = value;
  } else if (name == "after") {
    change->after = value;
  } else if (name == "call") {
    change->call = value;
  } else {
    return false;
  }
  return true;
}

}  // namespace

// --- The journal's blocks ---------------------------------------------------------------------
// Version 2: "tslkt-integrate journal 2", then blocks of fields, each closed by "sum" with the
// checksum of the block's bytes: a header block (library, time), one block per change noted
// ahead of it, and an end block ("end" = "<changes> finished|interrupted"). A killed run's
// journal stops after its last whole block, or inside the next one.

void BlockSum::Add(std::string_view piece) {
  for (const char c : piece) hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 1099511628211ull;
}

std::string BlockSum::Close() const { return JournalField("sum", Hex(hash_)); }

std::string JournalField(const char* name, const std::string& value) {
  return std::string(name) + " " + std::to_string(value.size()) + ":" + value + "\n";
}

std::string SummedBlock(std::string fields) {
  BlockSum sum;
  sum.Add(fields);
  return fields + sum.Close();
}

std::string HeaderBlock(const std::string& library, const std::string& time) {
  return SummedBlock(JournalField("library", library) + JournalField("time", time));
}

std::string EndBlock(std::size_t changes, bool finished) {
  return SummedBlock(
      JournalField("end", std::to_string(changes) + (finished ? " finished" : " interrupted")));
}

std::string ItemIdentity(const Change& change) {
  std::string id;
  switch (change.kind) {
    case Change::Kind::kRegistryValue:
      id = std::string("value|") + (change.root == platform::RootKey::kLocalMachine ? "HKLM" : "HKCU") +
           "\\" + change.key + "|" + change.name;
      break;
    case Change::Kind::kFile:
    case Change::Kind::kFolder:
      id = std::string(KindName(change.kind)) + "|" + change.path;
      for (char& c : id) {
        if (c == '/') c = '\\';
      }
      break;
    case Change::Kind::kHelpCall:
      return std::string();
  }
  return platform::AnsiToUpper(id);
}

std::string ValueState(bool exists, const std::string& value) { return exists ? "=" + value : "-"; }
std::string FolderState(bool exists) { return exists ? "folder" : "-"; }

std::string ChangeFields(const Change& change, bool first, std::string* before_head) {
  std::string out;
  Field(&out, "change", KindName(change.kind));
  switch (change.kind) {
    case Change::Kind::kRegistryValue:
      Field(&out, "root", change.root == platform::RootKey::kLocalMachine ? "HKLM" : "HKCU");
      Field(&out, "key", change.key);
      Field(&out, "name", change.name);
      if (first) {
        Field(&out, "existed", change.existed ? "1" : "0");
        Field(&out, "before", change.before);
      }
      Field(&out, "after", change.after);
      break;
    case Change::Kind::kFile:
      Field(&out, "path", change.path);
      Field(&out, "source", change.source);
      if (first) {
        Field(&out, "existed", change.existed ? "1" : "0");
        Field(&out, "read-only-before", change.read_only_before ? "1" : "0");
        *before_head = "before " + std::to_string(change.before.size()) + ":";
      }
      break;
    case Change::Kind::kFolder:
      Field(&out, "path", change.path);
      if (first) Field(&out, "existed", change.existed ? "1" : "0");
      Field(&out, "exists-after", change.exists_after ? "1" : "0");
      break;
    case Change::Kind::kHelpCall:
      Field(&out, "call", change.call);
      break;
  }
  return out;
}

std::string FileTail(const Change& change) {
  std::string out;
  Field(&out, "exists-after", change.exists_after ? "1" : "0");
  Field(&out, "after-digest", change.after_digest);
  return out;
}

namespace {

// Reads one block of version 2 from *at: its fields up to its checksum. kCut when the bytes
// end inside it (a killed run's last block), kBad when it is whole but does not add up.
enum class BlockRead { kOk, kCut, kBad };
BlockRead ReadBlock(const std::string& bytes, std::size_t* at,
                    std::vector<std::pair<std::string, std::string>>* fields) {
  fields->clear();
  const std::size_t start = *at;
  std::string name, value;
  for (;;) {
    const std::size_t field_start = *at;
    if (!ReadField(bytes, at, &name, &value)) {
      // Cut: the field's length runs past the end, or its head is not complete.
      const std::size_t colon = bytes.find(':', field_start);
      if (colon == std::string::npos) return BlockRead::kCut;
      std::size_t length = 0;
      const std::size_t space = bytes.find(' ', field_start);
      if (space == std::string::npos || space > colon) return BlockRead::kBad;
      for (std::size_t i = space + 1; i < colon; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9' || length > (std::size_t{1} << 40)) return BlockRead::kBad;
        length = length * 10 + static_cast<std::size_t>(bytes[i] - '0');
      }
      return colon + 1 + length >= bytes.size() ? BlockRead::kCut : BlockRead::kBad;
    }
    if (name == "sum") {
      return value == Hex(Checksum(std::string_view(bytes).substr(start), field_start - start))
                 ? BlockRead::kOk
                 : BlockRead::kBad;
    }
    fields->emplace_back(name, value);
  }
}

bool DecodeVersion2(const std::string& bytes, std::size_t at, Journal* journal) {
  std::vector<std::pair<std::string, std::string>> fields;
  if (ReadBlock(bytes, &at, &fields) != BlockRead::kOk || fields.size() != 2 ||
      fields[0].first != "library" || fields[1].first != "time") {
    return false;
  }
  Journal read;
  read.library = fields[0].second;
  read.time = fields[1].second;
  read.finished = false;
  std::map<std::string, std::size_t> index;
  while (at < bytes.size()) {
    const BlockRead result = ReadBlock(bytes, &at, &fields);
    if (result == BlockRead::kCut) break;  // the block a killed run was writing
    if (result == BlockRead::kBad || fields.empty()) return false;
    if (fields[0].first == "end") {
      const std::string count = std::to_string(read.begun);
      if (fields.size() != 1 || at != bytes.size() ||
          (fields[0].second != count + " finished" && fields[0].second != count + " interrupted")) {
        return false;
      }
      read.finished = fields[0].second == count + " finished";
      break;
    }
    if (fields[0].first != "change") return false;
    Change change;
    bool known = false;
    for (Change::Kind kind : {Change::Kind::kRegistryValue, Change::Kind::kFile,
                              Change::Kind::kFolder, Change::Kind::kHelpCall}) {
      if (fields[0].second == KindName(kind)) change.kind = kind, known = true;
    }
    if (!known) return false;
    bool has_before = false;
    for (std::size_t i = 1; i < fields.size(); ++i) {
      const std::string& name = fields[i].first;
      if (name == "after-digest") {
        change.after_digest = fields[i].second;
      } else if (!SetMember(&change, name, fields[i].second)) {
        return false;
      }
      has_before = has_before || name == "existed";
    }
    ++read.begun;
    const std::string state =
        change.kind == Change::Kind::kRegistryValue ? change.after
        : change.kind == Change::Kind::kFile        ? (change.exists_after ? change.after_digest : "")
                                                    : FolderState(change.exists_after);
    const std::string id = ItemIdentity(change);
    auto seen = id.empty() ? index.end() : index.find(id);
    if (seen == index.end()) {
      // An item's first block says what stood there; a help call has nothing before it.
      if (!has_before && change.kind != Change::Kind::kHelpCall) return false;
      change.left.push_back(state);
      if (!id.empty()) index[id] = read.changes.size();
      read.changes.push_back(std::move(change));
      continue;
    }
    if (has_before) return false;
    Change& item = read.changes[seen->second];
    item.left.push_back(state);
    item.after = change.after;
    item.after_digest = change.after_digest;
    item.exists_after = change.exists_after;
    if (!change.source.empty()) item.source = change.source;
  }
  *journal = std::move(read);
  return true;
}


bool DecodeVersion1(const std::string& bytes, std::size_t at, Journal* journal) {
  Journal read;
  std::size_t count = 0;
  std::string name, value;
  bool ok = true;
  while (ok) {
    const std::size_t start = at;
    if (!ReadField(bytes, &at, &name, &value)) {
      ok = false;
    } else if (name == "end") {
      ok = value == std::to_string(count) + " " + Hex(Checksum(bytes, start)) && at == bytes.size();
      break;
    } else if (name == "library" && count == 0) {
      read.library = value;
    } else if (name == "time" && count == 0) {
      read.time = value;
    } else if (name == "change") {
      Change change;
      ok = false;
      for (Change::Kind kind : {Change::Kind::kRegistryValue, Change::Kind::kFile,
                                Change::Kind::kFolder, Change::Kind::kHelpCall}) {
        if (value != KindName(kind)) continue;
        change.kind = kind;
        ok = true;
      }
      read.changes.push_back(change);
      ++count;
    } else {
      ok = count > 0 && SetMember(&read.changes.back(), name, value);
    }
  }
  if (!ok) return false;
  read.begun = count;
  *journal = std::move(read);
  return true;
}

}  // namespace

std::string EncodeJournal(const Journal& journal) {
  std::string out = kJournalHeader + HeaderBlock(journal.library, journal.time);
  std::size_t count = 0;
  for (Change change : journal.changes) {
    if (!platform::Changed(change)) continue;
    ++count;
    std::string before_head;
    std::string block = ChangeFields(change, true, &before_head);
    if (change.kind == Change::Kind::kFile) {
      block += before_head + change.before + "\n";
      change.after_digest = change.exists_after ? platform::ContentDigest(change.after) : "";
      block += FileTail(change);
    }
    out += SummedBlock(std::move(block));
  }
  return out + EndBlock(count, journal.finished);
}

bool DecodeJournal(const std::string& bytes, Journal* journal, std::string* error) {
  const std::string header = kJournalHeader, version1 = kHeaderVersion1;
  bool ok = false;
  if (bytes.compare(0, header.size(), header) == 0) {
    ok = DecodeVersion2(bytes, header.size(), journal);
  } else if (bytes.compare(0, version1.size(), version1) == 0) {
    ok = DecodeVersion1(bytes, version1.size(), journal);
  } else {
    *error = LoadText(kStrJournalNotOurs);
    return false;
  }
  if (!ok) *error = LoadText(kStrJournalDamaged);
  return ok;
}

}  // namespace integrate
