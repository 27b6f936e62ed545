#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <vector>

extern char** environ;

namespace test {

namespace {

// Reads the display number that Xvfb writes once it is ready.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 15000) <= 0) return {};
    char c = 0;
    if (read(fd, &c, 1) != 1) return {};
    if (c == '\n') return number;
    number += c;
  }
}

}  // namespace

XvfbServer::XvfbServer() {
  std::array<int, 2> channel{};
  if (pipe(channel.data()) != 0) return;
  fcntl(channel[0], F_SETFD, FD_CLOEXEC);
  const std::string writeEnd = std::to_string(channel[1]);
  std::vector<std::string> words = {"Xvfb", "-displayfd",  writeEnd,    "-screen",
                                    "0",    "1024x768x24", "-nolisten", "tcp"};
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int failed = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(channel[1]);
  if (failed) {
    pid_ = -1;
  } else if (const std::string number = ReadDisplayNumber(channel[0]); !number.empty()) {
    display_ = ":" + number;
  }
  close(channel[0]);
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

}  // namespace test
