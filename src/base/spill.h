// Tables too large to hold in memory: the frames of a trajectory, and the
// values the writers work out per frame, grow with the number of frames
// (a thousand frames of the largest figure take tens of megabytes each).
// These keep a bounded block in memory and the rest in a temporary file,
// so a program's memory stays the same whatever the number of frames. Where
// no temporary file can be made, or one cannot be written, they keep
// everything in memory instead: slower to grow, never wrong.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

// Where the tables' temporary files come from: std::tmpfile unless the
// program gives another way. (The Microsoft C library's tmpfile makes its
// file in the root folder of the current drive, which an ordinary user may
// not write to: the programs give the platform's scratch files, which are
// made in the system's folder for them.) An opener that returns null leaves
// the tables in memory.
typedef std::FILE *(*spillopener)();
void setspillfiles(spillopener open);

// The bytes held in memory before a table spills: a few megabytes, so that
// a figure of a few frames never touches a file.
const size_t SPILLMEMORY = 4u << 20;

// Records of one size, appended in turn and read back by number.
class recordstore {
public:
    explicit recordstore(size_t recordbytes = 0, size_t memorybytes = SPILLMEMORY);
    ~recordstore();
    recordstore(const recordstore &) = delete;
    recordstore &operator=(const recordstore &) = delete;

    // Empties the store and sets its record size.
    void reset(size_t recordbytes);
    void append(const void *record);
    size_t count() const { return count_; }
    size_t recordbytes() const { return bytes_; }
    // Copies record k (below count()) into out; 0 when the temporary file
    // could not be read back.
    int read(size_t k, void *out) const;

private:
    size_t bytes_, limit_, count_ = 0;
    size_t filed_ = 0; // records in the file, the first ones
    std::FILE *file_ = nullptr;
    bool nofile_ = false; // a file failed: everything else stays in memory
    std::vector<unsigned char> memory_;
    void spill();
};

// A table filled row by row and read column by column: a frame's values
// come for every atom at once, while the writers write them atom by atom,
// every frame of one atom in a row.
class columnstore {
public:
    columnstore(size_t rows, size_t columns, size_t cellbytes, size_t memorybytes = SPILLMEMORY);
    ~columnstore();
    columnstore(const columnstore &) = delete;
    columnstore &operator=(const columnstore &) = delete;

    // Where the cells of row k go (columns * cellbytes bytes), rows taken
    // in increasing order from 0.
    unsigned char *row(size_t k);
    // Every row's cell of column c, in row order (rows * cellbytes bytes);
    // null when the temporary file could not be read back. Valid until the
    // next call; the rows are all given by then.
    const unsigned char *column(size_t c);

private:
    size_t rows_, columns_, cell_;
    size_t blockrows_;       // rows held in memory at a time
    size_t blockstart_ = 0;  // the first row of the block in memory
    size_t blockfilled_ = 0; // rows of that block given
    bool whole_;             // the table fits in memory: no file
    std::FILE *file_ = nullptr;
    std::vector<unsigned char> block_, out_;
    // Rows that a failed file left in memory, by block.
    std::vector<std::vector<unsigned char>> kept_;
    std::vector<size_t> keptstart_;
    void flush();
};
