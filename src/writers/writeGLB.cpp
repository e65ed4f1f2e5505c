#include "writers/writeGLB.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "model/model.h"
#include "writers/jsontext.h"
#include "writers/srgb.h"

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

const uint32_t GLBMAGIC = 0x46546C67; // "glTF"
const uint32_t JSONCHUNK = 0x4E4F534A; // "JSON"
const uint32_t BINCHUNK = 0x004E4942;  // "BIN\0"

// The binary chunk, always little-endian whatever the machine, with every
// buffer view starting on a 4-byte boundary (the largest component is 4
// bytes, and vertex attributes need 4 in any case).
struct binchunk {
    std::vector<unsigned char> bytes;

    // n more bytes at the end, to be filled through the pointer.
    unsigned char *grow(size_t n)
    {
        size_t at = bytes.size();
        bytes.resize(at + n);
        return bytes.data() + at;
    }
    static void store16(unsigned char *b, unsigned v)
    {
        b[0] = static_cast<unsigned char>(v);
        b[1] = static_cast<unsigned char>(v >> 8);
    }
    static void store32(unsigned char *b, uint32_t v)
    {
        store16(b, v & 0xffff);
        store16(b + 2, v >> 16);
    }
    void floats(const float *v, size_t n)
    {
        unsigned char *b = grow(n * 4);
        const uint32_t one = 1;
        unsigned char first;
        std::memcpy(&first, &one, 1);
        if (first == 1) { // a little-endian machine: the floats as they are
            std::memcpy(b, v, n * 4);
            return;
        }
        for (size_t i = 0; i < n; i++) {
            uint32_t u;
            std::memcpy(&u, &v[i], 4);
            store32(b + 4 * i, u);
        }
    }
    void align()
    {
        while (bytes.size() % 4)
            bytes.push_back(0);
    }
};

struct view {
    size_t offset, length;
    int target; // 0: none
};

struct accessor {
    int view, component, count;
    const char *type;
    bool normalized;
    bool bounds; // min and max written (POSITION needs them)
    float min[3], max[3];
};

struct layout {
    binchunk bin;
    std::vector<view> views;
    std::vector<accessor> accessors;

    int endview(size_t start, int target)
    {
        views.push_back({start, bin.bytes.size() - start, target});
        bin.align();
        return static_cast<int>(views.size()) - 1;
    }
    int add(int v, int component, int count, const char *type, bool normalized = false)
    {
        accessor a = {v, component, count, type, normalized, false, {0, 0, 0}, {0, 0, 0}};
        accessors.push_back(a);
        return static_cast<int>(accessors.size()) - 1;
    }
};

struct primitiveaccessors {
    int position, normal, joints, weights, indices;
};

primitiveaccessors layprimitive(layout &l, const glbprimitive &p, int njoints)
{
    primitiveaccessors out;
    size_t count = p.joints.size();
    int n = static_cast<int>(count);

    size_t start = l.bin.bytes.size();
    l.bin.floats(p.positions.data(), p.positions.size());
    out.position = l.add(l.endview(start, ARRAY_BUFFER), FLOAT, n, "VEC3");
    accessor &pos = l.accessors[out.position];
    pos.bounds = true;
    for (int k = 0; k < 3; k++)
        pos.min[k] = pos.max[k] = p.positions[k];
    for (size_t i = 0; i < p.positions.size(); i++) {
        float v = p.positions[i];
        int k = static_cast<int>(i % 3);
        if (v < pos.min[k])
            pos.min[k] = v;
        if (v > pos.max[k])
            pos.max[k] = v;
    }

    start = l.bin.bytes.size();
    l.bin.floats(p.normals.data(), p.normals.size());
    out.normal = l.add(l.endview(start, ARRAY_BUFFER), FLOAT, n, "VEC3");

    // One joint per vertex, weight 1; the other three slots are joint 0
    // with weight 0.
    bool small = njoints <= 256;
    start = l.bin.bytes.size();
    unsigned char *b = l.bin.grow(count * (small ? 4 : 8));
    std::memset(b, 0, count * (small ? 4 : 8));
    for (size_t i = 0; i < count; i++) {
        if (small)
            b[i * 4] = static_cast<unsigned char>(p.joints[i]);
        else
            binchunk::store16(b + i * 8, p.joints[i]);
    }
    out.joints = l.add(l.endview(start, ARRAY_BUFFER), small ? UNSIGNED_BYTE : UNSIGNED_SHORT, n, "VEC4");

    start = l.bin.bytes.size();
    b = l.bin.grow(count * 4);
    std::memset(b, 0, count * 4);
    for (size_t i = 0; i < count; i++)
        b[i * 4] = 255;
    out.weights = l.add(l.endview(start, ARRAY_BUFFER), UNSIGNED_BYTE, n, "VEC4", true);

    // 16-bit indices while they can address every vertex (65535 is kept
    // free: it means a primitive restart to some readers).
    bool shortindices = count <= 65535;
    start = l.bin.bytes.size();
    b = l.bin.grow(p.indices.size() * (shortindices ? 2 : 4));
    for (size_t i = 0; i < p.indices.size(); i++) {
        if (shortindices)
            binchunk::store16(b + i * 2, p.indices[i]);
        else
            binchunk::store32(b + i * 4, p.indices[i]);
    }
    out.indices = l.add(l.endview(start, ELEMENT_ARRAY_BUFFER), shortindices ? UNSIGNED_SHORT : UNSIGNED_INT,
                        static_cast<int>(p.indices.size()), "SCALAR");
    return out;
}

