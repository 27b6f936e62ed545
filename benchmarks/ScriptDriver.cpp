// Applies a script file to a database through the script library, the way
// the updater does: IBEScript.dll loaded by its bare name, Connect, then
// ExecScriptFile. Prints the log lines, the failing statements and the
// statistics calls as they come (CP1251 as it stands), and ends 0 when no
// statement failed.
//
//   ibescript-run --db localhost/3051:/path/db.fdb --password secret
//                 [--user SYSDBA] [--charset WIN1251] [--role R]
//                 [--lib libfbclient.so.2] [--max-batch N] SCRIPT
//
// --max-batch runs the script in this process through the library's own
// parts instead, with at most N statements per batch block (1: every
// statement on its own), to measure what batching brings.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "ibescript/Attachment.h"
#include "ibescript/ClientLibrary.h"
#include "ibescript/IBEScriptApi.h"
#include "ibescript/ScriptRunner.h"

namespace {

int errors = 0;

std::int32_t OnConnectError(const char* text) {
  std::printf("connect error: %s\n", text ? text : "");
  return 0;
}
std::int32_t OnError(const char* statement, const char* text) {
  ++errors;
  std::printf("error in: %s\n%s\n", statement ? statement : "", text ? text : "");
  return 0;
}
std::int32_t OnLog(std::int32_t kind, const char* text) {
  std::printf("log %d: %s\n", kind, text ? text : "");
  std::fflush(stdout);
  return 0;
}
std::int32_t OnStat(std::int32_t figure, std::int32_t kind) {
  std::printf("stat %d: %d\n", kind, figure);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: ibescript-run --db DB --password P [--user U] [--charset C] [--role R] "
               "[--lib L] [--max-batch N] SCRIPT\n");
  return 2;
}

int RunInProcess(const ibescript::ConnectParams& params, const std::string& file,
                 std::size_t maxBatch) {
  std::string error;
  const auto library = ibescript::ClientLibrary::Load(params.clientLibrary, error);
  if (!library) return OnConnectError(error.c_str()), 1;
  ibescript::Attachment attachment(library->Api(), params);
  if (const auto attached = attachment.Attach(); !attached.ok)
    return OnConnectError(attached.error.c_str()), 1;
  std::ifstream in(file, std::ios::binary);
  const std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ibescript::RunOptions options;
  options.maxBatch = maxBatch;
  ibescript::ScriptRunner runner(attachment, {OnError, OnLog, OnStat}, options);
  runner.Run(script);
  attachment.Detach();
  return errors == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> options = {{"--user", "SYSDBA"},
                                                {"--charset", "WIN1251"},
                                                {"--role", ""},
                                                {"--lib", "libfbclient.so.2"}};
  std::string file;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--", 2) == 0 && i + 1 < argc) {
      options[argv[i]] = argv[i + 1];
      ++i;
    } else
      file = argv[i];
  }
  if (file.empty() || !options.count("--db") || !options.count("--password")) return Usage();

  ibescript::ConnectParams params{options["--db"],      options["--password"], options["--user"],
                                  options["--charset"], options["--role"],     3,
                                  options["--lib"]};
  if (options.count("--max-batch"))
    return RunInProcess(params, file, std::strtoul(options["--max-batch"].c_str(), nullptr, 10));

  void* library = dlopen("IBEScript.dll", RTLD_NOW);
  if (!library) return std::fprintf(stderr, "%s\n", dlerror()), 1;
  const auto connect = reinterpret_cast<TConnectFunction>(dlsym(library, "Connect"));
  const auto exec = reinterpret_cast<TExecScriptFunction>(dlsym(library, "ExecScriptFile"));
  if (!connect || !exec) return std::fprintf(stderr, "exports missing\n"), 1;
  const std::string connectString = "db_name=" + params.database + "; password=" + params.password +
                                    "; user_name=" + params.user + "; lc_ctype=" + params.charset +
                                    "; sql_role_name=" + params.role +
                                    "; sql_dialect=3; clientlib=\"" + params.clientLibrary + "\"";
  int result = 1;
  if (connect(connectString.c_str(), OnConnectError) == 0) {
    exec(file.c_str(), OnError, OnLog, OnStat);
    result = errors == 0 ? 0 : 1;
  }
  dlclose(library);
  return result;
}
