// The sample MSDN collection and the texts the help step writes into it, for the help tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace msdn_samples {

inline const char kId[] = "{764DA86D-1460-41f1-80BD-2C2F06C0B473}";
inline const char kCollections[] =
    "Software\\Microsoft\\HTML Help Collections\\Developer Collections";
inline const char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline const char kColFile[] = "C:\\MSDN\\1033\\MSDNVS98.COL";
inline const char kRegFile[] = "C:\\windows\\Help\\hhcolreg.dat";

// The sample files under tests/integrate/data/msdn. A Windows build running under wine
// reaches the source tree through drive Z:.
inline std::string SampleFile(const std::string& name) {
  const std::string path = std::string(TSL_SOURCE_DIR) + "/tests/integrate/data/msdn/" + name;
  for (const std::string& candidate : {path, "Z:" + path}) {
    if (FILE* file = std::fopen(candidate.c_str(), "rb")) {
      std::string bytes;
      char chunk[4096];
      std::size_t got;
      while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
      std::fclose(file);
      return bytes;
    }
  }
  ADD_FAILURE() << "sample file missing: " << path;
  return std::string();
}

inline std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

inline int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

// The entry and folder exactly as the step fills them in for install folder C:\Lib\.
inline std::string Entry(const std::string& language = "1033", int number = 1,
                         const std::string& lib = "C:\\Lib\\") {
  return std::string("<DocCompilation>\n\t<DocCompId value=\"") + kId +
         "\"/>\n\t<DocCompLanguage value=" + language +
         "/>\n\t<LocationHistory>\n\t\t<ColNum value=" + std::to_string(number) +
         "/>\n\t\t<TitleLocation value=\"" + lib + "Help\\TSLHelp.chm\"/>\n" +
         "\t\t<IndexLocation value=\"" + lib + "Help\\TSLHelp.chi\"/>\n" +
         "\t\t<LocationRef value=\"\"/>\n\t\t<Version value=1/>\n"
         "\t\t<LastPromptedVersion value=0/>\n\t\t<TitleSampleLocation value=\"\"/>\n"
         "\t\t<TitleQueryLocation value=\"\"/>\n\t\t<SupportsMerge value=0/>\n"
         "\t</LocationHistory>\n</DocCompilation>\n      ";
}

inline std::string Folder(const std::string& language = "1033") {
  return std::string("\t\t<Folder>\n\t\t\t<TitleString value=\"Tessaline\"/>\n") +
         "\t\t\t<FolderOrder value=2/>\n\t\t\t<Folder>\n\t\t\t\t<TitleString value=\"=" + kId +
         "\"/>\n\t\t\t\t<FolderOrder value=1/>\n\t\t\t\t<LangId value=" + language +
         "/>\n\t\t\t</Folder>\n\t\t</Folder>\n      ";
}

inline std::string Replace(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace msdn_samples
