// Times the Wine-prefix registry on a big system.reg: load, change one string value and
// save, against `cp` of the same file, against the same bytes written under our rule (flushed,
// then renamed over an existing file) and against the same change made by `wine reg add`;
// and the peak memory of the load and save against the file's size.
//
// Usage: registry_bench [BASE_PREFIX [MEGABYTES]]
//   BASE_PREFIX  a prefix made by scripts/make-prefix.sh (made when missing); default
//                $TSL_TEST_PREFIX or <build>/wineprefix
//   MEGABYTES    size the copy's system.reg is grown to by repeating its keys; default 20
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/wine/wine_registry.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kValue[] = "CommonFilesDir";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Quote(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// One run of a program: wall time, CPU time and peak memory from its rusage, its output.
struct Run {
  double wall_ms = 0, cpu_ms = 0;
  long max_rss_kb = 0;
  int status = -1;
  std::string output;
};

Run Spawn(const std::vector<std::string>& argv) {
  Run run;
  int fds[2];
  if (::pipe(fds) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Clock::time_point start = Clock::now();
  pid_t pid;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    return run;
  }
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) run.output.append(buf, n);
  ::close(fds[0]);
  struct rusage ru;
  ::wait4(pid, &run.status, 0, &ru);
  run.wall_ms = Ms(Clock::now() - start);
  run.cpu_ms = ru.ru_utime.tv_sec * 1e3 + ru.ru_utime.tv_usec / 1e3 + ru.ru_stime.tv_sec * 1e3 +
               ru.ru_stime.tv_usec / 1e3;
  run.max_rss_kb = ru.ru_maxrss;
  return run;
}

