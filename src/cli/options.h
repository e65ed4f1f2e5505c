// The console front end's command line.
#pragma once

#include <string>
#include <vector>

struct cliopts {
    std::string poser;    // confirmed Poser folder, absolute; empty: the remembered one
    std::string cr2, obj; // output names as given (made absolute when they have a folder)
    bool force = false, quiet = false;
    bool help = false, version = false;
    std::vector<std::string> files; // descriptions, absolute
    std::vector<std::string> given; // the same, as the user gave them (for messages)
    bool check = false;             // --check: read and report only, write nothing
    bool glb = false;               // --glb: write the glTF figure instead of the Poser files
    std::string out;                // -o: the glTF file of the one description, absolute
    std::string style;              // --style: the glTF figure's style; empty: ball and stick
    std::string bondcolours;        // --bond-colours: "bond" or "atoms"; empty: the bond colour
    double fps = 24;                // --fps: frames per second of an animated figure
};

// Parses argv into opts. Returns 1 on success; on a usage error writes the
// reason into err and returns 0.
int parseoptions(int argc, char **argv, cliopts *opts, std::string *err);

extern const char USAGE[];
// Why a name with a control character is refused.
extern const char CONTROLNAME[];
