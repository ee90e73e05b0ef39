// Compiles generated skin projects against the stand-in headers in standin/: with MinGW g++
// (-fsyntax-only) and windres for the Windows side, and natively into a small program that
// calls the ten entry points, so the texts the user typed are seen as the DLL returns them.
// Built for the native build only: it runs the compilers of the build machine.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/encoding.h"
#include "skinwizard/project/project_writer.h"
#include "tests/skinwizard/skin_project_symbols.h"

namespace skinwizard {
namespace {

namespace fs = std::filesystem;
using skinwizard_test::AquaSymbols;
using skinwizard_test::kMethodNames;

const std::string kStandIn = std::string(TSL_SOURCE_DIR) + "/tests/skinwizard/standin";

std::string ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// A generated project in a fresh host folder, removed at the end.
class GeneratedProject {
 public:
  explicit GeneratedProject(const SymbolMap& symbols) {
    std::string pattern = (fs::temp_directory_path() / "tsl-skin-compile-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    fs::create_directories(dir_ / "res");
    ProjectRequest request;
    request.symbols = symbols;
    request.location = "C:\\Work";
    request.file_name_symbol = skinwizard_test::TestFileNameSymbol;
    std::string error;
    ok_ = PlanProject(request, &plan_, &error);
    EXPECT_TRUE(ok_) << error;
    for (const PlannedFile& file : plan_.files) {
      std::string relative = file.relative;
      std::replace(relative.begin(), relative.end(), '\\', '/');
      WriteHostFile(dir_ / relative, file.bytes);
      // The sources include "stdafx.h" and "resource.h" as Windows finds them, ignoring case.
      fs::path lower = dir_ / Lower(relative);
      if (!fs::exists(lower)) WriteHostFile(lower, file.bytes);
      // The resource script names "res\..." files; the resource compiler here takes the
      // backslash as part of the name.
      if (relative.find('/') != std::string::npos) WriteHostFile(dir_ / file.relative, file.bytes);
    }
  }
  ~GeneratedProject() { fs::remove_all(dir_); }

  bool ok() const { return ok_; }
  const fs::path& dir() const { return dir_; }

  // Runs a command in the project folder; true on exit status 0, the output in *log.
  bool Run(const std::string& command, std::string* log) const {
    fs::path out = dir_ / "command.log";
    std::string line = "cd '" + dir_.string() + "' && " + command + " >'" + out.string() + "' 2>&1";
    int status = std::system(line.c_str());
    *log = command + "\n" + ReadHostFile(out);
    return status == 0;
  }

 private:
  fs::path dir_;
  ProjectPlan plan_;
  bool ok_ = false;
};

SymbolMap WithMethods(SymbolMap symbols, const std::vector<std::string>& methods) {
  for (const char* method : kMethodNames) symbols.erase(method);
  for (const std::string& method : methods) symbols[method] = "1";
  return symbols;
}

SymbolMap Choices(const std::vector<std::string>& methods, bool verbose, bool xp) {
  SymbolMap symbols = WithMethods(AquaSymbols(), methods);
  if (!verbose) symbols.erase("VERBOSE");
  symbols["SKIN_BASE_CLASS"] = xp ? "CTSLVisualManagerXP" : "CTSLVisualManager";
  return symbols;
}

// Texts with quotes, backslashes, a trigraph, a tab, a line break, a control character and
// Windows-1252 letters, in a project whose name needs Safe_root.
SymbolMap AwkwardSymbols() {
  SymbolMap symbols = AquaSymbols();
  symbols["SKIN_NAME"] = "Say \"Hi\" ?\?/ C:\\";
  symbols["AUTHOR"] = "Jos\xE9 \"JJ\" O'Neil\\";
  symbols["COMPANY"] = "\"Q\"\tLtd\\\r\nBranch\x01";
  symbols["AUTHOR_MAIL"] = "a\\\"b@example.com";
  symbols["AUTHOR_URL"] = "http://x.example/?a=b?\?=c\\";
  symbols["COPYRIGHT"] =
      "Copyright \xA9 2026 Jos\xE9 \"JJ\" O'Neil\\ \"Q\"\tLtd\\\r\nBranch\x01. All rights reserved";
  symbols["root"] = "My Skins-2";
  symbols["ROOT"] = "MY SKINS-2";
  symbols["Safe_root"] = "MySkins2";
  return symbols;
}

std::string SyntaxCheck(const std::string& defines) {
  return std::string(TSL_MINGW_CXX) +
         " -fsyntax-only -std=gnu++17 -finput-charset=CP1252 -Werror=overloaded-virtual"
         " -Werror=return-type -I. -I'" +
         kStandIn + "' " + defines;
}

TEST(CompileCheck, GeneratedSourcesCompileForEveryKindOfChoice) {
  if (std::string(TSL_MINGW_CXX).empty()) GTEST_SKIP() << "no MinGW g++ on this machine";
  struct Case {
    const char* what;
    SymbolMap symbols;
    const char* defines;
  };
  const std::vector<std::string> all(std::begin(kMethodNames), std::end(kMethodNames));
  const Case cases[] = {
      {"all methods, comments, 2000 look", Choices(all, true, false), "-D_DEBUG"},
      {"all methods, no comments, XP look", Choices(all, false, true), ""},
      {"no method, no comments, XP look", Choices({}, false, true), "-D_UNICODE"},
      {"no method, comments, 2000 look", Choices({}, true, false), ""},
      {"some methods, comments, XP look",
       Choices({"OnFillBarBackground", "OnFillButtonInterior", "OnHighlightMenuItem", "OnDrawTab"},
               true, true),
       "-D_DEBUG -D_UNICODE"},
      {"quotes and backslashes", AwkwardSymbols(), ""},
      {"quotes and backslashes, Unicode", AwkwardSymbols(), "-D_UNICODE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GeneratedProject project(c.symbols);
    ASSERT_TRUE(project.ok());
    const std::string root = c.symbols.at("root");
    std::string log;
    EXPECT_TRUE(project.Run(SyntaxCheck(c.defines) + " StdAfx.cpp '" + root + ".cpp' " +
                                c.symbols.at("skin_file") + ".cpp",
                            &log))
        << log;
  }
}

TEST(CompileCheck, ResourceScriptCompilesAndKeepsTheCopyrightAsTyped) {
  if (std::string(TSL_MINGW_WINDRES).empty()) GTEST_SKIP() << "no MinGW windres on this machine";
  for (const SymbolMap& symbols : {AquaSymbols(), AwkwardSymbols()}) {
    SCOPED_TRACE(symbols.at("COPYRIGHT"));
    GeneratedProject project(symbols);
    ASSERT_TRUE(project.ok());
    std::string log;
    ASSERT_TRUE(project.Run(std::string(TSL_MINGW_WINDRES) + " -I'" + kStandIn + "' -i '" +
                                symbols.at("root") + ".rc' -O coff -o out.res",
                            &log))
        << log;
    // Version strings are stored as UTF-16; the typed text must be there whole.
    std::u16string copyright = platform::AnsiToUtf16(symbols.at("COPYRIGHT"));
    std::string utf16le;
    for (char16_t unit : copyright) {
      utf16le += static_cast<char>(unit & 0xFF);
      utf16le += static_cast<char>(unit >> 8);
    }
    EXPECT_NE(ReadHostFile(project.dir() / "out.res").find(utf16le), std::string::npos);
  }
}

const char kProbe[] = R"(#include "stdafx.h"
#include <cstdio>
#include <cstring>
extern "C" CRuntimeClass* TSLKTGetSkinClass (int iIndex);
extern "C" int TSLKTGetSkinCount ();
extern "C" LPCTSTR TSLKTGetSkinName (int iIndex);
extern "C" BOOL TSLKTGetSkinVersion (int& iVersionMajor, int& iVersionMinor);
extern "C" BOOL TSLKTIsUNICODE ();
extern "C" BOOL TSLKTPreviewSkin (CDC* pDC, int iIndex, CRect rectPreview);
extern "C" LPCTSTR TSLKTGetSkinAuthor (int iIndex);
extern "C" LPCTSTR TSLKTGetSkinAuthorURL (int iIndex);
extern "C" LPCTSTR TSLKTGetSkinAuthorMail (int iIndex);
extern "C" int TSLKTGetSkinUpdate ();
int main ()
{
  CDC dc;
  int major = 0, minor = 0;
  BOOL version = TSLKTGetSkinVersion (major, minor);
  CObject* skin = TSLKTGetSkinClass (0)->m_pfnCreateObject ();
  std::printf ("%s<%s>%d|%d|%d|%d|%d|%d|%d.%d|%d|%d\n", TSLKTGetSkinClass (0)->m_lpszClassName,
    TSLKTGetSkinClass (0)->m_pBaseClass->m_lpszClassName,
    dynamic_cast<CTSLVisualManager*> (skin) != NULL, TSLKTGetSkinClass (1) == NULL,
    TSLKTGetSkinCount (), TSLKTGetSkinName (1) == NULL,
    TSLKTPreviewSkin (&dc, 0, CRect (0, 0, 223, 197)), TSLKTPreviewSkin (&dc, 1, CRect ()),
    version ? major : -1, minor, TSLKTGetSkinUpdate (),
    TSLKTIsUNICODE ());
  delete skin;
  const char* texts[] = {TSLKTGetSkinName (0), TSLKTGetSkinAuthor (7), TSLKTGetSkinAuthorMail (7),
    TSLKTGetSkinAuthorURL (7)};
  for (const char* text : texts) std::fwrite (text, 1, std::strlen (text) + 1, stdout);
  return 0;
}
)";

TEST(CompileCheck, EntryPointsReturnWhatTheUserTyped) {
  for (const SymbolMap& symbols : {AquaSymbols(), AwkwardSymbols()}) {
    SCOPED_TRACE(symbols.at("SKIN_NAME"));
    GeneratedProject project(symbols);
    ASSERT_TRUE(project.ok());
    WriteHostFile(project.dir() / "probe.cpp", kProbe);
    std::string log;
    ASSERT_TRUE(project.Run(std::string(TSL_NATIVE_CXX) +
                                " -std=gnu++17 -finput-charset=CP1252 -fexec-charset=CP1252"
                                " -D__stdcall= -I. -I'" +
                                kStandIn + "' StdAfx.cpp '" + symbols.at("root") + ".cpp' " +
                                symbols.at("skin_file") + ".cpp probe.cpp -o probe && ./probe",
                            &log))
        << log;
    std::string output = log.substr(log.find('\n') + 1);
    std::size_t header_end = output.find('\n');
    ASSERT_NE(header_end, std::string::npos) << output;
    // Class, base, a creatable skin, NULL/FALSE for index 1, one skin, the preview drawn, the
    // library version, update 1, not Unicode.
    EXPECT_EQ(output.substr(0, header_end),
              symbols.at("SKIN_CLASS") + "<CTSLVisualManager>1|1|1|1|1|0|6.2|1|0");
    EXPECT_EQ(output.substr(header_end + 1),
              symbols.at("SKIN_NAME") + '\0' + symbols.at("AUTHOR") + ", " + symbols.at("COMPANY") +
                  '\0' + symbols.at("AUTHOR_MAIL") + '\0' + symbols.at("AUTHOR_URL") + '\0');
  }
}

}  // namespace
}  // namespace skinwizard
