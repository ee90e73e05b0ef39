// The registry double held to the real Wine-prefix registry: every method of the interface,
// and every fault the double can be told to simulate, made real on a prefix's files.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "platform/wine/wine_registry.h"
#include "tests/support/fake_registry.h"

// A save whose rename onto user.reg reports success and does nothing, as a file system that
// drops it would: the real registry's own fault, made in this process.
static bool g_drop_user_reg_rename = false;
extern "C" int rename(const char* from, const char* to) {
  const std::string target = to;
  if (g_drop_user_reg_rename && target.size() >= 9 &&
      target.compare(target.size() - 9, 9, "/user.reg") == 0) {
    return ::unlink(from);
  }
  using Rename = int (*)(const char*, const char*);
  static const Rename real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
  return real(from, to);
}

namespace {

using platform::KeyAccess;
using platform::Registry;
using platform::RegResult;
using platform::RootKey;

const char kApp[] = "Software\\Vendor\\App";

// One registry under test, holding HKLM and HKCU Software\Vendor\App with "v" = "machine" /
// "user", and the faults it can be made to have.
struct Backend {
  std::unique_ptr<Registry> registry;
  std::function<void(RootKey)> damage;  // the hive cannot be read at all
  std::function<void()> drop_writes;    // a save reports success and stores nothing
  std::function<void()> done = [] {};
};

Backend Fake() {
  auto fake = std::make_unique<testing_support::FakeRegistry>();
  fake->Set(RootKey::kLocalMachine, kApp, "v", "machine");
  fake->Set(RootKey::kCurrentUser, kApp, "v", "user");
  testing_support::FakeRegistry* f = fake.get();
  Backend b;
  b.damage = [f](RootKey root) {
    f->FailCallsStartingWith(root == RootKey::kLocalMachine ? "check HKLM" : "check HKCU");
  };
  b.drop_writes = [f] { f->DropCallsStartingWith("write "); };
  b.registry = std::move(fake);
  return b;
}

Backend WinePrefix() {
  char tmpl[] = "/tmp/tsl-regcontract-XXXXXX";
  const std::string dir = ::mkdtemp(tmpl);
  auto hive = [](const std::string& root, const std::string& v) {
    return "WINE REGISTRY Version 2\n;; All keys relative to " + root + "\n\n#arch=win32\n\n" +
           "[Software\\\\Vendor\\\\App] 1\n\"v\"=\"" + v + "\"\n";
  };
  std::ofstream(dir + "/system.reg") << hive("REGISTRY\\\\Machine", "machine");
  std::ofstream(dir + "/user.reg") << hive("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000", "user");
  Backend b;
  b.registry = platform::wine::NewWineRegistry(dir);
  b.damage = [dir](RootKey root) {
    std::ofstream(dir + (root == RootKey::kLocalMachine ? "/system.reg" : "/user.reg"))
        << "WINE REGISTRY Version 9\n";
  };
  b.drop_writes = [] { g_drop_user_reg_rename = true; };
  b.done = [dir] {
    g_drop_user_reg_rename = false;
    std::system(("rm -rf '" + dir + "'").c_str());
  };
  return b;
}

// The value as a fixed-buffer read returns it ("<result N>" when the read does not succeed).
std::string Read(Registry& registry, RootKey root, const std::string& name,
                 std::size_t buffer_size = 260) {
  auto key = registry.OpenKey(root, kApp, KeyAccess::kRead);
  if (!key) return "<no key>";
  std::string buffer(buffer_size, '\x7f');
  std::size_t size = buffer_size;
  const RegResult r = key->QueryString(name, &buffer[0], &size);
  if (r == RegResult::kMoreData) return "<more data: " + std::to_string(size) + ">";
  if (r != RegResult::kOk) return "<result " + std::to_string(static_cast<int>(r)) + ">";
  return buffer.substr(0, size);
}

const struct {
  const char* name;
  Backend (*make)();
} kBackends[] = {{"fake", Fake}, {"wine prefix", WinePrefix}};

TEST(RegistryContract, OpenQueryAndSetAnswerAlike) {
  for (const auto& backend : kBackends) {
    SCOPED_TRACE(backend.name);
    Backend b = backend.make();
    Registry& r = *b.registry;
    std::string error;
    // OpenKey: existing keys in any case, a missing one with its reason.
    EXPECT_NE(r.OpenKey(RootKey::kCurrentUser, "software\\VENDOR\\app", KeyAccess::kRead), nullptr);
    EXPECT_EQ(r.OpenKey(RootKey::kCurrentUser, "Software\\Vendor\\Missing", KeyAccess::kRead,
                        &error),
              nullptr);
    EXPECT_FALSE(error.empty());
    // QueryString: the data with its NUL, the size a small buffer needs, a missing value.
    EXPECT_EQ(Read(r, RootKey::kLocalMachine, "v"), std::string("machine", 8));
    EXPECT_EQ(Read(r, RootKey::kCurrentUser, "V"), std::string("user", 5));
    EXPECT_EQ(Read(r, RootKey::kCurrentUser, "v", 4), "<more data: 5>");
    EXPECT_EQ(Read(r, RootKey::kCurrentUser, "nope"), "<result 1>");
    // SetString: through a key opened for all access only; a fresh open reads it.
    auto read_only = r.OpenKey(RootKey::kCurrentUser, kApp, KeyAccess::kRead);
    EXPECT_FALSE(read_only->SetString("v", "changed", &error));
    EXPECT_EQ(Read(r, RootKey::kCurrentUser, "v"), std::string("user", 5));
    auto writable = r.OpenKey(RootKey::kCurrentUser, kApp, KeyAccess::kAll);
    EXPECT_TRUE(writable->SetString("new", "C:\\Lib;x", &error)) << error;
    EXPECT_EQ(Read(r, RootKey::kCurrentUser, "new"), std::string("C:\\Lib;x", 9));
    // ReadStringValue: a value longer than its first 260-byte try whole, a missing one not.
    const std::string long_value(300, 'x');
    EXPECT_TRUE(writable->SetString("long", long_value, &error)) << error;
    std::string value;
    EXPECT_EQ(platform::ReadStringValue(*writable, "long", &value), RegResult::kOk);
    EXPECT_EQ(value, long_value);
    EXPECT_EQ(platform::ReadStringValue(*writable, "nope", &value), RegResult::kNotFound);
    // CheckReadable: both hives sound.
    EXPECT_TRUE(r.CheckReadable(RootKey::kLocalMachine, &error)) << error;
    EXPECT_TRUE(r.CheckReadable(RootKey::kCurrentUser, &error)) << error;
    b.done();
  }
}

TEST(RegistryContract, SimulatedFaultsAreTheRealOnes) {
  for (const auto& backend : kBackends) {
    SCOPED_TRACE(backend.name);
    for (RootKey root : {RootKey::kLocalMachine, RootKey::kCurrentUser}) {
      // A damaged hive says so, with a reason, and leaves the other one readable.
      Backend b = backend.make();
      b.damage(root);
      std::string error;
      EXPECT_FALSE(b.registry->CheckReadable(root, &error));
      EXPECT_FALSE(error.empty());
      const RootKey other =
          root == RootKey::kLocalMachine ? RootKey::kCurrentUser : RootKey::kLocalMachine;
      EXPECT_TRUE(b.registry->CheckReadable(other, &error)) << error;
      b.done();
    }
    // A write that does not reach the store is never taken for one that did: the write
    // fails, or the value reads back as it was.
    Backend b = backend.make();
    b.drop_writes();
    std::string error;
    auto key = b.registry->OpenKey(RootKey::kCurrentUser, kApp, KeyAccess::kAll);
    const bool reported = key->SetString("v", "dropped", &error);
    EXPECT_FALSE(reported && Read(*b.registry, RootKey::kCurrentUser, "v") ==
                                 std::string("dropped", 8));
    if (!reported) {
      EXPECT_NE(error.find("\"v\""), std::string::npos) << error;
    }
    b.done();
  }
}

}  // namespace
