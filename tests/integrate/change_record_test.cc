// The change record under the Visual C++ 6.0 integration on the doubles: a dry run takes the real
// run's course without touching anything, and a write that does not stick fails its step.
#include "platform/change_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "integrate/engine/integration_engine.h"
#include "platform/change_list.h"
#include "tests/integrate/msdn_samples.h"
#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using msdn_samples::kColFile;
using msdn_samples::kCollections;
using msdn_samples::kRegFile;
using platform::ChangeRecord;
using platform::RootKey;

const char kDirectoriesKey[] =
    "Software\\Microsoft\\DevStudio\\6.0\\Build "
    "System\\Components\\Platforms\\Win32 (x86)\\"
    "Directories";
const char kTemplate[] = "C:\\VS\\Common\\MSDev98\\Template";
const char kAppSource[] = "C:\\Lib\\TSLAppWizard\\Release\\TSLXAppWizard.awx";
const char kSkinSource[] = "C:\\Lib\\TSLSkinWizard\\Release\\TSLSkinWizard.awx";
const char kSkinCopy[] = "C:\\VS\\Common\\MSDev98\\Template\\TSLSkinWizard.awx";
const char kBackupList[] = "C:\\Lib\\directories.txt";

// Visual C++ 6.0 with its MSDN collection and the library, as the sample machine has them; `vary`
// changes it before the run.
void SampleMachine(FakePlatform& f, const std::function<void(FakePlatform&)>& vary) {
  f.registry.AddKey(RootKey::kLocalMachine,
                    "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++");
  f.registry.Set(RootKey::kCurrentUser, "Software\\Microsoft\\DevStudio\\6.0\\Directories",
                 "Install Dirs", "C:\\VS\\Common\\MSDev98\\Bin");
  f.registry.Set(RootKey::kCurrentUser, kDirectoriesKey, "Include Dirs",
                 "C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE");
  f.registry.Set(RootKey::kCurrentUser, kDirectoriesKey, "Library Dirs", "C:\\VS\\VC98\\LIB");
  f.files.AddFolder(kTemplate);
  f.files.Put(kAppSource, "app wizard");
  f.files.Put(kSkinSource, std::string("skin\0wizard", 11));
  f.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "chm");
  f.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "chi");
  f.registry.Set(RootKey::kLocalMachine, kCollections, "Language", "0x0409");
  f.registry.Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409", "Preferred",
                 "0x03a1e1f80");
  f.registry.Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409\\0x03a1e1f80",
                 "Filename", kColFile);
  f.files.Put(kColFile, msdn_samples::SampleFile("MSDNVS98.COL"));
  f.files.Put(kRegFile, msdn_samples::SampleFile("hhcolreg.dat"));
  if (vary) vary(f);
}

// One run of the whole Visual C++ 6.0 integration through a change record.
struct Vc6Run {
  Vc6Run(ChangeRecord::Mode mode, const std::function<void(FakePlatform&)>& vary) {
    SampleMachine(fake, vary);
    record = std::make_unique<ChangeRecord>(std::move(fake.services), mode);
    record->SetMismatchReporter([this](const std::string& text) { host.ShowMessage(text, 0); });
    integrate::IntegrationEngine engine(&host, "C:\\Lib", record->services());
    result = engine.IntegrateVc6(true, true, true, true);
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : host.owner.messages) texts.push_back(m.text);
    return texts;
  }
  // The messages without the platform's reasons in parentheses, which a dry run words as the Wine
  // file services do.
  std::vector<std::string> Gist() const {
    std::vector<std::string> texts = Messages();
    for (std::string& text : texts) {
      const std::size_t open = text.find(" ("), close = text.rfind(')');
      if (open != std::string::npos && close > open) text.erase(open, close + 1 - open);
    }
    return texts;
  }

  FakePlatform fake;
  RecordingHost host;
  std::unique_ptr<ChangeRecord> record;
  bool result = false;
};

