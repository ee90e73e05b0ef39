// A Wine prefix's registry as a 32-bit program sees it, kept in system.reg and user.reg.
// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/wine_registry.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/encoding.h"
#include "platform/windows_path.h"
#include "platform/wine/host_io.h"
#include "platform/wine/reg_file.h"
#include "platform/wine/server_lock.h"

namespace platform::wine {

namespace {

// Symbolic links are followed at most this deep, so a loop of links ends.
constexpr int kMaxLinkHops = 16;

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldRegChar(a[i]) != FoldRegChar(b[i])) return false;
  }
  return true;
}

std::u16string Join(const std::u16string& parent, std::u16string_view child) {
  return parent.empty() ? std::u16string(child) : parent + u"\\" + std::u16string(child);
}

std::u16string Parent(const std::u16string& path) {
  std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::u16string_view LastComponent(const std::u16string& path) {
  std::size_t slash = path.rfind(u'\\');
  return std::u16string_view(path).substr(slash == std::u16string::npos ? 0 : slash + 1);
}

bool IsWow6432Node(std::u16string_view name) { return SameName(name, u"Wow6432Node"); }

// One registry file, read again whenever it changed on disk since we read or wrote it.
struct Hive {
  std::string path;
  std::unique_ptr<RegFile> file;
  struct stat seen = {};

  static bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
  }

  // The file as it is on disk now; nullptr with the reason when Wine would not load it
  // at all (missing, not a regular file, unreadable, no Wine registry header).
  RegFile* Current(std::string* error) {
    // While the run holds its writes, a hive it saved is read from the file about to replace it.
    const std::string visible = VisiblePath(path);
    struct stat st;
    if (::stat(visible.c_str(), &st) != 0) {
      const int stat_errno = errno;
      struct stat link;
      const bool dangling =
          stat_errno == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
      *error = path + ": " +
               (dangling ? std::string("it is a link to a file that does not exist")
                         : std::string(std::strerror(stat_errno)));
      file.reset();
      return nullptr;
    }
    if (file && SameFile(st, seen)) return file.get();
    file = RegFile::Load(visible, error);
    seen = st;
    return file.get();
  }

  // A fresh parse of the file as saved, never the copy in memory: what Wine will load once the
  // run's held writes are carried out, which also makes sure the file was replaced.
  std::unique_ptr<RegFile> FromDisk(std::string* error) const {
    return RegFile::Load(VisiblePath(path), error);
  }
};

struct State {
  std::string prefix;
  Hive hives[2];
  Hive& For(RootKey root) { return hives[root == RootKey::kLocalMachine ? 0 : 1]; }
};

// Follows a path the way Wine opens a key for a 32-bit program when `wow32` is set: after
// every key with a Wow6432Node child the walk goes on in that child, and a name missing
// from the shared Software\Classes\Wow6432Node is looked up in Software\Classes. Symbolic
// links are followed within the file. Returns the real path of the key.
bool ResolvePath(const RegFile& file, const std::vector<std::u16string>& components, bool wow32,
                 std::u16string* resolved) {
  auto shared = [wow32](const std::u16string& path) {
    return wow32 && SameName(path, u"Software\\Classes\\Wow6432Node");
  };
  std::u16string cur;
  for (std::size_t i = 0; i < components.size(); ++i) {
    bool last = i + 1 == components.size();
    std::u16string next = Join(cur, components[i]);
    if (!file.KeyExists(next)) {
      if (!shared(cur)) return false;
      next = Join(Parent(cur), components[i]);
      if (!file.KeyExists(next)) return false;
    }
    cur = next;
    std::u16string target;
    int hops = 0;
    while (file.LinkTarget(cur, &target)) {
      // Targets are absolute ("\Registry\Machine\..."); only those inside this file resolve.
      std::u16string root = u"\\" + file.Root() + u"\\";
      if (++hops > kMaxLinkHops || target.size() <= root.size() ||
          !SameName(std::u16string_view(target).substr(0, root.size()), root)) {
        return false;
      }
      cur = target.substr(root.size());
      if (!file.KeyExists(cur)) return false;
      if (last && shared(cur)) cur = Parent(cur);
    }
    if (wow32 && !last && !IsWow6432Node(components[i + 1]) && !IsWow6432Node(LastComponent(cur))) {
      std::u16string wow = Join(cur, u"Wow6432Node");
      if (file.KeyExists(wow)) cur = wow;
    }
  }
  if (wow32 && !IsWow6432Node(LastComponent(cur))) {
    std::u16string wow = Join(cur, u"Wow6432Node");
    if (file.KeyExists(wow) && !shared(wow)) cur = wow;
  }
  *resolved = cur;
  return true;
}

// The data as the ANSI query function returns it: string types converted from UTF-16,
// everything else as stored. A string stored without its NUL gets one, as the Win32
// service adds it: callers read the buffer as a C string.
std::string CallerBytes(const RegValue& value) {
  if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) {
    return value.data;
  }
  std::string text = Utf16ToAnsi(RegBytesToText(value.data));
  if (text.empty() || text.back() != '\0') text.push_back('\0');
  return text;
}

class WineKey : public RegistryKey {
 public:
  WineKey(std::shared_ptr<State> state, RootKey root, std::u16string path, std::string shown,
          KeyAccess access)
      : state_(std::move(state)),
        root_(root),
        path_(std::move(path)),
        shown_(std::move(shown)),
        access_(access) {}

