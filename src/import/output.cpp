#include "import/output.h"

#include <cstring>

#include "base/suffix.h"
#include "platform/outfile.h"

namespace importer {

std::string defaultoutput(const std::string &input)
{
    std::string out(input.size() + sizeof ".krx", '\0');
    swapsuffix(&out[0], out.size(), input.c_str(), nullptr, ".krx"); // always fits
    out.resize(std::strlen(out.c_str()));
    return out;
}

int writeoutput(const std::string &path, const std::string &text, bool replace, problem &p,
                const std::function<int(std::FILE *)> &more)
{
    outfile f;
    if (!openout(&f, path.c_str(), replace ? OUT_REPLACE : 0)) {
        if (f.error == OUT_EXISTS)
            return fail(p, "output exists", path + " (use --force to replace it)");
        return fail(p, "cannot write", path + ": " + outreason(&f));
    }
    std::fwrite(text.data(), 1, text.size(), f.stream);
    bool written = !more || more(f.stream);
    // A file that appeared meanwhile survives without --force: the commit
    // cannot replace it.
    if (!written) {
        discardout(&f);
        return fail(p, "cannot write", path + ": the frames' temporary file cannot be read back");
    }
    if (!closeout(&f) || !commitout(&f)) {
        discardout(&f);
        if (f.error == OUT_EXISTS)
            return fail(p, "output exists", path + " (use --force to replace it)");
        std::string state = commitstate(&f);
        return fail(p, "cannot write", path + ": " + outreason(&f) + (state.empty() ? "" : "; " + state));
    }
    return 1;
}

} // namespace importer
