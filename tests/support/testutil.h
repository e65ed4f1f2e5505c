// Small helpers shared by the tests.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The folder of the checked-in test data (tests/).
std::string testdata(const std::string &relative);

std::string readfile(const std::string &path);
void writefile(const std::string &path, const std::string &content);

// Everything written to f so far (f is left at its end).
std::string contents(FILE *f);

// The names in a folder, hidden ones included, sorted; empty when it does
// not exist.
std::vector<std::string> listfolder(const std::string &dir);

// Runs job in a child process that may write files of at most limit bytes
// (a disk that fills up) and expects it to fail with "I can't write this
// file" naming file. Returns 1 when it did.
int failsonfulldisk(long limit, const std::function<int()> &job, const std::string &file);

// A fresh, empty folder under the system's temporary folder.
std::string tempfolder();

// Reads description text through the job's reset and the reader, as a job
// does; returns the reader's result. Messages land in scripted::messages.
int readtext(const std::string &text);

// Writes both files of the current model into strings, as a job would.
std::string objtext();
std::string cr2text(const char *objfile = "/poser/kestrix/test.obj", const char *poser = "/poser");
