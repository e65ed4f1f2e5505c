#include "writers/gltf/writeGLB.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/cpu.h"
#include "model/labels.h"
#include "model/model.h"
#include "writers/gltf/jsontext.h"
#include "writers/gltf/srgb.h"

namespace {

// glTF's numeric codes.
enum {
    UNSIGNED_BYTE = 5121,
    UNSIGNED_SHORT = 5123,
    UNSIGNED_INT = 5125,
    FLOAT = 5126,
    ARRAY_BUFFER = 34962,
    ELEMENT_ARRAY_BUFFER = 34963,
    TRIANGLES = 4
};

const uint32_t GLBMAGIC = 0x46546C67;  // "glTF"
const uint32_t JSONCHUNK = 0x4E4F534A; // "JSON"
const uint32_t BINCHUNK = 0x004E4942;  // "BIN\0"

void store16(unsigned char *b, unsigned v)
{
    b[0] = static_cast<unsigned char>(v);
    b[1] = static_cast<unsigned char>(v >> 8);
}

void store32(unsigned char *b, uint32_t v)
{
    b[0] = static_cast<unsigned char>(v);
    b[1] = static_cast<unsigned char>(v >> 8);
    b[2] = static_cast<unsigned char>(v >> 16);
    b[3] = static_cast<unsigned char>(v >> 24);
}

// The file's bytes on their way out, through a block of fixed size: the
// binary chunk is written straight from the figure's arrays, so the file is
// never held in memory a second time.
class glbout {
    enum { BIG = 4096 };

public:
    explicit glbout(FILE *f) : out(f), block(1 << 14), used(0) {}
    ~glbout() { flush(); }
    glbout(const glbout &) = delete;
    glbout &operator=(const glbout &) = delete;

    // n more bytes at the end, to be filled through the pointer (n at most
    // the block's size).
    unsigned char *grow(size_t n)
    {
        if (block.size() - used < n)
            flush();
        unsigned char *at = block.data() + used;
        used += n;
        return at;
    }
    void bytes(const void *data, size_t n)
    {
        // An array goes to the stream from where it lies: the stream has a
        // buffer of its own, and a copy into this block first would move
        // every byte twice.
        if (n >= BIG) {
            flush();
            std::fwrite(data, 1, n, out);
            return;
        }
        const unsigned char *from = static_cast<const unsigned char *>(data);
        while (n > 0) {
            if (used == block.size())
                flush();
            size_t part = std::min(n, block.size() - used);
            std::memcpy(block.data() + used, from, part);
            used += part;
            from += part;
            n -= part;
        }
    }
    void put32(uint32_t v) { store32(grow(4), v); }
    // count records of width bytes, made a block at a time by make(bytes,
    // first index, number of records).
    template <class maker>
    void blocks(size_t count, size_t width, maker make)
    {
        for (size_t i = 0; i < count;) {
            size_t fit = std::min(count - i, (block.size() - used) / width);
            if (fit == 0) {
                flush();
                continue;
            }
            make(grow(fit * width), i, fit);
            i += fit;
        }
    }
    // count records of width bytes, each made by make(bytes, index).
    template <class maker>
    void records(size_t count, size_t width, maker make)
    {
        blocks(count, width, [&](unsigned char *b, size_t first, size_t n) {
            for (size_t i = first; i < first + n; i++, b += width)
                make(b, i);
        });
    }
    // Always little-endian whatever the machine.
    void floats(const float *v, size_t n)
    {
        const uint32_t one = 1;
        unsigned char first;
        std::memcpy(&first, &one, 1);
        if (first == 1) { // a little-endian machine: the floats as they are
            bytes(v, n * 4);
            return;
        }
        for (size_t i = 0; i < n; i++) {
            uint32_t u;
            std::memcpy(&u, &v[i], 4);
            put32(u);
        }
    }
    // Likewise for 16-bit numbers.
    void shorts(const unsigned short *v, size_t n)
    {
        const uint32_t one = 1;
        unsigned char first;
        std::memcpy(&first, &one, 1);
        if (first == 1) {
            bytes(v, n * 2);
            return;
        }
        records(n, 2, [v](unsigned char *b, size_t i) { store16(b, v[i]); });
    }
    void zeros(size_t n) { std::memset(grow(n), 0, n); }
    void flush()
    {
        if (used > 0)
            std::fwrite(block.data(), 1, used, out);
        used = 0;
    }

private:
    FILE *out;
    std::vector<unsigned char> block;
    size_t used;
};

// What one buffer view holds, to be written when the JSON is out.
enum contents { POSITIONS, NORMALS, JOINTS, WEIGHTS, INDICES, INVERSEBINDS, TIMES, ROTATIONS, TRANSLATIONS };

struct view {
    size_t offset, length;
    int target; // 0: none
    contents what;
    const glbprimitive *from; // null for the inverse bind matrices and the animation
    int atom;                 // the joint of an animation's rotations or translations
};

struct accessor {
    int view, component, count;
    const char *type;
    bool normalized;
    int bounds; // how many components of min and max are written (POSITION needs 3, times 1)
    float min[3], max[3];
};

// The binary chunk's layout, every buffer view starting on a 4-byte
// boundary (the largest component is 4 bytes, and vertex attributes need 4
// in any case).
struct layout {
    size_t size = 0;
    std::vector<view> views;
    std::vector<accessor> accessors;

