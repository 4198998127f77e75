#pragma once
// A registry of keys with text values, kept in a file
// ($XDG_DATA_HOME/vek2003/registry, else ~/.local/share/vek2003/registry)
// in a readable text form and replaced atomically on every write. Key paths
// use "\" and compare without regard to ASCII case, as value names do; the
// empty value name is the key's default value.
//
// Machine values absent from the file are answered from the host: the
// computer name (host name) under both computer-name keys, the registered
// owner (the user's full name from the password database). Under
// HKEY_CURRENT_USER "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell
// Folders", "Desktop" answers the XDG desktop folder and "Start Menu" the
// applications menu folder, as Windows paths.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine };

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
std::string_view RootKeyName(RootKey root);

bool RegKeyExists(RootKey root, std::string_view keyPath);
// Creates the key and its missing parents; true when it exists afterwards.
bool RegCreateKey(RootKey root, std::string_view keyPath);
// Removes the key with all its subkeys and values.
bool RegDeleteKey(RootKey root, std::string_view keyPath);
// The text value, or nothing when the key or the value does not exist.
std::optional<std::string> RegReadString(RootKey root, std::string_view keyPath,
                                         std::string_view valueName);
// Writes a text value into an existing key (false when the key is missing).
bool RegWriteString(RootKey root, std::string_view keyPath, std::string_view valueName,
                    std::string_view value);
std::vector<std::string> RegSubKeys(RootKey root, std::string_view keyPath);

// Host path of the store file in use.
std::string RegistryFile();

}  // namespace platform
