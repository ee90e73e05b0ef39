// Taking the library's folders out of the IDEs' lists: the edit of one list, and the round trip
// through VCComponents.dat on the doubles.
#include "integrate/engine/directory_list.h"

#include <gtest/gtest.h>

#include "integrate/engine/integration_engine.h"
#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

TEST(RemoveFromDirectoryList, TakesOutOurEntriesAndNothingElse) {
  const std::string ours = "C:\\Lib\\Tessaline";
  struct Case {
    const char* list;
    const char* kept;
  };
  const Case cases[] = {
      // What the integration appends, to a list with or without entries, is taken back.
      {"a;b;C:\\Lib\\Tessaline", "a;b"},
      {";C:\\Lib\\Tessaline", ""},
      {"a;b;C:\\Lib\\Tessaline;", "a;b"},
      {";C:\\Lib\\Tessaline;", ""},
      {"C:\\Lib\\Tessaline", ""},
      // Wherever it stands, every time; the others keep their order, empty ones too.
      {"C:\\Lib\\Tessaline;a", "a"},
      {"a;C:\\Lib\\Tessaline;b;C:\\Lib\\Tessaline", "a;b"},
      {"a;;C:\\Lib\\Tessaline;b;", "a;;b;"},
      // Not ours: another letter case, a longer folder, ours with a trailing backslash.
      {"a;c:\\lib\\tessaline", "a;c:\\lib\\tessaline"},
      {"C:\\Lib\\Tessaline\\Sub;D:\\C:\\Lib\\Tessaline",
       "C:\\Lib\\Tessaline\\Sub;D:\\C:\\Lib\\Tessaline"},
      {"a;C:\\Lib\\Tessaline\\", "a;C:\\Lib\\Tessaline\\"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(integrate::RemoveFromDirectoryList(c.list, ours), c.kept) << c.list;
  }
}

TEST(RemoveVcComponentsDirectories, UndoesTheIntegrationsEdit) {
  FakePlatform fake;
  RecordingHost host;
  integrate::IntegrationEngine engine(&host, "C:\\Lib", fake.services);
  const std::string path = "C:\\u\\VCComponents.dat";
  const std::pair<const char*, const char*> cases[] = {
      {"[Win32]\r\nInclude Dirs=a;b\r\nLibrary Dirs=c\r\n[Other]\r\nInclude Dirs=y\r\n",
       "[Win32]\r\nInclude Dirs=a;b\r\nLibrary Dirs=c\r\n[Other]\r\nInclude Dirs=y\r\n"},
      // A list written with a final ';' cannot be told from one that got ours with it.
      {"Include Dirs=\r\nLibrary Dirs=c;\r\n", "Include Dirs=\r\nLibrary Dirs=c\r\n"},
  };
  for (const auto& [before, after] : cases) {
    SCOPED_TRACE(before);
    fake.files.Put(path, before);
    ASSERT_TRUE(engine.AddVcComponentsDirectories(path, 71));
    ASSERT_NE(*fake.files.Get(path), before);
    EXPECT_TRUE(engine.RemoveVcComponentsDirectories(path, 71));
    EXPECT_EQ(*fake.files.Get(path), after);
  }
  // Nothing of ours: the file is not rewritten, LF line ends and all.
  fake.files.Put(path, "Include Dirs=C:\\Lib\\Tessaline\\Sub\nLibrary Dirs=C:\\Lib\\bin7\n");
  EXPECT_TRUE(engine.RemoveVcComponentsDirectories(path, 71));
  EXPECT_EQ(*fake.files.Get(path),
            "Include Dirs=C:\\Lib\\Tessaline\\Sub\nLibrary Dirs=C:\\Lib\\bin7\n");
}

}  // namespace
}  // namespace integrate_test
