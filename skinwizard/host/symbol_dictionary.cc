// The host's symbol dictionary the templates are expanded from, with an observer of its changes.
// Portable: no Win32 here.
#include "skinwizard/host/symbol_dictionary.h"

namespace skinwizard {

void SymbolDictionary::Set(const std::string& key, const std::string& value) {
  entries_[key] = value;
  if (observer_) observer_(key, &value);
}

void SymbolDictionary::SetFlag(const std::string& key, bool set) {
  if (set) {
    Set(key, "1");
  } else {
    Remove(key);
  }
}

void SymbolDictionary::Remove(const std::string& key) {
  entries_.erase(key);
  if (observer_) observer_(key, nullptr);
}

void SymbolDictionary::Clear() {
  // Reported key by key so an observer's picture stays complete.
  while (!entries_.empty()) Remove(entries_.begin()->first);
}

const std::string* SymbolDictionary::Find(const std::string& key) const {
  auto found = entries_.find(key);
  return found == entries_.end() ? nullptr : &found->second;
}

std::string SymbolDictionary::Value(const std::string& key) const {
  const std::string* value = Find(key);
  return value == nullptr ? std::string() : *value;
}

}  // namespace skinwizard
