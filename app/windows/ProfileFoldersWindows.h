#pragma once

#include <string>
#include <vector>

// Where the Windows bridge looks for aircraft profiles, first to last, as
// UTF-8: the user's "%APPDATA%\Vestrel Pelvar\aircraft", then the shipped
// "aircraft" folder beside the executable.
std::vector<std::string> WindowsProfileFolders();

// A wide, zero-terminated Windows string as UTF-8.
std::string Utf8FromWide(const wchar_t* wide);
