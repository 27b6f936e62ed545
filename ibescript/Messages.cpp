#include "Messages.h"

#include <cstdio>

#include "platform/Text.h"

using namespace platform::literals;

namespace ibescript::messages {

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }
std::string Number(std::size_t value) { return std::to_string(value); }

}  // namespace

std::string TerminatorMissing() { return "SET TERM: не задан новый разделитель операторов"_cp; }

std::string TerminatorInvalid(std::string_view terminator) {
  return "SET TERM: недопустимый разделитель операторов "_cp + Quoted(terminator);
}

std::string UnexpectedWords(std::string_view command) {
  return "Лишние слова в команде "_cp + Quoted(command);
}

std::string CharsetMissing() { return "SET NAMES: не задан набор символов"_cp; }
std::string DialectInvalid() { return "SET SQL DIALECT: диалект должен быть 1, 2 или 3"_cp; }
std::string AutoDdlArgumentInvalid() { return "SET AUTODDL: ожидается ON или OFF"_cp; }

std::string BadConnectString() {
  return "Неверная строка подключения: ожидаются db_name, password, user_name, lc_ctype, "
         "sql_role_name, sql_dialect (1, 2 или 3) и clientlib=\"...\" в этом порядке"_cp;
}

std::string ClientLibraryMissing(std::string_view name, std::string_view reason) {
  return "Невозможно загрузить клиентскую библиотеку Firebird "_cp + Quoted(name) + ": " +
         std::string(reason);
}

std::string ClientFunctionMissing(std::string_view library, std::string_view function) {
  return "В клиентской библиотеке "_cp + Quoted(library) + " не найдена функция "_cp +
         Quoted(function);
}

std::string ValueTooLong(std::string_view key) {
  return "Слишком длинное значение параметра подключения "_cp + std::string(key);
}

std::string NotConnected() { return "Нет подключения к базе данных"_cp; }

std::string InternalError(std::string_view what) {
  return "Внутренняя ошибка библиотеки выполнения скриптов: "_cp + std::string(what);
}

std::string ScriptFileUnreadable(std::string_view name, std::string_view reason) {
  return "Невозможно прочитать файл скрипта "_cp + Quoted(name) + ": " + std::string(reason);
}

std::string ScriptFileHoldsNul(std::string_view name) {
  return "Файл скрипта "_cp + Quoted(name) + " содержит нулевой байт и не выполнен"_cp;
}

std::string ScriptStarted(std::size_t statements) {
  return "Начато выполнение скрипта, операторов: "_cp + Number(statements);
}

std::string Progress(std::size_t done, std::size_t total, std::size_t failed) {
  const std::size_t percent = total ? done * 100 / total : 100;
  return "Выполнено операторов: "_cp + Number(done) + " из "_cp + Number(total) + " (" +
         Number(percent) + "%), ошибок: "_cp + Number(failed);
}

std::string CommandLine(std::size_t line, std::string_view command) {
  return "Строка "_cp + Number(line) + ": " + std::string(command);
}

std::string DisplaySettingIgnored(std::size_t line, std::string_view command) {
  return CommandLine(line, command) + " - пропущено (настройка вывода isql)"_cp;
}

std::string PreconditionFailed() {
  return "Выполнение скрипта прервано: ошибка до первого COMMIT (в проверке условий скрипта)"_cp;
}

std::string ScriptStopped() {
  return "Выполнение скрипта прервано: нет подключения к базе данных"_cp;
}

std::string ScriptFinished(double seconds, std::size_t statements, std::size_t failed) {
  char time[32];
  std::snprintf(time, sizeof time, "%.1f", seconds);
  for (char& c : time)
    if (c == '.') c = ',';  // the Russian decimal comma
  return "Скрипт выполнен за "_cp + time + " с, операторов: "_cp + Number(statements) +
         ", ошибок: "_cp + Number(failed);
}

std::string FinalCommit() { return "COMMIT"; }

}  // namespace ibescript::messages
