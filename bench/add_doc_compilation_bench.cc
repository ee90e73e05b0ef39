// Times AddDocCompilation on a large hhcolreg.dat against `cp` of the same file, plain, then
// flushed, then also renamed over an existing file as the edit's atomic replacement is.
//
// A machine with every title of several MSDN releases registered has a collection
// registry file of tens of megabytes; the edit reads it whole, replaces our earlier entry
// (which sits in the middle) and writes it back atomically. It should cost about what
// copying the file costs, and grow linearly with the file.
//
// Usage: add_doc_compilation_bench [entries] [repetitions]
//   entries      entries of the smaller file (default 20000, about 20 MB); the larger one
//                has ten times as many
//   repetitions  timed runs per measurement; the median is reported (default 5)
//
// Natively only: the files live in a temporary folder reached through drive Z: of a
// scratch Wine prefix, so `cp` and the edit work on the same bytes on the same disk.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "integrate/engine/integration_engine.h"
#include "integrate/strings.h"
#include "platform/platform.h"

namespace {

const char kId[] = "{764DA86D-1460-41f1-80BD-2C2F06C0B473}";

// The engine needs a dialog; the edit shows nothing, so this one only counts.
class SilentHost : public integrate::EngineHost {
 public:
  int messages = 0;
  void AddLine(int) override {}
  void InsertLine(const std::string&, bool) override {}
  int ShowMessage(const std::string&, unsigned) override {
    ++messages;
    return integrate::kIdOk;
  }
  bool ShowServicePackWarning() override { return true; }
};

void Die(const std::string& message) {
  std::fprintf(stderr, "add_doc_compilation_bench: %s\n", message.c_str());
  std::exit(1);
}

void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out.flush()) Die("cannot write " + path);
}

// A hhcolreg.dat as the help system writes it (CR LF, tab-indented), with `entries`
// titles of about 1000 bytes each and an entry of ours from an earlier run in the middle.
std::string MakeRegistryFile(int entries) {
  const std::string msdn =
      "C:\\Program Files\\Microsoft Visual Studio\\MSDN98\\98VS\\1033\\Reference Library\\"
      "Platform SDK and DDK Documentation\\";
  std::string text =
      "<XML>\r\n<HTMLHelpDocInfo>\r\n\t<NextCollectionId value=2/>\r\n\t<Collections>\r\n"
      "\t\t<Collection>\r\n\t\t\t<ColNum value=1/>\r\n\t\t\t<ColName value=\"" +
      msdn + "MSDNVS98.COL\"/>\r\n\t\t</Collection>\r\n\t</Collections>\r\n\t<DocCompilations>\r\n";
  text.reserve(static_cast<std::size_t>(entries) * 1024 + 4096);
  const std::string ours = integrate::FormatText(103, kId, "1033", 1, "C:\\Old\\Help\\TSLHelp.chm",
                                                 "C:\\Old\\Help\\TSLHelp.chi");
  for (int i = 0; i < entries; ++i) {
    if (i == entries / 2) {
      for (char c : ours) {
        if (c == '\n') text += '\r';
        text += c;
      }
      text += "\r\n";
    }
    const std::string stem = "title" + std::to_string(i);
    text += "\t\t<DocCompilation>\r\n\t\t\t<DocCompId value=\"" + stem +
            "\"/>\r\n\t\t\t<DocCompLanguage value=1033/>\r\n\t\t\t<LocationHistory>\r\n"
            "\t\t\t\t<ColNum value=1/>\r\n\t\t\t\t<TitleLocation value=\"" +
            msdn + "Titles\\" + stem + ".chm\"/>\r\n\t\t\t\t<IndexLocation value=\"" + msdn +
            "Titles\\" + stem + ".chi\"/>\r\n\t\t\t\t<QueryLocation value=\"" + msdn + "Queries\\" +
            stem +
            ".chq\"/>\r\n\t\t\t\t<LocationRef value=\"MSDNVS6a\"/>\r\n"
            "\t\t\t\t<Version value=29884416/>\r\n\t\t\t\t<LastPromptedVersion value=0/>\r\n"
            "\t\t\t\t<TitleSampleLocation value=\"" +
            msdn + "Samples\\" + stem +
            "\"/>\r\n\t\t\t\t<TitleQueryLocation value=\"\"/>\r\n"
            "\t\t\t\t<SupportsMerge value=0/>\r\n\t\t\t</LocationHistory>\r\n"
            "\t\t</DocCompilation>\r\n";
  }
  text += "\t</DocCompilations>\r\n</HTMLHelpDocInfo>\r\n</XML>\r\n";
  return text;
}

double Seconds(const std::function<void()>& run) {
  auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) Die("failed: " + command);
}

struct Figures {
  double megabytes;
  double cp;
  double cpSync;
  double cpReplace;
  double edit;
};

