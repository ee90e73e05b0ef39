// Portable: no Win32 here.
#include "integrate/strings.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <vector>

namespace integrate {
namespace {

// Windows-1252 bytes: "\xAE" is the registered sign. Ids that no text uses are absent.
const StringEntry kTable[] = {
    {2, "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++"},
    {3, "Install Dirs"},
    {4, "Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\Platforms\\"
        "Win32 (x86)\\Directories"},
    {5, "Include Dirs"},
    {6, "Library Dirs"},
    {7, "Path Dirs"},
    {8, "Tessaline"},
    {9, "Bin"},
    {10, "MSDEV.EXE"},
    {11, "Please close Microsoft Visual C++ before processing with Tessaline Installation"},
    {12, "\\Template\\"},
    {13, "Unable to locate Microsoft Visual C++ 6.0. Integration terminated."},
    {14, "Unable to locate Microsoft Developer Studio 6.0. Integartion terminated."},
    {15, "Can not copy file from %s to %s. Integration terminated."},
    {16, "Software\\Microsoft\\DevStudio\\6.0\\Directories"},
    {17, "    Copy TSLXAppWizard"},
    {18, "    Setup directories"},
    {19, "Integration completed successfully"},
    {20, "Integration failed"},
    {21, "Close"},
    {22, "    Copy TSLSkinWizard"},
    {23, "Tessaline Library requires Microsoft\xAE VisualStudio\xAE 6.0 Service Pack 3 or "
         "higher.\r\nPlease, install the Service Pack before you use the library.\r\n\r\n"
         "Remark: you can download the Service Pack from the Microsoft\xAE Web site."},
    {24, "You need to select at least one item."},
    {25, "    MSDN Integration"},
    {31, "Unable to locate Tessaline installation."},
    {33, "Please close Microsoft Visual Studio%s before processing with TSLKTPro Integration"},
    {34, "    Setup VS.NET directories"},
    {35, "    Copy TSLXAppWizard for VS.NET"},
    {36, "Integration with Visual C++ 6.0"},
    {37, "Integration with VS.NET"},
    {38, "Integration with VS.NET 2003"},
    {39, "    Copy TSLXAppWizard for VS.NET 2003"},
    {40, "    Setup VS.NET 2003 directories"},
    {41, "Unable to locate Visual Studio.NET version %s. Integartion terminated."},
    {42, "    Integration with VS%s Help"},
    {44, "Integration with VS 2005"},
    {45, "    Copy TSLXAppWizard for VS 2005"},
    // The entry hhcolreg.dat receives: id, language, collection number, title, index.
    {103,
     "<DocCompilation>\n"
     "\t<DocCompId value=\"%s\"/>\n"
     "\t<DocCompLanguage value=%s/>\n"
     "\t<LocationHistory>\n"
     "\t\t<ColNum value=%d/>\n"
     "\t\t<TitleLocation value=\"%s\"/>\n"
     "\t\t<IndexLocation value=\"%s\"/>\n"
     "\t\t<LocationRef value=\"\"/>\n"
     "\t\t<Version value=1/>\n"
     "\t\t<LastPromptedVersion value=0/>\n"
     "\t\t<TitleSampleLocation value=\"\"/>\n"
     "\t\t<TitleQueryLocation value=\"\"/>\n"
     "\t\t<SupportsMerge value=0/>\n"
     "\t</LocationHistory>\n"
     "</DocCompilation>\n"
     "      "},
    // The folder the collection file receives: title, "=" + id, language.
    {104,
     "\t\t<Folder>\n"
     "\t\t\t<TitleString value=\"%s\"/>\n"
     "\t\t\t<FolderOrder value=2/>\n"
     "\t\t\t<Folder>\n"
     "\t\t\t\t<TitleString value=\"=%s\"/>\n"
     "\t\t\t\t<FolderOrder value=1/>\n"
     "\t\t\t\t<LangId value=%s/>\n"
     "\t\t\t</Folder>\n"
     "\t\t</Folder>\n"
     "      "},
    // The first two lines of entry 103: finds an entry an earlier run registered.
    {105,
     "<DocCompilation>\n"
     "\t<DocCompId value=\"%s\"/>\n"},
    {kStrVsNetLibraryNotFound, "Unable to locate Tessaline installation"},
    {kStrNet70NotInstalled, "Unable to locate VS.NET installation"},
    {kStrNet71NotInstalled, "Unable to locate VS.NET 2003 installation"},
    {kStrVs2005NotInstalled, "Unable to locate VS 2005 installation"},
    {kStrVsNetDirectoryNotFound, "Unable to locate VS.NET directory"},
    {kStrVs2005DirectoriesNotImplemented,
     "Setting VS 2005 directories is not implemented yet. Please refer Release Notes how to "
     "update VS 2005 VC++ Directories manually."},
    {kStrVcComponentsNotFound, "Unable to read VS.NET directory registry file"},
    {kStrVcComponentsNotAdded, "Unable to add Tessaline directories to VS.NET"},
    {kStrHelp2Failed, "Unable to integrate help with VS%s. Error: %x, %s"},
    {kStrHelp2Exception, "VS.NET Help integration: Exception occured..."},
};

}  // namespace

const StringEntry* StringTable() { return kTable; }
std::size_t StringTableSize() { return sizeof(kTable) / sizeof(kTable[0]); }

const std::string& LoadText(int id) {
  static const std::map<int, std::string> texts = [] {
    std::map<int, std::string> m;
    for (const StringEntry& e : kTable) m.emplace(e.id, e.text);
    return m;
  }();
  static const std::string empty;
  auto it = texts.find(id);
  return it == texts.end() ? empty : it->second;
}

namespace detail {

std::string FormatRaw(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<std::size_t>(needed));
  }
  va_end(args);
  return out;
}

}  // namespace detail
}  // namespace integrate
