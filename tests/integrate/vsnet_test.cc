// The Visual Studio .NET family on the doubles: the sequence, the wizard, VCComponents.dat and the
// Help 2 registration.
#include <gtest/gtest.h>

#include "integrate/engine/integration_engine.h"
#include "integrate/strings.h"
#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using integrate::IntegrationEngine;
using platform::RootKey;

const char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Messages(const RecordingHost& host) {
  std::string all;
  for (const ShownMessage& m : host.owner.messages) all += m.text + "\n";
  return all;
}

// A machine of doubles: an IDE is added by InstallIde, the library's wizards, help and a local
// application data folder by InstallLibrary.
struct Machine {
  explicit Machine(const std::string& installDir = "C:\\Lib")
      : engine(&host, installDir, fake.services) {}

  void InstallIde(const std::string& versionString, const std::string& ideDir) {
    fake.registry.Set(RootKey::kLocalMachine, "Software\\Microsoft\\VisualStudio\\" + versionString,
                      "InstallDir", ideDir + "\\");
    fake.files.AddFolder(ideDir);
  }
  void InstallLibrary() {
    for (const char* folder : {"TSLAppWizard7\\TSLAppWizard", "TSLAppWizard7\\vcprojects",
                               "TSLAppWizard2005\\TSLAppWizard", "TSLAppWizard2005\\vcprojects"}) {
      fake.files.AddFolder(std::string("C:\\Lib\\") + folder);
    }
    fake.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "chm");
    fake.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "chi");
    fake.registry.Set(RootKey::kCurrentUser, kShellFolders, "Local AppData", "C:\\Users\\u\\Local");
  }
  static std::string VcComponents(const std::string& versionString) {
    return "C:\\Users\\u\\Local\\Microsoft\\VisualStudio\\" + versionString + "\\VCComponents.dat";
  }

  FakePlatform fake;
  RecordingHost host;
  IntegrationEngine engine;
};

class VsNetTest : public ::testing::Test, public Machine {};

// --- The sequence -----------------------------------------------------------------------------

