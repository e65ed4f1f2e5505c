// A small writer of JSON text: values, keys and brackets are appended in
// order, and the commas between them are put in by the writer. It knows
// nothing of glTF.
#pragma once

#include <string>

struct jsontext {
    std::string s;
    bool comma = false; // a value stands before the next item at this level

    void open(char bracket);  // '{' or '['
    void close(char bracket); // '}' or ']'
    void key(const char *k);
    void string(const char *v);
    void integer(long long v);
    void boolean(bool v);
    // A float, printed so that reading it back gives exactly the same float.
    void real(float v);
};
