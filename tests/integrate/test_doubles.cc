// The integration tests' recording host and platform of fakes.
#include "tests/integrate/test_doubles.h"

#include "integrate/strings.h"

namespace integrate_test {

bool RecordingShellCopy::Copy(const std::string& from, const std::string& to, std::string* error) {
  calls.push_back(from + " -> " + to);
  if (!CheckSource(from, error)) return false;
  if (failingTargets.count(to)) {
    *error = "cancelled";
    return false;
  }
  return true;
}

bool RecordingShellCopy::CheckSource(const std::string& from, std::string* error) {
  if (!refusedSources.count(from)) return true;
  *error = "Cannot copy " + from + ": it leads back into itself";
  return false;
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
                                                   std::to_string(language) + ", " + Quoted(file));
  }
  Help2Status RemoveHelpFile(const std::string& name_space, const std::string& id,
                             std::int32_t language) override {
    return service_.Answer(
        "RemoveHelpFile", Quoted(name_space) + ", " + Quoted(id) + ", " + std::to_string(language));
  }
  Help2Status RemoveNamespace(const std::string& name_space) override {
    return service_.Answer("RemoveNamespace", Quoted(name_space));
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
    return service_.Answer("RegisterHelpPlugIn", Quoted(parent) + ", " + Quoted(parentToc) + ", " +
                                                     Quoted(name_space) + ", " + Quoted(toc) +
                                                     ", " + Quoted(attribute) + ", " +
                                                     std::to_string(options));
  }
  Help2Status RemoveHelpPlugIn(const std::string& parent, const std::string& parentToc,
                               const std::string& name_space, const std::string& toc,
                               const std::string& attribute) override {
    return service_.Answer("RemoveHelpPlugIn", Quoted(parent) + ", " + Quoted(parentToc) + ", " +
                                                   Quoted(name_space) + ", " + Quoted(toc) + ", " +
                                                   Quoted(attribute));
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
      processes(Install(std::make_unique<testing_support::FakeProcesses>(), &services.processes)),
      versions(
          Install(std::make_unique<testing_support::FakeVersionResources>(), &services.versions)),
      shell(Install(std::make_unique<RecordingShellCopy>(), &services.shell)),
      help2(Install(std::make_unique<FakeHelp2>(), &services.help2)) {}

void RecordingHost::AddLine(int stringId) { InsertLine(integrate::LoadText(stringId), false); }

void InstallVc6(FakePlatform& fake) {
  fake.registry.AddKey(platform::RootKey::kLocalMachine, kVc6Key);
  fake.registry.Set(platform::RootKey::kCurrentUser,
                    "Software\\Microsoft\\DevStudio\\6.0\\Directories", "Install Dirs",
                    "C:\\VS\\Common\\MSDev98\\Bin");
  fake.registry.Set(platform::RootKey::kCurrentUser,
                    "Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\"
                    "Platforms\\Win32 (x86)\\Directories",
                    "Include Dirs", "C:\\VS\\VC98\\INCLUDE");
  fake.files.AddFolder("C:\\VS\\Common\\MSDev98\\Template");
  fake.files.Put(kSkinSource, "skin");
}

}  // namespace integrate_test
