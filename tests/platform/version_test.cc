// Both builds read the same sample DLL: natively through the PE reader of the Wine
// platform, in the Windows builds through GetFileVersionInfoA. The answers must agree.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/temp_drive.h"

namespace {

std::string ReadHostFile(const std::string& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

class VersionResourcesTest : public ::testing::TestWithParam<const char*> {
 protected:
  // Copies the sample into the drive so that each build reaches it by a Windows path.
  std::string PlaceSample() {
    std::string bytes = ReadHostFile(std::string(TSL_TEST_DATA_DIR "/") + GetParam());
    EXPECT_FALSE(bytes.empty()) << "sample " << GetParam() << " not built";
    drive_.WriteRaw(GetParam(), bytes);
    return drive_.Path(GetParam());
  }

  std::string String(platform::VersionInfo& info, const std::string& block,
                     const std::string& name) {
    std::string value;
    if (!info.QueryString("\\StringFileInfo\\" + block + "\\" + name, &value)) return "<absent>";
    return value;
  }

  testing_support::TempDrive drive_;
};

TEST_P(VersionResourcesTest, LoadReadsTranslationsInTableOrder) {
  auto info = drive_.Services().versions->Load(PlaceSample());
  ASSERT_NE(info, nullptr);
  auto translations = info->Translations();
  ASSERT_EQ(translations.size(), 2u);
  EXPECT_EQ(translations[0].language, 0x0409);
  EXPECT_EQ(translations[0].code_page, 0x04b0);
  EXPECT_EQ(translations[1].language, 0x0407);
  EXPECT_EQ(translations[1].code_page, 0x04e4);
}

TEST_P(VersionResourcesTest, QueryStringFindsValuesPerTranslation) {
  auto info = drive_.Services().versions->Load(PlaceSample());
  ASSERT_NE(info, nullptr);
  // The first translation has no FileVersion: a service-pack check must go on to the next.
  EXPECT_EQ(String(*info, "040904b0", "FileVersion"), "<absent>");
  EXPECT_EQ(String(*info, "040904b0", "CompanyName"), "Tessaline test data");
  EXPECT_EQ(String(*info, "040904b0", "Comments"), "");
  EXPECT_EQ(String(*info, "040704e4", "FileVersion"), "6.00.8447.0");
  EXPECT_EQ(String(*info, "040704e4", "FileDescription"),
            "Gr\xFC\xDF"
            "e f\xFCr die Pr\xFC"
            "fung");
  EXPECT_EQ(String(*info, "040704e4", "LegalCopyright"), "Copyright \xA9 2026");
  EXPECT_EQ(String(*info, "040704e4", "ProductName"), "<absent>");
  EXPECT_EQ(String(*info, "041104b0", "FileVersion"), "<absent>");
}

TEST_P(VersionResourcesTest, QueryStringMatchesNamesCaseInsensitively) {
  auto info = drive_.Services().versions->Load(PlaceSample());
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(String(*info, "040704E4", "fileversion"), "6.00.8447.0");
}

INSTANTIATE_TEST_SUITE_P(PeFormats, VersionResourcesTest,
                         ::testing::Values("version32.dll", "version64.dll"));

TEST(VersionResources, LoadGivesNothingForMissingFilesAndFilesWithoutResource) {
  testing_support::TempDrive drive;
  drive.WriteRaw("plain.txt", std::string("MZ not really a program\r\n"));
  auto& versions = *drive.Services().versions;
  EXPECT_EQ(versions.Load(drive.Path("missing.dll")), nullptr);
  EXPECT_EQ(versions.Load(drive.Path("plain.txt")), nullptr);
}

}  // namespace
