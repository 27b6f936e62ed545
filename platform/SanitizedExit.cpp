// Linked into every program of a sanitized build, nowhere else.
//
// The leak check of such a build scans every thread that is still there,
// and with it the thread-local blocks the sanitizer recorded from
// __tls_get_addr. For the Firebird client library's threads those records
// are garbage (seen: a block from 0x100000015 to 0x2900001117), and reading
// them crashes the check ("Tracer caught signal 11"), which fails a program
// whose every test passed. So the sanitizer is told not to record them: the
// threads' stacks and static thread-local data are still scanned.
//
// What the client library keeps only in its threads' thread-local data then
// looks lost while one of its threads is alive at the check; the library's
// own allocations are therefore not reported. Ours are.
//
// The library ends its threads from its own exit handlers. The handler
// below, registered before any library is loaded, runs after those and
// before the check, and waits until the threads are gone, so that the check
// normally meets none of them.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfbclient.so\n"
         "leak:libtommath.so\n";
}

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
