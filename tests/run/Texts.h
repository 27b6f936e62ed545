// The operator's texts of the update run and the OnLine action, written out
// here on their own so that the tests compare the engine's bytes with them.
#pragma once

#include <string>

#include "platform/Text.h"

namespace test::texts {

using namespace platform::literals;

inline std::string BothParts() { return "КЛИЕНТСКАЯ и СЕРВЕРНАЯ части"_cp; }
inline std::string ClientPart() { return "КЛИЕНТСКАЯ часть"_cp; }
inline std::string ServerPart() { return "СЕРВЕРНАЯ часть"_cp; }

inline std::string Confirmation(const std::string& parts) {
  return "Программа обновления, исходя из заданного пути к обновляемой программе, обнаружила, что на данном компьютере установлены "_cp +
         parts + " обновляемой программы.\rПродолжить обновление?"_cp;
}

inline std::string NoPartFound() {
  return "Программа обновления, исходя из заданного пути к обновляемой программе, не обнаружила на данном компьютере ни КЛИЕНТСКОЙ, ни СЕРВЕРНОЙ частей обновляемой программы!"_cp;
}

inline std::string UsersAttached(const std::string& names) {
  return "Программа обновления обнаружила, что к СЕРВЕРНОЙ части обновляемой программы подключены следующие пользователи: "_cp +
         names +
         "\r\rНеобходимо, чтобы все подключенные пользователи (клиенты) вышли из обновляемой программы, после чего процесс обновления можно повторить заново."_cp;
}

// Two blanks after "однопользовательский", "однопользовательском" and
// "перевести".
inline std::string SingleUserFailed(const std::string& message) {
  return "Программе обновления не удалось перевести базу данных (сервер) в однопользовательский  режим. Возможная причина - база данных (сервер) уже находится в однопользовательском  режиме, поэтому вначале Вам необходимо вручную перевести  базу данных (сервер) в многопользовательский режим, воспользовавшись кнопкой \"OnLine\". Сообщение об ошибке:\r\r"_cp +
         message;
}

inline std::string NoFullAccess(const std::string& path) {
  return "Невозможно получить полный доступ к папке "_cp + path +
         ".\r\rЗакройте все открытые приложения, в том числе файл-менеджеры (Total Commander, Проводник, Explorer и т.д.) и повторите обновление.\rТакже проверьте, что данная программа обновления НЕ расположена в папке "_cp +
         path + ".\r\rЕсли ошибка повторяется, ПЕРЕЗАГРУЗИТЕ компьютер!"_cp;
}

inline std::string RenameBackFailed() {
  return "Произошла критическая ошибка переименования пути к обновляемой программе! Обратитесь к разработчику."_cp;
}

inline std::string Success(bool serverPart) {
  return "Обновление программы прошло успешно."_cp +
         (serverPart ? "\r\rТребуется ПЕРЕЗАГРУЗКА компьютера!!!"_cp : std::string());
}

inline std::string RollBackStarts(const std::string& message) {
  return "В процессе обновления произошла ошибка. Сейчас будет осуществлен процесс восстановления работоспособности программы (ОТКАТ). Сообщение об ошибке:\r\r"_cp +
         message;
}

inline std::string RollBackDone() {
  return "Процесс восстановления работоспособности программы (ОТКАТ) прошел успешно."_cp;
}

inline std::string MultiUserFailed(const std::string& message) {
  return "Программе обновления не удалось перевести базу данных (сервер) в многопользовательский режим. Для ручного перевода базы данных (сервера) в многопользовательский режим воспользуйтесь кнопкой \"OnLine\". Сообщение об ошибке:\r\r"_cp +
         message;
}

inline std::string NoServerPart() {
  return "Программа обновления, исходя из заданного пути к обновляемой программе, обнаружила, что на данном компьютере отсутствует СЕРВЕРНАЯ часть обновляемой программы, поэтому выполнение данной функции невозможно!"_cp;
}

inline std::string OnlineDone() {
  return "База данных переведена в многопользовательский режим."_cp;
}

inline std::string ScriptFailed() { return "Ошибка применения скрипта!\r"_cp; }
inline std::string VersionHint() {
  return "\rВероятно, имеет место несоответствие между версией обновления и версией обновляемой базы данных!\r\r"_cp;
}
inline std::string CannotCopy(const std::string& path) {
  return "Невозможно скопировать файл "_cp + path + "!";
}
inline std::string CannotDelete(const std::string& path) {
  return "Невозможно удалить файл "_cp + path + "!";
}
inline std::string CannotCreate(const std::string& path) {
  return "Невозможно создать папку "_cp + path + "!";
}
inline std::string CannotStart() { return "Невозможно запустить внешнюю программу!"_cp; }

}  // namespace test::texts
