// MSDEV.EXE: a stand-in running Visual C++ 6.0 for the running-IDE prompt; it only waits,
// and ends by itself after the given seconds (default 120) so no test leaves it behind.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
  Sleep(static_cast<DWORD>(seconds) * 1000);
  return 0;
}
