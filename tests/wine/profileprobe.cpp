// profileprobe: reads or writes one key of a settings file through the
// profile layer of the build it is linked with (the portable reader and writer
// natively, GetPrivateProfileStringA and WritePrivateProfileStringA on
// Windows), so the Wine test can cross the two.
//   profileprobe get SECTION KEY FILE        prints value=...
//   profileprobe set SECTION KEY VALUE FILE
#include "platform/profile.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "get") == 0) {
        char value[256];
        getprofile(argv[2], argv[3], "(none)", value, sizeof value, argv[4]);
        std::printf("value=%s\n", value);
        return 0;
    }
    if (argc == 6 && std::strcmp(argv[1], "set") == 0)
        return writeprofile(argv[2], argv[3], argv[4], argv[5]) ? 0 : 1;
    std::fprintf(stderr, "usage: profileprobe get SECTION KEY FILE | set SECTION KEY VALUE FILE\n");
    return 2;
}
