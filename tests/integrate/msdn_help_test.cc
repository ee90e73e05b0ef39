// The MSDN help step on the doubles: the collection found, its files edited, backed up, restored.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "integrate/engine/integration_engine.h"
#include "tests/integrate/msdn_samples.h"
#include "tests/integrate/test_doubles.h"

namespace {

using namespace msdn_samples;
using integrate::IntegrationEngine;
using integrate_test::FakePlatform;
using integrate_test::RecordingHost;
using platform::RootKey;

const char kChm[] = "C:\\Lib\\Help\\TSLHelp.chm";
const char kChi[] = "C:\\Lib\\Help\\TSLHelp.chi";

// A Visual C++ 6.0 MSDN collection on the doubles: the registry walk to the collection
// file, the collection file, hhcolreg.dat and the library's help files, less `without`.
void InstallCollection(FakePlatform& f, const std::string& col, const std::string& reg,
                       const std::string& without = "") {
  f.registry.Set(RootKey::kLocalMachine, kCollections, "Language", "0x0409");
  f.registry.Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409", "Preferred",
                 "0x03a1e1f80");
  f.registry.Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409\\0x03a1e1f80",
                 "Filename", kColFile);
  const std::pair<std::string, std::string> files[] = {
      {kColFile, col}, {kRegFile, reg}, {kChm, "chm"}, {kChi, "chi"}};
  for (const auto& file : files) {
    if (file.first != without) f.files.Put(file.first, file.second);
  }
}

// An engine over the doubles with the sample collection installed.
class MsdnHelpTest : public ::testing::Test {
 protected:
  MsdnHelpTest() { InstallCollection(fake, colBytes, regBytes); }

  std::string File(const std::string& path) {
    const std::string* bytes = fake.files.Get(path);
    return bytes ? *bytes : "<missing>";
  }
  int Writes(const std::string& path) {
    int n = 0;
    for (const std::string& call : fake.files.calls) n += call == "write " + path;
    return n;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& m : host.owner.messages) texts.push_back(m.text);
    return texts;
  }

  const std::string colBytes = SampleFile("MSDNVS98.COL");
  const std::string regBytes = SampleFile("hhcolreg.dat");
  FakePlatform fake;
  RecordingHost host;
  IntegrationEngine engine{&host, "C:\\Lib", fake.services};
};

// --- Locating the collection ------------------------------------------------------------

TEST_F(MsdnHelpTest, FindCollectionFileWalksLanguageAndPreferredToFilename) {
  std::string path;
  EXPECT_TRUE(engine.FindCollectionFile(&path));
  EXPECT_EQ(path, kColFile);
  EXPECT_EQ(
      fake.registry.CountCalls("open HKLM\\" + std::string(kCollections) + "\\0x0409\\0x03a1e1f80"),
      1);
}

TEST_F(MsdnHelpTest, FindCollectionFileFailsWithoutLanguageOrWithoutTheFile) {
  std::string path;
  fake.files.Put(kColFile, "");
  FakePlatform other;
  other.registry.AddKey(RootKey::kLocalMachine, kCollections);
  IntegrationEngine noLanguage(&host, "C:\\Lib", other.services);
  EXPECT_FALSE(noLanguage.FindCollectionFile(&path));

  fake.registry.Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409\\0x03a1e1f80",
                    "Filename", "C:\\MSDN\\gone.col");
  EXPECT_FALSE(engine.FindCollectionFile(&path));
}

TEST_F(MsdnHelpTest, ReadCollectionInfoTakesValuesInAnyOrderAndStopsWhenBothAreKnown) {
  fake.files.Put("C:\\c.col",
                 "<XML>\n\t<collectionnum value=10001/>\r\n\t<masterlangid value=1031/>\n"
                 "\t<masterlangid value=9999/>\n");
  std::string language;
  std::int32_t number = 0;
  ASSERT_TRUE(engine.ReadCollectionInfo("C:\\c.col", &language, &number));
  EXPECT_EQ(language, "1031");
  EXPECT_EQ(number, 10001);
}

