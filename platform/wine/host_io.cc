// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/host_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace platform::wine {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;  // a write that makes no progress would otherwise loop for ever
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void StartFlush(int fd) { ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }

bool WriteStreaming(int fd, std::string_view data) {
  while (!data.empty()) {
    const std::size_t n = std::min(data.size(), kFlushSlice);
    if (!WriteAll(fd, data.substr(0, n))) return false;
    if (n == kFlushSlice) StartFlush(fd);
    data.remove_prefix(n);
  }
  return true;
}

void AdviseHugePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kPage = 4096;
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (at + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t end = (at + bytes) & ~(kPage - 1);
  if (end > begin + (2u << 20)) {
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
}

bool ReadToEnd(int fd, std::string* bytes) {
  constexpr std::size_t kChunk = 64 * 1024;
  struct stat st;
  const std::size_t expected =
      ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
  // One byte more than the file, so reading it whole meets its end without growing the
  // buffer (a copy of it); only a file that grows while it is read needs more.
  bytes->clear();
  bytes->reserve(expected + 1);
  AdviseHugePages(bytes->data(), bytes->capacity());
  bytes->resize(expected + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == bytes->size()) bytes->resize(got + kChunk);
    const ssize_t n = ::read(fd, &(*bytes)[got], bytes->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes->clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes->resize(got);
  return true;
}

}  // namespace platform::wine
