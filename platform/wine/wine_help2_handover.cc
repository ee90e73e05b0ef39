// The Help 2 step handed to the Windows build of this program, run under wine in the prefix.
// A Wine prefix seen from Linux: this file starts wine, nothing else here runs Wine code.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/encoding.h"
#include "platform/wine/host_io.h"
#include "platform/wine/server_lock.h"
#include "platform/wine/wine_registry.h"
#include "platform/wine/wine_services.h"

extern char** environ;

namespace platform::wine {
namespace {

// The service's session class, as its setup registers it; a Windows program finds it under
// HKEY_CLASSES_ROOT, made of the user's classes over the machine's, in its bitness's view.
constexpr char kSessionServerKey[] =
    "CLSID\\{31411219-A502-11D2-BBCA-00C04F8EC294}\\InprocServer32";

// A wineserver lingers about 3 s after its last program; one kept alive longer by another
// program of the prefix is waited for this long before the run gives up its writes.
constexpr int kServerEndWaitMs = 30000;

std::string ProgramFolder() {
  char target[4096];
  const ssize_t n = ::readlink("/proc/self/exe", target, sizeof target - 1);
  if (n <= 0) return ".";
  const std::string path(target, static_cast<std::size_t>(n));
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Stem(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

// The environment wine starts with: ours, in the prefix, and quiet unless asked otherwise.
std::vector<std::string> ChildEnvironment(const std::string& prefix_dir) {
  std::vector<std::string> env;
  bool debug_set = false;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("WINEPREFIX=", 0) == 0) continue;
    debug_set = debug_set || entry.rfind("WINEDEBUG=", 0) == 0;
    env.push_back(entry);
  }
  env.push_back("WINEPREFIX=" + prefix_dir);
  if (!debug_set) env.push_back("WINEDEBUG=-all");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Reads both streams until the child has ended and nothing more is waiting. A wineserver the
// child started may hold copies of the pipes long after, so their end is not waited for.
[[nodiscard]] bool Collect(pid_t child, int out_fd, int err_fd, HandOverOutput* output,
                           std::string* error) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&output->out, &output->err};
  int status = 0;
  bool ended = false;
  for (;;) {
    const int ready = ::poll(fds, 2, ended ? 0 : 100);
    if (ready < 0 && errno != EINTR) {
      *error = std::string("cannot read the output of wine: ") + std::strerror(errno);
      return false;
    }
    bool read_any = false;
    for (int i = 0; i < 2 && ready > 0; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
        read_any = true;
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
      }
    }
    if (fds[0].fd < 0 && fds[1].fd < 0 && ended) break;
    if (!ended) {
      const pid_t r = ::waitpid(child, &status, WNOHANG);
      if (r == child) {
        ended = true;
        continue;
      }
      if (r < 0 && errno != EINTR) {
        *error = std::string("cannot wait for wine: ") + std::strerror(errno);
        return false;
      }
      if (fds[0].fd < 0 && fds[1].fd < 0) {
        // Both streams closed early: only the child's end is left to wait for.
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        ended = true;
      }
    } else if (!read_any) {
      break;
    }
  }
  if (WIFSIGNALED(status)) {
    *error = "wine was ended by signal " + std::to_string(WTERMSIG(status));
    return false;
  }
  output->exit_status = WEXITSTATUS(status);
  return true;
}

class WineHelp2HandOver : public Help2HandOver {
 public:
  WineHelp2HandOver(Registry& registry, std::string prefix_dir, std::string windows_build,
                    std::shared_ptr<PrefixLock> lock)
      : registry_(registry),
        prefix_dir_(std::move(prefix_dir)),
        windows_build_(std::move(windows_build)),
        lock_(std::move(lock)) {
    if (windows_build_.find('/') == std::string::npos) {
      windows_build_ = ProgramFolder() + "/" + windows_build_;
    }
  }

  bool ServiceRegistered() override {
    if (!known_) {
      registered_ = Registered(RootKey::kLocalMachine) || Registered(RootKey::kCurrentUser);
      known_ = true;
    }
    return registered_;
  }

  bool Run(const std::vector<std::string>& args, HandOverOutput* output,
           std::string* error) override {
    *output = HandOverOutput();
    output->program = Stem(windows_build_);
    if (::access(windows_build_.c_str(), R_OK) != 0) {
      *error = "cannot read the Windows build " + windows_build_ + ": " + std::strerror(errno);
      return false;
    }
    // Wine loads the hives from their files: the run's held writes land there first.
    if (!FlushStepWrites(error)) return false;
    std::vector<std::string> argv_strings = {"wine", windows_build_};
    for (const std::string& arg : args) argv_strings.push_back(AnsiToUtf8(arg));
    std::vector<std::string> env_strings = ChildEnvironment(prefix_dir_);
    std::vector<char*> argv = Pointers(argv_strings);
    std::vector<char*> envp = Pointers(env_strings);

    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0) {
      *error = std::string("cannot make a pipe for wine: ") + std::strerror(errno);
      return false;
    }
    if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
      *error = std::string("cannot make a pipe for wine: ") + std::strerror(errno);
      ::close(out_pipe[0]);
      ::close(out_pipe[1]);
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Nothing to answer with: a question of the Windows build is answered Cancel.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);

    // The Windows build writes the registry through Wine's server, which must be able to
    // start; every change of ours is already saved in the hive files it will load.
    lock_->LetServerIn();
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, "wine", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    bool ran = spawned == 0;
    if (!ran) {
      *error = std::string("cannot start wine: ") + std::strerror(spawned);
    } else {
      ran = Collect(child, out_pipe[0], err_pipe[0], output, error);
    }
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    // Our registry reads go back to the files, which see the Windows build's writes once
    // its server has saved them and ended.
    std::string reason;
    if (!lock_->TakeBack(kServerEndWaitMs, &reason)) {
      *error = ran ? reason : *error + "; " + reason;
      return false;
    }
    return ran;
  }

 private:
  bool Registered(RootKey root) {
    for (const char* classes : {"Software\\Classes\\", "Software\\Classes\\Wow6432Node\\"}) {
      if (HiveHoldsKey(registry_, root, classes + std::string(kSessionServerKey))) return true;
    }
    return false;
  }

  Registry& registry_;
  std::string prefix_dir_;
  std::string windows_build_;
  std::shared_ptr<PrefixLock> lock_;
  bool known_ = false;
  bool registered_ = false;
};

}  // namespace

std::unique_ptr<Help2HandOver> NewWineHelp2HandOver(Registry& registry,
                                                    const std::string& prefix_dir,
                                                    const std::string& windows_build,
                                                    std::shared_ptr<PrefixLock> lock) {
  return std::make_unique<WineHelp2HandOver>(registry, prefix_dir, windows_build, std::move(lock));
}

}  // namespace platform::wine
