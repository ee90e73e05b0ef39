// The in-memory registry double that records its calls and fails the ones it is told to.
#include "tests/support/fake_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace testing_support {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string RootName(platform::RootKey root) {
  return root == platform::RootKey::kLocalMachine ? "HKLM" : "HKCU";
}

}  // namespace

class FakeKey : public platform::RegistryKey {
 public:
  FakeKey(FakeRegistry* owner, std::string id, std::string display, bool writable)
      : owner_(owner), id_(std::move(id)), display_(std::move(display)), writable_(writable) {}

  platform::RegResult QueryString(const std::string& name, char* buffer,
                                  std::size_t* size) override {
    std::string call = "read " + display_ + "|" + name;
    owner_->calls.push_back(call);
    if (owner_->ShouldFail(call)) return platform::RegResult::kError;
    auto key = owner_->keys_.find(id_);
    if (key == owner_->keys_.end()) return platform::RegResult::kError;
    auto value = key->second.values.find(Lower(name));
    if (value == key->second.values.end()) return platform::RegResult::kNotFound;
    const std::string& data = value->second.second;
    std::size_t needed = data.size() + 1;
    if (*size < needed) {
      *size = needed;
      return platform::RegResult::kMoreData;
    }
    std::memcpy(buffer, data.c_str(), needed);
    *size = needed;
    return platform::RegResult::kOk;
  }

  bool SetString(const std::string& name, const std::string& value, std::string* error) override {
    std::string call = "write " + display_ + "|" + name + "=" + value;
    owner_->calls.push_back(call);
    if (!writable_ || owner_->ShouldFail(call)) {
      *error = writable_ ? "injected failure" : "key opened for reading only";
      return false;
    }
    for (const std::string& prefix : owner_->drop_prefixes_) {
      if (call.rfind(prefix, 0) == 0) return true;
    }
    owner_->keys_[id_].values[Lower(name)] = {name, value};
    return true;
  }

 private:
  FakeRegistry* owner_;
  std::string id_;
  std::string display_;
  bool writable_;
};

std::string FakeRegistry::KeyId(platform::RootKey root, const std::string& key) {
  return Lower(RootName(root) + "\\" + key);
}

void FakeRegistry::AddKey(platform::RootKey root, const std::string& key) {
  // Parents exist whenever a child does, as in a real registry.
  std::size_t pos = 0;
  while ((pos = key.find('\\', pos)) != std::string::npos) {
    keys_[KeyId(root, key.substr(0, pos))];
    ++pos;
  }
  keys_[KeyId(root, key)];
}

void FakeRegistry::Set(platform::RootKey root, const std::string& key, const std::string& name,
                       const std::string& value) {
  AddKey(root, key);
  keys_[KeyId(root, key)].values[Lower(name)] = {name, value};
}

const std::string* FakeRegistry::Get(platform::RootKey root, const std::string& key,
                                     const std::string& name) const {
  auto k = keys_.find(KeyId(root, key));
  if (k == keys_.end()) return nullptr;
  auto v = k->second.values.find(Lower(name));
  return v == k->second.values.end() ? nullptr : &v->second.second;
}

bool FakeRegistry::HasKey(platform::RootKey root, const std::string& key) const {
  return keys_.count(KeyId(root, key)) != 0;
}

bool FakeRegistry::ShouldFail(const std::string& call) const {
  return std::any_of(fail_prefixes_.begin(), fail_prefixes_.end(),
                     [&](const std::string& p) { return call.compare(0, p.size(), p) == 0; });
}

int FakeRegistry::CountCalls(const std::string& prefix) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
    return c.compare(0, prefix.size(), prefix) == 0;
  }));
}

std::unique_ptr<platform::RegistryKey> FakeRegistry::OpenKey(platform::RootKey root,
                                                             const std::string& path,
                                                             platform::KeyAccess access,
                                                             std::string* error) {
  std::string display = RootName(root) + "\\" + path;
  std::string call = "open " + display;
  calls.push_back(call);
  if (ShouldFail(call) || !keys_.count(KeyId(root, path))) {
    *error = "key not found: " + display;
    return nullptr;
  }
  return std::make_unique<FakeKey>(this, KeyId(root, path), display,
                                   access == platform::KeyAccess::kAll);
}

bool FakeRegistry::CheckReadable(platform::RootKey root, std::string* error) {
  const std::string call = "check " + RootName(root);
  calls.push_back(call);
  if (!ShouldFail(call)) return true;
  *error = "hive of " + RootName(root) + " damaged";
  return false;
}

bool FakeRegistry::CheckWritable(platform::RootKey root, std::string* error) {
  const std::string call = "writable " + RootName(root);
  calls.push_back(call);
  if (!ShouldFail(call)) return true;
  *error = "hive of " + RootName(root) + " cannot be replaced";
  return false;
}

}  // namespace testing_support
