#pragma once

#include <string>
#include <vector>

// Where the Windows bridge looks for aircraft profiles, first to last, as
// UTF-8: the user's "%APPDATA%\Vestrel Pelvar\aircraft", then the shipped
// "aircraft" folder beside the executable.
std::vector<std::string> WindowsProfileFolders();
