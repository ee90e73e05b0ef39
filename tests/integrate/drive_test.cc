// The integration's file steps on a real drive: text edits, the backup, recorded folder copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "integrate/engine/integration_engine.h"
#include "integrate/engine/text_edit.h"
#include "integrate/journal.h"
#include "platform/change_record.h"
#include "platform/encoding.h"
#include "tests/integrate/test_doubles.h"
#include "tests/support/fake_registry.h"
#include "tests/support/temp_drive.h"

namespace integrate_test {
namespace {

using integrate::TextEdit;

// The edits on real files through this build's own file services.
TEST(TextEditOnDrive, RewritesWithCrLfAndKeepsReadOnlyFilesWhole) {
  testing_support::TempDrive drive;
  platform::FileSystem& files = *drive.Services().files;
  drive.WriteRaw("col\\a.col", "<Folders>\n</Folders>");
  TextEdit edit(files, drive.Path("col\\a.col"));
  ASSERT_TRUE(edit.Read());
  EXPECT_EQ(edit.text(), "<Folders>\n</Folders>\n");
  integrate::ReplaceAll(&edit.text(), "</Folders>", "\t<Folder/>\n</Folders>");
  ASSERT_TRUE(edit.Write());
  EXPECT_EQ(drive.ReadRaw("col\\a.col"), "<Folders>\r\n\t<Folder/>\r\n</Folders>\r\n");

  drive.SetReadOnlyRaw("col\\a.col", true);
  TextEdit again(files, drive.Path("col\\a.col"));
  ASSERT_TRUE(again.Read());
  again.text() = "lost\n";
  EXPECT_FALSE(again.Write());
  EXPECT_FALSE(again.written());
  EXPECT_EQ(drive.ReadRaw("col\\a.col"), "<Folders>\r\n\t<Folder/>\r\n</Folders>\r\n");
  drive.SetReadOnlyRaw("col\\a.col", false);
}

TEST(TextEditOnDrive, LongLinesAndLargeFilesReadWhole) {
  testing_support::TempDrive drive;
  std::string line(100000, 'x');
  std::string bytes;
  for (int i = 0; i < 50; ++i) bytes += line + "\r\n";
  drive.WriteRaw("big.dat", bytes);
  TextEdit edit(*drive.Services().files, drive.Path("big.dat"));
  ASSERT_TRUE(edit.Read());
  EXPECT_EQ(edit.text().size(), 50u * 100001u);
  ASSERT_TRUE(edit.Write());
  EXPECT_EQ(drive.ReadRaw("big.dat"), bytes);
}

// The backup of the VC++ directory lists on real files: rewritten whole with CR LF; a
// read-only one stays as it is, and the lists are merged all the same.
TEST(Vc6DirectoriesOnDrive, BackupIsWrittenFirstAndGuardsTheLists) {
  testing_support::TempDrive drive;
  auto registry = std::make_unique<testing_support::FakeRegistry>();
  testing_support::FakeRegistry& reg = *registry;
  drive.Services().registry = std::move(registry);
  drive.Services().processes = std::make_unique<testing_support::FakeProcesses>();
  drive.Services().versions = std::make_unique<testing_support::FakeVersionResources>();
  const std::string dirs =
      "Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\Platforms\\"
      "Win32 (x86)\\Directories";
  reg.AddKey(platform::RootKey::kLocalMachine,
             "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++");
  reg.Set(platform::RootKey::kCurrentUser, dirs, "Include Dirs", "C:\\Inc1;C:\\Inc2");
  reg.Set(platform::RootKey::kCurrentUser, dirs, "Library Dirs", "C:\\Lib1");
  drive.WriteRaw("Lib\\directories.txt", "old record\n");

  RecordingHost host;
  integrate::IntegrationEngine engine(&host, drive.Path("Lib"), drive.Services());
  ASSERT_TRUE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(drive.ReadRaw("Lib\\directories.txt"),
            "Old Include Directories\r\n\r\nC:\\Inc1\r\nC:\\Inc2\r\n\r\n"
            "Old Library Directories\r\n\r\nC:\\Lib1");
  EXPECT_EQ(*reg.Get(platform::RootKey::kCurrentUser, dirs, "Include Dirs"),
            "C:\\Inc1;C:\\Inc2;" + drive.Path("Lib\\Tessaline"));

  reg.Set(platform::RootKey::kCurrentUser, dirs, "Library Dirs", "C:\\Other");
  drive.SetReadOnlyRaw("Lib\\directories.txt", true);
  const std::string before = drive.ReadRaw("Lib\\directories.txt");
  EXPECT_TRUE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(drive.ReadRaw("Lib\\directories.txt"), before);
  EXPECT_EQ(*reg.Get(platform::RootKey::kCurrentUser, dirs, "Library Dirs"),
            "C:\\Other;" + drive.Path("Lib\\Bin"));
  EXPECT_TRUE(host.owner.messages.empty());
  drive.SetReadOnlyRaw("Lib\\directories.txt", false);
}

// Every file and folder under `folder`, by upper-cased path (names compare ignoring case): a file
// as its bytes, marked when read-only.
void Tree(platform::FileSystem& files, const std::string& folder,
          std::map<std::string, std::string>* tree) {
  std::vector<platform::FolderEntry> entries;
  std::string error;
  ASSERT_TRUE(files.ListFolder(folder, &entries, &error)) << error;
  for (const platform::FolderEntry& entry : entries) {
    const std::string path = folder + "\\" + entry.name;
    if (entry.folder) {
      (*tree)[platform::AnsiToUpper(path)] = "<folder>";
      Tree(files, path, tree);
    } else {
      std::string bytes, error;
      ASSERT_TRUE(files.ReadBinaryFile(path, &bytes, &error)) << error;
      (*tree)[platform::AnsiToUpper(path)] = bytes + (files.IsReadOnly(path) ? " <read-only>" : "");
    }
  }
}

std::map<std::string, std::string> TreeOf(testing_support::TempDrive& drive) {
  std::map<std::string, std::string> tree;
  Tree(*drive.Services().files, drive.Root(), &tree);
  return tree;
}

// Runs `work` over the drive's services behind a change record, then gives the services back.
std::vector<platform::Change> Recorded(testing_support::TempDrive& drive,
                                       platform::ChangeRecord::Mode mode,
                                       const std::function<void(platform::Platform&)>& work) {
  platform::ChangeRecord record(std::move(drive.Services()), mode);
  work(record.services());
  std::vector<platform::Change> changes = record.changes();
  drive.Services() = std::move(record.real());
  return changes;
}

std::string Describe(const platform::Change& change) {
  return change.path + (change.kind == platform::Change::Kind::kFolder ? " folder" : " file") +
         " existed=" + std::to_string(change.existed) + " before=" + change.before +
         " read-only=" + std::to_string(change.read_only_before) + " after=" + change.after +
         " exists-after=" + std::to_string(change.exists_after) + " from " + change.source;
}

std::vector<std::string> Described(const std::vector<platform::Change>& changes) {
  std::vector<std::string> texts;
  for (const platform::Change& change : changes) texts.push_back(Describe(change));
  return texts;
}

// The shell's folder copies as the change record sees them, on the real shell copy of this build:
// a dry run lists exactly the files and folders the real copy then creates or replaces, file by
// file, without touching the drive, and an undo of the recorded changes puts the drive back. A copy
// the rules refuse fails in both, though Wine's own shell reports success for it.
TEST(ShellCopyRecordOnDrive, DryRunRealRunAndUndoAgreeFileByFile) {
  struct Case {
    const char* name;
    std::function<void(testing_support::TempDrive&)> setup;
    const char* from;  // relative to the drive's root
    const char* to;
    bool ok;
    std::vector<std::string> changed;  // relative paths, in the order the record holds them
  };
  const std::vector<std::string> all = {"a.txt",      "noext",     "sub",
                                        "sub\\b.txt", "sub\\deep", "sub\\deep\\c.txt"};
  auto under = [&](const std::string& folder, std::vector<std::string> made) {
    for (const std::string& path : all) made.push_back(folder + "\\" + path);
    return made;
  };
  auto none = [](testing_support::TempDrive&) {};
  const std::vector<Case> cases = {
      {"contents into a missing folder", none, "src\\*.*", "out\\wizard", true,
       under("out\\wizard", {"out", "out\\wizard"})},
      {"contents merged, read-only files replaced",
       [](testing_support::TempDrive& d) {
         d.WriteRaw("dest\\a.txt", "old a");
         d.SetReadOnlyRaw("dest\\a.txt", true);
         d.WriteRaw("dest\\sub\\b.txt", "old b");
         d.WriteRaw("dest\\sub\\kept.txt", "K");
       },
       "src\\*.*",
       "dest",
       true,
       {"dest\\a.txt", "dest\\noext", "dest\\sub\\b.txt", "dest\\sub\\deep",
        "dest\\sub\\deep\\c.txt"}},
      {"a folder into an existing folder",
       [](testing_support::TempDrive& d) { d.WriteRaw("dest\\other.txt", "O"); }, "src", "dest",
       true, under("dest\\src", {"dest\\src"})},
      {"a folder becomes a missing target", none, "src", "new\\copy", true,
       under("new\\copy", {"new", "new\\copy"})},
      {"a folder merges into its copy whatever its case",
       [](testing_support::TempDrive& d) { d.WriteRaw("dest\\SRC\\A.TXT", "old"); },
       "src",
       "dest",
       true,
       {"dest\\src\\a.txt", "dest\\src\\noext", "dest\\src\\sub", "dest\\src\\sub\\b.txt",
        "dest\\src\\sub\\deep", "dest\\src\\sub\\deep\\c.txt"}},
      {"one file into a folder",
       [](testing_support::TempDrive& d) { d.WriteRaw("dest\\x", "X"); },
       "src\\sub\\b.txt",
       "dest",
       true,
       {"dest\\b.txt"}},
      {"one file to a missing folder", none, "src\\sub\\b.txt", "new\\dir\\b.txt", true,
       {"new", "new\\dir", "new\\dir\\b.txt"}},
      {"the contents of a missing folder", none, "missing\\*.*", "out", false, {}},
      {"a folder into itself", none, "src", "src\\inner", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempDrive drive;
    drive.WriteRaw("src\\a.txt", "A");
    drive.WriteRaw("src\\noext", "NX");
    drive.WriteRaw("src\\sub\\b.txt", "B");
    drive.WriteRaw("src\\sub\\deep\\c.txt", std::string("C\0C", 3));
    drive.SetReadOnlyRaw("src\\noext", true);
    c.setup(drive);
    const auto original = TreeOf(drive);
    auto copy = [&](platform::Platform& p) {
      std::string error;
      EXPECT_EQ(p.shell->Copy(drive.Path(c.from), drive.Path(c.to), &error), c.ok) << error;
      EXPECT_TRUE(c.ok || !error.empty());
    };

    const auto dry = Recorded(drive, platform::ChangeRecord::Mode::kDryRun, copy);
    EXPECT_EQ(TreeOf(drive), original) << "a dry run wrote";
    std::vector<std::string> paths;
    for (const platform::Change& change : dry) paths.push_back(change.path);
    std::vector<std::string> expected;
    for (const std::string& path : c.changed) expected.push_back(drive.Path(path));
    EXPECT_EQ(paths, expected);

    const auto real = Recorded(drive, platform::ChangeRecord::Mode::kWrite, copy);
    EXPECT_EQ(Described(real), Described(dry));
    // Whatever changed on the drive is in the record, as the record says.
    const auto copied = TreeOf(drive);
    std::vector<std::string> differing;
    for (const auto& [path, state] : copied) {
      auto old = original.find(path);
      if (old == original.end() || old->second != state) differing.push_back(path);
    }
    std::vector<std::string> sorted;
    for (const std::string& path : expected) sorted.push_back(platform::AnsiToUpper(path));
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(differing, sorted);
    for (const platform::Change& change : real) {
      if (change.kind == platform::Change::Kind::kFile) {
        EXPECT_EQ(copied.at(platform::AnsiToUpper(change.path)),
                  change.after +
                      (change.source.find("noext") != std::string::npos ? " <read-only>" : ""));
      }
    }

    // Undo, first shown, then done: the drive as before (a file that was read-only is left
    // writable, as the undo says).
    const integrate::Journal journal{drive.Root(), "2026-12-08 18:20:00", real};
    Recorded(drive, platform::ChangeRecord::Mode::kDryRun, [&](platform::Platform& p) {
      for (const integrate::UndoItem& item : integrate::Undo(p, journal, false)) {
        EXPECT_EQ(item.outcome, integrate::UndoItem::Outcome::kRestored) << item.text;
      }
    });
    EXPECT_EQ(TreeOf(drive), copied) << "a dry undo wrote";
    for (const integrate::UndoItem& item : integrate::Undo(drive.Services(), journal, false)) {
      EXPECT_EQ(item.outcome, integrate::UndoItem::Outcome::kRestored) << item.text;
    }
    auto restored = original;
    for (const platform::Change& change : real) {
      if (change.read_only_before) {
        std::string& state = restored[platform::AnsiToUpper(change.path)];
        state.erase(state.size() - std::string(" <read-only>").size());
      }
    }
    EXPECT_EQ(TreeOf(drive), restored);
  }
}

// A folder the run made that holds something of someone else's at undo stays, named; a copy the
// shell left short fails the copy with the difference.
TEST(ShellCopyRecordOnDrive, UndoLeavesAFolderInUseAndAShortCopyFails) {
  testing_support::TempDrive drive;
  drive.WriteRaw("src\\a.txt", "AAAA");
  const auto made =
      Recorded(drive, platform::ChangeRecord::Mode::kWrite, [&](platform::Platform& p) {
        std::string error;
        ASSERT_TRUE(p.shell->Copy(drive.Path("src"), drive.Path("out"), &error)) << error;
      });
  drive.WriteRaw("out\\mine.txt", "mine");
  const auto items = integrate::Undo(drive.Services(), {drive.Root(), "", made}, false);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].outcome, integrate::UndoItem::Outcome::kRestored) << items[0].text;
  EXPECT_EQ(items[1].outcome, integrate::UndoItem::Outcome::kSkipped);
  EXPECT_EQ(items[1].text, drive.Path("out") + ": the folder is not empty; left in place");
  EXPECT_EQ(drive.ReadRaw("out\\mine.txt"), "mine");

