// --program FILE: the engine reads the resources of that program file
// instead of the tool's own, for as long as this object lives.
#pragma once

#include <memory>
#include <optional>

#include "Command.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"

namespace tool {

class ProgramResources {
 public:
  explicit ProgramResources(Arguments& arguments) {
    const std::string program = TakeOption(arguments, "--program");
    if (program.empty()) return;
    if (!platform::FileSystem().FileExists(program))
      throw platform::Exception("no such program file: " + program);
    resources_ = std::make_unique<platform::FileResources>(program);
    override_.emplace(*resources_);
  }

 private:
  std::unique_ptr<platform::FileResources> resources_;
  std::optional<platform::ScopedOverride<platform::IResources>> override_;
};

}  // namespace tool
