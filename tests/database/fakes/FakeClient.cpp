#include "FakeClient.h"

#include <ibase.h>

#include <algorithm>
#include <cstring>

namespace {

FakeClientState state;

std::string Bytes(const char* data, std::size_t length) {
  return data ? std::string(data, length) : std::string();
}

// The fake's status vectors: isc_arg_gds, a code, then one isc_arg_string
// with a pointer per message line, then isc_arg_end. The renderers below
// read exactly this form.
bool Answer(const char* function, ISC_STATUS* status) {
  std::fill(status, status + ISC_STATUS_LENGTH, 0);
  const auto failure = state.failures.find(function);
  if (failure == state.failures.end()) return true;
  ISC_STATUS* next = status;
  *next++ = isc_arg_gds;
  *next++ = 335544344;
  for (const std::string& line : failure->second) {
    if (next + 3 > status + ISC_STATUS_LENGTH) break;
    *next++ = isc_arg_string;
    *next++ = reinterpret_cast<ISC_STATUS>(line.c_str());
  }
  *next = isc_arg_end;
  return false;
}

const char* NextLine(const ISC_STATUS*& next) {
  if (next[0] == isc_arg_gds) next += 2;
  if (next[0] != isc_arg_string) return nullptr;
  const char* line = reinterpret_cast<const char*>(next[1]);
  next += 2;
  return line;
}

}  // namespace

extern "C" {

FakeClientState* FakeClient() { return &state; }

ISC_STATUS isc_attach_database(ISC_STATUS* status, short nameLength, const ISC_SCHAR* name,
                               isc_db_handle* handle, short dpbLength, const ISC_SCHAR* dpb) {
  const std::size_t length = nameLength ? static_cast<std::size_t>(nameLength) : std::strlen(name);
  const bool ok = Answer("isc_attach_database", status);
  if (ok) *handle = kFakeDatabaseHandle;
  state.calls.push_back({"isc_attach_database", Bytes(name, length),
                         Bytes(dpb, static_cast<std::size_t>(dpbLength)), *handle, 0});
  return status[1];
}

ISC_STATUS isc_detach_database(ISC_STATUS* status, isc_db_handle* handle) {
  state.calls.push_back({"isc_detach_database", "", "", *handle, 0});
  if (Answer("isc_detach_database", status)) *handle = 0;
  return status[1];
}

ISC_STATUS isc_database_info(ISC_STATUS* status, isc_db_handle* handle, short itemsLength,
                             const ISC_SCHAR* items, short bufferLength, ISC_SCHAR* buffer) {
  state.calls.push_back({"isc_database_info", "",
                         Bytes(items, static_cast<std::size_t>(itemsLength)), *handle,
                         bufferLength});
  if (!Answer("isc_database_info", status)) return status[1];
  const std::size_t size = static_cast<std::size_t>(bufferLength);
  const std::size_t copied = std::min(size, state.userNamesReply.size());
  std::memcpy(buffer, state.userNamesReply.data(), copied);
  std::memset(buffer + copied, state.replyFiller, size - copied);
  return 0;
}

ISC_STATUS isc_service_attach(ISC_STATUS* status, unsigned short nameLength, const ISC_SCHAR* name,
                              isc_svc_handle* handle, unsigned short spbLength,
                              const ISC_SCHAR* spb) {
  const std::size_t length = nameLength ? nameLength : std::strlen(name);
  const bool ok = Answer("isc_service_attach", status);
  if (ok) *handle = kFakeServiceHandle;
  state.calls.push_back(
      {"isc_service_attach", Bytes(name, length), Bytes(spb, spbLength), *handle, 0});
  return status[1];
}

ISC_STATUS isc_service_start(ISC_STATUS* status, isc_svc_handle* handle, isc_resv_handle*,
                             unsigned short requestLength, const ISC_SCHAR* request) {
  state.calls.push_back({"isc_service_start", "", Bytes(request, requestLength), *handle, 0});
  Answer("isc_service_start", status);
  return status[1];
}

ISC_STATUS isc_service_detach(ISC_STATUS* status, isc_svc_handle* handle) {
  state.calls.push_back({"isc_service_detach", "", "", *handle, 0});
  if (Answer("isc_service_detach", status)) *handle = 0;
  return status[1];
}

ISC_LONG fb_interpret(ISC_SCHAR* buffer, unsigned int size, const ISC_STATUS** vector) {
  ++state.interpretCalls;
  state.interpretBufferSize = size;
  const char* line = NextLine(*vector);
  if (!line || size == 0) return 0;
  const std::size_t length = std::min<std::size_t>(std::strlen(line), size - 1);
  std::memcpy(buffer, line, length);
  buffer[length] = '\0';
  return static_cast<ISC_LONG>(length);
}

ISC_LONG isc_interprete(ISC_SCHAR* buffer, ISC_STATUS** vector) {
  ++state.interpreteCalls;
  const ISC_STATUS* next = *vector;
  const char* line = NextLine(next);
  *vector = const_cast<ISC_STATUS*>(next);
  if (!line) return 0;
  std::strcpy(buffer, line);
  return static_cast<ISC_LONG>(std::strlen(line));
}

}  // extern "C"
