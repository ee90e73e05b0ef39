// The Visual C++ 6.0 project (.dsp) and workspace (.dsw) texts, and the .dsp's link-option edit.
// Portable: no Win32 here.
#include "skinwizard/project/dsp_file.h"

#include <algorithm>

#include "platform/text_mode.h"
#include "platform/windows_path.h"

namespace skinwizard {

namespace {

const char* const kConfigurations[] = {"Win32 Release", "Win32 Debug"};

// The groups of a new project with the extension filters the IDE gives them.
struct Group {
  const char* name;
  const char* filter;
};
const Group kGroups[] = {
    {"Source Files", "cpp;c;cxx;rc;def;r;odl;idl;hpj;bat"},
    {"Header Files", "h;hpp;hxx;hm;inl"},
    {"Resource Files", "ico;cur;bmp;dlg;rc2;rct;bin;rgs;gif;jpg;jpeg;jpe"},
};
const int kResourceGroup = 2;

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Extension(const std::string& path) { return Lower(platform::Extension(path)); }

bool InFilter(const std::string& extension, const std::string& filter) {
  std::size_t start = 0;
  while (start <= filter.size()) {
    std::size_t end = filter.find(';', start);
    if (end == std::string::npos) end = filter.size();
    if (!extension.empty() && filter.compare(start, end - start, extension) == 0) return true;
    start = end + 1;
  }
  return false;
}

// -1 for a file the IDE keeps outside every group.
int GroupOf(const FileListEntry& entry) {
  if (entry.resource) return kResourceGroup;
  std::string extension = Extension(entry.destination);
  for (int i = 0; i < 3; ++i) {
    if (InFilter(extension, kGroups[i].filter)) return i;
  }
  return -1;
}

std::string ConfigName(const std::string& project, const char* configuration) {
  return project + " - " + configuration;
}

std::string ConfigurationBlock(bool debug) {
  const char* dir = debug ? "Debug" : "Release";
  const char* libs = debug ? "1" : "0";
  std::string t;
  t += "# PROP BASE Use_MFC 6\n";
  t += std::string("# PROP BASE Use_Debug_Libraries ") + libs + "\n";
  t += std::string("# PROP BASE Output_Dir \"") + dir + "\"\n";
  t += std::string("# PROP BASE Intermediate_Dir \"") + dir + "\"\n";
  t += "# PROP BASE Target_Dir \"\"\n";
  t += "# PROP Use_MFC 6\n";
  t += std::string("# PROP Use_Debug_Libraries ") + libs + "\n";
  t += std::string("# PROP Output_Dir \"") + dir + "\"\n";
  t += std::string("# PROP Intermediate_Dir \"") + dir + "\"\n";
  t += "# PROP Target_Dir \"\"\n";
  std::string cpp = debug ? "/nologo /MDd /W3 /Gm /GX /ZI /Od /D \"WIN32\" /D \"_DEBUG\""
                          : "/nologo /MD /W3 /GX /O2 /D \"WIN32\" /D \"NDEBUG\"";
  std::string cpp_end = debug ? " /Yu\"stdafx.h\" /FD /GZ /c\n" : " /Yu\"stdafx.h\" /FD /c\n";
  t += "# ADD BASE CPP " + cpp + " /D \"_WINDOWS\" /D \"_WINDLL\" /D \"_AFXDLL\"" + cpp_end;
  t += "# ADD CPP " + cpp + " /D \"_WINDOWS\" /D \"_WINDLL\" /D \"_AFXDLL\" /D \"_USRDLL\"" +
       cpp_end;
  std::string define = debug ? "_DEBUG" : "NDEBUG";
  t += "# ADD BASE MTL /nologo /D \"" + define + "\" /mktyplib203 /win32\n";
  t += "# ADD MTL /nologo /D \"" + define + "\" /mktyplib203 /win32\n";
  t += "# ADD BASE RSC /l 0x409 /d \"" + define + "\" /d \"_AFXDLL\"\n";
  t += "# ADD RSC /l 0x409 /d \"" + define + "\" /d \"_AFXDLL\"\n";
  t += "BSC32=bscmake.exe\n";
  t += "# ADD BASE BSC32 /nologo\n";
  t += "# ADD BSC32 /nologo\n";
  t += "LINK32=link.exe\n";
  std::string link = debug ? "/nologo /subsystem:windows /dll /debug /machine:I386 /pdbtype:sept"
                           : "/nologo /subsystem:windows /dll /machine:I386";
  t += "# ADD BASE LINK32 " + link + "\n";
  t += "# ADD LINK32 " + link + "\n";
  return t;
}

// A project-relative path as the IDE writes it: quoted when it holds a blank.
std::string DotPath(const std::string& relative) {
  std::string path = ".\\" + relative;
  return relative.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string SourceFile(const std::string& project, const FileListEntry& entry) {
  std::string t = "# Begin Source File\n\nSOURCE=" + DotPath(entry.destination) + "\n";
  if (entry.excluded_from_build) {
    t += "\n";
    for (int i = 0; i < 2; ++i) {
      t += std::string(i == 0 ? "!IF" : "!ELSEIF") + "  \"$(CFG)\" == \"" +
           ConfigName(project, kConfigurations[i]) + "\"\n\n# PROP Exclude_From_Build 1\n\n";
    }
    t += "!ENDIF \n\n";
  } else if (Lower(entry.destination) == "stdafx.cpp") {
    // The one file that creates the precompiled header the others use.
    t += "# ADD CPP /Yc\"stdafx.h\"\n";
  }
  t += "# End Source File\n";
  return t;
}

bool LessIgnoringCase(const FileListEntry* a, const FileListEntry* b) {
  return Lower(a->destination) < Lower(b->destination);
}

// Splits a text into lines that keep their line ends.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t lf = text.find('\n', pos);
    std::size_t next = lf == std::string::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(pos, next - pos));
    pos = next;
  }
  return lines;
}

