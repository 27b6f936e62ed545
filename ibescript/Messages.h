// The library's own texts (CP1251), those the operator reads in the log and
// in error reports.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ibescript::messages {

std::string TerminatorMissing();
std::string TerminatorInvalid(std::string_view terminator);
std::string UnexpectedWords(std::string_view command);
std::string CharsetMissing();
std::string DialectInvalid();
std::string AutoDdlArgumentInvalid();

std::string BadConnectString();
std::string ClientLibraryMissing(std::string_view name, std::string_view reason);
std::string ClientFunctionMissing(std::string_view library, std::string_view function);
std::string ValueTooLong(std::string_view key);
std::string NotConnected();
std::string InternalError(std::string_view what);
std::string ScriptFileUnreadable(std::string_view name, std::string_view reason);
std::string ScriptFileHoldsNul(std::string_view name);

std::string ScriptStarted(std::size_t statements);
std::string Progress(std::size_t done, std::size_t total, std::size_t failed);
std::string CommandLine(std::size_t line, std::string_view command);
std::string DisplaySettingIgnored(std::size_t line, std::string_view command);
std::string ScriptStopped();
// The script stopped because a statement before its first COMMIT failed.
std::string PreconditionFailed();
std::string ScriptFinished(double seconds, std::size_t statements, std::size_t failed);
std::string FinalCommit();

}  // namespace ibescript::messages
