// <windows.h> for our Win32 files. The API's A/W name macros would rename our
// own interface methods of the same names (SendMessage, PostMessage, …), so
// they are removed here; Win32 files call the W functions by their full names.
#pragma once

#include <windows.h>

#undef SendMessage
#undef PostMessage
#undef CreateWindow
#undef DeleteFile
#undef MoveFile
#undef GetMessage
#undef RegisterWindowMessage
#undef SetCurrentDirectory
// Names of the toolkit's own interfaces.
#undef LoadIcon
#undef LoadMenu
#undef DrawText
#undef CreateDialog
#undef SetWindowText
#undef GetWindowText
