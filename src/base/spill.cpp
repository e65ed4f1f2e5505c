#include "base/spill.h"

#include <cstring>

namespace {

spillopener opener = nullptr;

std::FILE *openspill() { return opener ? opener() : std::tmpfile(); }

// Positions in files of more than 2 GB: the C library's own 64-bit seek.
int seekto(std::FILE *f, unsigned long long at)
{
#if defined(_WIN32)
    return _fseeki64(f, static_cast<long long>(at), SEEK_SET);
#else
    return fseeko(f, static_cast<off_t>(at), SEEK_SET);
#endif
}

} // namespace

void setspillfiles(spillopener open) { opener = open; }

recordstore::recordstore(size_t recordbytes, size_t memorybytes) : bytes_(recordbytes), limit_(memorybytes) {}

recordstore::~recordstore()
{
    if (file_)
        std::fclose(file_);
}

void recordstore::reset(size_t recordbytes)
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    nofile_ = false;
    bytes_ = recordbytes;
    count_ = filed_ = 0;
    memory_.clear();
    memory_.shrink_to_fit();
}

// The records in memory go to the end of the file: the file holds a prefix
// of the records and memory the rest, so any record is found by its number.
void recordstore::spill()
{
    if (!file_)
        file_ = openspill();
    if (!file_ || seekto(file_, static_cast<unsigned long long>(filed_) * bytes_) != 0 ||
        std::fwrite(memory_.data(), 1, memory_.size(), file_) != memory_.size()) {
        // What the file holds already is still good; the rest stays here.
        nofile_ = true;
        return;
    }
    filed_ = count_;
    memory_.clear();
}

void recordstore::append(const void *record)
{
    if (bytes_ == 0) {
        count_++;
        return;
    }
    if (!nofile_ && memory_.size() + bytes_ > limit_ && !memory_.empty())
        spill();
    const unsigned char *r = static_cast<const unsigned char *>(record);
    memory_.insert(memory_.end(), r, r + bytes_);
    count_++;
}

int recordstore::read(size_t k, void *out) const
{
    if (k >= filed_) {
        std::memcpy(out, memory_.data() + (k - filed_) * bytes_, bytes_);
        return 1;
    }
    return seekto(file_, static_cast<unsigned long long>(k) * bytes_) == 0 &&
           std::fread(out, 1, bytes_, file_) == bytes_;
}

columnstore::columnstore(size_t rows, size_t columns, size_t cellbytes, size_t memorybytes)
    : rows_(rows), columns_(columns), cell_(cellbytes)
{
    size_t rowbytes = columns * cellbytes;
    whole_ = rowbytes == 0 || rows * rowbytes <= memorybytes;
    blockrows_ = whole_ ? rows : memorybytes / rowbytes;
    if (blockrows_ == 0)
        blockrows_ = 1;
    block_.resize(blockrows_ * rowbytes);
}

columnstore::~columnstore()
{
    if (file_)
        std::fclose(file_);
}

// The block's rows go to the file, column by column: each column's cells of
// every row stand in a row there, where column() reads them at once.
void columnstore::flush()
{
    if (blockfilled_ == 0)
        return;
    if (!file_ && kept_.empty())
        file_ = openspill();
    std::vector<unsigned char> cells(blockfilled_ * cell_);
    bool ok = file_ != nullptr;
    for (size_t c = 0; ok && c < columns_; c++) {
        for (size_t r = 0; r < blockfilled_; r++)
            std::memcpy(&cells[r * cell_], &block_[(r * columns_ + c) * cell_], cell_);
        ok = seekto(file_, (static_cast<unsigned long long>(c) * rows_ + blockstart_) * cell_) == 0 &&
             std::fwrite(cells.data(), 1, cells.size(), file_) == cells.size();
    }
    if (!ok) {
        kept_.push_back(block_);
        keptstart_.push_back(blockstart_);
    }
    blockstart_ += blockfilled_;
    blockfilled_ = 0;
}

unsigned char *columnstore::row(size_t k)
{
    if (!whole_ && k >= blockstart_ + blockrows_)
        flush();
    blockfilled_ = k - blockstart_ + 1;
    return &block_[(k - blockstart_) * columns_ * cell_];
}

const unsigned char *columnstore::column(size_t c)
{
    out_.resize(rows_ * cell_);
    if (!whole_)
        flush();
    else {
        for (size_t r = 0; r < rows_; r++)
            std::memcpy(&out_[r * cell_], &block_[(r * columns_ + c) * cell_], cell_);
        return out_.data();
    }
    if (file_ &&
        (seekto(file_, static_cast<unsigned long long>(c) * rows_ * cell_) != 0 ||
         std::fread(out_.data(), 1, out_.size(), file_) != out_.size()) &&
        kept_.empty())
        return nullptr;
    // The blocks a failed file left here, over what the file gave.
    for (size_t b = 0; b < kept_.size(); b++) {
        size_t n = rows_ - keptstart_[b] < blockrows_ ? rows_ - keptstart_[b] : blockrows_;
        for (size_t r = 0; r < n; r++)
            std::memcpy(&out_[(keptstart_[b] + r) * cell_], &kept_[b][(r * columns_ + c) * cell_], cell_);
    }
    return out_.data();
}
