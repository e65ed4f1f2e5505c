#include "base/problem.h"

int fail(problem &p, const std::string &what, const std::string &detail)
{
    p.what = what;
    p.detail = detail;
    return 0;
}

problem warning(const std::string &what, const std::string &detail)
{
    problem p;
    p.what = what;
    p.detail = detail;
    return p;
}

problem report(const std::string &what, const std::string &detail)
{
    problem p = warning(what, detail);
    p.type = KMB_OK;
    return p;
}

problem filefault(const std::string &what, const std::string &path, const char *reason)
{
    problem p = warning(what, path);
    p.reason = reason ? reason : "";
    return p;
}
