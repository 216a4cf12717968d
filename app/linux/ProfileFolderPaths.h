#pragma once

#include <string>
#include <vector>

// Where the Linux bridge looks for aircraft profiles, first to last: the
// user's folder ($XDG_CONFIG_HOME/vestrel-pelvar/aircraft, by default
// ~/.config/vestrel-pelvar/aircraft), then the shipped one
// ($VESTREL_PELVAR_SHIPPED_PROFILES when set, else
// <program folder>/../share/vestrel-pelvar/aircraft: /usr/share/... when
// installed, the repository's aircraft/ folder in a build tree).
std::vector<std::string> LinuxProfileFolders();
