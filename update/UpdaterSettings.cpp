#include "UpdaterSettings.h"

namespace uUpdate {

namespace {

TUpdaterSettings*& InForce() {
  static TUpdaterSettings* settings = nullptr;
  return settings;
}

}  // namespace

TUpdaterSettings TUpdaterSettings::Defaults() {
#ifdef _WIN32
  return {"fbclient.dll", "Quendal.fdb", "Quendal.exe", "localhost/3051:"};
#else
  return {"libfbclient.so.2", "Quendal.fdb", "Quendal.exe", "localhost/3051:"};
#endif
}

TUpdaterSettings& Settings() {
  static TUpdaterSettings fallback = TUpdaterSettings::Defaults();
  return InForce() ? *InForce() : fallback;
}

void UseSettings(TUpdaterSettings* settings) { InForce() = settings; }

}  // namespace uUpdate