Run Shell(const std::string& command) { return Spawn({"/bin/sh", "-c", command}); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Peak resident memory of this process (the high-water mark of its own address space,
// which exec starts afresh), in KB.
long PeakRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

// The child: opens the registry of a prefix (which loads system.reg), changes one value,
// which saves the file; prints the time each took and its peak memory.
int LoadAndSave(const std::string& prefix, const std::string& text) {
  Clock::time_point start = Clock::now();
  std::unique_ptr<platform::Registry> registry = platform::wine::NewWineRegistry(prefix);
  std::string error;
  std::unique_ptr<platform::RegistryKey> key =
      registry->OpenKey(platform::RootKey::kLocalMachine, kKey, platform::KeyAccess::kAll, &error);
  Clock::time_point opened = Clock::now();
  if (!key || !key->SetString(kValue, text, &error)) {
    std::fprintf(stderr, "registry_bench: %s\n", error.c_str());
    return 1;
  }
  Clock::time_point saved = Clock::now();
  std::printf("%.3f %.3f %.3f %ld\n", Ms(saved - start), Ms(opened - start), Ms(saved - opened),
              PeakRssKb());
  return 0;
}

// Grows system.reg by appending copies of its keys under renamed first components.
bool GrowSystemReg(const std::string& path, std::size_t target) {
  std::string text = ReadFile(path);
  std::size_t first = text.find("\n[");
  if (first == std::string::npos) return false;
  std::string body = text.substr(first + 1);
  std::string out = text;
  for (int copy = 1; out.size() < target; ++copy) {
    std::string tag = "\\\\TslBench" + std::to_string(copy) + "\\\\";
    std::size_t pos = 0;
    while (pos < body.size()) {
      std::size_t end = body.find('\n', pos);
      end = end == std::string::npos ? body.size() : end + 1;
      std::string_view line(body.data() + pos, end - pos);
      std::size_t sep = line.find("\\\\");
      if (line[0] == '[' && sep != std::string::npos) {
        out.append(line.substr(0, sep));
        out.append(tag);
        out.append(line.substr(sep + 2));
      } else {
        out.append(line);
      }
      pos = end;
    }
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << out;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--load-save") == 0) return LoadAndSave(argv[2], argv[3]);
  if (argc == 2 && std::strcmp(argv[1], "--idle") == 0) {
    std::printf("0 0 0 %ld\n", PeakRssKb());
    return 0;
  }

  const char* env = std::getenv("TSL_TEST_PREFIX");
  std::string base = argc > 1 ? argv[1] : env && *env ? env : TSL_BINARY_DIR "/wineprefix";
  std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20;
  ::setenv("WINEDEBUG", "-all", 1);
  if (Shell("flock " + Quote(base + ".lock") + " " +
            Quote(TSL_SOURCE_DIR "/scripts/make-prefix.sh") + " " + Quote(base))
          .status != 0) {
    std::fprintf(stderr, "registry_bench: cannot make the prefix %s\n", base.c_str());
    return 1;
  }
  // Beside the prefix, on its file system, so the copy can hard-link it.
  std::string work = base + "-bench-XXXXXX";
  if (!::mkdtemp(&work[0])) {
    std::fprintf(stderr, "registry_bench: cannot create %s\n", work.c_str());
    return 1;
  }
  std::string prefix = work + "/prefix";
  std::string system_reg = prefix + "/system.reg";
  std::string copy =
      Quote(TSL_SOURCE_DIR "/scripts/copy-prefix.sh") + " " + Quote(base) + " " + Quote(prefix);
  if (Shell(copy).status != 0 || !GrowSystemReg(system_reg, megabytes << 20)) {
    std::fprintf(stderr, "registry_bench: cannot set up %s\n", prefix.c_str());
    return 1;
  }
  std::string self = "/proc/self/exe";
  char exe[4096];
  ssize_t len = ::readlink(self.c_str(), exe, sizeof exe - 1);
  if (len > 0) self.assign(exe, len);
  double file_mb = static_cast<double>(ReadFile(system_reg).size()) / (1 << 20);

  // Interleaved, so a busy machine slows both alike; medians of the runs.
  const int kRuns = 7;
  std::vector<double> cp_wall, cp_cpu, sync_wall, replace_wall, ours_wall, ours_cpu, ours_inside,
      ours_load, ours_save;
  long ours_rss = 0;
  for (int i = 0; i < kRuns; ++i) {
    Run cp = Spawn({"cp", system_reg, work + "/cp.reg"});
    Run sync = Spawn(
        {"dd", "if=" + system_reg, "of=" + work + "/dd.reg", "bs=4M", "conv=fsync", "status=none"});
    // The same rule as ours: a flushed copy renamed over an existing file, whose pages and
    // blocks the rename frees (cp and dd above write to a fresh name). Includes sh and mv.
    std::string old_reg = work + "/old.reg", tmp_reg = work + "/old.reg.tmp";
    Run setup = Spawn({"cp", system_reg, old_reg});
    Run replace =
        Shell("dd if=" + Quote(system_reg) + " of=" + Quote(tmp_reg) +
              " bs=4M conv=fsync status=none && mv " + Quote(tmp_reg) + " " + Quote(old_reg));
    Run ours = Spawn({self, "--load-save", prefix,
                      "C:\\Program Files (x86)\\Common Files " + std::to_string(i)});
    if (cp.status != 0 || sync.status != 0 || setup.status != 0 || replace.status != 0 ||
        ours.status != 0) {
      std::fprintf(stderr, "registry_bench: a run failed\n");
      return 1;
    }
    cp_wall.push_back(cp.wall_ms);
    cp_cpu.push_back(cp.cpu_ms);
    sync_wall.push_back(sync.wall_ms);
    replace_wall.push_back(replace.wall_ms);
    ours_wall.push_back(ours.wall_ms);
    ours_cpu.push_back(ours.cpu_ms);
    double inside = 0, load = 0, save = 0;
    long rss = 0;
    std::sscanf(ours.output.c_str(), "%lf %lf %lf %ld", &inside, &load, &save, &rss);
    ours_inside.push_back(inside);
    ours_load.push_back(load);
    ours_save.push_back(save);
    ours_rss = std::max(ours_rss, rss);
  }
  long idle_rss = 0;
  std::sscanf(Spawn({self, "--idle"}).output.c_str(), "%*f %*f %*f %ld", &idle_rss);

  // The same change by Wine: start its server, which loads the whole registry, change the
  // value and wait until the server has saved the file and exited.
  std::vector<double> wine_wall;
  std::string env_prefix = "WINEPREFIX=" + Quote(prefix) + " ";
  for (int i = 0; i < 2; ++i) {
    Shell(env_prefix + "wineserver -k 2>/dev/null; " + env_prefix + "wineserver -w");
    Run wine = Shell(env_prefix + "wine reg add " + Quote(std::string("HKLM\\") + kKey) + " /v " +
                     kValue + " /d " + Quote("C:\\Wine " + std::to_string(i)) +
                     " /reg:32 /f >/dev/null 2>&1 && " + env_prefix + "wineserver -w");
    if (wine.status != 0) {
      std::fprintf(stderr, "registry_bench: wine reg add failed\n");
      return 1;
    }
    wine_wall.push_back(wine.wall_ms);
  }
  Shell("rm -rf " + Quote(work));

  double ours = Median(ours_wall), cp = Median(cp_wall), wine = Median(wine_wall);
  double peak_mb = static_cast<double>(ours_rss - idle_rss) / 1024;
  std::string command;
  for (int i = 0; i < argc; ++i) command += (i ? " " : "") + Quote(argv[i]);
  std::printf("registry_bench: system.reg of %.1f MB (%s grown), medians of %d runs\n", file_mb,
              base.c_str(), kRuns);
  std::printf("  command: %s\n", command.c_str());
  std::printf("  cp                         %8.1f ms wall  %6.1f ms CPU\n", cp, Median(cp_cpu));
  std::printf("  dd conv=fsync (cp + flush) %8.1f ms wall\n", Median(sync_wall));
  std::printf("  dd conv=fsync + mv over old%8.1f ms wall  (sh, dd, mv)\n", Median(replace_wall));
  std::printf(
      "  load + set + atomic save   %8.1f ms wall  %6.1f ms CPU  (inside: %.1f ms, "
      "load %.1f + set and save %.1f)\n",
      ours, Median(ours_cpu), Median(ours_inside), Median(ours_load), Median(ours_save));
  std::printf("  wine reg add + server save %8.1f ms wall\n", wine);
  std::printf("  ratio to cp                %8.2f (wall)  %.2f (CPU)   target <= 2\n", ours / cp,
              Median(ours_cpu) / Median(cp_cpu));
  std::printf("  ratio to dd conv=fsync     %8.2f (wall)\n", ours / Median(sync_wall));
  std::printf("  ratio to dd + mv over old  %8.2f (wall)\n", ours / Median(replace_wall));
  std::printf("  wine reg add / ours        %8.1f                      target >= 20\n",
              wine / ours);
  std::printf(
      "  peak memory                %8.1f MB above an idle run (VmHWM %ld KB, idle %ld KB), "
      "%.2f x the file   target <= 3\n",
      peak_mb, ours_rss, idle_rss, peak_mb / file_mb);
  return 0;
}
