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

extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfbclient.so\n"
         "leak:libtommath.so\n";
}
