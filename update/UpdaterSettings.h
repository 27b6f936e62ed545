// The four Updater settings. The main window carries one object of this kind
// and puts it in force at start-up; the engine reads the one in force.
#pragma once

#include <string>

namespace uUpdate {

struct TUpdaterSettings {
  std::string ClientLibrary;     // file name of the Firebird client library
  std::string DatabaseFileName;  // the database inside the database folder
  std::string ClientExeName;     // the client program inside the program folder
  std::string ServerPrefix;      // server part of the connection string; the layout may rewrite it

  // The compiled-in values for this platform.
  static TUpdaterSettings Defaults();
};

// The settings in force: those of the main window once it has put its own in
// force, the compiled-in defaults before.
TUpdaterSettings& Settings();
// Puts these settings in force (nullptr: back to a process-wide default
// object). The object must outlive its use.
void UseSettings(TUpdaterSettings* settings);

}  // namespace uUpdate