std::string Content(const std::string& line) {
  std::size_t end = line.size();
  while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
  return line.substr(0, end);
}

// The configuration a "!IF  "$(CFG)" == "..."" or "!ELSEIF ..." line opens, or "".
std::string ConfigurationOf(const std::string& content) {
  if (content.compare(0, 3, "!IF") != 0 && content.compare(0, 7, "!ELSEIF") != 0) return "";
  const std::string marker = "\"$(CFG)\" == \"";
  std::size_t at = content.find(marker);
  if (at == std::string::npos) return "";
  std::size_t start = at + marker.size();
  std::size_t end = content.find('"', start);
  if (end == std::string::npos) return "";
  return content.substr(start, end - start);
}

// The project's name from the first line (Name="...").
std::string ProjectNameOf(const std::string& dsp_text) {
  const std::string marker = "Name=\"";
  std::size_t at = dsp_text.find(marker);
  std::size_t line_end = dsp_text.find('\n');
  if (at == std::string::npos || (line_end != std::string::npos && at > line_end)) return "";
  std::size_t start = at + marker.size();
  std::size_t end = dsp_text.find('"', start);
  return end == std::string::npos ? "" : dsp_text.substr(start, end - start);
}

std::string ShortName(const std::string& project, const std::string& full) {
  std::string prefix = project + " - ";
  if (!project.empty() && full.compare(0, prefix.size(), prefix) == 0) {
    return full.substr(prefix.size());
  }
  return full;
}

}  // namespace

