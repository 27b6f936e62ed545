// What updater-pack makes. Every failure is a std::runtime_error with a
// message for the release engineer; no output file is left behind then.
#pragma once

#include <string>

namespace pack {

// An archive program: the stub's ELF image (whatever follows it in the stub
// file is left out) followed by the archive. Refuses an archive that
// libarchive cannot read or whose members the archive program would refuse.
void MakeArchiveProgram(const std::string& stub, const std::string& archive,
                        const std::string& out);

// A copy of the updater's ELF image without whatever it carried after it,
// with the two release payloads as its resources: "SCRIPT" of type "TEXT"
// and "FILES" of type "EXEFILE", both in language 1049.
void MakeRelease(const std::string& program, const std::string& script, const std::string& files,
                 const std::string& out);

// The resource directory of a file, one line per resource.
std::string ListResources(const std::string& file);

}  // namespace pack