TEST(ChangeRecord, DryRunTakesTheRealRunsCourseAndChangesNothing) {
  const struct {
    const char* name;
    std::function<void(FakePlatform&)> vary;
  } machines[] = {
      {"sample machine", nullptr},
      {"earlier read-only wizard copy",
       [](FakePlatform& f) {
         f.files.Put(kSkinCopy, "old");
         f.files.SetReadOnly(kSkinCopy, true);
       }},
      {"template folder missing",
       [](FakePlatform& f) {
         f.files.Remove(kTemplate);
         f.files = MemoryFiles();
         f.files.Put(kAppSource, "app wizard");
         f.files.Put(kSkinSource, "skin wizard");
         f.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "chm");
         f.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "chi");
         f.files.Put(kColFile, msdn_samples::SampleFile("MSDNVS98.COL"));
         f.files.Put(kRegFile, msdn_samples::SampleFile("hhcolreg.dat"));
       }},
      {"read-only backup list",
       [](FakePlatform& f) {
         f.files.Put(kBackupList, "mine");
         f.files.SetReadOnly(kBackupList, true);
       }},
      // Refusals the dry run must foresee by asking, as nothing it holds tells them.
      {"template folder not writable for the user",
       [](FakePlatform& f) { f.files.CloseFolder(kTemplate); }},
      {"library folder not writable for the user",
       [](FakePlatform& f) { f.files.CloseFolder("C:\\Lib"); }},
      {"user hive not replaceable",
       [](FakePlatform& f) {
         f.registry.FailCallsStartingWith("writable HKCU");
         f.registry.FailCallsStartingWith("write HKCU");
       }},
  };
  for (const auto& machine : machines) {
    SCOPED_TRACE(machine.name);
    Vc6Run real(ChangeRecord::Mode::kWrite, machine.vary);
    Vc6Run dry(ChangeRecord::Mode::kDryRun, machine.vary);
    EXPECT_EQ(dry.result, real.result);
    EXPECT_EQ(dry.host.lines, real.host.lines);
    EXPECT_EQ(dry.Gist(), real.Gist());
    EXPECT_EQ(platform::DescribeChanges(dry.record->changes()),
              platform::DescribeChanges(real.record->changes()));

    // Nothing of the dry run reached its machine.
    EXPECT_EQ(dry.fake.registry.CountCalls("write"), 0);
    EXPECT_EQ(dry.fake.files.calls, std::vector<std::string>());
    // What the record says was written is what the real machine holds.
    for (const platform::Change& change : real.record->changes()) {
      if (change.kind == platform::Change::Kind::kRegistryValue) {
        const std::string* value = real.fake.registry.Get(change.root, change.key, change.name);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, change.after) << change.name;
      } else if (change.kind == platform::Change::Kind::kFile) {
        const std::string* bytes = real.fake.files.Get(change.path);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(*bytes, change.after) << change.path;
      }
    }
  }
}

TEST(ChangeRecord, SampleMachineRunListsEachChangeOnce) {
  Vc6Run dry(ChangeRecord::Mode::kDryRun, nullptr);
  ASSERT_TRUE(dry.result);
  const std::string list = platform::DescribeChanges(dry.record->changes());
  EXPECT_NE(
      list.find("HKEY_CURRENT_USER\\" + std::string(kDirectoriesKey) +
                "  \"Include Dirs\"\n"
                "  old: \"C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE\"\n"
                "  new: \"C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE;C:\\Lib\\Tessaline\"\n"),
      std::string::npos)
      << list;
  EXPECT_NE(list.find("C:\\Lib\\directories.txt: new file, "), std::string::npos) << list;
  EXPECT_NE(list.find("copy " + std::string(kSkinSource) + " -> " + kSkinCopy +
                      " (new file, 11 bytes)\n"),
            std::string::npos)
      << list;
  // hhcolreg.dat is copied to the library, then edited: one diff of the edit.
  EXPECT_EQ(msdn_samples::Count(list, "--- " + std::string(kRegFile) + "\n"), 1) << list;
  EXPECT_EQ(msdn_samples::Count(list, "+\t<DocCompilation>\n"), 1) << list;
}

TEST(ChangeRecord, WriteThatDoesNotStickFailsItsStepWithTheDifference) {
  const struct {
    const char* name;
    std::function<void(FakePlatform&)> drop;
    const char* message;
  } cases[] = {
      {"registry value",
       [](FakePlatform& f) {
         f.registry.DropCallsStartingWith("write HKCU\\" + std::string(kDirectoriesKey) +
                                          "|Include Dirs");
       },
       "Written, the value \"Include Dirs\" of "
       "HKEY_CURRENT_USER\\Software\\Microsoft\\DevStudio"
       "\\6.0\\Build System\\Components\\Platforms\\Win32 (x86)\\Directories "
       "reads back as "
       "\"C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE\" instead of "
       "\"C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE;C:"
       "\\Lib\\Tessaline\"."},
      {"text file", [](FakePlatform& f) { f.files.DropWritesTo(kBackupList); },
       "Written, C:\\Lib\\directories.txt cannot be read back."},
      {"short copy", [](FakePlatform& f) { f.files.DropWritesTo(kSkinCopy); },
       "The copy C:\\VS\\Common\\MSDev98\\Template\\TSLSkinWizard.awx came out "
       "5 bytes long; its "
       "source C:\\Lib\\TSLSkinWizard\\Release\\TSLSkinWizard.awx has 11."},
      {"edited collection registry", [](FakePlatform& f) { f.files.DropWritesTo(kRegFile); },
       "Written, C:\\windows\\Help\\hhcolreg.dat reads back as "},
      {"backup copy", [](FakePlatform& f) { f.files.DropWritesTo("C:\\Lib\\Help\\hhcolreg.dat"); },
       "The copy C:\\Lib\\Help\\hhcolreg.dat came out "},
      {"edited collection file", [](FakePlatform& f) { f.files.DropWritesTo(kColFile); },
       "Written, C:\\MSDN\\1033\\MSDNVS98.COL reads back as "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Vc6Run run(ChangeRecord::Mode::kWrite, c.drop);
    EXPECT_FALSE(run.result);
    const std::vector<std::string> messages = run.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().substr(0, std::string(c.message).size()), c.message);
    // The step's own failure message follows.
    EXPECT_GE(messages.size(), 2u);
  }
  Vc6Run clean(ChangeRecord::Mode::kWrite, nullptr);
  EXPECT_TRUE(clean.result);
  EXPECT_TRUE(clean.Messages().empty());
}

