#include <sys/stat.h>
#include <filesystem>
#include <Windows.h>
#include <zlib.h>
