// The journal's bytes: what goes in comes back, and nothing short of a whole journal of ours
// is taken for one.
#include "integrate/journal.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(Journal, RefusesCutAlteredAndForeignBytes) {
  const std::string bytes = EncodeJournal(Sample());
  Journal read;
  std::string error;
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(DecodeJournal(bytes.substr(0, length), &read, &error)) << length;
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::string altered = bytes;
    altered[at] = static_cast<char>(altered[at] ^ 0x01);
    EXPECT_FALSE(DecodeJournal(altered, &read, &error)) << at;
  }
  EXPECT_FALSE(DecodeJournal(bytes + "x", &read, &error));
  EXPECT_FALSE(DecodeJournal("Old Include Directories\r\n", &read, &error));
  EXPECT_EQ(error, "it is not a journal of tslkt-integrate");
}

}  // namespace
