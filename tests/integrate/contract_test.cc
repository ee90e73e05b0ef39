// The doubles the integration tests stand on, held to this build's real platform: each case
// is arranged once on a double and once for real on a drive, and both must answer alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "platform/change_record.h"
#include "platform/com.h"
#include "tests/integrate/test_doubles.h"
#include "tests/support/temp_drive.h"

namespace integrate_test {
namespace {

using testing_support::TempDrive;

// The shell copy double fails a call to a failing destination and refuses the sources it is
// told to; for real, a destination inside a file, and sources that loop or cannot be read.
// A refused source leaves nothing behind, and a dry run of the change record refuses it too.
TEST(Contract, ShellCopy) {
  struct Case {
    const char* name;
    std::function<bool(TempDrive&)> arrange;  // false: this build cannot make the case
    std::function<void(RecordingShellCopy&, TempDrive&)> simulate;
    bool source_ok;
    bool copied;
    const char* to = "out";
  };
  const auto none = [](RecordingShellCopy&, TempDrive&) {};
  const auto refused = [](RecordingShellCopy& shell, TempDrive& drive) {
    shell.refusedSources.insert(drive.Path("src"));
  };
  const Case cases[] = {
      {"a plain tree", [](TempDrive&) { return true; }, none, true, true},
      {"a link to a folder elsewhere, followed as the shell follows it",
       [](TempDrive& drive) {
         drive.WriteRaw("elsewhere\\e.txt", "E");
         return drive.LinkRaw("src\\ext", "../elsewhere");
       },
       none, true, true},
      {"a destination inside a file",
       [](TempDrive& drive) {
         drive.WriteRaw("blocked", "a file");
         return true;
       },
       [](RecordingShellCopy& shell, TempDrive& drive) {
         shell.failingTargets.insert(drive.Path("blocked\\out"));
       },
       true, false, "blocked\\out"},
      {"a link back to the parent", [](TempDrive& d) { return d.LinkRaw("src\\sub\\up", ".."); },
       refused, false, false},
      {"a link to the folder itself", [](TempDrive& d) { return d.LinkRaw("src\\loop", "."); },
       refused, false, false},
      {"a dangling link", [](TempDrive& d) { return d.LinkRaw("src\\gone.txt", "nowhere"); },
       refused, false, false},
      {"an entry that cannot be read",
       [](TempDrive& drive) {
         drive.MakeUnreadableRaw("src\\sub\\held.txt");
         return true;
       },
       refused, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDrive real, dry;
    bool made = true;
    for (TempDrive* drive : {&real, &dry}) {
      drive->WriteRaw("src\\a.txt", "A");
      drive->WriteRaw("src\\sub\\b.txt", "B");
      made = made && c.arrange(*drive);
    }
    if (!made) continue;  // no links from a Windows program: the loops run natively only
    FakePlatform fake;
    c.simulate(fake.shell, real);
    platform::ChangeRecord record(std::move(dry.Services()), platform::ChangeRecord::Mode::kDryRun);
    struct Side {
      const char* name;
      platform::ShellCopy& shell;
      TempDrive& drive;
    } sides[] = {{"double", fake.shell, real},
                 {"dry run", *record.services().shell, dry},
                 {"real", *real.Services().shell, real}};
    for (const Side& side : sides) {
      SCOPED_TRACE(side.name);
      std::string error;
      EXPECT_EQ(side.shell.CheckSource(side.drive.Path("src"), &error), c.source_ok) << error;
      EXPECT_EQ(c.source_ok, error.empty()) << error;
      error.clear();
      EXPECT_EQ(side.shell.Copy(side.drive.Path("src"), side.drive.Path(c.to), &error), c.copied)
          << error;
      EXPECT_EQ(c.copied, error.empty()) << error;
    }
    bool exists = false;
    real.ReadRaw("out\\a.txt", &exists);
    EXPECT_EQ(exists, c.copied);
    if (c.copied) {
      EXPECT_EQ(real.ReadRaw("out\\sub\\b.txt"), "B");
    }
    if (!c.source_ok) {
      EXPECT_FALSE(real.Services().files->Exists(real.Path("out")));
    }
  }
}

// The version double answers from its table; for real, the sample DLL built for the tests,
// a file without a version block and a missing file.
TEST(Contract, VersionResources) {
  TempDrive drive;
  std::string sample;
  if (FILE* file = std::fopen(TSL_TEST_DATA_DIR "/version64.dll", "rb")) {
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
      sample.append(chunk, got);
    }
    std::fclose(file);
  }
  ASSERT_FALSE(sample.empty()) << "the sample DLL is not built";
  drive.WriteRaw("sample.dll", sample);
  drive.WriteRaw("plain.txt", "no version here");
  testing_support::FakeVersionResources fake;
  fake.files[drive.Path("sample.dll")] = {
      {{0x0409, 0x04b0}, {0x0407, 0x04e4}},
      {{"\\StringFileInfo\\040704e4\\FileVersion", "6.00.8447.0"},
       {"\\StringFileInfo\\040904b0\\Comments", ""}}};
  struct Case {
    const char* file;
    bool has_block;
  } cases[] = {{"sample.dll", true}, {"plain.txt", false}, {"missing.dll", false}};
  for (platform::VersionResources* versions :
       {static_cast<platform::VersionResources*>(&fake), drive.Services().versions.get()}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.file);
      auto info = versions->Load(drive.Path(c.file));
      ASSERT_EQ(info != nullptr, c.has_block);
      if (!info) continue;
      const auto translations = info->Translations();
      ASSERT_EQ(translations.size(), 2u);
      EXPECT_EQ(translations[1].language, 0x0407);
      EXPECT_EQ(translations[1].code_page, 0x04e4);
      std::string value = "unset";
      EXPECT_TRUE(info->QueryString("\\StringFileInfo\\040704e4\\FileVersion", &value));
      EXPECT_EQ(value, "6.00.8447.0");
      EXPECT_TRUE(info->QueryString("\\StringFileInfo\\040904b0\\Comments", &value));
      EXPECT_EQ(value, "");
      EXPECT_FALSE(info->QueryString("\\StringFileInfo\\040904b0\\FileVersion", &value));
    }
  }
}

// The Help 2 double told to fail its creation as a machine without the service does; the
// real service here is such a machine (Linux, or wine without the IDEs' help installed).
TEST(Contract, Help2) {
  const auto apartment = platform::EnterComApartment();
  TempDrive drive;
  FakeHelp2 fake;
  fake.failCall = "create";
  fake.failure.code = static_cast<std::int32_t>(0x80040154);
  for (platform::Help2Service* service :
       {static_cast<platform::Help2Service*>(&fake), drive.Services().help2.get()}) {
    std::unique_ptr<platform::Help2Session> session;
    const platform::Help2Status status = service->CreateSession(&session);
    EXPECT_EQ(static_cast<std::uint32_t>(status.code), 0x80040154u);
    EXPECT_TRUE(status.Failed());
    EXPECT_EQ(session, nullptr);
  }
}

}  // namespace
}  // namespace integrate_test
