// Project generation: the Aqua project byte for byte, escapes, refusals, the .dsp and its link.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "skinwizard/project/dsp_file.h"
#include "skinwizard/project/project_automation.h"
#include "skinwizard/project/project_writer.h"
#include "skinwizard/project/template_set.h"
#include "tests/skinwizard/skin_project_symbols.h"
#include "tests/support/temp_drive.h"

namespace skinwizard {
namespace {

using skinwizard_test::AquaSymbols;
using skinwizard_test::kMethodNames;

const char kSkinsOption[] =
    "/out:\"C:\\Program Files\\Common Files\\Quorvane\\Skins\\MYSKINS.dll\"";

std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(TSL_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ProjectRequest AquaRequest(const std::string& location) {
  ProjectRequest request;
  request.symbols = AquaSymbols();
  request.location = location;
  request.file_name_symbol = skinwizard_test::TestFileNameSymbol;
  return request;
}

ProjectPlan Plan(const ProjectRequest& request) {
  ProjectPlan plan;
  std::string error;
  EXPECT_TRUE(PlanProject(request, &plan, &error)) << error;
  return plan;
}

const PlannedFile* Find(const ProjectPlan& plan, const std::string& relative) {
  for (const PlannedFile& file : plan.files) {
    if (file.relative == relative) return &file;
  }
  return nullptr;
}

std::string Text(const ProjectPlan& plan, const std::string& relative) {
  const PlannedFile* file = Find(plan, relative);
  EXPECT_NE(file, nullptr) << relative;
  return file ? file->bytes : "";
}

// The "# ADD LINK32" line of one configuration's block, without its line end.
std::string LinkLine(const std::string& dsp, const std::string& configuration) {
  std::size_t block = dsp.find("\"$(CFG)\" == \"MySkins - " + configuration + "\"");
  std::size_t line = dsp.find("\n# ADD LINK32 ", block);
  return dsp.substr(line + 1, dsp.find('\r', line) - line - 1);
}

TEST(GenerateProject, AquaInMySkinsMatchesTheExpectedFilesByteForByte) {
  testing_support::TempDrive drive;
  ProjectPlan plan = Plan(AquaRequest(drive.Root()));
  std::string error;
  ASSERT_TRUE(WriteProject(plan, *drive.Services().files, &error)) << error;

  const std::set<std::string> expected_names = {
      "SkinAqua.cpp", "SkinAqua.h",  "ReadMe.txt",        "res\\MySkins.rc2", "Resource.h",
      "MySkins.clw",  "MySkins.cpp", "MySkins.def",       "MySkins.h",        "MySkins.rc",
      "StdAfx.cpp",   "StdAfx.h",    "res\\SKINAQUA.bmp", "MySkins.dsp",      "MySkins.dsw"};
  std::set<std::string> names;
  for (const PlannedFile& file : plan.files) {
    names.insert(file.relative);
    EXPECT_EQ(file.path, drive.Root() + "\\MySkins\\" + file.relative);
    std::string host_relative = file.relative;
    std::replace(host_relative.begin(), host_relative.end(), '\\', '/');
    std::string expected = ReadSourceFile("tests/skinwizard/expected/MySkins/" + host_relative);
    ASSERT_FALSE(expected.empty()) << file.relative;
    EXPECT_TRUE(drive.ReadRaw("MySkins\\" + file.relative) == expected)
        << file.relative << " differs from the expected file";
  }
  EXPECT_EQ(names, expected_names);
}

TEST(GenerateProject, PreviewBitmapIsTheTemplateByteForByte) {
  std::string preview;
  ASSERT_TRUE(FindTemplate("PREVIEW.BMP", &preview));
  ASSERT_EQ(preview.size(), 22182u);
  auto u32 = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(preview[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(preview[at + 1])) << 8 |
           static_cast<unsigned>(static_cast<unsigned char>(preview[at + 2])) << 16 |
           static_cast<unsigned>(static_cast<unsigned char>(preview[at + 3])) << 24;
  };
  EXPECT_EQ(preview.substr(0, 2), "BM");
  EXPECT_EQ(u32(2), 22182u);        // file size
  EXPECT_EQ(u32(18), 223u);         // width
  EXPECT_EQ(u32(22), 197u);         // height, bottom-up
  EXPECT_EQ(u32(28) & 0xFFFF, 4u);  // bits per pixel
  EXPECT_EQ(u32(30), 0u);           // uncompressed
  EXPECT_EQ(Text(Plan(AquaRequest("C:\\Work")), "res\\SKINAQUA.bmp"), preview);
}

TEST(GenerateProject, ConfirmationTextHasThreeLinesAndAnEmptyFourth) {
  std::string text;
  std::string error;
  ASSERT_TRUE(ExpandNamedTemplate("CONFIRM.INF", AquaSymbols(), &text, &error)) << error;
  EXPECT_EQ(text,
            "Skin Name: \"Aqua\"\r\nBased on CTSLVisualManager\r\n"
            "Write skin DLL to common (shared) directory\r\n\r\n");
}

TEST(GenerateProject, NoMethodsGivesOnlyConstructorAndDestructor) {
  ProjectRequest request = AquaRequest("C:\\Work");
  for (const char* method : kMethodNames) request.symbols.erase(method);
  ProjectPlan plan = Plan(request);
  std::string header = Text(plan, "SkinAqua.h");
  std::string source = Text(plan, "SkinAqua.cpp");
  EXPECT_EQ(header.find("virtual void"), std::string::npos);
  EXPECT_NE(header.find("\tCSkinAqua();\r\n\tvirtual ~CSkinAqua();\r\n\r\n};"), std::string::npos);
  EXPECT_EQ(source.find("void CSkinAqua::"), std::string::npos);
  EXPECT_NE(source.find("IMPLEMENT_DYNCREATE(CSkinAqua, CTSLVisualManager)"), std::string::npos);
}

TEST(GenerateProject, SomeMethodsAppearInListOrderWithTheirBodies) {
  ProjectRequest request = AquaRequest("C:\\Work");
  for (const char* method : kMethodNames) request.symbols.erase(method);
  request.symbols["OnDrawTab"] = "1";
  request.symbols["OnDrawBarBorder"] = "1";
  request.symbols["SKIN_BASE_CLASS"] = "CTSLVisualManagerXP";
  request.symbols.erase("VERBOSE");
  ProjectPlan plan = Plan(request);
  std::string header = Text(plan, "SkinAqua.h");
  std::string source = Text(plan, "SkinAqua.cpp");
  EXPECT_NE(header.find("class CSkinAqua : public CTSLVisualManagerXP"), std::string::npos);
  std::size_t border = header.find("virtual void OnDrawBarBorder (");
  std::size_t tab = header.find("virtual void OnDrawTab (");
  ASSERT_NE(border, std::string::npos);
  ASSERT_NE(tab, std::string::npos);
  EXPECT_LT(border, tab);
  EXPECT_EQ(header.find("OnFillBarBackground"), std::string::npos);
  EXPECT_NE(source.find("{\r\n\tCTSLVisualManagerXP::OnDrawBarBorder (pDC, pBar, rect);\r\n}"),
            std::string::npos);
  EXPECT_NE(source.find("IMPLEMENT_DYNCREATE(CSkinAqua, CTSLVisualManagerXP)"), std::string::npos);
  // The button state keeps its qualification by the 2000-look class whatever the base.
  request.symbols["OnDrawButtonBorder"] = "1";
  EXPECT_NE(Text(Plan(request), "SkinAqua.h").find("CTSLVisualManager::TSLBUTTON_STATE state"),
            std::string::npos);
}

TEST(GenerateProject, CommentsOffLeavesNoTodoLineInAnySourceFile) {
  ProjectRequest request = AquaRequest("C:\\Work");
  ProjectPlan verbose = Plan(request);
  EXPECT_NE(Text(verbose, "MySkins.cpp").find("\t\t// TODO: preview other skins here\r\n\t\r\n"),
            std::string::npos);
  request.symbols.erase("VERBOSE");
  ProjectPlan plan = Plan(request);
  for (const PlannedFile& file : plan.files) {
    EXPECT_EQ(file.bytes.find("// TODO:"), std::string::npos) << file.relative;
  }
  EXPECT_NE(
      Text(plan, "SkinAqua.cpp")
          .find("BOOL bNCArea)\r\n{\r\n\tpDC->FillSolidRect (rectClient, RGB (56, 200, 145));"),
      std::string::npos);
}

TEST(GenerateProject, FreeTextIsEscapedForTheFileItLandsIn) {
  ProjectRequest request = AquaRequest("C:\\Work");
  request.symbols["SKIN_NAME"] = "Say \"Hi\" ?\?/ C:\\";  // "??/" would be a trigraph
  request.symbols["AUTHOR"] = "A \"B\"";
  request.symbols["COPYRIGHT"] = "Copyright \xA9 2026 A \"B\" C\\D.\r\nAll rights reserved";
  ProjectPlan plan = Plan(request);
  EXPECT_NE(Text(plan, "MySkins.cpp").find("_T(\"Say \\\"Hi\\\" ?\\?/ C:\\\\\")"),
            std::string::npos);
  EXPECT_NE(Text(plan, "MySkins.cpp").find("_T(\"A \\\"B\\\", Blue Water Ltd.\")"),
            std::string::npos);
  EXPECT_NE(Text(plan, "MySkins.rc")
                .find("\"Copyright \xA9 2026 A \"\"B\"\" C\\\\D.\\r\\nAll rights reserved\\0\""),
            std::string::npos);
  std::string confirmation;
  std::string error;
  ASSERT_TRUE(ExpandNamedTemplate("CONFIRM.INF", request.symbols, &confirmation, &error));
  EXPECT_EQ(confirmation.substr(0, 31), "Skin Name: \"Say \"Hi\" ?\?/ C:\\\"\r\n");
}

TEST(GenerateProject, RefusesWhatCannotBeAProjectAndNamesTheTemplateLine) {
  // Windows keeps the device names whatever the case and extension, the superscript digits
  // (B9 B2 B3) and 0 included.
  for (const char* name :
       {"My:Skins", "a\\b", "..", "dot.", "", "q\"uote", "CON", "nul.txt", "Com1", "lpt9.h",
        "AUX .x", "COM0", "lpt0", "COM\xB9", "Lpt\xB2.h", "COM\xB3", "CONIN$", "conout$.txt"}) {
    ProjectRequest request = AquaRequest("C:\\Work");
    request.symbols["root"] = name;
    ProjectPlan plan;
    std::string error;
    EXPECT_FALSE(PlanProject(request, &plan, &error)) << name;
    EXPECT_NE(error.find("cannot be a project name"), std::string::npos) << error;
  }
  for (const char* name : {"CONSOLE", "COM10", "Nully", "COM\xB4", "LPT\xBC", "CONIN", "CON$"}) {
    EXPECT_TRUE(skinwizard::IsPlainName(name)) << name;
  }
  // Every file's full path is held to the Windows limit before anything is written.
  for (std::size_t length : {232, 240}) {  // a file too long, then a folder
    ProjectRequest request = AquaRequest("C:\\" + std::string(length, 'w'));
    ProjectPlan plan;
    std::string error;
    EXPECT_FALSE(PlanProject(request, &plan, &error)) << length;
    EXPECT_NE(error.find("characters Windows allows here"), std::string::npos) << error;
  }

  ProjectRequest request = AquaRequest("C:\\Work");
  request.symbols.erase("root");
  ProjectPlan plan;
  std::string error;
  EXPECT_FALSE(PlanProject(request, &plan, &error));

  request = AquaRequest("C:\\Work");
  request.file_name_symbol = nullptr;
  EXPECT_FALSE(PlanProject(request, &plan, &error));
  EXPECT_NE(error.find("MYSKIN.H(5): symbol \"FILE_NAME_SYMBOL\" has no value"), std::string::npos)
      << error;

  request = AquaRequest("C:\\Work");
  request.symbols.erase("COPYRIGHT");
  EXPECT_FALSE(PlanProject(request, &plan, &error));
  EXPECT_NE(error.find("ROOT.RC("), std::string::npos) << error;
}

TEST(GenerateProject, ListsTheFilesThatWouldBeOverwritten) {
  testing_support::TempDrive drive;
  ProjectPlan plan = Plan(AquaRequest(drive.Root() + "\\"));
  EXPECT_EQ(plan.project_folder, drive.Root() + "\\MySkins");
  platform::FileSystem& files = *drive.Services().files;
  EXPECT_TRUE(ExistingFiles(plan, files).empty());
  drive.WriteRaw("MySkins\\ReadMe.txt", "mine");
  drive.WriteRaw("MySkins\\res\\SKINAQUA.bmp", "mine");
  EXPECT_EQ(ExistingFiles(plan, files),
            (std::vector<std::string>{drive.Root() + "\\MySkins\\ReadMe.txt",
                                      drive.Root() + "\\MySkins\\res\\SKINAQUA.bmp"}));
}

TEST(GenerateProject, FailedWriteTakesBackWhatItMadeAndKeepsWhatWasThere) {
  testing_support::TempDrive drive;
  ProjectPlan plan = Plan(AquaRequest(drive.Path("New\\Deeper")));
  platform::FileSystem& files = *drive.Services().files;
  std::string error;
  // A file of the user's that cannot be replaced stops the project near its end.
  drive.WriteRaw("New\\Deeper\\MySkins\\StdAfx.h", "mine");
  drive.SetReadOnlyRaw("New\\Deeper\\MySkins\\StdAfx.h", true);
  EXPECT_FALSE(WriteProject(plan, files, &error));
  EXPECT_NE(error.find("StdAfx.h"), std::string::npos) << error;
  for (const PlannedFile& file : plan.files) {
    EXPECT_EQ(files.Exists(file.path), file.relative == "StdAfx.h") << file.relative;
  }
  EXPECT_FALSE(files.Exists(drive.Path("New\\Deeper\\MySkins\\res")));
  EXPECT_EQ(drive.ReadRaw("New\\Deeper\\MySkins\\StdAfx.h"), "mine");
  drive.SetReadOnlyRaw("New\\Deeper\\MySkins\\StdAfx.h", false);

  // On a drive that is not mapped nothing was made, so nothing is said to be left behind.
  EXPECT_FALSE(WriteProject(Plan(AquaRequest("Q:\\Work\\Deep")), files, &error));
  EXPECT_EQ(error.find("take back"), std::string::npos) << error;
}

TEST(DspAutomation, LinksEveryConfigurationIntoTheSkinsDirectory) {
  testing_support::TempDrive drive;
  ProjectPlan plan = Plan(AquaRequest(drive.Root()));
  platform::FileSystem& files = *drive.Services().files;
  std::string error;
  ASSERT_TRUE(WriteProject(plan, files, &error)) << error;
  const std::string before = Text(plan, "MySkins.dsp");

  std::unique_ptr<BuildProject> project =
      OpenDspProject(files, plan.project_folder + "\\MySkins.dsp", &error);
  ASSERT_NE(project, nullptr) << error;
  std::vector<BuildConfiguration*> items;
  ASSERT_TRUE(project->Configurations(&items));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]->Name(), "Win32 Release");
  EXPECT_EQ(items[1]->Name(), "Win32 Debug");
  for (int round = 0; round < 2; ++round) {  // a second call adds nothing more
    for (BuildConfiguration* item : items) {
      EXPECT_TRUE(item->AddToolSettings("link.exe", kSkinsOption, &error)) << error;
    }
  }
  EXPECT_FALSE(items[0]->AddToolSettings("cl.exe", "/W4", &error));

