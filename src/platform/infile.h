// Input files opened for reading, only when they are regular files: a FIFO,
// a device or a folder may never end or never mean a file's contents. The
// descriptor is the C runtime's, for libraries that read through one
// (zlib's gzdopen).
#pragma once

enum inputkind {
    INPUT_FILE,   // a regular file: opened
    INPUT_FOLDER, // each of the others is refused
    INPUT_FIFO,
    INPUT_DEVICE,
    INPUT_SOCKET,
    INPUT_OTHER
};

// What stat's mode bits (st_mode) say a file is.
inputkind inputkindof(unsigned mode);

// Opens the regular file at path for binary reading (links followed), in
// blocking mode and not inherited by child processes. Returns the
// descriptor; -1 when the file cannot be opened or looked at (errno says
// why); -2 when path names no regular file (*kind then says what it names).
int openinput(const char *path, inputkind *kind);

// Closes a descriptor of openinput that no library took over, errno kept.
void closeinput(int fd);
