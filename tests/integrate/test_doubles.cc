#include "tests/integrate/test_doubles.h"

#include <cctype>

#include "integrate/strings.h"

namespace integrate_test {

std::string MemoryFiles::Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

std::string MemoryFiles::Parent(const std::string& path) {
  std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

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

bool MemoryFiles::CanReplace(const std::string& path, std::string* error) {
  std::string parent = Key(Parent(path));
  if (parent.size() > 2 && !folders_.count(parent)) {
    if (error) *error = "folder not found";
    return false;
  }
  if (IsReadOnly(path) || failing_.count(Key(path))) {
    if (error) *error = IsReadOnly(path) ? "access denied" : "disk full";
    return false;
  }
  return true;
}

bool MemoryFiles::CopyFile(const std::string& from, const std::string& to,
                           std::string* error) {
  calls.push_back("copy " + from + " -> " + to);
  const std::string* bytes = Get(from);
  if (!bytes) {
    *error = "source not found";
    return false;
  }
  if (!CanReplace(to, error)) return false;
  std::string copy = *bytes;
  files_[Key(to)].bytes = copy;
  return true;
}

bool MemoryFiles::ReadTextLines(const std::string& path,
                                const std::function<bool(const std::string& line)>& on_line,
                                std::string* error) {
  const std::string* bytes = Get(path);
  if (!bytes) {
    if (error) *error = "not found";
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
  if (!CanReplace(path, error)) return false;
  std::string bytes;
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  files_[Key(path)].bytes = bytes;
  return true;
}

bool MemoryFiles::ReadBinaryFile(const std::string& path, std::string* bytes,
                                 std::string* error) {
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
  if (!CanReplace(path, error)) return false;
  files_[Key(path)].bytes = bytes;
  return true;
}

bool MemoryFiles::CreateDirectories(const std::string& path, std::string*) {
  AddFolder(path);
  return true;
}

bool RecordingShellCopy::Copy(const std::string& from, const std::string& to,
                              std::string* error) {
  calls.push_back(from + " -> " + to);
  if (failingTargets.count(to)) {
    *error = "cancelled";
    return false;
  }
  return true;
}

namespace {

using platform::Help2Status;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class FakeRegister : public platform::Help2Register {
 public:
  explicit FakeRegister(FakeHelp2& service) : service_(service) {}
  ~FakeRegister() override { service_.calls.push_back("release register"); }
  Help2Status RegisterNamespace(const std::string& name_space, const std::string& collection,
                                const std::string& description) override {
    return service_.Answer("RegisterNamespace", Quoted(name_space) + ", " + Quoted(collection) +
                                                    ", " + Quoted(description));
  }
  Help2Status RegisterHelpFile(const std::string& name_space, const std::string& id,
                               std::int32_t language, const std::string& file) override {
    return service_.Answer("RegisterHelpFile", Quoted(name_space) + ", " + Quoted(id) + ", " +
                                                   std::to_string(language) + ", " +
                                                   Quoted(file));
  }

 private:
  FakeHelp2& service_;
};

class FakePlugIn : public platform::Help2PlugIn {
 public:
  explicit FakePlugIn(FakeHelp2& service) : service_(service) {}
  ~FakePlugIn() override { service_.calls.push_back("release plugin"); }
  Help2Status RegisterHelpPlugIn(const std::string& parent, const std::string& parentToc,
                                 const std::string& name_space, const std::string& toc,
                                 const std::string& attribute, std::int32_t options) override {
    return service_.Answer("RegisterHelpPlugIn",
                           Quoted(parent) + ", " + Quoted(parentToc) + ", " +
                               Quoted(name_space) + ", " + Quoted(toc) + ", " +
                               Quoted(attribute) + ", " + std::to_string(options));
  }

 private:
  FakeHelp2& service_;
};

class FakeSession : public platform::Help2Session {
 public:
  explicit FakeSession(FakeHelp2& service) : service_(service) {}
  ~FakeSession() override { service_.calls.push_back("release session"); }
  Help2Status CreateTransaction(const std::string& token) override {
    return service_.Answer("CreateTransaction", Quoted(token));
  }
  Help2Status CommitTransaction() override { return service_.Answer("CommitTransaction", ""); }
  Help2Status GetNamespaceRegistration(std::unique_ptr<platform::Help2Register>* out) override {
    Help2Status status = service_.Answer("GetRegistrationObject", "0");
    if (!status.Failed() && !service_.lacking.count("register")) {
      *out = std::make_unique<FakeRegister>(service_);
    }
    return status;
  }
  Help2Status GetPlugInRegistration(std::unique_ptr<platform::Help2PlugIn>* out) override {
    Help2Status status = service_.Answer("GetRegistrationObject", "2");
    if (!status.Failed() && !service_.lacking.count("plugin")) {
      *out = std::make_unique<FakePlugIn>(service_);
    }
    return status;
  }

 private:
  FakeHelp2& service_;
};

}  // namespace

Help2Status FakeHelp2::Answer(const std::string& name, const std::string& arguments) {
  calls.push_back(name + "(" + arguments + ")");
  return name == failCall ? failure : Help2Status();
}

Help2Status FakeHelp2::CreateSession(std::unique_ptr<platform::Help2Session>* out) {
  Help2Status status = Answer("create", "");
  if (!status.Failed() && !lacking.count("session")) *out = std::make_unique<FakeSession>(*this);
  return status;
}

namespace {

template <typename T, typename Service>
T& Install(std::unique_ptr<T> made, std::unique_ptr<Service>* slot) {
  T& ref = *made;
  *slot = std::move(made);
  return ref;
}

}  // namespace

FakePlatform::FakePlatform()
    : registry(Install(std::make_unique<testing_support::FakeRegistry>(), &services.registry)),
      files(Install(std::make_unique<MemoryFiles>(), &services.files)),
      processes(Install(std::make_unique<testing_support::FakeProcesses>(),
                        &services.processes)),
      versions(Install(std::make_unique<testing_support::FakeVersionResources>(),
                       &services.versions)),
      shell(Install(std::make_unique<RecordingShellCopy>(), &services.shell)),
      help2(Install(std::make_unique<FakeHelp2>(), &services.help2)) {}

void RecordingHost::AddLine(int stringId) { InsertLine(integrate::LoadText(stringId), false); }

}  // namespace integrate_test
