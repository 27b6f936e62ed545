// update and online: the two actions of the window, with a scripted window.
#include "Command.h"
#include "ProgramResources.h"
#include "ScriptedWindow.h"
#include "update/uUpdate.h"

namespace tool {

namespace {

bool TakeAnswer(Arguments& arguments) {
  const std::string answer = TakeOption(arguments, "--answer");
  if (answer.empty() || answer == "no") return false;
  if (answer == "yes") return true;
  throw UsageError{"--answer takes yes or no"};
}

int Update(Arguments arguments) {
  const ProgramResources resources(arguments);
  const bool answerYes = TakeAnswer(arguments);
  if (arguments.size() != 2) throw UsageError{"LOCATION and PASSWORD expected"};
  ScriptedWindow window(answerYes);
  platform::ScopedOverride<platform::IUserInterface> inForce(window);
  uUpdate::RunUpdate(arguments[0], arguments[1], &window);
  return 0;
}

int Online(Arguments arguments) {
  const ProgramResources resources(arguments);
  if (arguments.size() != 2) throw UsageError{"LOCATION and PASSWORD expected"};
  ScriptedWindow window(false);
  platform::ScopedOverride<platform::IUserInterface> inForce(window);
  uUpdate::SwitchOnline(arguments[0], arguments[1]);
  return 0;
}

const Registration update("update", "LOCATION PASSWORD [--answer yes|no] [--program FILE]", Update);
const Registration online("online", "LOCATION PASSWORD [--program FILE]", Online);

}  // namespace

}  // namespace tool
