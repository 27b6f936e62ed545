// The Firebird client library, loaded at run time by file name through the
// standard library search, and the two process-wide bindings to it:
//
// - the services binding (services manager requests and the database
//   information request) loads once and keeps its library until the process
//   ends; a load that fails is tried again by the next call, and a later
//   file name does not replace a library once loaded;
// - the connection binding (TDBConnection) loads the library for its first
//   user and unloads it when the last one is gone; a reset makes the next
//   user load the library under a new file name.
#pragma once

#include <ibase.h>

#include <memory>
#include <string>

#include "platform/Libraries.h"

namespace fbclient {

// The old renderer, for libraries that lack fb_interpret.
using InterpreteFunction = ISC_LONG (*)(ISC_SCHAR*, ISC_STATUS**);

// One loaded client library with the functions the database layer calls,
// looked up by their published names. The library is unloaded when the
// object goes.
class Client {
 public:
  // Throws notLoadedMessage when the library does not load, and a message
  // naming the function when one of them is missing.
  static std::unique_ptr<Client> Load(const std::string& fileName,
                                      const std::string& notLoadedMessage);

  decltype(&::isc_attach_database) attachDatabase = nullptr;
  decltype(&::isc_detach_database) detachDatabase = nullptr;
  decltype(&::isc_database_info) databaseInfo = nullptr;
  decltype(&::isc_service_attach) serviceAttach = nullptr;
  decltype(&::isc_service_start) serviceStart = nullptr;
  decltype(&::isc_service_detach) serviceDetach = nullptr;
  // fb_interpret when the library has it (bounded by the buffer size);
  // otherwise isc_interprete.
  decltype(&::fb_interpret) interpret = nullptr;
  InterpreteFunction interprete = nullptr;

  // The server's error text of a failed call: the message lines rendered
  // from the status vector, joined by CR LF, one final full stop removed.
  std::string ErrorText(const ISC_STATUS* status) const;

 private:
  explicit Client(platform::Library library) : library_(std::move(library)) {}
  platform::Library library_;
};

// True when a call reported a failure in its status vector.
inline bool Failed(const ISC_STATUS* status) { return status[0] == 1 && status[1] != 0; }

// ---- Services binding ----
// Sets the binding's file name and loads the library under it when the
// binding holds none yet. Throws when the library cannot be loaded.
const Client& ServicesClient(const std::string& fileName);

// ---- Connection binding ----
// The file name the connection binding loads by when it holds no library.
constexpr const char* kDefaultClientLibrary = "libfbclient.so.2";

// One user's hold on the connection binding's library. Empty (Loaded()
// false) when the library could not be loaded; Message() then says why.
class ConnectionUse {
 public:
  ConnectionUse();
  bool Loaded() const { return client_ != nullptr; }
  const Client& Get() const { return *client_; }
  const std::string& Message() const { return message_; }

 private:
  std::shared_ptr<const Client> client_;
  std::string message_;
};

// Drops the binding's library so that the next user loads it under
// fileName. Users that still hold the old library keep it until they go.
void ResetConnectionBinding(const std::string& fileName);

}  // namespace fbclient
