#include "Pack.h"

#include <sstream>
#include <stdexcept>

#include "Files.h"
#include "platform/ResourceFormat.h"
#include "sfx/Archive.h"
#include "sfx/ElfImage.h"

namespace pack {

namespace {

namespace format = platform::resource_format;

constexpr std::uint16_t kRussian = 1049;

std::uint64_t ImageSize(const InputFile& program) {
  const auto size = sfx::ElfImageSize(program.Fd());
  if (!size) throw std::runtime_error(program.Path() + " is no ELF program");
  return *size;
}

// Reads the archive's members and runs the archive program's own check on them.
void CheckArchive(const InputFile& file, std::uint64_t offset, const std::string& what) {
  std::vector<sfx::Member> members;
  try {
    members = sfx::ListMembers({file.Fd(), offset, file.Size() - offset});
  } catch (const std::exception& error) {
    throw std::runtime_error(file.Path() + " holds no " + what + ": " + error.what());
  }
  if (members.empty()) throw std::runtime_error(file.Path() + ": the archive holds no members");
  if (const auto refusal = sfx::FindRefusal(members))
    throw std::runtime_error(file.Path() + ": the archive program would refuse it: " + *refusal);
}

}  // namespace

void MakeArchiveProgram(const std::string& stub, const std::string& archive,
                        const std::string& out) {
  const InputFile stubFile(stub);
  const InputFile archiveFile(archive);
  const std::uint64_t image = ImageSize(stubFile);
  CheckArchive(archiveFile, 0, "archive that can be read");
  OutputFile output(out);
  output.Write(stubFile.Read(image));
  output.Write(archiveFile.ReadAll());
  output.Commit(stubFile.Mode());
}

void MakeRelease(const std::string& program, const std::string& script, const std::string& files,
                 const std::string& out) {
  const InputFile programFile(program);
  const InputFile scriptFile(script);
  const InputFile filesFile(files);
  const std::uint64_t image = ImageSize(programFile);
  const std::uint64_t filesImage = ImageSize(filesFile);
  if (filesImage == filesFile.Size()) throw std::runtime_error(files + " carries no archive");
  CheckArchive(filesFile, filesImage, "archive after its program");

  const std::string scriptBytes = scriptFile.ReadAll();
  const std::string filesBytes = filesFile.ReadAll();
  OutputFile output(out);
  output.Write(programFile.Read(image));
  output.Write(format::EncodeResources(image, {{"SCRIPT", "TEXT", kRussian, scriptBytes},
                                               {"FILES", "EXEFILE", kRussian, filesBytes}}));
  output.Commit(programFile.Mode());
}

std::string ListResources(const std::string& file) {
  const InputFile input(file);
  const auto layout = format::ReadLayout(input.ReadAll());
  if (layout.state == format::State::none) return "";
  if (layout.state == format::State::damaged)
    throw std::runtime_error(file + " carries a damaged resource directory");
  std::ostringstream lines;
  for (const auto& entry : layout.entries)
    lines << entry.name << " " << entry.type << " " << entry.language << " " << entry.size << "\n";
  return lines.str();
}

}  // namespace pack