    int addview(size_t length, int target, contents what, const glbprimitive *from, int atom = -1)
    {
        views.push_back({size, length, target, what, from, atom});
        size += (length + 3) / 4 * 4;
        return static_cast<int>(views.size()) - 1;
    }
    int add(int v, int component, int count, const char *type, bool normalized = false)
    {
        accessor a = {v, component, count, type, normalized, 0, {0, 0, 0}, {0, 0, 0}};
        accessors.push_back(a);
        return static_cast<int>(accessors.size()) - 1;
    }
};

struct primitiveaccessors {
    int position, normal, joints, weights, indices;
};

// A joint index of 1 byte while every joint fits one, else of 2.
bool smalljoints(int njoints) { return njoints <= 256; }

// 16-bit indices while they can address every vertex (65535 is kept free:
// it means a primitive restart to some readers).
bool shortindices(const glbprimitive &p) { return p.vertexcount() <= 65535; }

enum { NORMALSTEP = 128 };

// Directions n[0..2][k] for k below count turned by r (nine numbers, row by
// row), by component into q: mapvector's operations, in loops the compiler
// does two (or, built for AVX2, four) at a time.
inline void turnallwith(const double *r, const double *const *n, int count, double q[3][NORMALSTEP])
{
    for (int i = 0; i < 3; i++) {
        const double r0 = r[3 * i], r1 = r[3 * i + 1], r2 = r[3 * i + 2];
        const double *nx = n[0], *ny = n[1], *nz = n[2];
        double *out = q[i];
        for (int k = 0; k < count; k++)
            out[k] = r0 * nx[k] + r1 * ny[k] + r2 * nz[k];
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void turnallavx2(const double *r, const double *const *n, int count,
                                                 double q[3][NORMALSTEP])
{
    turnallwith(r, n, count, q);
}
#endif

void turnall(const double *r, const double *const *n, int count, double q[3][NORMALSTEP])
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (useavx2()) {
        turnallavx2(r, n, count, q);
        return;
    }
#endif
    turnallwith(r, n, count, q);
}

// The normals of a primitive of shapes, made as they are written: each
// shape's unit normals turned by its frame, as floats.
void shapenormals(glbout &out, const glbshapes &g, size_t count)
{
    double q[3][NORMALSTEP];
    float buf[3 * NORMALSTEP];
    for (size_t s = 0; s < count; s++) {
        const double *r = &g.frames[glbshapes::FRAME * s];
        for (int k = 0; k < g.vertices;) {
            int n = g.vertices - k < NORMALSTEP ? g.vertices - k : NORMALSTEP;
            const double *const from[3] = {g.normal[0] + k, g.normal[1] + k, g.normal[2] + k};
            turnall(r, from, n, q);
            for (int v = 0; v < n; v++)
                for (int i = 0; i < 3; i++)
                    buf[3 * v + i] = static_cast<float>(q[i][v]);
            out.floats(buf, 3 * static_cast<size_t>(n));
            k += n;
        }
    }
}

// The JOINTS records of n vertices: the joint in one byte and three zeros
// (width 4), or in two bytes and six zeros (width 8).
void jointrecords(glbout &out, const unsigned short *joints, size_t n, size_t width)
{
    const uint32_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    if (width == 4 && first == 1) {
        // On a little-endian machine a record is the joint's low byte as a
        // 32-bit number: a block of them at a time, in a loop the compiler
        // can widen.
        out.blocks(n, 4, [joints](unsigned char *b, size_t from, size_t count) {
            for (size_t i = 0; i < count; i++) {
                uint32_t r = joints[from + i] & 0xffu;
                std::memcpy(b + 4 * i, &r, 4);
            }
        });
    } else if (first == 1) {
        // The joint in two bytes and six zeros: a 64-bit number likewise.
        out.blocks(n, 8, [joints](unsigned char *b, size_t from, size_t count) {
            for (size_t i = 0; i < count; i++) {
                uint64_t r = joints[from + i];
                std::memcpy(b + 8 * i, &r, 8);
            }
        });
    } else if (width == 4) {
        out.records(n, 4, [joints](unsigned char *b, size_t i) {
            store32(b, static_cast<unsigned char>(joints[i]));
        });
    } else {
        out.records(n, 8, [joints](unsigned char *b, size_t i) {
            store32(b, joints[i]);
            store32(b + 4, 0);
        });
    }
}

// The JOINTS records of a primitive whose middle rings follow two joints:
// the first joint, then the second (zero where there is none; its weight
// is zero then), in bytes (width 4) or little-endian shorts (width 8).
void blendedjoints(glbout &out, const glbprimitive &p, size_t width)
{
    size_t n = static_cast<size_t>(p.shapes.vertices);
    std::vector<unsigned short> first(n), second(n);
    std::vector<unsigned char> weight(n);
    for (size_t s = 0; s < p.shapes.count(); s++) {
        shapejoints(p, s, first.data());
        shapeblend(p, s, second.data(), weight.data());
        const unsigned short *j0 = first.data(), *j1 = second.data();
        const unsigned char *w = weight.data();
        if (width == 4) {
            out.records(n, 4, [j0, j1, w](unsigned char *b, size_t i) {
                store32(b, (j0[i] & 0xffu) | (w[i] == 255 ? 0u : (j1[i] & 0xffu) << 8));
            });
        } else {
            out.records(n, 8, [j0, j1, w](unsigned char *b, size_t i) {
                store32(b, j0[i] | (w[i] == 255 ? 0u : static_cast<uint32_t>(j1[i]) << 16));
                store32(b + 4, 0);
            });
        }
    }
}

// The WEIGHTS records likewise: the first joint's weight, the rest of 255
// the second's.
void blendedweights(glbout &out, const glbprimitive &p)
{
    size_t n = static_cast<size_t>(p.shapes.vertices);
    std::vector<unsigned short> second(n);
    std::vector<unsigned char> weight(n);
    for (size_t s = 0; s < p.shapes.count(); s++) {
        shapeblend(p, s, second.data(), weight.data());
        const unsigned char *w = weight.data();
        out.records(n, 4, [w](unsigned char *b, size_t i) { store32(b, w[i] | (255u - w[i]) << 8); });
    }
}

// The positions of a primitive of shapes, made again as they are written.
void shapepoints(glbout &out, const glbprimitive &p)
{
    std::vector<float> buf(3 * static_cast<size_t>(p.shapes.vertices));
    for (size_t s = 0; s < p.shapes.count(); s++) {
        shapepositions(p, s, buf.data());
        out.floats(buf.data(), buf.size());
    }
}

// The triangles of a primitive of shapes, each shape's counted from its
// first vertex, as width-byte indices.
void shapeindices(glbout &out, const glbshapes &g, size_t count, size_t width)
{
    const int *corner = g.triangles[0]; // the rows lie end to end
    size_t per = 3 * static_cast<size_t>(g.trianglecount);
    std::vector<unsigned short> some(width == 2 ? per : 0);
    for (size_t s = 0; s < count; s++) {
        unsigned first = static_cast<unsigned>(s * static_cast<size_t>(g.vertices));
        if (width == 2) {
            for (size_t i = 0; i < per; i++)
                some[i] = static_cast<unsigned short>(first + static_cast<unsigned>(corner[i]));
            out.shorts(some.data(), per);
        } else {
            out.records(per, 4, [corner, first](unsigned char *b, size_t i) {
                store32(b, first + static_cast<unsigned>(corner[i]));
            });
        }
    }
}

primitiveaccessors layprimitive(layout &l, const glbprimitive &p, int njoints)
{
    primitiveaccessors out;
    size_t count = p.vertexcount();
    int n = static_cast<int>(count);

    out.position = l.add(l.addview(count * 12, ARRAY_BUFFER, POSITIONS, &p), FLOAT, n, "VEC3");
    accessor &pos = l.accessors[out.position];
    pos.bounds = 3;
    for (int k = 0; k < 3; k++) {
        pos.min[k] = p.shapes.min[k];
        pos.max[k] = p.shapes.max[k];
    }

    out.normal = l.add(l.addview(count * 12, ARRAY_BUFFER, NORMALS, &p), FLOAT, n, "VEC3");
    bool small = smalljoints(njoints);
    out.joints = l.add(l.addview(count * (small ? 4 : 8), ARRAY_BUFFER, JOINTS, &p),
                       small ? UNSIGNED_BYTE : UNSIGNED_SHORT, n, "VEC4");
    out.weights = l.add(l.addview(count * 4, ARRAY_BUFFER, WEIGHTS, &p), UNSIGNED_BYTE, n, "VEC4", true);
    bool shortones = shortindices(p);
    out.indices =
        l.add(l.addview(p.indexcount() * (shortones ? 2 : 4), ELEMENT_ARRAY_BUFFER, INDICES, &p),
              shortones ? UNSIGNED_SHORT : UNSIGNED_INT, static_cast<int>(p.indexcount()), "SCALAR");
    return out;
}

// Keys from the animation's temporary file, or zeros (and false) where it
// cannot be read back.
bool keys(glbout &out, const float *values, size_t n)
{
    if (!values) {
        for (size_t i = 0; i < n; i++)
            out.zeros(4);
        return false;
    }
    out.floats(values, n);
    return true;
}

// The bytes of one buffer view, then its padding to 4 bytes with zeros;
// false when the animation's keys could not be read back.
bool writeview(glbout &out, const view &v, const glbfigure &f, const glbmotion *m)
{
    bool ok = true;
    const glbprimitive *p = v.from;
    size_t count = p ? p->vertexcount() : 0;
    switch (v.what) {
    case POSITIONS:
        shapepoints(out, *p);
        break;
    case NORMALS:
        shapenormals(out, p->shapes, p->shapes.count());
        break;
    case JOINTS: {
        // One joint per vertex, weight 1; the other three slots are joint 0
        // with weight 0. (The lambdas take the arrays' addresses: stores
        // through bytes might change any vector's own pointers.)
        size_t width = v.length == count * 4 ? 4 : 8;
        std::vector<unsigned short> made(static_cast<size_t>(p->shapes.vertices));
        if (!p->shapes.middle.empty()) {
            blendedjoints(out, *p, width);
            break;
        }
        for (size_t s = 0; s < p->shapes.count(); s++) {
            shapejoints(*p, s, made.data());
            jointrecords(out, made.data(), made.size(), width);
        }
        break;
    }
    case WEIGHTS:
        if (!p->shapes.middle.empty())
            blendedweights(out, *p);
        else
            out.records(count, 4, [](unsigned char *b, size_t) { store32(b, 255); });
        break;
    case INDICES: {
        size_t n = p->indexcount();
        shapeindices(out, p->shapes, p->shapes.count(), v.length == n * 2 ? 2 : 4);
        break;
    }
    case INVERSEBINDS:
        for (const glbjoint &g : f.joints)
            out.floats(g.inversebind, 16);
        break;
    case TIMES:
        out.floats(m->times.data(), m->times.size());
        break;
    case ROTATIONS:
        ok = keys(out, m->rotation(v.atom), 4 * static_cast<size_t>(m->frames));
        break;
    case TRANSLATIONS:
        ok = keys(out, m->translation(v.atom), 3 * static_cast<size_t>(m->frames));
        break;
    }
    out.zeros((4 - v.length % 4) % 4);
    return ok;
}

void writefloats(jsontext &j, const char *key, const float *v, int n)
{
    j.key(key);
    j.open('[');
    for (int i = 0; i < n; i++)
        j.real(v[i]);
    j.close(']');
}

void writematerial(jsontext &j, const char *name, unsigned char red, unsigned char green, unsigned char blue)
{
    j.open('{');
    j.key("name");
    j.string(name);
    j.key("pbrMetallicRoughness");
    j.open('{');
    float colour[4] = {static_cast<float>(srgbtolinear(red)), static_cast<float>(srgbtolinear(green)),
                       static_cast<float>(srgbtolinear(blue)), 1.0f};
    writefloats(j, "baseColorFactor", colour, 4);
    j.key("metallicFactor");
    j.real(0.0f);
    j.key("roughnessFactor");
    j.real(0.4f);
    j.close('}');
    j.close('}');
}

// Where the atom stands in its file, as glTF extras, which Blender shows as
// the bone's custom properties: only for a description that says so.
void writelabel(jsontext &j, const atomlabel &l)
{
    j.key("extras");
    j.open('{');
    j.key("residue");
    j.string(l.residue);
    j.key("residue_number");
    j.integer(l.number);
    if (l.icode) {
        const char icode[2] = {l.icode, 0};
        j.key("insertion_code");
        j.string(icode);
    }
    j.key("chain");
    j.string(l.chain);
    j.key("atom");
    j.string(l.atom);
    j.close('}');
}

// Nodes: the atoms' joints in table order, then the leaf tips, then the
// plain node that holds the rig, then the mesh.
void writenodes(jsontext &j, const glbfigure &f, const char *name, bool hasmesh)
{
    int njoints = static_cast<int>(f.joints.size());
    std::vector<std::vector<int>> children(natoms);
    for (int n = 1; n < natoms; n++)
        children[atoms[n].parent - atoms].push_back(n);
    for (int k = natoms; k < njoints; k++)
        children[f.joints[k].atom].push_back(k);

    j.key("nodes");
    j.open('[');
    for (int k = 0; k < njoints; k++) {
        const glbjoint &g = f.joints[k];
        j.open('{');
        j.key("name");
        j.string(
            (g.tip ? std::string(atoms[g.atom].name) + ".tip" : std::string(atoms[g.atom].name)).c_str());
        if (!g.tip && !children[k].empty()) {
            j.key("children");
            j.open('[');
            for (int c : children[k])
                j.integer(c);
            j.close(']');
        }
        writefloats(j, "translation", g.translation, 3);
        if (!g.tip)
            writefloats(j, "rotation", g.rotation, 4);
        if (!g.tip && labelof(g.atom))
            writelabel(j, *labelof(g.atom));
        j.close('}');
    }
    if (natoms > 0) {
        j.open('{');
        j.key("name");
        j.string(name);
        j.key("children");
        j.open('[');
        j.integer(0);
        j.close(']');
        writefloats(j, "translation", f.rig, 3);
        j.close('}');
    }
    if (hasmesh) {
        // The skinned mesh stands at the scene's root without a transform of
        // its own: the joints alone place its vertices. Its own name keeps
        // it apart from the rig in tools that name objects after nodes.
        j.open('{');
        j.key("name");
        j.string((std::string(name) + "_mesh").c_str());
        j.key("mesh");
        j.integer(0);
        j.key("skin");
        j.integer(0);
        j.close('}');
    }
    j.close(']');
}

void writeaccessors(jsontext &j, const layout &l)
{
    j.key("accessors");
    j.open('[');
    for (const accessor &a : l.accessors) {
        j.open('{');
        j.key("bufferView");
        j.integer(a.view);
        j.key("componentType");
        j.integer(a.component);
        if (a.normalized) {
            j.key("normalized");
            j.boolean(true);
        }
        j.key("count");
        j.integer(a.count);
        j.key("type");
        j.string(a.type);
        if (a.bounds) {
            writefloats(j, "min", a.min, a.bounds);
            writefloats(j, "max", a.max, a.bounds);
        }
        j.close('}');
    }
    j.close(']');

    j.key("bufferViews");
    j.open('[');
    for (const view &v : l.views) {
        j.open('{');
        j.key("buffer");
        j.integer(0);
        j.key("byteOffset");
        j.integer(static_cast<long long>(v.offset));
        j.key("byteLength");
        j.integer(static_cast<long long>(v.length));
        if (v.target) {
            j.key("target");
            j.integer(v.target);
        }
        j.close('}');
    }
    j.close(']');

    j.key("buffers");
    j.open('[');
    j.open('{');
    j.key("byteLength");
    j.integer(static_cast<long long>(l.size));
    j.close('}');
    j.close(']');
}

// The animation: one sampler per keyed channel, all on the same times;
// the rotation of every joint but the root's (which keeps its turn), the
// translation of each joint that moves.
void writeanimation(jsontext &j, layout &l, const glbmotion &m, const char *name)
{
    int times = l.add(l.addview(m.times.size() * 4, 0, TIMES, nullptr), FLOAT, m.frames, "SCALAR");
    accessor &t = l.accessors[times];
    t.bounds = 1;
    t.min[0] = m.times.front();
    t.max[0] = m.times.back();
    struct channel {
        int atom;
        const char *path;
        int output;
    };
    std::vector<channel> channels;
    for (int n = 0; n < natoms; n++) {
        if (n > 0)
            channels.push_back({n, "rotation",
                                l.add(l.addview(16 * static_cast<size_t>(m.frames), 0, ROTATIONS, nullptr, n),
                                      FLOAT, m.frames, "VEC4")});
        if (m.moved[n])
            channels.push_back(
                {n, "translation",
                 l.add(l.addview(12 * static_cast<size_t>(m.frames), 0, TRANSLATIONS, nullptr, n), FLOAT,
                       m.frames, "VEC3")});
    }
    j.key("animations");
    j.open('[');
    j.open('{');
    j.key("name");
    j.string(name);
    j.key("channels");
    j.open('[');
    for (size_t c = 0; c < channels.size(); c++) {
        j.open('{');
        j.key("sampler");
        j.integer(static_cast<long long>(c));
        j.key("target");
        j.open('{');
        j.key("node");
        j.integer(channels[c].atom);
        j.key("path");
        j.string(channels[c].path);
        j.close('}');
        j.close('}');
    }
    j.close(']');
    j.key("samplers");
    j.open('[');
    for (const channel &c : channels) {
        j.open('{');
        j.key("input");
        j.integer(times);
        j.key("interpolation");
        j.string("LINEAR");
        j.key("output");
        j.integer(c.output);
        j.close('}');
    }
    j.close(']');
    j.close('}');
    j.close(']');
}

std::string jsonof(const glbfigure &f, layout &l, const char *name, const char *generator, const glbmotion *m)
{
    bool hasmesh = !f.primitives.empty();
    std::vector<primitiveaccessors> prims;
    int inversebind = -1;
    if (hasmesh) {
        for (const glbprimitive &p : f.primitives)
            prims.push_back(layprimitive(l, p, natoms));
        inversebind = l.add(l.addview(f.joints.size() * 64, 0, INVERSEBINDS, nullptr), FLOAT,
                            static_cast<int>(f.joints.size()), "MAT4");
    }

    jsontext j;
    // Room for the text at once: some 150 bytes a joint, some 500 a primitive.
    j.s.reserve(4096 + 200 * f.joints.size() + 600 * f.primitives.size());
    j.open('{');
    j.key("asset");
    j.open('{');
    j.key("version");
    j.string("2.0");
    j.key("generator");
    j.string(generator);
    j.close('}');

    j.key("scene");
    j.integer(0);
    j.key("scenes");
    j.open('[');
    j.open('{');
    j.key("name");
    j.string(name);
    if (natoms > 0 || hasmesh) {
        j.key("nodes");
        j.open('[');
        int rig = static_cast<int>(f.joints.size());
        if (natoms > 0)
            j.integer(rig);
        if (hasmesh)
            j.integer(natoms > 0 ? rig + 1 : rig);
        j.close(']');
    }
    j.close('}');
    j.close(']');

    if (natoms > 0 || hasmesh)
        writenodes(j, f, name, hasmesh);

    if (hasmesh) {
        j.key("meshes");
        j.open('[');
        j.open('{');
        j.key("name");
        j.string(name);
        j.key("primitives");
        j.open('[');
        for (size_t i = 0; i < prims.size(); i++) {
            j.open('{');
            j.key("attributes");
            j.open('{');
            j.key("POSITION");
            j.integer(prims[i].position);
            j.key("NORMAL");
            j.integer(prims[i].normal);
            j.key("JOINTS_0");
            j.integer(prims[i].joints);
            j.key("WEIGHTS_0");
            j.integer(prims[i].weights);
            j.close('}');
            j.key("indices");
            j.integer(prims[i].indices);
            j.key("material");
            j.integer(f.primitives[i].material);
            j.key("mode");
            j.integer(TRIANGLES);
            j.close('}');
        }
        j.close(']');
        j.close('}');
        j.close(']');

        j.key("skins");
        j.open('[');
        j.open('{');
        j.key("name");
        j.string(name);
        j.key("inverseBindMatrices");
        j.integer(inversebind);
        // No "skeleton": Blender then takes the rig node as the armature
        // and its short step to the root joint as the root's bone.
        j.key("joints");
        j.open('[');
        for (size_t n = 0; n < f.joints.size(); n++)
            j.integer(static_cast<long long>(n));
        j.close(']');
        j.close('}');
        j.close(']');
    }

    if (m && m->frames > 1)
        writeanimation(j, l, *m, name);

    if (nelements > 0 || bondradius != 0) {
        j.key("materials");
        j.open('[');
        for (int e = 0; e < nelements; e++)
            writematerial(j, elements[e].name, elements[e].red, elements[e].green, elements[e].blue);
        if (bondradius != 0)
            writematerial(j, "bonds", bondred, bondgreen, bondblue);
        j.close(']');
    }

    if (!l.views.empty())
        writeaccessors(j, l);
    j.close('}');
    return j.s;
}

} // namespace

const char *glboutofrange()
{
    glbfigure f;
    if (buildfigure(&f))
        return nullptr;
    return f.bad;
}

int writeGLB(FILE *GLB, const char *name, const char *generator, double fps)
{
    glbmotion m;
    if (!buildmotion(&m, fps))
        return -1;
    glbfigure f;
    if (!buildfigure(&f, nullptr, &m.stretched))
        return 0;
    return writeGLBfigure(GLB, f, name, generator, &m) ? 1 : -1;
}

int writeGLBfigure(FILE *GLB, const glbfigure &f, const char *name, const char *generator, const glbmotion *m)
{
    layout l;
    std::string json = jsonof(f, l, name, generator, m);
    // The JSON chunk is padded with blanks, the binary one with zeros, each
    // to a multiple of 4 bytes.
    while (json.size() % 4)
        json += ' ';
    bool hasbin = l.size > 0;
    uint32_t total = 12 + 8 + static_cast<uint32_t>(json.size());
    if (hasbin)
        total += 8 + static_cast<uint32_t>(l.size);

    glbout out(GLB);
    bool ok = true;
    out.put32(GLBMAGIC);
    out.put32(2);
    out.put32(total);
    out.put32(static_cast<uint32_t>(json.size()));
    out.put32(JSONCHUNK);
    out.bytes(json.data(), json.size());
    if (hasbin) {
        out.put32(static_cast<uint32_t>(l.size));
        out.put32(BINCHUNK);
        for (const view &v : l.views)
            if (!writeview(out, v, f, m))
                ok = false;
    }
    return ok;
}