TEST(ChangeRecord, DryRunReadsSeeItsOwnWrites) {
  FakePlatform f;
  f.registry.Set(RootKey::kCurrentUser, "Software\\X", "Long", "short");
  f.files.AddFolder("C:\\Data");
  ChangeRecord record(std::move(f.services), ChangeRecord::Mode::kDryRun);
  platform::Platform& p = record.services();
  std::string error;

  auto key = p.registry->OpenKey(RootKey::kCurrentUser, "software\\x", platform::KeyAccess::kAll);
  ASSERT_TRUE(key);
  const std::string value(300, 'v');
  ASSERT_TRUE(key->SetString("long", value, &error));
  char small[260];
  std::size_t size = sizeof small;
  EXPECT_EQ(key->QueryString("LONG", small, &size), platform::RegResult::kMoreData);
  EXPECT_EQ(size, 301u);
  std::vector<char> big(size);
  EXPECT_EQ(key->QueryString("Long", big.data(), &size), platform::RegResult::kOk);
  EXPECT_EQ(std::string(big.data()), value);
  auto reader =
      p.registry->OpenKey(RootKey::kCurrentUser, "Software\\X", platform::KeyAccess::kRead);
  EXPECT_FALSE(reader->SetString("Long", "x", &error));

  ASSERT_TRUE(p.files->WriteTextFile("C:\\Data\\a.txt", "one\ntwo", &error));
  std::vector<std::string> lines;
  ASSERT_TRUE(p.files->ReadTextLines(
      "c:\\data\\A.TXT",
      [&](const std::string& line) {
        lines.push_back(line);
        return true;
      },
      &error));
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
  ASSERT_TRUE(p.files->CopyFile("C:\\Data\\a.txt", "C:\\Data\\b.txt", &error));
  std::string bytes;
  ASSERT_TRUE(p.files->ReadBinaryFile("C:\\Data\\b.txt", &bytes, &error));
  EXPECT_EQ(bytes, "one\r\ntwo");
  EXPECT_FALSE(p.files->WriteBinaryFile("C:\\Nowhere\\c.txt", "c", &error));
  EXPECT_EQ(error, "Cannot write C:\\Nowhere\\c.txt: the folder does not exist");
  ASSERT_TRUE(p.files->CreateDirectories("C:\\Nowhere", &error));
  EXPECT_TRUE(p.files->WriteBinaryFile("C:\\Nowhere\\c.txt", "c", &error));
  ASSERT_TRUE(p.files->RemoveFile("C:\\Data\\a.txt", &error));
  EXPECT_FALSE(p.files->Exists("C:\\Data\\a.txt"));

  EXPECT_EQ(f.registry.CountCalls("write"), 0);
  EXPECT_EQ(f.files.Get("C:\\Data\\a.txt"), nullptr);
  EXPECT_EQ(record.changes().size(), 4u);  // the value, a.txt, b.txt, c.txt
}

TEST(UnifiedDiff, OneHunkAroundWhatDiffers) {
  EXPECT_EQ(platform::UnifiedDiff("f", "a\r\nb\r\n", "a\r\nb\r\n"), "");
  EXPECT_EQ(platform::UnifiedDiff("f", "1\n2\n3\n4\n5\n6\n7\n8\n", "1\n2\n3\n4\nnew\n5\n6\n7\n8\n"),
            "--- f\n+++ f\n@@ -2,6 +2,7 @@\n 2\n 3\n 4\n+new\n 5\n 6\n 7\n");
  EXPECT_EQ(platform::UnifiedDiff("f", "old\nsame\n", "new\nsame\n"),
            "--- f\n+++ f\n@@ -1,2 +1,2 @@\n-old\n+new\n same\n");
  EXPECT_EQ(platform::UnifiedDiff("f", "", "a\n"), "--- f\n+++ f\n@@ -0,0 +1,1 @@\n+a\n");
}

}  // namespace
}  // namespace integrate_test