void writefloats(jsontext &j, const char *key, const float *v, int n)
{
    j.key(key);
    j.open('[');
    for (int i = 0; i < n; i++)
        j.real(v[i]);
    j.close(']');
}

void writematerial(jsontext &j, const char *name, unsigned char red, unsigned char green,
                   unsigned char blue)
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
        j.string((g.tip ? std::string(atoms[g.atom].name) + ".tip" : std::string(atoms[g.atom].name)).c_str());
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
            writefloats(j, "min", a.min, 3);
            writefloats(j, "max", a.max, 3);
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
    j.integer(static_cast<long long>(l.bin.bytes.size()));
    j.close('}');
    j.close(']');
}

std::string jsonof(const glbfigure &f, layout &l, const char *name, const char *generator)
{
    bool hasmesh = !f.primitives.empty();
    std::vector<primitiveaccessors> prims;
    int inversebind = -1;
    size_t estimate = static_cast<size_t>(natoms) * 64 + 16;
    for (const glbprimitive &p : f.primitives)
        estimate += p.joints.size() * 36 + p.indices.size() * 4 + 64;
    l.bin.bytes.reserve(estimate);
    if (hasmesh) {
        for (const glbprimitive &p : f.primitives)
            prims.push_back(layprimitive(l, p, natoms));
        size_t start = l.bin.bytes.size();
        for (const glbjoint &g : f.joints)
            l.bin.floats(g.inversebind, 16);
        inversebind = l.add(l.endview(start, 0), FLOAT, static_cast<int>(f.joints.size()), "MAT4");
    }

    jsontext j;
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

void put32(FILE *out, uint32_t v)
{
    unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                          static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, out);
}

} // namespace

const char *glboutofrange()
{
    glbfigure f;
    if (buildfigure(&f))
        return nullptr;
    return f.bad;
}

int writeGLB(FILE *GLB, const char *name, const char *generator)
{
    glbfigure f;
    if (!buildfigure(&f))
        return 0;
    writeGLBfigure(GLB, f, name, generator);
    return 1;
}

void writeGLBfigure(FILE *GLB, const glbfigure &f, const char *name, const char *generator)
{
    layout l;
    std::string json = jsonof(f, l, name, generator);
    // The JSON chunk is padded with blanks, the binary one with zeros, each
    // to a multiple of 4 bytes.
    while (json.size() % 4)
        json += ' ';
    bool hasbin = !l.bin.bytes.empty();
    uint32_t total = 12 + 8 + static_cast<uint32_t>(json.size());
    if (hasbin)
        total += 8 + static_cast<uint32_t>(l.bin.bytes.size());

    put32(GLB, GLBMAGIC);
    put32(GLB, 2);
    put32(GLB, total);
    put32(GLB, static_cast<uint32_t>(json.size()));
    put32(GLB, JSONCHUNK);
    std::fwrite(json.data(), 1, json.size(), GLB);
    if (hasbin) {
        put32(GLB, static_cast<uint32_t>(l.bin.bytes.size()));
        put32(GLB, BINCHUNK);
        std::fwrite(l.bin.bytes.data(), 1, l.bin.bytes.size(), GLB);
    }
}
