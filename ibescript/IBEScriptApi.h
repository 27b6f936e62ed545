/* The C interface of the script-execution library "IBEScript.dll": three
   exports, their callbacks, NUL-terminated CP1251 texts (a null pointer
   counts as empty text). Every callback returns a 32-bit integer. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t (*TConnectErrorCallback)(const char* errorText);
typedef int32_t (*TScriptErrorCallback)(const char* statement, const char* errorText);
typedef int32_t (*TScriptLogCallback)(int32_t value, const char* text);
typedef int32_t (*TScriptStatCallback)(int32_t value, int32_t number);

/* Returns 0 when connected; otherwise calls onError with the server's text
   and returns non-zero. */
typedef int32_t (*TConnectFunction)(const char* connectString, TConnectErrorCallback onError);
typedef int32_t (*TExecScriptFunction)(const char* script, TScriptErrorCallback onError,
                                       TScriptLogCallback onLog, TScriptStatCallback onStat);

#ifdef __cplusplus
}
#endif