TEST_F(MsdnHelpTest, ReadCollectionInfoValueRules) {
  // One line with both keywords sets both; an empty value (no '/' after '=') is not found
  // yet; without '=' the value runs from the line's start to the first '/'.
  struct Case {
    const char* text;
    bool ok;
    const char* language;
    std::int32_t number;
  } cases[] = {
      {"masterlangid collectionnum=7/>\n", true, "7", 7},
      {"<masterlangid value=1033>\n<collectionnum value=2/>\n<masterlangid value=1036/>\n", true,
       "1036", 2},
      {"1040/masterlangid\n<collectionnum value=3/>\n", true, "1040", 3},
      {"<masterlangid value=1033/>\n", false, "", 0},
      {"<masterlangid value=1033/>\n<collectionnum value=/>\n", false, "", 0},
      {"<masterlangid value=1033/>\n<collectionnum value= 42x/>\n", true, "1033", 42},
      {"<masterlangid value=1033/>\n<collectionnum value=abc/>\n", true, "1033", 0},
      {"<masterlangid value=1033/>\n<collectionnum value=-12/>\n", true, "1033", -12},
      // The 32-bit conversion saturates rather than wrapping.
      {"<masterlangid value=1033/>\n<collectionnum value=99999999999/>\n", true, "1033", INT32_MAX},
      {"<masterlangid value=1033/>\n<collectionnum value=-99999999999/>\n", true, "1033",
       INT32_MIN},
  };
  for (const Case& c : cases) {
    fake.files.Put("C:\\c.col", c.text);
    std::string language;
    std::int32_t number = 0;
    EXPECT_EQ(engine.ReadCollectionInfo("C:\\c.col", &language, &number), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(language, c.language) << c.text;
      EXPECT_EQ(number, c.number) << c.text;
    }
  }
  std::string language;
  std::int32_t number = 0;
  EXPECT_FALSE(engine.ReadCollectionInfo("C:\\missing.col", &language, &number));
}

TEST_F(MsdnHelpTest, FindCollectionRegistryTriesOnlyTheCandidateTheNumberSelects) {
  std::string path;
  EXPECT_TRUE(engine.FindCollectionRegistry(9999, &path));
  EXPECT_EQ(path, kRegFile);
  EXPECT_TRUE(engine.FindCollectionRegistry(-5, &path));

  // From 10000 on: the common application data folder, without falling back.
  fake.registry.Set(RootKey::kLocalMachine, kShellFolders, "Common AppData", "C:\\ProgramData");
  EXPECT_FALSE(engine.FindCollectionRegistry(10000, &path));
  EXPECT_EQ(path, "C:\\ProgramData\\Microsoft\\HTML Help\\hhcolreg.dat");
  fake.files.Put(path, regBytes);
  EXPECT_TRUE(engine.FindCollectionRegistry(10000, &path));
}

TEST_F(MsdnHelpTest, FindCollectionRegistryWithoutShellFoldersUsesTheWindowsDrive) {
  std::string path;
  EXPECT_FALSE(engine.FindCollectionRegistry(20000, &path));
  EXPECT_EQ(path,
            "C:\\Documents and Settings\\All Users\\Application Data\\Microsoft\\HTML Help\\"
            "hhcolreg.dat");
}

// --- Registering the title in hhcolreg.dat ----------------------------------------------

TEST_F(MsdnHelpTest, AddDocCompilationInsertsBeforeTheListEndWithCrLf) {
  bool written = false;
  ASSERT_TRUE(engine.AddDocCompilation(kRegFile, Entry(), kId, &written));
  EXPECT_TRUE(written);
  EXPECT_EQ(File(kRegFile),
            Replace(regBytes, "</DocCompilations>", Crlf(Entry()) + "</DocCompilations>"));
}

TEST_F(MsdnHelpTest, AddDocCompilationReplacesTheEntryOfAnEarlierRun) {
  bool written = false;
  ASSERT_TRUE(engine.AddDocCompilation(kRegFile, Entry("1031", 3, "D:\\Old\\"), kId, &written));
  ASSERT_TRUE(engine.AddDocCompilation(kRegFile, Entry(), kId, &written));
  ASSERT_TRUE(engine.AddDocCompilation(kRegFile, Entry(), kId, &written));
  const std::string text = File(kRegFile);
  EXPECT_EQ(Count(text, kId), 1);
  EXPECT_EQ(text.find("D:\\Old\\"), std::string::npos);
  // The six spaces before the list's end stay where each removed entry began.
  EXPECT_EQ(text, Replace(regBytes, "\t</DocCompilations>",
                          "\t" + std::string(12, ' ') + Crlf(Entry()) + "</DocCompilations>"));
}

TEST_F(MsdnHelpTest, AddDocCompilationLeavesFilesItCannotPlaceTheEntryIn) {
  const std::string cutShort = Replace(regBytes, "\t</DocCompilations>",
                                       std::string("<DocCompilation>\r\n\t<DocCompId value=\"") +
                                           kId + "\"/>\r\n\t</DocCompilations>");
  const std::string cases[] = {
      Replace(regBytes, "</DocCompilations>", "</DocCompilationz>"),  // no list end
      cutShort,                                                       // old entry has no end
      // An old entry cut short before another entry: removing up to the next closing tag
      // would take the other title's registration with it.
      Replace(regBytes, "\t\t<DocCompilation>\r\n\t\t\t<DocCompId value=\"vccore\"",
              std::string("<DocCompilation>\r\n\t<DocCompId value=\"") + kId +
                  "\"/>\r\n\t\t<DocCompilation>\r\n\t\t\t<DocCompId value=\"vccore\""),
  };
  for (const std::string& bytes : cases) {
    fake.files.Put(kRegFile, bytes);
    bool written = true;
    EXPECT_FALSE(engine.AddDocCompilation(kRegFile, Entry(), kId, &written));
    EXPECT_FALSE(written);
    EXPECT_EQ(File(kRegFile), bytes);
  }
  EXPECT_EQ(Writes(kRegFile), 0);
}

