// Running the build's programs from the payload tests, and making archives of
// any content (also what no honest packer would write).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test::payload {

// A program of the build (found through UPDATER_TEST_BIN).
std::filesystem::path Built(const std::string& name);
// A file of the source tree.
std::filesystem::path Source(const std::string& relative);

struct Outcome {
  int exitCode = -1;  // 128 + the signal when a signal ended it
  std::string out;
  std::string err;
};

// Runs the program with these arguments in that folder and waits for it.
Outcome RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& folder = std::filesystem::current_path());

enum class Kind { file, directory, symlink, hardlink, fifo };

struct ArchiveMember {
  std::string path;
  Kind kind = Kind::file;
  std::string content;  // a file's bytes, or a link's target
};

// Writes an archive with libarchive; format and filter by libarchive's names
// ("zip", "7zip", "pax", "cpio"; "gzip" or "" for none).
void MakeArchive(const std::filesystem::path& file, const std::string& format,
                 const std::vector<ArchiveMember>& members, const std::string& filter = "");

// The names in a folder, sorted (nothing below it).
std::vector<std::string> Names(const std::filesystem::path& folder);

}  // namespace test::payload
