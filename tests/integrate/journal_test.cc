// The journal's bytes: what goes in comes back, and nothing short of a whole journal of ours
// is taken for one.
#include "integrate/journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/integrate/test_doubles.h"

namespace {

using integrate::DecodeJournal;
using integrate::EncodeJournal;
using integrate::Journal;
using platform::Change;

Journal Sample() {
  Journal journal{"C:\\Lib\\", "2026-12-08 18:20:00", {}};
  Change value;
  value.kind = Change::Kind::kRegistryValue;
  value.root = platform::RootKey::kLocalMachine;
  value.key = "Software\\X";
  value.name = "List";
  value.existed = true;
  value.before = "a;b";
  value.after = "a;b;C:\\Lib\\Bin";
  Change file;
  file.kind = Change::Kind::kFile;
  file.path = "C:\\T\\w.awx";
  file.source = "C:\\Lib\\w.awx";
  file.existed = true;
  file.read_only_before = true;
  file.before = std::string("MZ\0\n12:34\nend 1:x\n", 18);  // bytes that look like fields
  file.after = "new";
  Change unchanged = file;  // rewritten with its own bytes: no change to keep
  unchanged.path = "C:\\same.txt";
  unchanged.read_only_before = false;
  unchanged.after = unchanged.before;
  Change help;
  help.kind = Change::Kind::kHelpCall;
  help.call = "CommitTransaction()";
  Change folder;  // made by a folder copy
  folder.kind = Change::Kind::kFolder;
  folder.path = "C:\\VS\\Vc7\\VCWizards\\TSLAppWizard";
  Change made_and_gone = folder;  // made and removed again: no change
  made_and_gone.path = "C:\\gone";
  made_and_gone.exists_after = false;
  journal.changes = {value, folder, file, unchanged, made_and_gone, help};
  return journal;
}

TEST(Journal, RoundTripsEveryChangeThatChangedSomething) {
  const Journal journal = Sample();
  Journal read;
  std::string error;
  ASSERT_TRUE(DecodeJournal(EncodeJournal(journal), &read, &error)) << error;
  EXPECT_EQ(read.library, journal.library);
  EXPECT_EQ(read.time, journal.time);
  ASSERT_EQ(read.changes.size(), 4u);
  const Change& value = read.changes[0];
  EXPECT_EQ(value.root, platform::RootKey::kLocalMachine);
  EXPECT_EQ(value.key + "|" + value.name + "|" + value.before + "|" + value.after,
            "Software\\X|List|a;b|a;b;C:\\Lib\\Bin");
  const Change& folder = read.changes[1];
  EXPECT_EQ(folder.kind, Change::Kind::kFolder);
  EXPECT_EQ(folder.path, "C:\\VS\\Vc7\\VCWizards\\TSLAppWizard");
  EXPECT_TRUE(!folder.existed && folder.exists_after);
  const Change& file = read.changes[2];
  EXPECT_EQ(file.before, journal.changes[2].before);
  EXPECT_EQ(file.source, "C:\\Lib\\w.awx");
  EXPECT_TRUE(file.existed && file.read_only_before && file.exists_after);
  EXPECT_EQ(read.changes[3].call, "CommitTransaction()");
}

// A killed run's journal stops anywhere after its header: it reads as an unfinished run with the
// changes whose blocks are whole. Anything else short of a whole journal of ours is refused, and
// no alteration passes for a finished run.
TEST(Journal, ReadsCutJournalsAsUnfinishedAndRefusesAlteredAndForeignBytes) {
  const std::string bytes = EncodeJournal(Sample());
  const std::size_t header = bytes.find("change ");
  Journal read;
  std::string error;
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    const bool decoded = DecodeJournal(bytes.substr(0, length), &read, &error);
    EXPECT_EQ(decoded, length >= header) << length;
    if (decoded) {
      EXPECT_FALSE(read.finished) << length;
    }
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::string altered = bytes;
    altered[at] = static_cast<char>(altered[at] ^ 0x01);
    EXPECT_FALSE(DecodeJournal(altered, &read, &error) && read.finished) << at;
  }
  EXPECT_FALSE(DecodeJournal(bytes + "x", &read, &error));
  EXPECT_FALSE(DecodeJournal("Old Include Directories\r\n", &read, &error));
  EXPECT_EQ(error, "it is not a journal of tslkt-integrate");
  // A journal of the first format, as runs before write-ahead journals left them, still reads.
  const std::string version1 =
      "tslkt-integrate journal 1\nlibrary 6:C:\\Lib\ntime 0:\nchange 4:file\npath 4:C:\\a\n"
      "existed 1:0\nafter 1:x\n";
  ASSERT_TRUE(DecodeJournal(version1 + "end 18:1 6cccde1f4fe93ee6\n", &read, &error)) << error;
  ASSERT_EQ(read.changes.size(), 1u);
  EXPECT_TRUE(read.finished && read.changes[0].path == "C:\\a" && read.changes[0].after == "x");
  EXPECT_FALSE(DecodeJournal(version1, &read, &error));
}