  // A shell that stops half way through a file, as a full disk under a careless copy would.
  class ShortShell : public platform::ShellCopy {
   public:
    ShortShell(std::unique_ptr<platform::ShellCopy> real, testing_support::TempDrive& drive)
        : real_(std::move(real)), drive_(drive) {}
    bool Copy(const std::string& from, const std::string& to, std::string* error) override {
      if (!real_->Copy(from, to, error)) return false;
      drive_.WriteRaw("again\\a.txt", "AA");
      return true;
    }
    bool CheckSource(const std::string& from, std::string* error) override {
      return real_->CheckSource(from, error);
    }
    std::unique_ptr<platform::ShellCopy> real_;
    testing_support::TempDrive& drive_;
  };
  drive.Services().shell = std::make_unique<ShortShell>(std::move(drive.Services().shell), drive);
  std::vector<std::string> reported;
  platform::ChangeRecord record(std::move(drive.Services()), platform::ChangeRecord::Mode::kWrite);
  record.SetMismatchReporter([&](const std::string& text) { reported.push_back(text); });
  std::string error;
  EXPECT_FALSE(record.services().shell->Copy(drive.Path("src"), drive.Path("again"), &error));
  EXPECT_EQ(error, "The copy " + drive.Path("again\\a.txt") +
                       " came out 2 bytes long; its source " + drive.Path("src\\a.txt") +
                       " has 4.");
  EXPECT_EQ(reported, std::vector<std::string>{error});
  ASSERT_EQ(record.changes().size(), 2u);
  EXPECT_EQ(record.changes()[1].after, "AA");
}

}  // namespace
}  // namespace integrate_test
