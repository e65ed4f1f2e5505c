#include "glbreader.h"

#include <cmath>
#include <cstring>

namespace {

const jvalue NOTHING;

struct parser {
    const std::string &s;
    size_t i = 0;
    std::string err;

    explicit parser(const std::string &text) : s(text) {}

    void blank()
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
            i++;
    }
    bool fail(const std::string &what)
    {
        if (err.empty())
            err = what + " at byte " + std::to_string(i);
        return false;
    }
    bool literal(const char *word)
    {
        size_t n = std::strlen(word);
        if (s.compare(i, n, word) != 0)
            return fail(std::string("expected ") + word);
        i += n;
        return true;
    }
    bool string(std::string *out)
    {
        if (i >= s.size() || s[i] != '"')
            return fail("expected a string");
        i++;
        while (i < s.size() && s[i] != '"') {
            unsigned char c = static_cast<unsigned char>(s[i]);
            if (c < 0x20)
                return fail("control character in a string");
            if (c != '\\') {
                *out += static_cast<char>(c);
                i++;
                continue;
            }
            if (++i >= s.size())
                return fail("cut escape");
            char e = s[i++];
            if (e == 'u') {
                if (i + 4 > s.size())
                    return fail("cut \\u escape");
                unsigned v = static_cast<unsigned>(std::stoul(s.substr(i, 4), nullptr, 16));
                i += 4;
                if (v < 0x80) {
                    *out += static_cast<char>(v);
                } else if (v < 0x800) {
                    *out += static_cast<char>(0xc0 | (v >> 6));
                    *out += static_cast<char>(0x80 | (v & 0x3f));
                } else {
                    *out += static_cast<char>(0xe0 | (v >> 12));
                    *out += static_cast<char>(0x80 | ((v >> 6) & 0x3f));
                    *out += static_cast<char>(0x80 | (v & 0x3f));
                }
            } else {
                const char *from = "\"\\/bfnrt", *to = "\"\\/\b\f\n\r\t";
                const char *k = std::strchr(from, e);
                if (!k || !e)
                    return fail("bad escape");
                *out += to[k - from];
            }
        }
        if (i >= s.size())
            return fail("unterminated string");
        i++;
        return true;
    }
    bool number(double *out)
    {
        size_t start = i;
        if (i < s.size() && s[i] == '-')
            i++;
        if (i >= s.size() || !(s[i] >= '0' && s[i] <= '9'))
            return fail("bad number");
        if (s[i] == '0' && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '9')
            return fail("leading zero");
        while (i < s.size() && std::strchr("0123456789.eE+-", s[i]))
            i++;
        *out = std::strtod(s.substr(start, i - start).c_str(), nullptr);
        return true;
    }
    bool value(jvalue *v, int depth)
    {
        if (depth > 64)
            return fail("too deep");
        blank();
        if (i >= s.size())
            return fail("unexpected end");
        char c = s[i];
        if (c == '{') {
            v->type = jvalue::OBJECT;
            i++;
            blank();
            if (i < s.size() && s[i] == '}') {
                i++;
                return true;
            }
            for (;;) {
                blank();
                std::string key;
                if (!string(&key))
                    return false;
                for (auto &m : v->members)
                    if (m.first == key)
                        return fail("key " + key + " twice");
                blank();
                if (i >= s.size() || s[i++] != ':')
                    return fail("expected ':'");
                jvalue item;
                if (!value(&item, depth + 1))
                    return false;
                v->members.emplace_back(key, item);
                blank();
                if (i < s.size() && s[i] == ',') {
                    i++;
                    continue;
                }
                if (i < s.size() && s[i] == '}') {
                    i++;
                    return true;
                }
                return fail("expected ',' or '}'");
            }
        }
        if (c == '[') {
            v->type = jvalue::ARRAY;
            i++;
            blank();
            if (i < s.size() && s[i] == ']') {
                i++;
                return true;
            }
            for (;;) {
                jvalue item;
                if (!value(&item, depth + 1))
                    return false;
                v->items.push_back(item);
                blank();
                if (i < s.size() && s[i] == ',') {
                    i++;
                    continue;
                }
                if (i < s.size() && s[i] == ']') {
                    i++;
                    return true;
                }
                return fail("expected ',' or ']'");
            }
        }
        if (c == '"') {
            v->type = jvalue::STRING;
            return string(&v->text);
        }
        if (c == 't' || c == 'f') {
            v->type = jvalue::BOOL;
            v->boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            v->type = jvalue::NUL;
            return literal("null");
        }
        v->type = jvalue::NUMBER;
        return number(&v->number);
    }
};

uint32_t le32(const std::string &b, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

} // namespace

bool jvalue::has(const std::string &key) const
{
    for (auto &m : members)
        if (m.first == key)
            return true;
    return false;
}

const jvalue &jvalue::operator[](const std::string &key) const
{
    for (auto &m : members)
        if (m.first == key)
            return m.second;
    return NOTHING;
}

const jvalue &jvalue::operator[](size_t i) const { return i < items.size() ? items[i] : NOTHING; }

bool parsejson(const std::string &text, jvalue *out, std::string *err)
{
    parser p(text);
    bool ok = p.value(out, 0);
    if (ok) {
        p.blank();
        if (p.i != text.size())
            ok = p.fail("text after the value");
    }
    if (!ok)
        *err = p.err;
    return ok;
}