std::string BuildDspText(const std::string& project_name,
                         const std::vector<FileListEntry>& entries) {
  const std::string& p = project_name;
  const std::string debug = ConfigName(p, "Win32 Debug");
  std::string t;
  t += "# Microsoft Developer Studio Project File - Name=\"" + p + "\" - Package Owner=<4>\n";
  t += "# Microsoft Developer Studio Generated Build File, Format Version 6.00\n";
  t += "# ** DO NOT EDIT **\n\n";
  t += "# TARGTYPE \"Win32 (x86) Dynamic-Link Library\" 0x0102\n\n";
  t += "CFG=" + debug + "\n";
  t += "!MESSAGE This is not a valid makefile. To build this project using NMAKE,\n";
  t += "!MESSAGE use the Export Makefile command and run\n";
  t += "!MESSAGE \n";
  t += "!MESSAGE NMAKE /f \"" + p + ".mak\".\n";
  t += "!MESSAGE \n";
  t += "!MESSAGE You can specify a configuration when running NMAKE\n";
  t += "!MESSAGE by defining the macro CFG on the command line. For example:\n";
  t += "!MESSAGE \n";
  t += "!MESSAGE NMAKE /f \"" + p + ".mak\" CFG=\"" + debug + "\"\n";
  t += "!MESSAGE \n";
  t += "!MESSAGE Possible choices for configuration are:\n";
  t += "!MESSAGE \n";
  for (const char* configuration : kConfigurations) {
    t += "!MESSAGE \"" + ConfigName(p, configuration) +
         "\" (based on \"Win32 (x86) Dynamic-Link Library\")\n";
  }
  t += "!MESSAGE \n\n";
  t += "# Begin Project\n";
  t += "# PROP AllowPerConfigDependencies 0\n";
  t += "# PROP Scc_ProjName \"\"\n";
  t += "# PROP Scc_LocalPath \"\"\n";
  t += "CPP=cl.exe\nMTL=midl.exe\nRSC=rc.exe\n\n";
  for (int i = 0; i < 2; ++i) {
    t += std::string(i == 0 ? "!IF" : "!ELSEIF") + "  \"$(CFG)\" == \"" +
         ConfigName(p, kConfigurations[i]) + "\"\n\n";
    t += ConfigurationBlock(i == 1) + "\n";
  }
  t += "!ENDIF \n\n";
  t += "# Begin Target\n\n";
  for (const char* configuration : kConfigurations) {
    t += "# Name \"" + ConfigName(p, configuration) + "\"\n";
  }

  std::vector<const FileListEntry*> grouped[3];
  std::vector<const FileListEntry*> loose;
  for (const FileListEntry& entry : entries) {
    if (entry.not_in_project) continue;
    int group = GroupOf(entry);
    (group < 0 ? loose : grouped[group]).push_back(&entry);
  }
  for (int i = 0; i < 3; ++i) {
    std::sort(grouped[i].begin(), grouped[i].end(), LessIgnoringCase);
    t += std::string("# Begin Group \"") + kGroups[i].name + "\"\n\n";
    t += std::string("# PROP Default_Filter \"") + kGroups[i].filter + "\"\n";
    for (const FileListEntry* entry : grouped[i]) t += SourceFile(p, *entry);
    t += "# End Group\n";
  }
  std::sort(loose.begin(), loose.end(), LessIgnoringCase);
  for (const FileListEntry* entry : loose) t += SourceFile(p, *entry);
  t += "# End Target\n";
  t += "# End Project\n";
  return platform::LfToCrLf(t);  // built with LF, turned into CR LF once
}

std::string BuildDswText(const std::string& project_name) {
  const std::string rule =
      "###############################################################################\n\n";
  std::string t;
  t += "Microsoft Developer Studio Workspace File, Format Version 6.00\n";
  t += "# WARNING: DO NOT EDIT OR DELETE THIS WORKSPACE FILE!\n\n";
  t += rule;
  t += "Project: \"" + project_name + "\"=" + DotPath(project_name + ".dsp") +
       " - Package Owner=<4>\n\n";
  t += "Package=<5>\n{{{\n}}}\n\n";
  t += "Package=<4>\n{{{\n}}}\n\n";
  t += rule;
  t += "Global:\n\n";
  t += "Package=<5>\n{{{\n}}}\n\n";
  t += "Package=<3>\n{{{\n}}}\n\n";
  t += rule;
  return platform::LfToCrLf(t);  // built with LF, turned into CR LF once
}

std::vector<std::string> DspConfigurationNames(const std::string& dsp_text) {
  std::string project = ProjectNameOf(dsp_text);
  std::vector<std::string> names;
  for (const std::string& line : SplitLines(dsp_text)) {
    std::string full = ConfigurationOf(Content(line));
    if (full.empty()) continue;
    std::string name = ShortName(project, full);
    // Per-file blocks (Exclude_From_Build) repeat the same tests further down.
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

bool AddDspLinkOption(std::string* dsp_text, const std::string& configuration,
                      const std::string& option, std::string* error) {
  std::string project = ProjectNameOf(*dsp_text);
  std::vector<std::string> lines = SplitLines(*dsp_text);
  bool inside = false;
  for (std::string& line : lines) {
    std::string content = Content(line);
    if (content == "# Begin Target") break;  // the settings part ends here
    std::string full = ConfigurationOf(content);
    if (!full.empty()) {
      inside = ShortName(project, full) == configuration;
      continue;
    }
    if (content.compare(0, 6, "!ENDIF") == 0) inside = false;
    if (!inside || content.compare(0, 13, "# ADD LINK32 ") != 0) continue;
    std::string padded = content + " ";
    if (padded.find(" " + option + " ") == std::string::npos) {
      line = content + " " + option + line.substr(content.size());
    }
    dsp_text->clear();
    for (const std::string& l : lines) *dsp_text += l;
    return true;
  }
  *error = "No \"# ADD LINK32\" line for configuration \"" + configuration + "\"";
  return false;
}

}  // namespace skinwizard