TEST_F(VsNetTest, SequenceStopsWhereItMust) {
  struct Case {
    const char* name;
    int version;
    std::function<void(Machine&)> arrange;
    bool result;
    std::string messages;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"library folder empty", 71, nullptr, false, "Unable to locate Tessaline installation\n", {}},
      {"7.1 missing while 7.0 is there",
       71,
       [](Machine& t) { t.InstallIde("7.0", "C:\\VS7\\Common7\\IDE"); },
       false,
       "Unable to locate VS.NET 2003 installation\n",
       {}},
      {"8.0 missing", 80, [](Machine&) {}, false, "Unable to locate VS 2005 installation\n", {}},
      {"IDE running, OK then Cancel",
       80,
       [](Machine& t) {
         t.InstallIde("8.0", "C:\\VS8\\Common7\\IDE");
         t.fake.processes.names = {"C:\\VS8\\Common7\\IDE\\devenv.exe"};
         t.host.owner.answers = {integrate::kIdOk, integrate::kIdCancel};
       },
       false,
       "Please close Microsoft Visual Studio 2005 before processing with "
       "TSLKTPro Integration\n"
       "Please close Microsoft Visual Studio 2005 before processing with "
       "TSLKTPro Integration\n",
       {}},
      {"wizard copy cancelled",
       71,
       [](Machine& t) {
         t.InstallIde("7.1", "C:\\VS\\Common7\\IDE");
         t.fake.shell.failingTargets.insert("C:\\VS\\Vc7\\VCWizards\\TSLAppWizard");
       },
       false,
       "Can not copy file from C:\\Lib\\TSLAppWizard7\\TSLAppWizard to "
       "C:\\VS\\Vc7\\VCWizards\\TSLAppWizard. Integration terminated.\n",
       {"    Copy TSLXAppWizard for VS.NET 2003"}},
      {"8.0 directories: a message, no line",
       80,
       [](Machine& t) { t.InstallIde("8.0", "C:\\VS8\\Common7\\IDE"); },
       true,
       "Setting VS 2005 directories is not implemented yet. Please refer "
       "Release Notes how to "
       "update VS 2005 VC++ Directories manually.\n",
       {"    Copy TSLXAppWizard for VS 2005", "    Integration with VS 2005 Help"}},
      {"7.0 without VCComponents.dat: both messages, the run goes on",
       70,
       [](Machine& t) { t.InstallIde("7.0", "C:\\VS7\\Common7\\IDE"); },
       true,
       "Unable to read VS.NET directory registry file\n"
       "Unable to add Tessaline directories to VS.NET\n",
       {"    Copy TSLXAppWizard for VS.NET", "    Setup VS.NET directories",
        "    Integration with VS.NET Help"}},
      {"help files incomplete, wizard sources missing: both skipped silently",
       70,
       [](Machine& t) {
         t.InstallIde("7.0", "C:\\VS7\\Common7\\IDE");
         t.fake.files.Put(t.VcComponents("7.0"), "Include Dirs=\nLibrary Dirs=\n");
         t.fake.files.Remove("C:\\Lib\\Help\\TSLHelp.chi");
         t.fake.files.Remove("C:\\Lib\\TSLAppWizard7\\vcprojects");
       },
       true,
       "",
       {"    Setup VS.NET directories"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(c.arrange ? "C:\\Lib" : "");
    if (c.arrange) {
      m.InstallLibrary();
      c.arrange(m);
    }
    EXPECT_EQ(m.engine.IntegrateVsNet(true, c.version, true, true), c.result);
    EXPECT_EQ(Messages(m.host), c.messages);
    EXPECT_EQ(m.host.lines, c.lines);
  }
}

TEST_F(VsNetTest, NothingChosenTouchesNothing) {
  InstallIde("7.1", "C:\\VS\\Common7\\IDE");
  fake.processes.names = {"DEVENV.EXE"};
  EXPECT_TRUE(engine.IntegrateVsNet(false, 71, false, false));
  EXPECT_TRUE(fake.registry.calls.empty());
  EXPECT_EQ(fake.processes.enumerations, 0);
  EXPECT_TRUE(host.owner.messages.empty());
}

// --- The wizard -------------------------------------------------------------------------------

TEST_F(VsNetTest, WizardTargetsPerVersion) {
  struct Case {
    int version;
    const char* versionString;
    const char* source;
    std::vector<std::string> copies;
  };
  const Case cases[] = {
      {70,
       "7.0",
       "TSLAppWizard7",
       {"C:\\Lib\\TSLAppWizard7\\TSLAppWizard -> "
        "C:\\VS\\Vc7\\VCWizards\\TSLAppWizard",
        "C:\\Lib\\TSLAppWizard7\\vcprojects -> C:\\VS\\Vc7"}},
      {80,
       "8.0",
       "TSLAppWizard2005",
       {"C:\\Lib\\TSLAppWizard2005\\TSLAppWizard -> "
        "C:\\VS\\Vc\\VCWizards\\AppWiz\\TSLAppWizard",
        "C:\\Lib\\TSLAppWizard2005\\vcprojects -> C:\\VS\\Vc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    fake.shell.calls.clear();
    InstallIde(c.versionString, "C:\\VS\\Common7\\IDE");
    const std::string lib = std::string("C:\\Lib\\") + c.source;
    EXPECT_TRUE(engine.InstallVsNetWizard(c.version, c.versionString, lib + "\\TSLAppWizard",
                                          lib + "\\vcprojects"));
    EXPECT_EQ(fake.shell.calls, c.copies);
  }
  // Over an earlier installation the wizard folder's contents are merged in; the projects folder is
  // never merged, so the IDE's own "vcprojects" receives the files.
  fake.shell.calls.clear();
  fake.files.AddFolder("C:\\VS\\Vc7\\VCWizards\\TSLAppWizard");
  EXPECT_TRUE(engine.InstallVsNetWizard(70, "7.0", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(fake.shell.calls,
            (std::vector<std::string>{"C:\\L\\W\\*.* -> C:\\VS\\Vc7\\VCWizards\\TSLAppWizard",
                                      "C:\\L\\P -> C:\\VS\\Vc7"}));
  EXPECT_TRUE(host.owner.messages.empty());
}

TEST_F(VsNetTest, WizardPutsThe2003VariantsInPlaceFor71Only) {
  const std::string wizard = "C:\\VS\\Vc7\\VCWizards\\TSLAppWizard\\Scripts\\1033\\";
  const std::string projects = "C:\\VS\\Vc7\\vcprojects\\";
  auto lay = [&] {  // what the two folder copies leave
    fake.files.Put(wizard + "default.js", "7.0 script");
    fake.files.Put(wizard + "default-2003.js", "7.1 script");
    fake.files.Put(projects + "TSLAppWizard.vsz", "7.0 launch");
    fake.files.Put(projects + "TSLAppWizard-2003.vsz", "7.1 launch");
  };
  lay();
  InstallIde("7.0", "C:\\VS\\Common7\\IDE");
  InstallIde("7.1", "C:\\VS\\Common7\\IDE");
  EXPECT_TRUE(engine.InstallVsNetWizard(70, "7.0", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(*fake.files.Get(wizard + "default.js"), "7.0 script");
  EXPECT_EQ(*fake.files.Get(projects + "TSLAppWizard.vsz"), "7.0 launch");

  EXPECT_TRUE(engine.InstallVsNetWizard(71, "7.1", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(*fake.files.Get(wizard + "default.js"), "7.1 script");
  EXPECT_EQ(*fake.files.Get(projects + "TSLAppWizard.vsz"), "7.1 launch");
  EXPECT_EQ(*fake.files.Get(wizard + "default-2003.js"), "7.1 script");

  // Copies placed read-only (a library on read-only media) still take the variants.
  lay();
  fake.files.SetReadOnly(wizard + "default.js", true);
  fake.files.SetReadOnly(projects + "TSLAppWizard.vsz", true);
  EXPECT_TRUE(engine.InstallVsNetWizard(71, "7.1", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(*fake.files.Get(wizard + "default.js"), "7.1 script");
  EXPECT_EQ(*fake.files.Get(projects + "TSLAppWizard.vsz"), "7.1 launch");

  // A missing variant stops nothing; a write that fails stops the step with message 15, the
  // 7.0 file whole.
  lay();
  fake.files.Remove(wizard + "default-2003.js");
  fake.files.FailWritesTo(projects + "TSLAppWizard.vsz");
  EXPECT_FALSE(engine.InstallVsNetWizard(71, "7.1", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(*fake.files.Get(wizard + "default.js"), "7.0 script");
  EXPECT_EQ(*fake.files.Get(projects + "TSLAppWizard.vsz"), "7.0 launch");
  EXPECT_EQ(Messages(host), "Can not copy file from " + projects + "TSLAppWizard-2003.vsz to " +
                                projects + "TSLAppWizard.vsz. Integration terminated.\n");
}

TEST_F(VsNetTest, WizardRefusesAnIdeFolderItCannotPlaceBeside) {
  // The registry names no Common7\IDE folder: the targets would be the IDE folder itself.
  InstallIde("7.1", "C:\\VS\\Bin");
  EXPECT_FALSE(engine.InstallVsNetWizard(71, "7.1", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(Messages(host), "Unable to locate VS.NET directory\n");
  EXPECT_TRUE(fake.shell.calls.empty());

  // No registry entry: message 41, then the same.
  host.owner.messages.clear();
  EXPECT_FALSE(engine.InstallVsNetWizard(70, "7.0", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(Messages(host),
            "Unable to locate Visual Studio.NET version 7.0. "
            "Integartion terminated.\n"
            "Unable to locate VS.NET directory\n");

  // The projects copy failing names its own source and target.
  host.owner.messages.clear();
  InstallIde("8.0", "C:\\VS\\Common7\\IDE");
  fake.shell.failingTargets.insert("C:\\VS\\Vc");
  EXPECT_FALSE(engine.InstallVsNetWizard(80, "8.0", "C:\\L\\W", "C:\\L\\P"));
  EXPECT_EQ(Messages(host),
            "Can not copy file from C:\\L\\P to C:\\VS\\Vc. "
            "Integration terminated.\n");
}

// --- VCComponents.dat -------------------------------------------------------------------------

TEST_F(VsNetTest, VcComponentsMergeRules) {
  const std::string inc = "C:\\Lib\\Tessaline;";
  struct Case {
    const char* name;
    int version;
    std::string before;
    bool result;
    std::string after;  // empty: the file is not rewritten
  };
  const Case cases[] = {
      {"separator added only where missing", 70, "Include Dirs=a;\nLibrary Dirs=b", true,
       "Include Dirs=a;" + inc + "\r\nLibrary Dirs=b;C:\\Lib\\bin7;\r\n"},
      {"only the first lines grow; presence counts anywhere, case-sensitively", 71,
       "[Win32]\r\nInclude Dirs=x\r\nLibrary "
       "Dirs=C:\\LIB\\BIN71;\r\n[Other]\r\n"
       "Include Dirs=y\r\nLibrary Dirs=C:\\Lib\\bin71;\r\nSource Dirs=" +
           inc + "\r\n",
       true,
       "[Win32]\r\nInclude Dirs=x\r\nLibrary "
       "Dirs=C:\\LIB\\BIN71;\r\n[Other]\r\n"
       "Include Dirs=y\r\nLibrary Dirs=C:\\Lib\\bin71;\r\nSource Dirs=" +
           inc + "\r\n"},
      {"last element without ';' is present", 71,
       "Include Dirs=a;C:\\Lib\\Tessaline\r\nLibrary Dirs=C:\\Lib\\bin71\r\n", true,
       "Include Dirs=a;C:\\Lib\\Tessaline\r\nLibrary Dirs=C:\\Lib\\bin71\r\n"},
      {"a longer folder ending in ours is not ours; an empty list gets a ';' too", 80,
       "Include Dirs=C:\\Old\\Lib\\Tessaline\r\nLibrary Dirs=\r\n", true,
       "Include Dirs=C:\\Old\\Lib\\Tessaline;" + inc + "\r\nLibrary Dirs=;C:\\Lib\\bin;\r\n"},
      {"no Library Dirs: nothing written", 71, "Include Dirs=a\r\n", false, ""},
      {"no Include Dirs", 71, "Library Dirs=a\r\n", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "C:\\u\\VCComponents.dat";
    fake.files.Put(path, c.before);
    EXPECT_EQ(engine.AddVcComponentsDirectories(path, c.version), c.result);
    EXPECT_EQ(*fake.files.Get(path), c.after.empty() ? c.before : c.after);
    // A second run changes nothing more.
    if (c.result) {
      EXPECT_TRUE(engine.AddVcComponentsDirectories(path, c.version));
      EXPECT_EQ(*fake.files.Get(path), c.after);
    }
  }
  EXPECT_FALSE(engine.AddVcComponentsDirectories("", 71));
  EXPECT_FALSE(engine.AddVcComponentsDirectories("C:\\missing.dat", 71));

  // A failing write leaves the old file whole.
  const std::string path = "C:\\u\\VCComponents.dat";
  fake.files.Put(path, "Include Dirs=a\r\nLibrary Dirs=b\r\n");
  fake.files.FailWritesTo(path);
  EXPECT_FALSE(engine.AddVcComponentsDirectories(path, 71));
  EXPECT_EQ(*fake.files.Get(path), "Include Dirs=a\r\nLibrary Dirs=b\r\n");
}

// --- Help 2 -----------------------------------------------------------------------------------

const std::vector<std::string> kFirstTransaction = {
    "create()",
    "CreateTransaction(\"\")",
    "GetRegistrationObject(0)",
    "RegisterNamespace(\"Quorvane.TessalineSE\", "
    "\"C:\\Lib\\Help\\col_tslktse.hxc\", "
    "\"Tessaline Library Standard Edition\")",
    "RegisterHelpFile(\"Quorvane.TessalineSE\", \"Quorvane.TessalineSE\", "
    "1033, "
    "\"C:\\Lib\\Help\\Quorvane.TessalineSE.hxs\")",
    "CommitTransaction()",
    "CreateTransaction(\"\")",
    "GetRegistrationObject(2)",
};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(VsNetTest, HelpCallSequencePerVersion) {
  const std::pair<int, const char*> parents[] = {
      {70, "MS.VSCC"}, {71, "MS.VSCC.2003"}, {80, "MS.VSCC.v80"}};
  for (const auto& [version, parent] : parents) {
    SCOPED_TRACE(version);
    fake.help2.calls.clear();
    EXPECT_TRUE(engine.RegisterVsNetHelp(version));
    EXPECT_EQ(fake.help2.calls,
              Join(kFirstTransaction, {std::string("RegisterHelpPlugIn(\"") + parent +
                                           "\", \"_DEFAULT\", \"Quorvane.TessalineSE\", "
                                           "\"_DEFAULT\", \"\", 0)",
                                       "CommitTransaction()", "release plugin", "release register",
                                       "release session"}));
  }
  // Another version opens and commits both transactions and plugs nothing in.
  fake.help2.calls.clear();
  EXPECT_TRUE(engine.RegisterVsNetHelp(90));
  EXPECT_EQ(fake.help2.calls, Join(kFirstTransaction, {"CommitTransaction()", "release plugin",
                                                       "release register", "release session"}));
  EXPECT_TRUE(host.owner.messages.empty());
}

TEST_F(VsNetTest, HelpFailuresShowOneMessageAndReleaseEverything) {
  struct Case {
    const char* name;
    std::string failCall;
    std::int32_t code;
    const char* description;  // nullptr: none
    std::set<std::string> lacking;
    std::string message;
    std::vector<std::string> tail;  // the calls after the first transaction's commit
  };
  const Case cases[] = {
      {"plug-in rejected with a description",
       "RegisterHelpPlugIn",
       static_cast<std::int32_t>(0x80070005),
       "Access is denied.",
       {},
       "Unable to integrate help with VS.NET 2003. Error: 80070005, Access is "
       "denied.",
       {"CreateTransaction(\"\")", "GetRegistrationObject(2)",
        "RegisterHelpPlugIn(\"MS.VSCC.2003\", \"_DEFAULT\", "
        "\"Quorvane.TessalineSE\", "
        "\"_DEFAULT\", \"\", 0)",
        "release plugin", "release register", "release session"}},
      {"plug-in interface missing",
       "",
       0,
       nullptr,
       {"plugin"},
       "Unable to integrate help with VS.NET 2003. Error: 80004003, (null)",
       {"CreateTransaction(\"\")", "GetRegistrationObject(2)", "release register",
        "release session"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake.help2.calls.clear();
    host.owner.messages.clear();
    fake.help2.failCall = c.failCall;
    fake.help2.failure.code = c.code;
    fake.help2.failure.has_description = c.description != nullptr;
    fake.help2.failure.description = c.description ? c.description : "";
    fake.help2.lacking = c.lacking;
    EXPECT_FALSE(engine.RegisterVsNetHelp(71));
    EXPECT_EQ(Messages(host), c.message + "\n");
    // The first transaction stays committed.
    std::vector<std::string> expected(kFirstTransaction.begin(), kFirstTransaction.end() - 2);
    EXPECT_EQ(fake.help2.calls, Join(expected, c.tail));
  }

  // No registration service: the creation's status, no description, nothing called.
  fake.help2.calls.clear();
  host.owner.messages.clear();
  fake.help2.failCall = "create";
  fake.help2.failure = {static_cast<std::int32_t>(0x80040154), false, ""};
  EXPECT_FALSE(engine.RegisterVsNetHelp(70));
  EXPECT_EQ(Messages(host), "Unable to integrate help with VS.NET. Error: 80040154, (null)\n");
  EXPECT_EQ(fake.help2.calls, std::vector<std::string>{"create()"});

  // A session without its interface fails on the first call through it.
  host.owner.messages.clear();
  fake.help2.failCall.clear();
  fake.help2.lacking = {"session"};
  EXPECT_FALSE(engine.RegisterVsNetHelp(80));
  EXPECT_EQ(Messages(host), "Unable to integrate help with VS 2005. Error: 80004003, (null)\n");

  // No service at all is a failure of another kind.
  host.owner.messages.clear();
  fake.services.help2.reset();
  EXPECT_FALSE(engine.RegisterVsNetHelp(71));
  EXPECT_EQ(Messages(host), "VS.NET Help integration: Exception occured...\n");
}

// --- The Help 2 step handed to the Windows build ----------------------------------------------

// The Windows build as a script: what it is run with, and what it answers.
class ScriptedHandOver : public platform::Help2HandOver {
 public:
  bool registered = true;
  bool runs = true;
  std::string error;
  platform::HandOverOutput output;
  std::vector<std::vector<std::string>> runsWith;

  bool ServiceRegistered() override { return registered; }
  bool Run(const std::vector<std::string>& args, platform::HandOverOutput* out,
           std::string* reason) override {
    runsWith.push_back(args);
    *out = output;
    *reason = error;
    return runs;
  }
};

TEST_F(VsNetTest, HandedOverHelpShowsTheWindowsBuildsStepAsItsOwn) {
  const std::string face = "Tessaline Integration Wizard\r\n  [x] Integrate Tessaline Help\r\n\r\n";
  const std::string ok71 =
      "\xE2\x9C\x93 Integration with VS.NET 2003\r\n"
      "\xE2\x9C\x93     Integration with VS.NET 2003 Help\r\n";
  struct Case {
    const char* name;
    bool runs;
    int exitStatus;
    std::string out, err;
    bool result;
    std::vector<std::string> lines;  // after the step's own line
    std::string messages;
  };
  const Case cases[] = {
      {"registered",
       true,
       0,
       face + ok71 + "\xE2\x9C\x93 Integration completed successfully\r\n",
       "",
       true,
       {},
       ""},
      {"the service's message, Wine's note before it left out, two lines kept together",
       true,
       0,
       face + ok71 + "\xE2\x9C\x93 Integration completed successfully\r\n",
       "wine: configuration in '/p' has been updated.\r\n"
       "tslkt-integrate: Unable to integrate help with VS.NET 2003. Error: 80070005, Zugriff "
       "verweigert \xC3\xBC\r\nbeim Server.\r\n",
       false,
       {},
       "Unable to integrate help with VS.NET 2003. Error: 80070005, Zugriff "
       "verweigert \xFC\nbeim Server.\n"},
      {"plain marks, a further step line crossed",
       true,
       1,
       "[ok] Integration with VS.NET 2003\n[ok]     Integration with VS.NET 2003 Help\n"
       "[failed]     Something else\n[failed] Integration failed\n",
       "",
       false,
       {"x     Something else"},
       "The Windows build could not carry out the VS.NET 2003 Help step: it ended with exit "
       "status 1\n"},
      {"not started",
       false,
       0,
       "",
       "",
       false,
       {},
       "The Windows build could not carry out the VS.NET 2003 Help step: cannot start wine\n"},
  };
  auto handOver = std::make_unique<ScriptedHandOver>();
  ScriptedHandOver& script = *handOver;
  fake.services.help2_handover = std::move(handOver);
  script.output.program = "tslkt-integrate";
  script.error = "cannot start wine";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.lines.clear();
    host.owner.messages.clear();
    script.runs = c.runs;
    script.output.exit_status = c.exitStatus;
    script.output.out = c.out;
    script.output.err = c.err;
    EXPECT_EQ(engine.RegisterVsNetHelp(71), c.result);
    EXPECT_EQ(host.lines, c.lines);
    EXPECT_EQ(Messages(host), c.messages);
  }
  // Only that version's help, unasked and without a journal of its own; a removal says so.
  EXPECT_EQ(script.runsWith.back(),
            (std::vector<std::string>{"-p:C:\\Lib", "--ide", "net71", "--items", "help", "--yes",
                                      "--no-journal"}));
  script.runs = true;
  script.output = {0, "tslkt-integrate", "", ""};
  EXPECT_TRUE(engine.HandOverVsNetHelp(80, integrate::Help2Step::kRemove));
  EXPECT_EQ(script.runsWith.back(),
            (std::vector<std::string>{"-p:C:\\Lib", "--ide", "vs2005", "--items", "help", "--yes",
                                      "--no-journal", "--remove"}));
  // Without the service in the prefix the step stays here, as before.
  script.registered = false;
  script.runsWith.clear();
  fake.help2.calls.clear();
  EXPECT_TRUE(engine.RegisterVsNetHelp(71));
  EXPECT_TRUE(script.runsWith.empty());
  EXPECT_FALSE(fake.help2.calls.empty());
}

}  // namespace
}  // namespace integrate_test
