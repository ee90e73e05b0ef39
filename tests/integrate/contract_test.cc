// The doubles the integration tests stand on, held to this build's real platform: each case
// is arranged once on a double and once for real on a drive, and both must answer alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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

// A file replaced by pieces of its content and new bytes: by the file double, by the change
// record (a dry run, which then reads its own write, and a real run, which keeps the old bytes
// for the undo) and by this build's real files alike. A piece past the end, a read-only file
// and a missing file are refused and leave everything as it was.
TEST(Contract, SpliceFile) {
  using platform::FilePiece;
  const std::string old = "abc\r\ndef\r\nghi";
  auto kept = [](std::size_t offset, std::size_t size) { return FilePiece{true, offset, size, ""}; };
  auto bytes = [](const char* text) { return FilePiece{false, 0, 0, text}; };
  struct Case {
    const char* name;
    std::vector<FilePiece> pieces;
    const char* after;  // nullptr: refused
    const char* reason = nullptr;
    bool read_only = false;
    bool missing = false;
  } cases[] = {
      {"pieces at the start, in the middle and at the end",
       {kept(0, 3), bytes("X"), kept(5, 3), bytes(""), kept(10, 3)}, "abcXdefghi"},
      {"the whole file kept", {kept(0, 13)}, "abc\r\ndef\r\nghi"},
      {"new bytes only", {bytes("new")}, "new"},
      {"no pieces", {}, ""},
      {"a piece reaching past the end", {kept(0, 3), kept(10, 4)}, nullptr,
       platform::kPieceOutsideFile},
      {"a piece starting past the end", {kept(14, 0)}, nullptr, platform::kPieceOutsideFile},
      {"a read-only file", {kept(0, 3)}, nullptr, "the file is read-only", true},
      {"a missing file", {bytes("x")}, nullptr, nullptr, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDrive real, dry, recorded;
    FakePlatform fake;
    const std::string path = real.Path("f.txt");
    for (TempDrive* drive : {&real, &dry, &recorded}) {
      if (!c.missing) drive->WriteRaw("f.txt", old);
      if (c.read_only) drive->SetReadOnlyRaw("f.txt", true);
    }
    if (!c.missing) fake.files.Put(path, old);
    if (c.read_only) fake.files.SetReadOnly(path, true);
    platform::ChangeRecord dry_record(std::move(dry.Services()),
                                      platform::ChangeRecord::Mode::kDryRun);
    platform::ChangeRecord real_record(std::move(recorded.Services()),
                                       platform::ChangeRecord::Mode::kWrite);
    struct Side {
      const char* name;
      platform::FileSystem& files;
      TempDrive* drive;  // where the bytes land, if on a drive
      const std::string path;
    } sides[] = {{"double", fake.files, nullptr, path},
                 {"dry run", *dry_record.services().files, nullptr, dry.Path("f.txt")},
                 {"real run of the record", *real_record.services().files, &recorded,
                  recorded.Path("f.txt")},
                 {"real", *real.Services().files, &real, path}};
    for (const Side& side : sides) {
      SCOPED_TRACE(side.name);
      std::string error, back;
      EXPECT_EQ(side.files.SpliceFile(side.path, c.pieces, &error), c.after != nullptr) << error;
      if (c.reason) {
        EXPECT_EQ(error, "Cannot write " + side.path + ": " + c.reason);
      }
      if (c.missing) {
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(side.files.Exists(side.path));
        continue;
      }
      ASSERT_TRUE(side.files.ReadBinaryFile(side.path, &back, &error)) << error;
      EXPECT_EQ(back, c.after ? c.after : old);
      if (side.drive) {
        EXPECT_EQ(side.drive->ReadRaw("f.txt"), back);
      }
    }
    EXPECT_EQ(dry.ReadRaw("f.txt"), c.missing ? "" : old);
    if (c.after && !real_record.changes().empty()) {
      EXPECT_EQ(real_record.changes().front().before, old);
    }
    EXPECT_EQ(real_record.changes().size(), c.after ? 1u : 0u);
    for (TempDrive* drive : {&real, &dry, &recorded}) {
      if (c.read_only) drive->SetReadOnlyRaw("f.txt", false);
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
