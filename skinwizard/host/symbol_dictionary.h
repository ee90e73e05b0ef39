// The host's symbol dictionary the templates are expanded from, with an observer of its changes.
// Portable: no Win32 here.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace skinwizard {

/// The host's string-to-string map the templates are expanded from. Keys compare
/// case-sensitively ("root" and "ROOT" are different symbols); a Boolean symbol is set when
/// its key is present and not set when it is absent.
class SymbolDictionary {
 public:
  /// Called after every change with the key and the new value, or null for a removal; lets a
  /// host or a test follow the order in which a wizard writes.
  using Observer = std::function<void(const std::string& key, const std::string* value)>;

  void Set(const std::string& key, const std::string& value);
  /// Sets a Boolean symbol: "1" when `set`, the key removed otherwise.
  void SetFlag(const std::string& key, bool set);
  void Remove(const std::string& key);
  void Clear();

  /// The value, or null when the key is absent.
  const std::string* Find(const std::string& key) const;
  /// The value, or "" when the key is absent.
  std::string Value(const std::string& key) const;
  bool Has(const std::string& key) const { return entries_.count(key) != 0; }

  /// The symbols as the template expander takes them.
  const std::map<std::string, std::string>& Entries() const { return entries_; }

  void SetObserver(Observer observer) { observer_ = std::move(observer); }

 private:
  std::map<std::string, std::string> entries_;
  Observer observer_;
};

}  // namespace skinwizard