// A run stopped at any moment, its k-th change noted but not made, is taken back to the machine
// as it was, by the journal it left; so is the whole run.
TEST(JournalWriter, UndoTakesARunStoppedAtAnyChangeBackToTheMachineBefore) {
  struct Stopped {};
  // Notes into the journal, then stops the run right after the k-th note.
  class StoppingSink : public platform::ChangeSink {
   public:
    StoppingSink(integrate::JournalWriter& journal, int stop) : journal_(journal), stop_(stop) {}
    bool Note(const Change& change, std::string* error) override {
      if (!journal_.Note(change, error)) return false;
      if (++noted_ == stop_) throw Stopped();
      return true;
    }
   private:
    integrate::JournalWriter& journal_;
    int stop_;
    int noted_ = 0;
  };
  const char kKey[] = "Software\\X";
  const std::vector<std::string> paths = {"C:\\A\\edit.txt", "C:\\A\\gone.txt", "C:\\T\\w.awx",
                                          "C:\\New\\Sub\\n.txt"};
  const auto machine = [&](integrate_test::FakePlatform& f) {
    f.registry.Set(platform::RootKey::kCurrentUser,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                   "Local AppData", "C:\\Users\\u\\AppData\\Local");
    f.registry.Set(platform::RootKey::kCurrentUser, kKey, "List", "a;b");
    f.files.Put(paths[0], "v1");
    f.files.Put(paths[1], "old");
    f.files.Put("C:\\Lib\\w.awx", "wizard");
    f.files.AddFolder("C:\\T");
  };
  const auto run = [&](platform::Platform& p) {
    std::string e;
    auto key = p.registry->OpenKey(platform::RootKey::kCurrentUser, kKey, platform::KeyAccess::kAll);
    EXPECT_TRUE(key->SetString("List", "a;b;C:\\Lib", &e)) << e;
    EXPECT_TRUE(p.files->WriteBinaryFile(paths[0], "v2", &e)) << e;
    EXPECT_TRUE(p.files->WriteBinaryFile(paths[0], "v3", &e)) << e;
    EXPECT_TRUE(p.files->RemoveFile(paths[1], &e)) << e;
    EXPECT_TRUE(p.files->CopyFile("C:\\Lib\\w.awx", paths[2], &e)) << e;
    EXPECT_TRUE(p.files->CreateDirectories("C:\\New\\Sub", &e)) << e;
    EXPECT_TRUE(p.files->WriteTextFile(paths[3], "new\n", &e)) << e;
  };
  const auto state = [&](integrate_test::FakePlatform& f) {
    std::string text = *f.registry.Get(platform::RootKey::kCurrentUser, kKey, "List");
    for (const std::string& path : paths) {
      const std::string* bytes = f.files.Get(path);
      text += "|" + (bytes ? *bytes : std::string("(none)"));
    }
    for (const char* folder : {"C:\\New", "C:\\New\\Sub"}) text += f.files.Exists(folder) ? "|d" : "|-";
    return text;
  };
  constexpr int kNotes = 8;  // a value, three file writes, a removal, a copy, two folders
  for (int stop = 1; stop <= kNotes + 1; ++stop) {
    SCOPED_TRACE("stopped after note " + std::to_string(stop));
    integrate_test::FakePlatform f;
    machine(f);
    const std::string before = state(f);
    platform::ChangeRecord record(std::move(f.services), platform::ChangeRecord::Mode::kWrite);
    integrate::JournalWriter journal(record.real(), "C:\\Lib");
    StoppingSink sink(journal, stop);
    record.SetSink(&sink);
    try {
      run(record.services());
    } catch (const Stopped&) {
    }
    if (stop > kNotes) {
      std::string error;
      ASSERT_TRUE(journal.Finish(false, &error)) << error;
    }
    Journal read;
    std::string error;
    ASSERT_TRUE(DecodeJournal(*f.files.Get(journal.path()), &read, &error)) << error;
    EXPECT_EQ(read.finished, stop > kNotes);
    EXPECT_EQ(read.begun, static_cast<std::size_t>(std::min(stop, kNotes)));
    for (const integrate::UndoItem& item : integrate::Undo(record.real(), read, false)) {
      EXPECT_EQ(item.outcome, integrate::UndoItem::Outcome::kRestored) << item.text;
    }
    EXPECT_EQ(state(f), before);
  }
}

// A journal that cannot be finished is a failure, and the last journal is then still this run's,
// never the older one last.txt named.
TEST(JournalWriter, FinishThatFailsSaysSoAndNeverPointsAtAnOlderJournal) {
  const std::string folder = "C:\\Users\\u\\AppData\\Local\\Quorvane\\Tessaline\\Journals";
  for (const bool fail_last : {false, true}) {
    SCOPED_TRACE(fail_last ? "last.txt fails" : "the end mark fails");
    integrate_test::FakePlatform f;
    f.registry.Set(platform::RootKey::kCurrentUser,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                   "Local AppData", "C:\\Users\\u\\AppData\\Local");
    f.files.Put(folder + "\\integrate-20200101-000000.jnl", "an older run");
    f.files.Put(folder + "\\last.txt", "integrate-20200101-000000.jnl\r\n");
    integrate::JournalWriter journal(f.services, "C:\\Lib");
    Change value;
    value.kind = Change::Kind::kRegistryValue;
    value.key = "Software\\X";
    value.name = "List";
    value.after = "new";
    std::string error;
    ASSERT_TRUE(journal.Note(value, &error)) << error;
    f.files.FailWritesTo(fail_last ? folder + "\\last.txt" : journal.path());
    EXPECT_FALSE(journal.Finish(false, &error));
    EXPECT_EQ(error, "disk full");
    std::string last;
    ASSERT_TRUE(integrate::LastJournal(f.services, &last, &error)) << error;
    EXPECT_EQ(last, journal.path());
  }
}

}  // namespace
