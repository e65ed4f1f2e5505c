// The settings file, in the Windows profile (ini) format.
#pragma once

#include <cstddef>

// Reads key of section from the profile at path into buf (at most size - 1
// characters); a missing file, section or key gives def.
void getprofile(const char *section, const char *key, const char *def, char *buf, size_t size,
                const char *path);

// Stores value as key of section in the profile at path, keeping every other
// section and key. Returns 1 on success; else, when why is given, *why says
// in a few words why the file was left as it was.
int writeprofile(const char *section, const char *key, const char *value, const char *path,
                 const char **why = nullptr);
