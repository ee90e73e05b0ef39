// The string table: each id once and in order, Windows-1252 texts, and Format.
#include "integrate/strings.h"

#include <gtest/gtest.h>

#include <set>

namespace integrate_test {
namespace {

using integrate::Format;
using integrate::LoadText;

TEST(StringTable, HoldsEveryQuotedIdOnceInOrder) {
  std::set<int> ids;
  int previous = 0;
  for (std::size_t i = 0; i < integrate::StringTableSize(); ++i) {
    int id = integrate::StringTable()[i].id;
    EXPECT_GT(id, previous);
    previous = id;
    ids.insert(id);
  }
  for (int id = 2; id <= 25; ++id) EXPECT_TRUE(ids.count(id)) << id;
  for (int id : {31, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 44, 45, 103, 104, 105}) {
    EXPECT_TRUE(ids.count(id)) << id;
  }
  const int kUnusedId = 43;  // between the VS.NET help line and the VS 2005 header
  EXPECT_EQ(LoadText(kUnusedId), "");
}

TEST(StringTable, TextsAreWindows1252WithTheSystemsSpelling) {
  EXPECT_EQ(LoadText(integrate::kStrDevStudioNotFound),
            "Unable to locate Microsoft Developer Studio 6.0. Integartion terminated.");
  const std::string& sp = LoadText(integrate::kStrServicePackWarning);
  EXPECT_EQ(sp.find("Microsoft\xAE VisualStudio\xAE 6.0"), 27u);
  EXPECT_NE(sp.find("higher.\r\nPlease, install"), std::string::npos);
  EXPECT_NE(sp.find("library.\r\n\r\nRemark"), std::string::npos);
  EXPECT_EQ(LoadText(integrate::kStrSetupDirectoriesLine), "    Setup directories");
  EXPECT_EQ(LoadText(integrate::kStrTemplateFolder), "\\Template\\");
}

TEST(StringTable, TemplatesFillInAsTheHelpFilesExpect) {
  std::string entry = integrate::FormatText(integrate::kStrDocCompilationEntry, "{ID}", "0x0409",
                                            10000, "C:\\L\\T.chm", "C:\\L\\T.chi");
  const std::string header = integrate::FormatText(integrate::kStrDocCompilationHeader, "{ID}");
  EXPECT_EQ(header, "<DocCompilation>\n\t<DocCompId value=\"{ID}\"/>\n");
  EXPECT_EQ(entry.compare(0, header.size(), header), 0);
  EXPECT_NE(entry.find("\t<DocCompLanguage value=0x0409/>\n\t<LocationHistory>\n"
                       "\t\t<ColNum value=10000/>\n\t\t<TitleLocation value=\"C:\\L\\T.chm\"/>\n"),
            std::string::npos);
  const std::string tail =
      "\t\t<SupportsMerge value=0/>\n\t</LocationHistory>\n</DocCompilation>\n      ";
  EXPECT_EQ(entry.substr(entry.size() - tail.size()), tail);

  std::string folder =
      integrate::FormatText(integrate::kStrCollectionFolder, "Tessaline", "{ID}", "0x0409");
  EXPECT_EQ(folder,
            "\t\t<Folder>\n\t\t\t<TitleString value=\"Tessaline\"/>\n\t\t\t<FolderOrder value=2/>\n"
            "\t\t\t<Folder>\n\t\t\t\t<TitleString value=\"={ID}\"/>\n"
            "\t\t\t\t<FolderOrder value=1/>\n\t\t\t\t<LangId value=0x0409/>\n\t\t\t</Folder>\n"
            "\t\t</Folder>\n      ");
}

TEST(Format, TakesStringsNumbersAndHex) {
  EXPECT_EQ(Format("%s|%d|%x|%04x", std::string("a\xAE"), -5, 255u, 0x409u), "a\xAE|-5|ff|0409");
  EXPECT_EQ(Format("no placeholders"), "no placeholders");
  EXPECT_EQ(Format("%s", std::string(5000, 'z')).size(), 5000u);
}

}  // namespace
}  // namespace integrate_test
