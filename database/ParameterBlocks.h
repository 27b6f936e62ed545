// Pieces shared by the parameter blocks of the client library's calls, and
// the limits that their length fields set.
#pragma once

#include <string>
#include <string_view>

namespace fbclient {

// A database connection string split into its server part and path part.
struct ConnectionStringParts {
  bool remote = false;  // a server part names a server reached over TCP/IP
  std::string server;
  std::string path;
};

// The first of these forms that matches decides: a drive-letter path (local);
// \\server\path; server@path; server:path; anything else is a local path.
ConnectionStringParts SplitConnectionString(const std::string& connectionString);

// Appends one item with a one-byte length; the value must fit it (checked
// by the Check* procedures below).
void AppendItem(std::string& block, char item, std::string_view value);

// Each throws a message saying what is too long, instead of letting a length
// field cut the value into a different one.
void CheckUserNameLength(const std::string& userName);
void CheckPasswordLength(const std::string& password);
void CheckRoleNameLength(const std::string& roleName);
// Names and blocks carry 16-bit lengths, the database name of an attachment
// a signed one.
void CheckConnectionStringLength(const std::string& connectionString);

}  // namespace fbclient