TEST_F(MsdnHelpTest, AddDocCompilationKeepsWhatFollowsTheOldEntryOnItsLine) {
  // A hand-edited file with the next entry on the old entry's last line: only a line end
  // goes with the old entry, never the next tag's '<'.
  const std::string old = std::string("<DocCompilation>\n\t<DocCompId value=\"") + kId +
                          "\"/>\n\t<X/>\n</DocCompilation>";
  fake.files.Put(kRegFile, "<DocCompilations>\n" + old +
                               "<DocCompilation>\n\t<DocCompId value=\"vcmfc\"/>\n"
                               "</DocCompilation>\n</DocCompilations>\n");
  bool written = false;
  ASSERT_TRUE(engine.AddDocCompilation(kRegFile, Entry(), kId, &written));
  EXPECT_EQ(File(kRegFile), Crlf("<DocCompilations>\n<DocCompilation>\n\t<DocCompId "
                                 "value=\"vcmfc\"/>\n</DocCompilation>\n" +
                                 Entry() + "</DocCompilations>\n"));
}

TEST_F(MsdnHelpTest, AddDocCompilationReportsAFailedWriteAsWritten) {
  fake.files.FailWritesTo(kRegFile);
  bool written = false;
  EXPECT_FALSE(engine.AddDocCompilation(kRegFile, Entry(), kId, &written));
  EXPECT_TRUE(written);
  EXPECT_EQ(File(kRegFile), regBytes);
}

// --- The folder in the collection file --------------------------------------------------

TEST_F(MsdnHelpTest, AddCollectionFolderInsertsBeforeFoldersEndAndRewritesLfAsCrLf) {
  const std::string lf = "<Folders>\n\t\t<Folder/>\n\t</Folders>\n</XML>";
  fake.files.Put(kColFile, lf);
  bool written = false;
  ASSERT_TRUE(engine.AddCollectionFolder(kColFile, Folder(), kId, &written));
  EXPECT_TRUE(written);
  EXPECT_EQ(File(kColFile),
            Crlf("<Folders>\n\t\t<Folder/>\n\t" + Folder() + "</Folders>\n</XML>\n"));
}

TEST_F(MsdnHelpTest, AddCollectionFolderWritesNothingWhenIdPresentOrNoFoldersEnd) {
  // The identifier anywhere counts as integrated: the file keeps even its LF line ends.
  const std::string integrated = std::string("<Folders>\n<!-- ") + kId + " -->\n</Folders>\n";
  fake.files.Put(kColFile, integrated);
  bool written = true;
  EXPECT_TRUE(engine.AddCollectionFolder(kColFile, Folder(), kId, &written));
  EXPECT_FALSE(written);
  EXPECT_EQ(File(kColFile), integrated);

  fake.files.Put(kColFile, "<Folders>\n");
  EXPECT_FALSE(engine.AddCollectionFolder(kColFile, Folder(), kId, &written));
  EXPECT_FALSE(written);
  EXPECT_EQ(Writes(kColFile), 0);
}

// --- The whole step -----------------------------------------------------------------------

TEST_F(MsdnHelpTest, IntegrateMsdnHelpRegistersTitleAddsFolderAndKeepsBackups) {
  ASSERT_TRUE(engine.IntegrateMsdnHelp());
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(host.lines.empty());
  EXPECT_EQ(File(kRegFile),
            Replace(regBytes, "</DocCompilations>", Crlf(Entry()) + "</DocCompilations>"));
  EXPECT_EQ(File(kColFile), Replace(colBytes, "</Folders>", Crlf(Folder()) + "</Folders>"));
  EXPECT_EQ(File("C:\\Lib\\Help\\hhcolreg.dat"), regBytes);
  EXPECT_EQ(File("C:\\Lib\\Help\\MSDNVS98.COL"), colBytes);

  // A second run replaces the entry, leaves the collection file alone and backs up the
  // files as they stood before it.
  const std::string regAfterFirst = File(kRegFile);
  const std::string colAfterFirst = File(kColFile);
  ASSERT_TRUE(engine.IntegrateMsdnHelp());
  EXPECT_EQ(Count(File(kRegFile), kId), 1);
  EXPECT_EQ(File(kColFile), colAfterFirst);
  EXPECT_EQ(Writes(kColFile), 1);
  EXPECT_EQ(File("C:\\Lib\\Help\\hhcolreg.dat"), regAfterFirst);
  EXPECT_EQ(File("C:\\Lib\\Help\\MSDNVS98.COL"), colAfterFirst);
}

