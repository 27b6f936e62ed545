#include "Programs.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "tests/support/TempDir.h"

namespace test::payload {

std::filesystem::path Built(const std::string& name) {
  const char* bin = std::getenv("UPDATER_TEST_BIN");
  if (!bin) throw std::runtime_error("UPDATER_TEST_BIN is not set");
  return std::filesystem::path(bin) / name;
}

std::filesystem::path Source(const std::string& relative) {
  return std::filesystem::path(UPDATER_SOURCE_DIR) / relative;
}

Outcome RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& folder) {
  const TempDir capture;
  const auto outFile = capture / "out";
  const auto errFile = capture / "err";
  std::vector<std::string> words = {program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(folder.c_str()) != 0)
      _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) throw std::runtime_error("waitpid failed");
  Outcome outcome;
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.out = ReadFile(outFile);
  outcome.err = ReadFile(errFile);
  return outcome;
}

void MakeArchive(const std::filesystem::path& file, const std::string& format,
                 const std::vector<ArchiveMember>& members, const std::string& filter) {
  const std::unique_ptr<archive, int (*)(archive*)> writer(archive_write_new(), archive_write_free);
  if (archive_write_set_format_by_name(writer.get(), format.c_str()) != ARCHIVE_OK ||
      (!filter.empty() &&
       archive_write_add_filter_by_name(writer.get(), filter.c_str()) != ARCHIVE_OK) ||
      archive_write_open_filename(writer.get(), file.c_str()) != ARCHIVE_OK)
    throw std::runtime_error(std::string("cannot write the archive: ") +
                             archive_error_string(writer.get()));
  for (const auto& member : members) {
    const std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                         archive_entry_free);
    archive_entry_set_pathname(entry.get(), member.path.c_str());
    archive_entry_set_perm(entry.get(), member.kind == Kind::directory ? 0755 : 0644);
    archive_entry_set_mtime(entry.get(), 1700000000, 0);
    archive_entry_set_size(entry.get(), 0);
    switch (member.kind) {
      case Kind::file:
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(member.content.size()));
        break;
      case Kind::directory:
        archive_entry_set_filetype(entry.get(), AE_IFDIR);
        break;
      case Kind::symlink:
        archive_entry_set_filetype(entry.get(), AE_IFLNK);
        archive_entry_set_symlink(entry.get(), member.content.c_str());
        break;
      case Kind::hardlink:
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_hardlink(entry.get(), member.content.c_str());
        break;
      case Kind::fifo:
        archive_entry_set_filetype(entry.get(), AE_IFIFO);
        break;
    }
    if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK)
      throw std::runtime_error(std::string("cannot add ") + member.path + ": " +
                               archive_error_string(writer.get()));
    if (member.kind == Kind::file && !member.content.empty() &&
        archive_write_data(writer.get(), member.content.data(), member.content.size()) < 0)
      throw std::runtime_error("cannot write " + member.path);
  }
  if (archive_write_close(writer.get()) != ARCHIVE_OK)
    throw std::runtime_error("cannot close the archive");
}

std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace test::payload
