// The prefix lock against wineservers and against a second run of ours, seen from other
// processes, since a process never sees its own fcntl locks.
#include "platform/wine/server_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using platform::wine::FindRunningServer;
using platform::wine::PrefixLock;
using platform::wine::ServerStatus;

// In a forked child: whether byte `start` of `path` could be write-locked, as a starting
// wineserver tries for byte 0. The child's answer comes back as its exit status.
bool OtherProcessCanLock(const std::string& path, off_t start) {
  const pid_t child = fork();
  if (child == 0) {
    const int fd = open(path.c_str(), O_RDWR);
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = 1;
    _exit(fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A process that holds byte 0 of a lock file, as a running wineserver does.
pid_t HoldServerLock(const std::string& path) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_len = 1;
    const char ok = fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0 ? 'y' : 'n';
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char ok = 'n';
  if (read(ready[0], &ok, 1) != 1) ok = 'n';
  close(ready[0]);
  close(ready[1]);
  return ok == 'y' ? child : -1;
}

void Stop(pid_t child) {
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

class PrefixLockTest : public ::testing::Test {
 protected:
  PrefixLockTest() {
    char temp[] = "/tmp/tsl-lock-prefix-XXXXXX";
    prefix_ = mkdtemp(temp);
    struct stat st;
    stat(prefix_.c_str(), &st);
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    server_folder_ = name;
  }
  ~PrefixLockTest() override {
    for (const std::string& dir : made_) std::system(("rm -rf '" + dir + "'").c_str());
    std::system(("rm -rf '" + prefix_ + "'").c_str());
  }
  // The folder a server of `uid` keeps for this prefix, made for the test and removed after.
  std::string ServerDir(uid_t uid) {
    const std::string root = "/tmp/.wine-" + std::to_string(uid);
    if (mkdir(root.c_str(), 0700) == 0) made_.push_back(root);
    const std::string dir = root + "/" + server_folder_;
    mkdir(dir.c_str(), 0700);
    made_.push_back(dir);
    return dir;
  }

  std::string prefix_;
  std::string server_folder_;
  std::vector<std::string> made_;
};

TEST_F(PrefixLockTest, KeepsServersOutAndMakesASecondRunWait) {
  const std::string lock = ServerDir(getuid()) + "/lock";
  std::unique_ptr<PrefixLock> first;
  std::string error;
  ASSERT_TRUE(PrefixLock::Acquire(prefix_, &first, &error)) << error;
  EXPECT_FALSE(OtherProcessCanLock(lock, 0)) << "a wineserver could start";
  // Looking for servers opens and closes the lock file, which must not drop our own lock.
  ServerStatus status;
  ASSERT_TRUE(FindRunningServer(prefix_, &status, &error)) << error;
  EXPECT_FALSE(status.running);
  EXPECT_FALSE(OtherProcessCanLock(lock, 0)) << "looking for a server dropped the lock";

  int done[2];
  ASSERT_EQ(pipe(done), 0);
  const pid_t second = fork();
  if (second == 0) {
    std::unique_ptr<PrefixLock> lock_of_second;
    std::string reason;
    const char got = PrefixLock::Acquire(prefix_, &lock_of_second, &reason) ? 'y' : 'n';
    _exit(write(done[1], &got, 1) == 1 ? 0 : 1);
  }
  pollfd waiting = {done[0], POLLIN, 0};
  EXPECT_EQ(poll(&waiting, 1, 500), 0) << "the second run did not wait for the first";
  first.reset();
  char got = 'n';
  EXPECT_EQ(poll(&waiting, 1, 10000), 1);
  EXPECT_EQ(read(done[0], &got, 1), 1);
  EXPECT_EQ(got, 'y');
  waitpid(second, nullptr, 0);
  close(done[0]);
  close(done[1]);
  EXPECT_TRUE(OtherProcessCanLock(lock, 0)) << "the lock outlived its runs";
}

TEST_F(PrefixLockTest, RefusesWhileAServerOfAnyUserRuns) {
  for (uid_t uid : {getuid(), getuid() + 4242}) {
    const std::string lock = ServerDir(uid) + "/lock";
    const pid_t server = HoldServerLock(lock);
    ASSERT_GT(server, 0) << lock;
    ServerStatus status;
    std::string error;
    ASSERT_TRUE(FindRunningServer(prefix_, &status, &error)) << error;
    EXPECT_TRUE(status.running) << lock;
    EXPECT_EQ(status.lock_path, lock);
    std::unique_ptr<PrefixLock> held;
    EXPECT_FALSE(PrefixLock::Acquire(prefix_, &held, &error)) << lock;
    EXPECT_NE(error.find("wineserver -k"), std::string::npos) << error;
    Stop(server);
  }
}

TEST_F(PrefixLockTest, LetsAServerInAndTakesThePrefixBackOnceItEnds) {
  const std::string lock = ServerDir(getuid()) + "/lock";
  std::unique_ptr<PrefixLock> held;
  std::string error;
  ASSERT_TRUE(PrefixLock::Acquire(prefix_, &held, &error)) << error;
  held->LetServerIn();
  EXPECT_FALSE(OtherProcessCanLock(lock, 1)) << "a second run could start";
  const pid_t server = HoldServerLock(lock);
  ASSERT_GT(server, 0) << "the wineserver could not start";
  // The server this run let in is seen, so no registry write goes behind its back.
  ServerStatus status;
  ASSERT_TRUE(FindRunningServer(prefix_, &status, &error)) << error;
  EXPECT_TRUE(status.running);
  EXPECT_EQ(status.pid, server);
  EXPECT_FALSE(held->TakeBack(100, &error));
  EXPECT_NE(error.find("wineserver -k"), std::string::npos) << error;
  Stop(server);
  EXPECT_TRUE(held->TakeBack(1000, &error)) << error;
  EXPECT_FALSE(OtherProcessCanLock(lock, 0)) << "a wineserver could start again";
}

}  // namespace
