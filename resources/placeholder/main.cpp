// Stands in for the window program when the build has no window: it carries
// the release payloads like the real one and says what it is.
#include <cstdio>

int main() {
  std::fputs("Updater_Quendal: this build has no window; the release payloads are packed in.\n",
             stderr);
  return 1;
}
