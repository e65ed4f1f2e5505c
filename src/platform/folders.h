// Folders, as the conversion job tests and makes them. POSIX calls on the
// portable build, the Win32 calls on Windows.
#pragma once

#include <cstddef>

#ifdef _WIN32
enum { PATHSEP = '\\' };
#else
enum { PATHSEP = '/' };
#endif

// 1 when path is a separator character of this platform.
int isseparator(char c);

// 1 when path names an existing folder (or a link to one).
int isfolder(const char *path);
// 1 when the folder path was created, or another process made it meanwhile.
int makedir(const char *path);
// Fills buf with the current folder; 1 on success.
int currentdir(char *buf, size_t size);
// 1 when path names an existing file or folder.
int pathexists(const char *path);

// Makes path absolute against the current folder, into out (size bytes).
// Returns 0 when the result does not fit.
int abspath(const char *path, char *out, size_t size);

// The console program's own settings file, in the user's configuration
// folder: $XDG_CONFIG_HOME/kestrix/kestrix.ini (an absolute
// XDG_CONFIG_HOME only), else $HOME/.config/kestrix/kestrix.ini; on Windows
// %APPDATA%\kestrix\kestrix.ini. Returns 0 when the environment names no
// such folder or the path does not fit into size bytes.
int usersettings(char *out, size_t size);

// Makes every missing folder above the file path, one level at a time.
// Returns 1 when the file's folder exists at the end.
int makeparents(const char *path);