std::string readglb(const std::string &b, glbfile *out)
{
    if (b.size() < 20)
        return "shorter than a header and one chunk";
    if (le32(b, 0) != 0x46546C67)
        return "no glTF magic";
    if (le32(b, 4) != 2)
        return "container version is not 2";
    if (le32(b, 8) != b.size())
        return "header length " + std::to_string(le32(b, 8)) + " but file of " + std::to_string(b.size());
    size_t at = 12;
    int chunk = 0;
    while (at < b.size()) {
        if (at + 8 > b.size())
            return "cut chunk header";
        uint32_t len = le32(b, at), type = le32(b, at + 4);
        if (len % 4)
            return "chunk length not a multiple of 4";
        if (at + 8 + len > b.size())
            return "chunk runs past the end";
        std::string data = b.substr(at + 8, len);
        if (chunk == 0) {
            if (type != 0x4E4F534A)
                return "first chunk is not JSON";
            out->jsontext = data;
        } else if (chunk == 1) {
            if (type != 0x004E4942)
                return "second chunk is not BIN";
            out->bin.assign(data.begin(), data.end());
            out->hasbin = true;
        } else {
            return "more than two chunks";
        }
        at += 8 + len;
        chunk++;
    }
    if (chunk == 0)
        return "no JSON chunk";
    std::string err;
    if (!parsejson(out->jsontext, &out->json, &err))
        return "JSON: " + err;
    return "";
}

std::vector<double> accessorvalues(const glbfile &f, int a, int *width)
{
    const jvalue &acc = f.json["accessors"][a];
    const jvalue &view = f.json["bufferViews"][acc["bufferView"].integer()];
    std::string type = acc["type"].text;
    int n = type == "SCALAR" ? 1
            : type == "VEC2" ? 2
            : type == "VEC3" ? 3
            : type == "VEC4" ? 4
            : type == "MAT4" ? 16
                             : 0;
    *width = n;
    int ct = acc["componentType"].integer();
    int size = ct == 5121 || ct == 5120 ? 1 : ct == 5123 || ct == 5122 ? 2 : 4;
    bool normalized = acc["normalized"].boolean;
    size_t stride = view.has("byteStride") ? static_cast<size_t>(view["byteStride"].integer())
                                           : static_cast<size_t>(n * size);
    size_t base = static_cast<size_t>(view["byteOffset"].number + acc["byteOffset"].number);
    std::vector<double> out;
    int count = acc["count"].integer();
    for (int e = 0; e < count; e++)
        for (int k = 0; k < n; k++) {
            size_t at = base + e * stride + k * size;
            uint32_t raw = 0;
            for (int byte = 0; byte < size; byte++)
                raw |= static_cast<uint32_t>(f.bin.at(at + byte)) << (8 * byte);
            double v;
            if (ct == 5126) {
                float fl;
                std::memcpy(&fl, &raw, 4);
                v = fl;
            } else {
                v = raw;
                if (normalized)
                    v /= (size == 1 ? 255.0 : size == 2 ? 65535.0 : 4294967295.0);
            }
            out.push_back(v);
        }
    return out;
}

void matmul(const double a[16], const double b[16], double out[16])
{
    double r[16];
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            r[i * 4 + j] = 0;
            for (int k = 0; k < 4; k++)
                r[i * 4 + j] += a[i * 4 + k] * b[k * 4 + j];
        }
    std::memcpy(out, r, sizeof r);
}

void nodematrix(const jvalue &node, double m[16])
{
    double t[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
    for (int k = 0; k < 3 && node.has("translation"); k++)
        t[k] = node["translation"][k].number;
    for (int k = 0; k < 4 && node.has("rotation"); k++)
        q[k] = node["rotation"][k].number;
    for (int k = 0; k < 3 && node.has("scale"); k++)
        s[k] = node["scale"][k].number;
    double x = q[0], y = q[1], z = q[2], w = q[3];
    double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y - z * w),     2 * (x * z + y * w),
                   2 * (x * y + z * w),     1 - 2 * (x * x + z * z), 2 * (y * z - x * w),
                   2 * (x * z - y * w),     2 * (y * z + x * w),     1 - 2 * (x * x + y * y)};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++)
            m[i * 4 + j] = r[i * 3 + j] * s[j];
        m[i * 4 + 3] = t[i];
    }
    m[12] = m[13] = m[14] = 0;
    m[15] = 1;
}

std::vector<std::vector<double>> worldmatrices(const glbfile &f, int turned, double degrees)
{
    const jvalue &nodes = f.json["nodes"];
    std::vector<std::vector<double>> world(nodes.size(), std::vector<double>(16, 0.0));
    std::vector<std::pair<int, std::vector<double>>> stack;
    std::vector<double> identity(16, 0.0);
    identity[0] = identity[5] = identity[10] = identity[15] = 1;
    const jvalue &roots = f.json["scenes"][static_cast<size_t>(f.json["scene"].integer())]["nodes"];
    for (size_t i = 0; i < roots.size(); i++)
        stack.emplace_back(roots[i].integer(), identity);
    while (!stack.empty()) {
        auto [n, parent] = stack.back();
        stack.pop_back();
        double local[16];
        nodematrix(nodes[n], local);
        if (n == turned) {
            double a = degrees * std::acos(-1.0) / 180, c = std::cos(a), s = std::sin(a);
            double rx[16] = {1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0, 0, 0, 0, 1};
            matmul(local, rx, local);
        }
        matmul(parent.data(), local, world[n].data());
        const jvalue &children = nodes[n]["children"];
        for (size_t c = 0; c < children.size(); c++)
            stack.emplace_back(children[c].integer(), world[n]);
    }
    return world;
}
