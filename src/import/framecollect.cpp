// The frames of a file after the first: each is checked against the atoms
// (the same count, the same elements in the same order) and kept as
// coordinates only.
#include <algorithm>
#include <string>

#include "import/elements.h"
#include "import/select.h"
#include "import/text.h"

namespace importer {

bool collector::frame(long k)
{
    if (k > m_.framesseen)
        m_.framesseen = k;
    bool taken =
        k >= s_.framefrom && (s_.frameto == 0 || k <= s_.frameto) && (k - s_.framefrom) % s_.framestep == 0;
    if (s_.model > 0 || !taken)
        return false;
    if (!firsttaken_) {
        firsttaken_ = true;
        m_.firstframe = k;
    }
    return true;
}

void collector::beginframe(long k, int line, bool records)
{
    inframe_ = true;
    records_ = records;
    current_.clear();
    framek_ = k;
    frameline_ = line;
    framecount_ = 0;
    differs_.clear();
    framebonds_.clear();
    m_.framenumbers.push_back(k);
}

bool collector::samebonds() const
{
    std::vector<std::pair<std::pair<int, int>, int>> first;
    first.reserve(m_.bonds.size());
    for (const std::pair<int, int> &b : m_.bonds) {
        std::pair<int, int> key{std::min(b.first, b.second), std::max(b.first, b.second)};
        auto o = m_.orders.find(key);
        first.push_back({key, o == m_.orders.end() ? ORDER_SINGLE : o->second});
    }
    std::vector<std::pair<std::pair<int, int>, int>> these = framebonds_;
    std::sort(first.begin(), first.end());
    first.erase(std::unique(first.begin(), first.end()), first.end());
    std::sort(these.begin(), these.end());
    these.erase(std::unique(these.begin(), these.end()), these.end());
    return first == these;
}

bool collector::framematches() const
{
    return differs_.empty() && framecount_ == m_.atoms.size() && samebonds();
}

void collector::leftout(const std::string &file, const std::string &kind, long left, const std::string &unit)
{
    m_.framesseen = 0;
    m_.warn(warning("molecules left out",
                    file + ": " + kind + "; the first is read, " + std::to_string(left) + " further " + unit +
                        (left == 1 ? " is" : "s are") + " left out (--model N reads the Nth)"));
}

void collector::dropframe()
{
    inframe_ = false;
    current_.clear();
    m_.framenumbers.pop_back();
}

int collector::addtoframe(const inatom &a)
{
    size_t i = framecount_++;
    if (!differs_.empty())
        return -1;
    if (i >= m_.atoms.size()) {
        diffline_ = a.line;
        differs_ = "it has more atoms than frame " + std::to_string(m_.firstframe) + " (" +
                   std::to_string(m_.atoms.size()) + ")";
        return -1;
    }
    const inatom &first = m_.atoms[i];
    if (first.element != a.element || first.isotope != a.isotope) {
        diffline_ = a.line;
        differs_ = "its atom " + std::to_string(i + 1) + " is " + element_of(a.element).symbol +
                   " where frame " + std::to_string(m_.firstframe) + " has " +
                   element_of(first.element).symbol;
        return -1;
    }
    current_.push_back(a.x);
    current_.push_back(a.y);
    current_.push_back(a.z);
    return static_cast<int>(i);
}

int collector::endframe(const std::string &file, int line, problem &p)
{
    inframe_ = false;
    std::string frame = "frame " + std::to_string(framek_);
    if (!differs_.empty())
        return fail(p, "frames differ", where(file, diffline_) + ": " + differs_ + " (" + frame + ")");
    if (framecount_ != m_.atoms.size())
        return fail(p, "frames differ",
                    where(file, line) + ": " + frame +
                        (frameline_ > 0 ? " (from line " + std::to_string(frameline_) + ")" : "") + " has " +
                        std::to_string(framecount_) + " atoms where frame " + std::to_string(m_.firstframe) +
                        " has " + std::to_string(m_.atoms.size()));
    if (records_ && !samebonds())
        return fail(p, "frames differ",
                    where(file, frameline_) + ": " + frame + " has other bonds than frame " +
                        std::to_string(m_.firstframe));
    recordstore &frames = *m_.framexyz;
    if (frames.count() == 0)
        frames.reset(current_.size() * sizeof(double));
    frames.append(current_.data());
    return 1;
}

} // namespace importer
