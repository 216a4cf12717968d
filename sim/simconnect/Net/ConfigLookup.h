#pragma once

// Where the client finds its SimConnect.cfg: the working directory first,
// then the folder of the executable.

#include <string>
#include <vector>

#include "sim/simconnect/Net/SimConnectConfig.h"

// Looks for SimConnect.cfg in each folder in turn and returns the server of
// the first file found. A file that cannot be read or is malformed gives the
// default server and a one-line description in `problem`; no file at all
// gives the default server and an empty `problem`. `source`, when given,
// receives the absolute path of the file the server came from, or "" when it
// is the default. Paths are UTF-8, on Windows too.
SimConnectServer FindSimConnectServer(const std::vector<std::string>& folders, std::string* problem,
                                      std::string* source = nullptr);

// The folder of the running executable (UTF-8), or "" when the platform
// cannot say.
std::string ExecutableFolder();

// FindSimConnectServer over the working directory and the executable's
// folder, writing a problem to stderr once (again only when it changes).
SimConnectServer LookUpSimConnectServer(std::string* source = nullptr);
