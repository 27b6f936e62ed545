// Linked into every program of a sanitized build, nowhere else.
//
// The leak check of such a build runs from the last exit handler and scans
// every thread that is still there. The Firebird client library ends its
// threads from its own exit handlers without waiting for them, and a thread
// caught on its way out has thread-local data that crashes the check. This
// handler, registered before any library is loaded, runs after the libraries'
// handlers and before the check: it waits until those threads are gone.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

namespace {

long ThreadCount() {
  std::error_code error;
  long count = 0;
  for (std::filesystem::directory_iterator it("/proc/self/task", error), end; !error && it != end;
       it.increment(error))
    ++count;
  return count;
}

// Threads that are not on their way out (a window system's) never end, so
// the wait also ends once the count has held still for a while.
void AwaitEndingThreads() {
  using namespace std::chrono_literals;
  const auto deadline = std::chrono::steady_clock::now() + 3s;
  auto still = std::chrono::steady_clock::now();
  long last = ThreadCount();
  while (last > 1 && std::chrono::steady_clock::now() < deadline &&
         std::chrono::steady_clock::now() - still < 250ms) {
    std::this_thread::sleep_for(2ms);
    const long now = ThreadCount();
    if (now != last) still = std::chrono::steady_clock::now();
    last = now;
  }
}

const bool registered = std::atexit(AwaitEndingThreads) == 0;

}  // namespace
