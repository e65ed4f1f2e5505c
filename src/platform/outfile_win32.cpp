// The output layer's calls on Windows. The temporary file is made in the
// target's own folder with CREATE_NEW (so that the final move stays on one
// volume and never goes through a link), and it is opened in text mode: every
// "\n" written becomes CR LF, as Windows readers of OBJ and CR2 files expect.
// A file replaced is kept by a hard link (CreateHardLinkA) and replaced with
// ReplaceFileA, which keeps its attributes and security; a name no file may
// hold yet is taken with MoveFileExA without MOVEFILE_REPLACE_EXISTING. The
// lock of a folder is a named mutex, which the system releases when a
// process ends however it ends.
#include "platform/outfile_system.h"

#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>

// Length of the folder part of path, separator included ("" for a bare name,
// "C:" for a name relative to a drive's current folder).
static size_t folderlength(const char *path)
{
    size_t n = std::strlen(path);
    while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/' && path[n - 1] != ':')
        n--;
    return n;
}

// Creates a new file with a short name of its own in path's folder and
// returns its handle (INVALID_HANDLE_VALUE on failure). Other handles may
// delete it while it is open: an interrupted program removes its temporary
// files from the thread that handles Ctrl-C.
static HANDLE maketemp(const char *path, char *name, size_t size)
{
    size_t dirlen = folderlength(path);
    static unsigned serial;
    unsigned seed =
        static_cast<unsigned>(GetCurrentProcessId()) * 2654435761u ^ static_cast<unsigned>(GetTickCount());
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    for (int attempt = 0; attempt < 100 && dirlen + 16 <= size; attempt++) {
        unsigned tag = seed + 0x9e3779b9u * ++serial;
        std::memcpy(name, path, dirlen);
        std::snprintf(name + dirlen, size - dirlen, "~kx%08x.tmp", tag);
        HANDLE h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    name[0] = '\0';
    return INVALID_HANDLE_VALUE;
}

filekind examinepath(const char *path, fileid *id, int *syserr)
{
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES) {
        DWORD e = GetLastError();
        *syserr = static_cast<int>(e);
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? KIND_NONE : KIND_ERROR;
    }
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT)
        return KIND_LINK;
    if (attr & FILE_ATTRIBUTE_DIRECTORY)
        return KIND_OTHER;
    // Device names (NUL, CON, COM1) and pipes pass as names: only a file on
    // a disk is one.
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        *syserr = static_cast<int>(GetLastError());
        return KIND_ERROR;
    }
    BY_HANDLE_FILE_INFORMATION info;
    int disk = GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!disk)
        return KIND_OTHER;
    id->volume = info.dwVolumeSerialNumber;
    id->index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return KIND_FILE;
}

// Links on Windows are refused as names (examinepath), not followed.
int followlinks(const char *path, char *real, size_t size, int *untrusted)
{
    // Links at an output name are refused on Windows, never followed.
    if (untrusted)
        *untrusted = 0;
    if (static_cast<size_t>(std::snprintf(real, size, "%s", path)) >= size) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    return 1;
}

// Ctrl-C is handled on a thread of its own on Windows; the window in which
// it could meet an untracked file is a few calls wide.
void holdinterrupts(int) {}

static void interrupted(int sig)
{
    discardpending();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void catchinterrupts()
{
    std::signal(SIGINT, interrupted);
    std::signal(SIGTERM, interrupted);
    std::signal(SIGBREAK, interrupted);
}

int opentemp(outfile *f, int)
{
    HANDLE h = maketemp(f->real, f->tmpname, sizeof f->tmpname);
    if (h == INVALID_HANDLE_VALUE) {
        f->syserr = static_cast<int>(GetLastError());
        return 0;
    }
    trackfile(f->tmpname, NULL);
    // Text mode: every "\n" written becomes CR LF.
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_TEXT);
    if (fd < 0) {
        f->syserr = ERROR_TOO_MANY_OPEN_FILES;
        CloseHandle(h);
        return 0;
    }
    f->stream = _fdopen(fd, "w");
    if (!f->stream) {
        f->syserr = ERROR_TOO_MANY_OPEN_FILES;
        _close(fd);
        return 0;
    }
    return 1;
}

