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
// 1 when something other than a regular file stands at path (links
// followed): a folder, a FIFO, a device, which may never end or never open
// as a file's contents; 0 for a regular file or nothing at all.
int notregular(const char *path);
// 1 when anything stands under the name path, a symbolic link that leads
// nowhere included (pathexists follows links): a name an output may not
// take unasked.
int nameinuse(const char *path);
// 1 when path names an existing file or folder, 0 when nothing is there,
// -1 when the system cannot tell (a folder above it that may not be
// searched), *why then saying why.
int lookup(const char *path, const char **why);

// Makes path absolute against the current folder, into out (size bytes),
// ".." resolved as the system resolves it: on POSIX from where the folder
// before it really is (through links), on Windows by the text. Returns 0
// when the result does not fit or the current folder cannot be read, *why
// (when given) then saying why.
int abspath(const char *path, char *out, size_t size, const char **why = nullptr);

// The console program's own settings file, in the user's configuration
// folder: $XDG_CONFIG_HOME/kestrix/kestrix.ini (an absolute
// XDG_CONFIG_HOME only), else $HOME/.config/kestrix/kestrix.ini; on Windows
// %APPDATA%\kestrix\kestrix.ini. Returns 0 when the environment names no
// such folder or the path does not fit into size bytes.
int usersettings(char *out, size_t size);

// Makes every missing folder above the file path, one level at a time.
// Returns 1 when the file's folder exists at the end; else *why (when
// given) is the reason the first level that is still missing could not be
// made.
int makeparents(const char *path, const char **why = nullptr);
