// load-resource and extract-payload: the payload loaders of the engine, on
// the tool's own file or, with --program FILE, on another program file.
#include <unistd.h>

#include <cstdio>

#include "Command.h"
#include "ProgramResources.h"
#include "platform/Exception.h"
#include "update/uUpdate.h"

namespace tool {

namespace {

bool WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

const Registration loadResource("load-resource", "NAME TYPE [--program FILE]",
                                [](const Arguments& given) {
                                  Arguments arguments = given;
                                  const ProgramResources resources(arguments);
                                  if (arguments.size() != 2)
                                    throw UsageError{"needs NAME and TYPE"};
                                  const std::string text =
                                      uUpdate::LoadResourceText(arguments[0], arguments[1]);
                                  if (!WriteAll(text))
                                    throw platform::Exception("cannot write to stdout");
                                  return 0;
                                });

const Registration extractPayload("extract-payload", "FILE [--program FILE]",
                                  [](const Arguments& given) {
                                    Arguments arguments = given;
                                    const ProgramResources resources(arguments);
                                    if (arguments.size() != 1) throw UsageError{"needs FILE"};
                                    uUpdate::ExtractPayload(arguments[0]);
                                    return 0;
                                  });

}  // namespace

}  // namespace tool
