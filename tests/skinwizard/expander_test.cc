// The template expander and the file-list parser, and the errors they name.
#include "skinwizard/project/expander.h"

#include <gtest/gtest.h>

namespace skinwizard {
namespace {

std::string Expand(const std::string& text, const SymbolMap& symbols) {
  std::string out;
  std::string error;
  EXPECT_TRUE(ExpandTemplate("T.CPP", text, symbols, &out, &error)) << error;
  return out;
}

std::string ExpandError(const std::string& text, const SymbolMap& symbols = {}) {
  std::string out = "untouched";
  std::string error;
  EXPECT_FALSE(ExpandTemplate("MYSKIN.CPP", text, symbols, &out, &error));
  EXPECT_EQ(out, "untouched");
  return error;
}

TEST(ExpandTemplate, ReplacesSymbolsAndKeepsCrLf) {
  SymbolMap s{{"root", "MySkins"}, {"ROOT", "MYSKINS"}, {"empty", ""}};
  EXPECT_EQ(Expand("#include \"$$root$$.h\"\r\n// $$ROOT$$ and $$root$$$$empty$$!\r\nlast", s),
            "#include \"MySkins.h\"\r\n// MYSKINS and MySkins!\r\nlast");
}

TEST(ExpandTemplate, InsertsValuesOnceWithoutRescanning) {
  SymbolMap s{{"A", "$$B$$"}, {"B", "never"}};
  EXPECT_EQ(Expand("x $$A$$ y\r\n", s), "x $$B$$ y\r\n");
}

TEST(ExpandTemplate, KeepsOrDropsNestedBlocks) {
  const std::string text =
      "begin\r\n"
      "$$IF(OnFillBarBackground)\r\n"
      "fill\r\n"
      "$$IF(VERBOSE)\r\n"
      "// TODO: $$missing$$ is not looked up when dropped\r\n"
      "$$ENDIF\r\n"
      "fill end\r\n"
      "$$ENDIF\r\n"
      "end\r\n";
  EXPECT_EQ(Expand(text, {{"OnFillBarBackground", "1"}}), "begin\r\nfill\r\nfill end\r\nend\r\n");
  EXPECT_EQ(Expand(text, {}), "begin\r\nend\r\n");
  // The inner symbol is set but its outer block is dropped: the inner lines go too.
  EXPECT_EQ(Expand(text, {{"VERBOSE", "1"}}), "begin\r\nend\r\n");
  EXPECT_NE(ExpandError(text, {{"OnFillBarBackground", "1"}, {"VERBOSE", "1"}})
                .find("MYSKIN.CPP(5): symbol \"missing\" has no value"),
            std::string::npos);
}

TEST(ExpandTemplate, SetMeansPresentWhateverTheValue) {
  EXPECT_EQ(Expand("$$IF(X)\nkept\n$$ENDIF\n", {{"X", ""}}), "kept\n");
}

TEST(ExpandTemplate, DropsCommentLines) {
  EXPECT_EQ(Expand("$$// a comment with $$nothing$$\r\nx\r\n", {}), "x\r\n");
}

TEST(ExpandTemplate, ReportsEveryErrorWithTemplateAndLine) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"a\r\nb $$SKIN_CLASS$$\r\n", "MYSKIN.CPP(2): symbol \"SKIN_CLASS\" has no value"},
      {"a\r\n$$IF(X)\r\nb\r\n", "MYSKIN.CPP(2): $$IF without $$ENDIF"},
      {"a\r\n$$ENDIF\r\n", "MYSKIN.CPP(2): $$ENDIF without $$IF"},
      {"$$IF(X)\r\n$$IF(Y)\r\n$$ENDIF\r\n", "MYSKIN.CPP(1): $$IF without $$ENDIF"},
      {"x\r\n$$IF(X)\r\n$$ELSE\r\n$$ENDIF\r\n", "MYSKIN.CPP(3): unknown directive \"$$ELSE\""},
      {"$$IF(X) trailing\r\n$$ENDIF\r\n", "MYSKIN.CPP(1): malformed \"$$IF(X) trailing\""},
      {"$$IF(a b)\r\n$$ENDIF\r\n", "MYSKIN.CPP(1): malformed"},
      {"x $$root\r\n", "MYSKIN.CPP(1): \"$$\" without its closing \"$$\""},
      {"x $$not a name$$\r\n", "MYSKIN.CPP(1): \"$$not a name$$\" is no symbol name"},
      {"x $$$$\r\n", "MYSKIN.CPP(1): \"$$$$\" is no symbol name"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(ExpandError(c.text).find(c.message), std::string::npos)
        << c.text << " gave: " << ExpandError(c.text);
  }
}