TEST_F(MsdnHelpTest, IntegrateMsdnHelpStopsWithItsMessageWhenALookupFails) {
  struct Case {
    std::string without;
    std::string col;
    std::string message;
  } cases[] = {
      {kChm, colBytes, std::string("MSDN integration failure: file not found: ") + kChm},
      {kChi, colBytes, std::string("MSDN integration failure: file not found: ") + kChi},
      {kColFile, colBytes, "MSDN integration failure: unable to find MSDN location."},
      {"", "<masterlangid value=1033/>\n<Folders>\n</Folders>\n",
       "MSDN integration failure: can not find 'masterlangid' and 'collectionnum'"},
      {kRegFile, colBytes, "MSDN integration failure: file not found: hhcolreg.dat"},
  };
  for (const Case& c : cases) {
    FakePlatform f;
    InstallCollection(f, c.col, regBytes, c.without);
    RecordingHost h;
    IntegrationEngine e(&h, "C:\\Lib\\", f.services);
    EXPECT_FALSE(e.IntegrateMsdnHelp());
    ASSERT_EQ(h.owner.messages.size(), 1u) << c.message;
    EXPECT_EQ(h.owner.messages[0].text, c.message);
    EXPECT_EQ(h.owner.messages[0].flags, integrate::kMbOk);
    EXPECT_TRUE(f.files.calls.empty()) << c.message;  // no backups, no writes
  }
}

TEST_F(MsdnHelpTest, IntegrateMsdnHelpStopsWhenABackupFails) {
  for (const char* backup : {"C:\\Lib\\Help\\hhcolreg.dat", "C:\\Lib\\Help\\MSDNVS98.COL"}) {
    FakePlatform f;
    InstallCollection(f, colBytes, regBytes);
    f.files.FailWritesTo(backup);
    RecordingHost h;
    IntegrationEngine e(&h, "C:\\Lib", f.services);
    EXPECT_FALSE(e.IntegrateMsdnHelp());
    ASSERT_EQ(h.owner.messages.size(), 1u);
    EXPECT_EQ(h.owner.messages[0].text,
              std::string("MSDN integration failure: unable to backup file '") + backup + "'");
    EXPECT_EQ(*f.files.Get(kRegFile), regBytes);
    EXPECT_EQ(*f.files.Get(kColFile), colBytes);
  }
}

TEST_F(MsdnHelpTest, IntegrateMsdnHelpRestoresARegistryFileItFailedToWrite) {
  fake.files.FailWritesTo(kRegFile);
  EXPECT_FALSE(engine.IntegrateMsdnHelp());
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"MSDN integration failure: can not modify data files."});
  EXPECT_EQ(fake.files.calls.back(),
            std::string("copy C:\\Lib\\Help\\hhcolreg.dat -> ") + kRegFile);
  EXPECT_EQ(File(kRegFile), regBytes);
  EXPECT_EQ(Writes(kColFile), 0);
}

TEST_F(MsdnHelpTest, IntegrateMsdnHelpRestoresACollectionFileItFailedToWrite) {
  fake.files.FailWritesTo(kColFile);
  EXPECT_FALSE(engine.IntegrateMsdnHelp());
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"MSDN integration failure: can not modify collection entry."});
  EXPECT_EQ(fake.files.calls.back(),
            std::string("copy C:\\Lib\\Help\\MSDNVS98.COL -> ") + kColFile);
  EXPECT_EQ(File(kColFile), colBytes);
  EXPECT_EQ(Count(File(kRegFile), kId), 1);  // the registration stays
}

TEST_F(MsdnHelpTest, IntegrateMsdnHelpGoesOnWhenAnEditFindsNoPlaceForItsText) {
  // Neither file is touched when it lacks its closing tag, and the step still succeeds.
  const std::string reg = Replace(regBytes, "</DocCompilations>", "</DocCompilationz>");
  fake.files.Put(kRegFile, reg);
  ASSERT_TRUE(engine.IntegrateMsdnHelp());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(File(kRegFile), reg);
  EXPECT_NE(File(kColFile).find(kId), std::string::npos);

  const std::string col = Replace(colBytes, "</Folders>", "</Folderz>");
  fake.files.Put(kColFile, col);
  fake.files.Put(kRegFile, regBytes);
  ASSERT_TRUE(engine.IntegrateMsdnHelp());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(File(kColFile), col);
  EXPECT_EQ(Count(File(kRegFile), kId), 1);
}

}  // namespace
