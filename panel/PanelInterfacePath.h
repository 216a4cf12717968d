#pragma once

// Whether a Windows device-interface path names the panel, e.g.
// \\?\HID#VID_04D8&PID_E6D6&MI_00#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}
// Windows writes the ids in upper or lower case, so any case matches. Portable
// (wchar_t is 16 bits on Windows, 32 elsewhere), so it is tested natively.

// The path holds "vid_04d8&pid_e6d6", in any case, with no further hex digit
// after the product id.
bool InterfacePathNamesPanel(const wchar_t* path);

// Walks a list of paths as CM_Get_Device_Interface_ListW fills it: each path
// ends with a NUL, and an empty one (a second NUL) ends the list. Whether any
// path names the panel.
bool InterfaceListNamesPanel(const wchar_t* list);
