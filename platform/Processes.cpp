// Programs started with posix_spawn: the program's own path is executed as
// it stands (no shell, no search of PATH, no splitting), in the working
// folder given, with the updater's environment.
#include "Processes.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>

#include "NativeNames.h"

extern char** environ;

namespace platform {

namespace {

class PosixProcess final : public IProcess {
 public:
  explicit PosixProcess(pid_t pid) : pid_(pid) {}
  // A process never waited for would stay behind as a zombie.
  ~PosixProcess() override {
    if (!waited_) Wait();
  }
  PosixProcess(const PosixProcess&) = delete;
  PosixProcess& operator=(const PosixProcess&) = delete;

  std::uint32_t Wait() override {
    if (waited_) return code_;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
      if (errno != EINTR) {
        waited_ = true;
        return code_ = 1;
      }
    }
    waited_ = true;
    if (WIFEXITED(status)) return code_ = static_cast<std::uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return code_ = 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    return code_ = 1;
  }

 private:
  pid_t pid_;
  bool waited_ = false;
  std::uint32_t code_ = 0;
};

// The spawn attributes: the child starts with no blocked signals and with
// the default action for every signal the updater may have changed (an
// ignored SIGPIPE, for one, would otherwise carry over).
class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attributes_);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

class PosixProcesses final : public IProcesses {
 public:
  std::unique_ptr<IProcess> Start(const std::string& program,
                                  const std::vector<std::string>& arguments,
                                  const std::string& workingFolder) override {
    if (program.empty()) return nullptr;
    std::vector<std::string> native{ToNative(program)};
    for (const auto& argument : arguments) native.push_back(ToNative(argument));
    std::vector<char*> argv;
    for (auto& text : native) argv.push_back(text.data());
    argv.push_back(nullptr);

    FileActions actions;
    const std::string folder = ToNative(workingFolder);
    // A folder that cannot be entered makes the start fail: the program is
    // never run in another folder than the one asked for.
    if (!folder.empty() && posix_spawn_file_actions_addchdir_np(actions.get(), folder.c_str()) != 0)
      return nullptr;
    const SpawnAttributes attributes;
    pid_t pid = 0;
    if (posix_spawn(&pid, native.front().c_str(), actions.get(), attributes.get(), argv.data(),
                    environ) != 0)
      return nullptr;
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