  RegResult QueryString(const std::string& name, char* buffer, std::size_t* size) override {
    std::string reason;
    RegFile* file = state_->For(root_).Current(&reason);
    if (!file) return RegResult::kError;
    RegValue value;
    if (!file->GetValue(path_, AnsiToUtf16(name), &value)) return RegResult::kNotFound;
    std::string bytes = CallerBytes(value);
    if (bytes.size() > *size) {
      *size = bytes.size();
      return RegResult::kMoreData;
    }
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    *size = bytes.size();
    return RegResult::kOk;
  }

  bool SetString(const std::string& name, const std::string& value, std::string* error) override {
    std::string what = "cannot set \"" + name + "\" in " + shown_ + ": ";
    if (access_ != KeyAccess::kAll) {
      *error = what + "the key was opened for reading only";
      return false;
    }
    Hive& hive = state_->For(root_);
    std::string reason;
    RegFile* file = hive.Current(&reason);
    if (!file) {
      *error = what + reason;
      return false;
    }
    ServerStatus server;
    if (!FindRunningServer(state_->prefix, &server, &reason)) {
      *error = what + reason;
      return false;
    }
    if (server.running) {
      *error = what + ServerRunningMessage(state_->prefix, server);
      return false;
    }
    RegValue data;
    data.type = kRegSz;
    data.data = RegTextToBytes(AnsiToUtf16(value) + u'\0');
    if (!file->SetValue(path_, AnsiToUtf16(name), data, RegFile::CurrentFileTime())) {
      *error = what + "the key no longer exists in " + hive.path;
      return false;
    }
    const bool saved = file->Save(hive.path, &reason);
    // Memory may no longer match the file either way; the next read takes the file.
    hive.file.reset();
    if (!saved) {
      *error = what + reason;
      return false;
    }
    // A save can report success and leave the old file in place (a file system that drops
    // the rename, a file replaced behind our back): the value is read back from the file as
    // Wine will load it.
    std::unique_ptr<RegFile> disk = hive.FromDisk(&reason);
    RegValue stored;
    if (!disk) {
      *error = what + "the saved file cannot be read back: " + reason;
      return false;
    }
    if (!disk->GetValue(path_, AnsiToUtf16(name), &stored) || stored.type != data.type ||
        stored.data != data.data) {
      *error = what + "saved, but " + hive.path + " does not hold the new value";
      return false;
    }
    hive.file = std::move(disk);
    if (::stat(VisiblePath(hive.path).c_str(), &hive.seen) != 0) hive.file.reset();
    return true;
  }

 private:
  std::shared_ptr<State> state_;
  RootKey root_;
  std::u16string path_;
  std::string shown_;
  KeyAccess access_;
};

class WineRegistry : public Registry {
 public:
  explicit WineRegistry(const std::string& prefix) : state_(std::make_shared<State>()) {
    state_->prefix = prefix;
    while (state_->prefix.size() > 1 && state_->prefix.back() == '/') state_->prefix.pop_back();
    state_->hives[0].path = state_->prefix + "/system.reg";
    state_->hives[1].path = state_->prefix + "/user.reg";
  }

  std::unique_ptr<RegistryKey> OpenKey(RootKey root, const std::string& path, KeyAccess access,
                                       std::string* error) override {
    std::string shown = JoinPath(RootKeyName(root), path);
    Hive& hive = state_->For(root);
    std::string reason;
    RegFile* file = hive.Current(&reason);
    if (!file) {
      *error = "cannot open " + shown + ": " + reason;
      return nullptr;
    }
    std::vector<std::u16string> components;
    std::u16string path16 = AnsiToUtf16(path);
    while (!path16.empty() && path16.back() == u'\\') path16.pop_back();
    for (std::size_t start = 0; start <= path16.size();) {
      std::size_t slash = path16.find(u'\\', start);
      if (slash == std::u16string::npos) slash = path16.size();
      components.push_back(path16.substr(start, slash - start));
      start = slash + 1;
    }
    std::u16string resolved;
    bool bad_path = false;
    for (const std::u16string& c : components) bad_path |= c.empty();
    if (bad_path || !ResolvePath(*file, components,
                                 root == RootKey::kLocalMachine && file->IsWin64(), &resolved)) {
      *error = "cannot open " + shown + ": no such key in " + hive.path;
      return nullptr;
    }
    return std::make_unique<WineKey>(state_, root, resolved, shown, access);
  }

  bool CheckReadable(RootKey root, std::string* error) override {
    std::string reason;
    if (state_->For(root).Current(&reason)) return true;
    *error = reason;
    return false;
  }

  // The hive's file as it is now; nullptr with the reason when it cannot be read.
  RegFile* HiveFile(RootKey root, std::string* error) { return state_->For(root).Current(error); }

  // Worded as a failed save words it: the hive is replaced through a new file and a rename.
  bool CheckWritable(RootKey root, std::string* error) override {
    const std::string& path = state_->For(root).path;
    const std::string refusal = ReplaceRefusalOnHost(path);
    if (!refusal.empty()) *error = "cannot write " + path + ": " + refusal;
    return refusal.empty();
  }

 private:
  std::shared_ptr<State> state_;
};

}  // namespace

std::unique_ptr<Registry> NewWineRegistry(const std::string& prefix_dir) {
  return std::make_unique<WineRegistry>(prefix_dir);
}

bool HiveHoldsKey(Registry& registry, RootKey root, const std::string& path) {
  auto* wine = dynamic_cast<WineRegistry*>(&registry);
  std::string reason;
  RegFile* file = wine ? wine->HiveFile(root, &reason) : nullptr;
  return file && file->KeyExists(AnsiToUtf16(path));
}

}  // namespace platform::wine