TEST(ParseFileList, ReadsDirectoriesFlagsAndExpandedDestinations) {
  const std::string text =
      "$$// comment\r\n"
      "/res\r\n"
      "\r\n"
      "MYSKIN.CPP\t$$skin_file$$.cpp\r\n"
      ":ROOT.RC2\tres\\$$root$$.rc2\r\n"
      ":=PREVIEW.BMP\tres\\$$SKIN_NAME_UPPER$$.bmp\r\n"
      "-!?#*X.TXT\tx.txt";
  FileList list;
  std::string error;
  ASSERT_TRUE(ParseFileList(
      "NEWPROJ.INF", text,
      {{"skin_file", "SkinAqua"}, {"root", "MySkins"}, {"SKIN_NAME_UPPER", "SKINAQUA"}}, &list,
      &error))
      << error;
  EXPECT_EQ(list.directories, std::vector<std::string>{"res"});
  ASSERT_EQ(list.entries.size(), 4u);
  EXPECT_EQ(list.entries[0].source, "MYSKIN.CPP");
  EXPECT_EQ(list.entries[0].destination, "SkinAqua.cpp");
  EXPECT_EQ(list.entries[0].line, 4);
  EXPECT_FALSE(list.entries[0].resource || list.entries[0].binary);
  EXPECT_EQ(list.entries[1].destination, "res\\MySkins.rc2");
  EXPECT_TRUE(list.entries[1].resource);
  EXPECT_FALSE(list.entries[1].binary);
  EXPECT_EQ(list.entries[2].source, "PREVIEW.BMP");
  EXPECT_TRUE(list.entries[2].resource && list.entries[2].binary);
  const FileListEntry& all = list.entries[3];
  EXPECT_EQ(all.source, "X.TXT");
  EXPECT_TRUE(all.not_in_project && all.excluded_from_build && all.help_file && all.is_template &&
              all.bypass_custom);
  EXPECT_EQ(all.line, 7);
}

TEST(ParseFileList, TemplateFlagImpliesExcludedFromBuild) {
  FileList list;
  std::string error;
  ASSERT_TRUE(ParseFileList("NEWPROJ.INF", "#A.TXT\ta.txt\r\n", {}, &list, &error)) << error;
  EXPECT_TRUE(list.entries[0].excluded_from_build);
}

TEST(ParseFileList, RejectsBadLinesNamingThem) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"$$// c\r\n/res\r\n%ROOT.H\t$$root$$.h\r\n", "NEWPROJ.INF(3): unknown flag '%'"},
      {"ROOT.H $$root$$.h\r\n", "NEWPROJ.INF(1): no tab"},
      {"ROOT.H\t\r\n", "NEWPROJ.INF(1): empty source or destination"},
      {"=\tx.bmp\r\n", "NEWPROJ.INF(1): empty source or destination"},
      {"/\r\n", "NEWPROJ.INF(1): \"/\" without a folder name"},
      {"ROOT.H\t$$nothing$$.h\r\n", "NEWPROJ.INF(1): symbol \"nothing\" has no value"},
  };
  for (const Case& c : cases) {
    FileList list;
    std::string error;
    EXPECT_FALSE(ParseFileList("NEWPROJ.INF", c.text, {{"root", "P"}}, &list, &error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
  }
}

}  // namespace
}  // namespace skinwizard