  std::string after = drive.ReadRaw("MySkins\\MySkins.dsp");
  EXPECT_EQ(
      LinkLine(after, "Win32 Release"),
      "# ADD LINK32 /nologo /subsystem:windows /dll /machine:I386 " + std::string(kSkinsOption));
  EXPECT_EQ(LinkLine(after, "Win32 Debug"),
            "# ADD LINK32 /nologo /subsystem:windows /dll /debug /machine:I386 /pdbtype:sept " +
                std::string(kSkinsOption));
  // Nothing else changed: removing the two options gives the written file back.
  std::string restored = after;
  for (int i = 0; i < 2; ++i) {
    restored.erase(restored.find(" " + std::string(kSkinsOption)),
                   std::string(kSkinsOption).size() + 1);
  }
  EXPECT_TRUE(restored == before);
}

TEST(DspFile, FlagsDecideMembershipAndBuildExclusion) {
  FileListEntry source;
  source.source = "A.CPP";
  source.destination = "My Part.cpp";
  FileListEntry hidden = source;
  hidden.destination = "Hidden.cpp";
  hidden.not_in_project = true;
  FileListEntry excluded = source;
  excluded.destination = "Excluded.h";
  excluded.excluded_from_build = true;
  std::string dsp = BuildDspText("P", {source, hidden, excluded});
  EXPECT_NE(dsp.find("SOURCE=\".\\My Part.cpp\"\r\n# End Source File"), std::string::npos);
  EXPECT_EQ(dsp.find("Hidden.cpp"), std::string::npos);
  EXPECT_NE(dsp.find("SOURCE=.\\Excluded.h\r\n\r\n!IF  \"$(CFG)\" == \"P - Win32 Release\"\r\n\r\n"
                     "# PROP Exclude_From_Build 1\r\n"),
            std::string::npos);
  // The per-file blocks repeat the configuration tests; they are neither new configurations
  // nor places for linker options.
  EXPECT_EQ(DspConfigurationNames(dsp), (std::vector<std::string>{"Win32 Release", "Win32 Debug"}));
  std::string error;
  ASSERT_TRUE(AddDspLinkOption(&dsp, "Win32 Debug", "/out:\"x.dll\"", &error)) << error;
  EXPECT_FALSE(AddDspLinkOption(&dsp, "Win32 Profile", "/out:\"x.dll\"", &error));
  EXPECT_NE(error.find("Win32 Profile"), std::string::npos);
  EXPECT_NE(BuildDswText("My Skins")
                .find("Project: \"My Skins\"=\".\\My Skins.dsp\" - Package Owner=<4>"),
            std::string::npos);
}

TEST(DspAutomation, OpeningAMissingProjectFailsWithTheReason) {
  testing_support::TempDrive drive;
  std::string error;
  EXPECT_EQ(OpenDspProject(*drive.Services().files, drive.Path("none.dsp"), &error), nullptr);
  EXPECT_NE(error.find("none.dsp"), std::string::npos);
}

}  // namespace
}  // namespace skinwizard