int makebackup(outfile *f)
{
    f->aside = 0;
    for (int attempt = 0; attempt < 100; attempt++) {
        HANDLE h = maketemp(f->real, f->backup, sizeof f->backup);
        if (h == INVALID_HANDLE_VALUE)
            break;
        CloseHandle(h);
        DeleteFileA(f->backup);
        if (CreateHardLinkA(f->backup, f->real, NULL))
            return 1;
        DWORD e = GetLastError();
        if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS)
            continue;
        // FAT volumes have no hard links: the old file is moved aside.
        if (MoveFileExA(f->real, f->backup, 0)) {
            f->aside = 1;
            return 1;
        }
        break;
    }
    f->syserr = static_cast<int>(GetLastError());
    f->backup[0] = '\0';
    return 0;
}

int movetemp(outfile *f, int replacing)
{
    if (replacing) {
        if (ReplaceFileA(f->real, f->tmpname, NULL, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL))
            return 1;
        // ReplaceFile needs the old file; when it went meanwhile (or the file
        // system cannot), a plain move over the name does the same.
        if (MoveFileExA(f->tmpname, f->real, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 1;
    } else if (MoveFileExA(f->tmpname, f->real, MOVEFILE_WRITE_THROUGH)) {
        return 1;
    }
    DWORD e = GetLastError();
    f->syserr = static_cast<int>(e);
    f->error = !replacing && (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) ? OUT_EXISTS : OUT_SYSTEM;
    return 0;
}

int restorebackup(outfile *f)
{
    BOOL ok = f->backup[0]
                  ? MoveFileExA(f->backup, f->real, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                  : DeleteFileA(f->real);
    if (!ok) {
        f->undoerr = static_cast<int>(GetLastError());
        return 0;
    }
    f->backup[0] = '\0';
    f->aside = 0;
    return 1;
}

int syncfile(outfile *f)
{
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f->stream)));
    if (FlushFileBuffers(h))
        return 1;
    f->syserr = static_cast<int>(GetLastError());
    return 0;
}

// The moves are made with MOVEFILE_WRITE_THROUGH (ReplaceFile through
// NTFS's journal): nothing of a folder is left to flush.
int syncfolder(const char *, int *) { return 1; }

void removefile(const char *path) { DeleteFileA(path); }

// One mutex per folder, named after its full path without regard to case.
int lockfolder(const char *path)
{
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path, sizeof full, full, NULL);
    if (n == 0 || n >= sizeof full)
        return -1;
    unsigned long long hash = 14695981039346656037ull;
    for (size_t i = 0, end = folderlength(full); i < end; i++) {
        unsigned char c = static_cast<unsigned char>(full[i]);
        if (c >= 'a' && c <= 'z')
            c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c == '/')
            c = '\\';
        hash = (hash ^ c) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\kestrix-%016llx", hash);
    HANDLE m = CreateMutexA(NULL, FALSE, name);
    if (!m)
        return -1;
    // WAIT_ABANDONED: a run that held it ended; the lock is ours.
    DWORD w = WaitForSingleObject(m, INFINITE);
    if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) {
        CloseHandle(m);
        return -1;
    }
    return static_cast<int>(reinterpret_cast<intptr_t>(m));
}

void unlockhandle(int handle)
{
    if (handle == -1)
        return;
    HANDLE m = reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
    ReleaseMutex(m);
    CloseHandle(m);
}

int samefile(const char *a, const char *b)
{
    fileid ia, ib;
    int err;
    return examinepath(a, &ia, &err) == KIND_FILE && examinepath(b, &ib, &err) == KIND_FILE &&
           ia.volume == ib.volume && ia.index == ib.index;
}

int lastsyserr() { return static_cast<int>(GetLastError()); }

const char *systemreason(int syserr)
{
    switch (static_cast<DWORD>(syserr)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return "permission denied";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "too many open files";
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return "file name too long";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "no space left on device";
    case ERROR_WRITE_PROTECT:
        return "read-only file system";
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return "file exists";
    }
    static char text[160];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                             static_cast<DWORD>(syserr), 0, text, sizeof text, NULL);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.' || text[n - 1] == ' '))
        text[--n] = '\0';
    if (n == 0)
        std::snprintf(text, sizeof text, "system error %d", syserr);
    return text;
}
