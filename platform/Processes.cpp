#include "Processes.h"

#include <spawn.h>
#include <sys/wait.h>

#include "Text.h"

extern char** environ;

namespace platform {

namespace {

class PosixProcess final : public IProcess {
 public:
  explicit PosixProcess(pid_t pid) : pid_(pid) {}
  ~PosixProcess() override {
    if (!waited_) Wait();
  }
  std::uint32_t Wait() override {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
      if (errno != EINTR) return 1;
    }
    waited_ = true;
    if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    return 1;
  }

 private:
  pid_t pid_;
  bool waited_ = false;
};

class PosixProcesses final : public IProcesses {
 public:
  std::unique_ptr<IProcess> Start(const std::string& program,
                                  const std::vector<std::string>& arguments,
                                  const std::string& workingFolder) override {
    std::vector<std::string> native{ToUtf8(program)};
    for (const auto& argument : arguments) native.push_back(ToUtf8(argument));
    std::vector<char*> argv;
    for (auto& text : native) argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string folder = ToUtf8(workingFolder);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, native.front().c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return nullptr;
    return std::make_unique<PosixProcess>(pid);
  }
};

}  // namespace

template <>
IProcesses& Default<IProcesses>() {
  static PosixProcesses processes;
  return processes;
}

}  // namespace platform