Figures Measure(integrate::IntegrationEngine& engine, const std::string& dir, int entries,
                int repetitions) {
  const std::string original = dir + "/original.dat";
  const std::string target = dir + "/hhcolreg.dat";
  const std::string copy = dir + "/copy.dat";
  WriteHostFile(original, MakeRegistryFile(entries));
  struct stat st;
  stat(original.c_str(), &st);
  const std::string entry =
      integrate::FormatText(integrate::kStrDocCompilationEntry, kId, "1033", 1,
                            "C:\\Lib\\Help\\TSLHelp.chm", "C:\\Lib\\Help\\TSLHelp.chi");
  const std::string windowsTarget = "Z:" + target;  // Z: is the host's root
  std::vector<double> cp, cpSync, cpReplace, edit;
  // Warm the page cache so every run starts alike.
  Run("cat '" + original + "' > /dev/null");
  for (int i = 0; i < repetitions; ++i) {
    unlink(copy.c_str());
    cp.push_back(Seconds([&] { Run("cp '" + original + "' '" + copy + "'"); }));
    unlink(copy.c_str());
    // The edit makes its file durable before the rename; this is cp held to the same rule.
    cpSync.push_back(
        Seconds([&] { Run("cp '" + original + "' '" + copy + "' && sync '" + copy + "'"); }));
    // The whole rule: a flushed copy renamed over an existing file, whose pages and blocks
    // the rename frees, as the edit's rename does.
    Run("cp '" + original + "' '" + target + "'");
    cpReplace.push_back(Seconds([&] {
      Run("cp '" + original + "' '" + copy + "' && sync '" + copy + "' && mv '" + copy + "' '" +
          target + "'");
    }));
    Run("cp '" + original + "' '" + target + "'");
    bool written = false;
    bool ok = false;
    edit.push_back(
        Seconds([&] { ok = engine.AddDocCompilation(windowsTarget, entry, kId, &written); }));
    if (!ok) Die("AddDocCompilation failed on " + target);
  }
  // The earlier entry is replaced, not doubled.
  std::ifstream in(target, std::ios::binary);
  std::string result((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t first = result.find(kId);
  if (first == std::string::npos || result.find(kId, first + 1) != std::string::npos ||
      result.find("C:\\Old\\") != std::string::npos) {
    Die("the result does not hold exactly one current entry");
  }
  unlink(original.c_str());
  unlink(target.c_str());
  unlink(copy.c_str());
  return {static_cast<double>(st.st_size) / 1e6, Median(cp), Median(cpSync), Median(cpReplace),
          Median(edit)};
}

}  // namespace

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
  if (entries < 2 || repetitions < 1) {
    Die("usage: add_doc_compilation_bench [entries] [repetitions]");
  }

  // A scratch prefix whose drive Z: is the host's root, so the edit reaches the same files.
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tsl-bench-XXXXXX";
  if (!mkdtemp(dir.data())) Die("cannot create " + dir);
  Run("mkdir -p '" + dir + "/prefix/dosdevices' '" + dir + "/prefix/drive_c/windows/system32'");
  Run("ln -s ../drive_c '" + dir + "/prefix/dosdevices/c:' && ln -s / '" + dir +
      "/prefix/dosdevices/z:'");
  WriteHostFile(dir + "/prefix/system.reg",
                "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n");
  WriteHostFile(dir + "/prefix/user.reg",
                "WINE REGISTRY Version 2\n;; All keys relative to "
                "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n");
  platform::Platform services;
  std::string error;
  platform::PlatformOptions options;
  options.wine_prefix = dir + "/prefix";
  if (!platform::CreatePlatform(options, &services, &error)) Die(error);
  SilentHost host;
  integrate::IntegrationEngine engine(&host, "C:\\Lib", services);

  const Figures small = Measure(engine, dir, entries, repetitions);
  const Figures large = Measure(engine, dir, entries * 10, repetitions);
  Run("rm -rf '" + dir + "'");

  std::printf("%-8s %10s %10s %14s %14s %10s %10s %12s %12s\n", "size", "MB", "cp s", "cp+sync s",
              "+mv over s", "edit s", "edit/cp", "edit/cp+sync", "edit/+mv");
  for (const auto& [name, f] : {std::make_pair("1x", small), std::make_pair("10x", large)}) {
    std::printf("%-8s %10.1f %10.4f %14.4f %14.4f %10.4f %10.2f %12.2f %12.2f\n", name, f.megabytes,
                f.cp, f.cpSync, f.cpReplace, f.edit, f.edit / f.cp, f.edit / f.cpSync,
                f.edit / f.cpReplace);
  }
  std::printf("10x size takes %.2fx the time of 1x (edit)\n", large.edit / small.edit);
  return host.messages == 0 ? 0 : 1;
}
