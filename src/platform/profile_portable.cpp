// A reader and writer of the Windows profile (ini) format, so that the
// settings file written by one build is read by every other: "[section]"
// lines, "key=value" lines, names compared without regard to case, CR LF or
// LF line ends, and every other section and key kept as it stands.
#include "platform/profile.h"

#include "base/nocase.h"
#include "base/printable.h"
#include "base/trim.h"
#include "platform/outfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool samenocase(const std::string &a, const char *b) { return ::samenocase(a.c_str(), b); }

struct profilefile {
    std::vector<std::string> lines;
    bool crlf = false;
};

enum loaded { LOADED, MISSING, UNREADABLE, UNPARSABLE, UNTRUSTED };

bool sectionname(const std::string &line, std::string *name);

// A line a profile may hold: blank, a comment, a section or a key.
bool profileline(const std::string &line)
{
    std::string t = line, name;
    size_t b = t.find_first_not_of(" \t");
    return b == std::string::npos || t[b] == ';' || t[b] == '#' || sectionname(t, &name) ||
           t.find('=') != std::string::npos;
}

loaded load(const char *path, profilefile *p, int *err)
{
    // Links followed as the output layer follows them (another user's link
    // in a shared sticky folder is not), the file itself opened without
    // following one: a link swapped in meanwhile is refused.
    char real[600];
    int untrusted = 0;
    if (!followlinks(path, real, sizeof real, &untrusted)) {
        *err = errno;
        return untrusted ? UNTRUSTED : UNREADABLE;
    }
    int fd = open(real, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    FILE *f = fd >= 0 ? fdopen(fd, "rb") : nullptr;
    if (!f) {
        *err = errno;
        if (fd >= 0)
            close(fd);
        return *err == ENOENT ? MISSING : UNREADABLE;
    }
    std::string cur;
    bool binary = false;
    int c;
    while ((c = std::getc(f)) != EOF) {
        binary = binary || c == '\0';
        if (c == '\n') {
            if (!cur.empty() && cur.back() == '\r') {
                cur.pop_back();
                p->crlf = true;
            }
            p->lines.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(static_cast<char>(c));
        }
    }
    if (!cur.empty())
        p->lines.push_back(cur);
    *err = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (*err)
        return UNREADABLE;
    for (const std::string &l : p->lines)
        binary = binary || !profileline(l);
    return binary ? UNPARSABLE : LOADED;
}

// "[name]" gives name; anything else gives false.
bool sectionname(const std::string &line, std::string *name)
{
    std::string t = trim(line);
    if (t.size() < 2 || t[0] != '[')
        return false;
    size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    *name = trim(t.substr(1, close - 1));
    return true;
}

bool keyline(const std::string &line, std::string *key, std::string *value)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    *key = trim(line.substr(0, eq));
    *value = trim(line.substr(eq + 1));
    return true;
}

// Index of the key's line within section, or -1; *end is where the section's
// last non-empty line is (the place to add a key), -1 when there is no section.
int findkey(const profilefile &p, const char *section, const char *key, int *end)
{
    bool inside = false;
    *end = -1;
    for (size_t i = 0; i < p.lines.size(); i++) {
        std::string name, k, v;
        if (sectionname(p.lines[i], &name)) {
            inside = samenocase(name, section);
            if (inside)
                *end = static_cast<int>(i);
            continue;
        }
        if (!inside)
            continue;
        if (!trim(p.lines[i]).empty())
            *end = static_cast<int>(i);
        if (keyline(p.lines[i], &k, &v) && samenocase(k, key))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

void getprofile(const char *section, const char *key, const char *def, char *buf, size_t size,
                const char *path)
{
    profilefile p;
    std::string value = def;
    int end, err;
    if (load(path, &p, &err) == LOADED) {
        int i = findkey(p, section, key, &end);
        std::string k, v;
        if (i >= 0 && keyline(p.lines[i], &k, &v)) {
            // Windows drops one pair of quotes around a value.
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
                v = v.substr(1, v.size() - 2);
            value = v;
        }
    }
    std::snprintf(buf, size, "%s", value.c_str());
}

namespace {

// Puts value under key into the lines of p.
void setkey(profilefile *p, const char *section, const char *key, const char *value)
{
    int end;
    int i = findkey(*p, section, key, &end);
    // A value that begins or ends with a blank, or stands in quotes, goes in
    // quotes: the reader trims a value and drops one pair of them (as
    // Windows does), so it reads back as written ("/opt/poser " stays so).
    std::string v = value;
    if (!v.empty() &&
        (isasciiblank(v.front()) || isasciiblank(v.back()) || v.front() == '"' || v.front() == '\''))
        v = '"' + v + '"';
    std::string entry = std::string(key) + "=" + v;
    if (i >= 0) {
        p->lines[i] = entry;
    } else if (end >= 0) {
        p->lines.insert(p->lines.begin() + end + 1, entry);
    } else {
        p->lines.push_back(std::string("[") + section + "]");
        p->lines.push_back(entry);
    }
}

// Writes p whole to a new file that then takes path's name (through a link
// at path, to the file it leads to); 0 with *why on failure.
int rewrite(const profilefile &p, const char *path, const char **why)
{
    outfile f;
    if (!openout(&f, path, OUT_REPLACE | OUT_REWRITE)) {
        *why = outreason(&f);
        return 0;
    }
    const char *eol = p.crlf ? "\r\n" : "\n";
    for (const std::string &l : p.lines)
        std::fprintf(f.stream, "%s%s", l.c_str(), eol);
    if (!closeout(&f) || !commitout(&f)) {
        *why = outreason(&f);
        discardout(&f);
        return 0;
    }
    return 1;
}

} // namespace

int writeprofile(const char *section, const char *key, const char *value, const char *path, const char **why)
{
    // A line feed would end the line early and inject the rest as a line of
    // its own (or make the file no settings file for every later run).
    if (hascontrol(value)) {
        if (why)
            *why = "the value holds a control character";
        return 0;
    }
    const char *reason = nullptr;
    // Read, changed and written under the folder's lock: two runs at once
    // would each keep only their own change.
    int lock = lockfolderof(path);
    profilefile p;
    int err = 0;
    switch (load(path, &p, &err)) {
    case UNREADABLE:
        // Taken as empty, it would be replaced by one key alone.
        reason = errnoreason(err);
        break;
    case UNPARSABLE:
        reason = "not a settings file";
        break;
    case UNTRUSTED:
        reason = UNTRUSTEDLINK;
        break;
    case LOADED:
    case MISSING:
        setkey(&p, section, key, value);
        rewrite(p, path, &reason);
        break;
    }
    unlockfolder(lock);
    if (reason && why)
        *why = reason;
    return reason == nullptr;
}
