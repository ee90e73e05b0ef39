// The MSDN help step on a real drive: the edits' bytes, and a read-only hhcolreg.dat left whole.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "integrate/engine/integration_engine.h"
#include "tests/integrate/msdn_samples.h"
#include "tests/integrate/test_doubles.h"
#include "tests/support/fake_registry.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace msdn_samples;
using integrate::IntegrationEngine;
using integrate_test::RecordingHost;
using platform::RootKey;

TEST(MsdnHelpOnDrive, IntegratesAndLeavesAReadOnlyRegistryFileWhole) {
  testing_support::TempDrive drive;
  auto registry = std::make_unique<testing_support::FakeRegistry>();
  // A collection numbered from 10000 on keeps hhcolreg.dat in the common application
  // data folder, which lets the test keep it inside its own folder.
  registry->Set(RootKey::kLocalMachine, kShellFolders, "Common AppData", drive.Path("ProgramData"));
  registry->Set(RootKey::kLocalMachine, kCollections, "Language", "0x0409");
  registry->Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409", "Preferred", "0x1");
  registry->Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409\\0x1", "Filename",
                drive.Path("MSDN\\MSDNVS98.COL"));
  drive.Services().registry = std::move(registry);
  const std::string col =
      Replace(SampleFile("MSDNVS98.COL"), "collectionnum value=1/", "collectionnum value=10001/");
  const std::string reg = SampleFile("hhcolreg.dat");
  const std::string regPath = "ProgramData\\Microsoft\\HTML Help\\hhcolreg.dat";
  drive.WriteRaw("MSDN\\MSDNVS98.COL", col);
  drive.WriteRaw(regPath, reg);
  drive.WriteRaw("Lib\\Help\\TSLHelp.chm", "chm");
  drive.WriteRaw("Lib\\Help\\TSLHelp.chi", "chi");

  RecordingHost host;
  IntegrationEngine engine(&host, drive.Path("Lib"), drive.Services());
  ASSERT_TRUE(engine.IntegrateMsdnHelp());
  EXPECT_TRUE(host.owner.messages.empty());
  const std::string lib = drive.Path("Lib\\");
  EXPECT_EQ(
      drive.ReadRaw(regPath),
      Replace(reg, "</DocCompilations>", Crlf(Entry("1033", 10001, lib)) + "</DocCompilations>"));
  EXPECT_EQ(drive.ReadRaw("MSDN\\MSDNVS98.COL"),
            Replace(col, "</Folders>", Crlf(Folder()) + "</Folders>"));
  EXPECT_EQ(drive.ReadRaw("Lib\\Help\\hhcolreg.dat"), reg);
  EXPECT_EQ(drive.ReadRaw("Lib\\Help\\MSDNVS98.COL"), col);

  // Read-only help files (MSDN from CD) cannot be opened for writing: they keep every byte,
  // are not "restored" from the backup, and the step goes on without a message, as for a
  // file that lacks its closing tag. Their backups must not inherit the mark, or the next
  // run could not replace them and would stop there.
  const std::string colPath = "MSDN\\MSDNVS98.COL";
  const std::string regBefore = drive.ReadRaw(regPath);
  const std::string colBefore = drive.ReadRaw(colPath);
  drive.SetReadOnlyRaw(regPath, true);
  drive.SetReadOnlyRaw(colPath, true);
  for (int run = 0; run < 2; ++run) {
    EXPECT_TRUE(engine.IntegrateMsdnHelp()) << "run " << run;
    EXPECT_TRUE(host.owner.messages.empty()) << "run " << run;
    EXPECT_EQ(drive.ReadRaw(regPath), regBefore);
    EXPECT_EQ(drive.ReadRaw(colPath), colBefore);
  }
  drive.SetReadOnlyRaw(regPath, false);
  drive.SetReadOnlyRaw(colPath, false);
}

// The help files are edited where they lie: kept stretches are copied from the old file, only
// the changes pass through the program. The bytes must be those of a text-mode rewrite of the
// whole file: lone LFs become CR LF, a last line gets its end, a lone CR stays.
TEST(MsdnHelpOnDrive, EditsGiveTheBytesOfATextModeRewrite) {
  const std::string ours =
      Crlf(std::string("<DocCompilation>\n\t<DocCompId value=\"") + kId + "\"/>\n</DocCompilation>\n");
  const std::string old = Crlf(Entry("1031", 3, "D:\\Old\\"));
  const std::string entry = Crlf(Entry());
  const std::string head = "<X>\r\n\t<DocCompilations>\r\n\t\t<a/>\r\r\n\t";
  struct Case {
    const char* name;
    bool folder;  // AddCollectionFolder, else AddDocCompilation
    std::string before;
    bool ok;
    std::string after;
  } cases[] = {
      {"CR LF, no entry yet", false, head + "</DocCompilations>\r\n</X>\r\n", true,
       head + entry + "</DocCompilations>\r\n</X>\r\n"},
      {"an earlier entry", false, head + old + "</DocCompilations>\r\n</X>\r\n", true,
       head + "      " + entry + "</DocCompilations>\r\n</X>\r\n"},
      {"the earlier entry twice", false,
       head + old + "\t\t<b/>\r\n\t" + old + "</DocCompilations>\r\n</X>\r\n", true,
       head + "      \t\t<b/>\r\n\t      " + entry + "</DocCompilations>\r\n</X>\r\n"},
      {"lone LFs and a lone CR", false, "<X>\n\t<DocCompilations>\r\n\ta\rb\n\t</DocCompilations>\n</X>",
       true, "<X>\r\n\t<DocCompilations>\r\n\ta\rb\r\n\t" + entry + "</DocCompilations>\r\n</X>\r\n"},
      {"no last line end", false, head + "</DocCompilations>", true,
       head + entry + "</DocCompilations>\r\n"},
      {"a lone CR at the end", false, head + "</DocCompilations>\r", true,
       head + entry + "</DocCompilations>\r\r\n"},
      {"the list end made whole by the removal", false,
       head + "</DocComp" + ours + "ilations>\r\n", true,
       head + entry + "</DocCompilations>\r\n"},
      {"an empty file", false, "", false, ""},
      {"a folder, CR LF", true, "<Folders>\r\n\t</Folders>\r\n", true,
       "<Folders>\r\n\t" + Crlf(Folder()) + "</Folders>\r\n"},
      {"a folder, LF without a last line end", true, "<Folders>\n\t</Folders>", true,
       "<Folders>\r\n\t" + Crlf(Folder()) + "</Folders>\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempDrive drive;
    drive.WriteRaw("reg.dat", c.before);
    RecordingHost host;
    IntegrationEngine engine(&host, "C:\\Lib", drive.Services());
    bool written = false;
    const std::string path = drive.Path("reg.dat");
    EXPECT_EQ(c.folder ? engine.AddCollectionFolder(path, Folder(), kId, &written)
                       : engine.AddDocCompilation(path, Entry(), kId, &written),
              c.ok);
    EXPECT_EQ(written, c.ok);
    EXPECT_EQ(drive.ReadRaw("reg.dat"), c.ok ? c.after : c.before);
  }
}

}  // namespace
