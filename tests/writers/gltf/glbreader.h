// The tests' own reader of binary glTF files: the container, a small JSON
// parser and the accessors, written from the glTF 2.0 rules and sharing no
// code with the writer, so that a fault in one is not mirrored in the other.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct jvalue {
    enum kind { NUL, BOOL, NUMBER, STRING, ARRAY, OBJECT } type = NUL;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<jvalue> items;                           // ARRAY
    std::vector<std::pair<std::string, jvalue>> members; // OBJECT, in file order

    bool has(const std::string &key) const;
    const jvalue &operator[](const std::string &key) const; // NUL value when absent
    const jvalue &operator[](size_t i) const;
    size_t size() const { return type == ARRAY ? items.size() : members.size(); }
    int integer() const { return static_cast<int>(number); }
};

// Parses strict JSON; on failure returns false and says where in err.
bool parsejson(const std::string &text, jvalue *out, std::string *err);

struct glbfile {
    std::string jsontext; // the JSON chunk as stored, padding included
    jvalue json;
    std::vector<uint8_t> bin; // the BIN chunk as stored, padding included
    bool hasbin = false;
};

// Checks the container (header, chunk order, lengths, 4-byte padding) and
// parses the JSON. Returns "" on success, else what is wrong.
std::string readglb(const std::string &bytes, glbfile *out);

// The elements of accessor a, every component as a double (normalized
// integers scaled to 0..1), in order; components per element in *width.
std::vector<double> accessorvalues(const glbfile &f, int a, int *width);

// A node's local transform from its translation, rotation and scale, as a
// row-major 4x4 matrix.
void nodematrix(const jvalue &node, double m[16]);
void matmul(const double a[16], const double b[16], double out[16]);
// The world matrix of every node, through the scene's node trees. When
// turned names a node, that node is turned further by degrees about its own
// X axis, as a user turns a joint's first dial.
std::vector<std::vector<double>> worldmatrices(const glbfile &f, int turned = -1, double degrees = 0);
