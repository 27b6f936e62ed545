#include "FbClient.h"

#include <array>
#include <cstring>

#include "platform/Exception.h"
#include "platform/Text.h"

using namespace platform::literals;

namespace fbclient {

namespace {

// One rendered line. fb_interpret cuts longer lines; the old renderer
// assumes a buffer of 1024 bytes, in some versions of 2 * MAXPATHLEN.
constexpr std::size_t kLineBuffer = 8192;

template <class Function>
void Find(const platform::Library& library, const std::string& fileName, const char* name,
          Function& function) {
  function = library.Get<Function>(name);
  if (!function)
    throw platform::Exception("В клиентской библиотеке \""_cp + fileName +
                              "\" не найдена функция \""_cp + name + "\"!");
}

}  // namespace

std::unique_ptr<Client> Client::Load(const std::string& fileName,
                                     const std::string& notLoadedMessage) {
  platform::Library library(fileName);
  if (!library.Loaded()) throw platform::Exception(notLoadedMessage);
  std::unique_ptr<Client> client(new Client(std::move(library)));
  const platform::Library& loaded = client->library_;
  Find(loaded, fileName, "isc_attach_database", client->attachDatabase);
  Find(loaded, fileName, "isc_detach_database", client->detachDatabase);
  Find(loaded, fileName, "isc_database_info", client->databaseInfo);
  Find(loaded, fileName, "isc_service_attach", client->serviceAttach);
  Find(loaded, fileName, "isc_service_start", client->serviceStart);
  Find(loaded, fileName, "isc_service_detach", client->serviceDetach);
  client->interpret = loaded.Get<decltype(&::fb_interpret)>("fb_interpret");
  if (!client->interpret) Find(loaded, fileName, "isc_interprete", client->interprete);
  return client;
}

std::string Client::ErrorText(const ISC_STATUS* status) const {
  // The renderers advance the pointer over the vector, one line per call;
  // the old one only reads through its non-const pointer.
  const ISC_STATUS* next = status;
  ISC_STATUS* nextWritable = const_cast<ISC_STATUS*>(status);
  std::array<char, kLineBuffer> line{};
  std::string text;
  for (;;) {
    line.fill('\0');
    const ISC_LONG length = interpret ? interpret(line.data(), line.size(), &next)
                                      : interprete(line.data(), &nextWritable);
    if (length <= 0) break;
    if (!text.empty()) text += "\r\n";
    text.append(line.data(), strnlen(line.data(), line.size()));
  }
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// ---- Services binding ----

namespace {

struct ServicesBinding {
  std::string fileName;
  // Kept until the process ends: never unloaded.
  Client* client = nullptr;
};

ServicesBinding& Services() {
  static ServicesBinding binding;
  return binding;
}

}  // namespace

const Client& ServicesClient(const std::string& fileName) {
  ServicesBinding& binding = Services();
  binding.fileName = fileName;
  if (!binding.client)
    binding.client = Client::Load(binding.fileName, "Не найдена клиентская библиотека \""_cp +
                                                        binding.fileName + "\"!")
                         .release();
  return *binding.client;
}

// ---- Connection binding ----

namespace {

struct ConnectionBinding {
  std::string fileName = kDefaultClientLibrary;
  // The library lives as long as its users' holds; the binding only finds it.
  std::weak_ptr<const Client> client;
};

ConnectionBinding& Connections() {
  static ConnectionBinding binding;
  return binding;
}

}  // namespace

ConnectionUse::ConnectionUse() {
  ConnectionBinding& binding = Connections();
  client_ = binding.client.lock();
  if (client_) return;
  try {
    client_ = Client::Load(binding.fileName,
                           "Не установлена клиентская библиотека \""_cp + binding.fileName + "\"!");
    binding.client = client_;
  } catch (const platform::Exception& error) {
    message_ = error.Message();
  }
}

void ResetConnectionBinding(const std::string& fileName) {
  ConnectionBinding& binding = Connections();
  binding.client.reset();
  binding.fileName = fileName;
}

}  // namespace fbclient
