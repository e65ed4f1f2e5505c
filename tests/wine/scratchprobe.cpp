// scratchprobe: makes a temporary file through the base layer of the build
// it is linked with, writes bytes a text-mode stream would change (LF, CR LF,
// ^Z) and reads them back, and counts the files of the system's folder for
// temporary files while it is open and after it is closed, so the Wine test
// sees that the file is made there and goes when closed. Then the same for
// a frame table given the platform's temporary files, as the programs give
// them: it spills there, reads back, and its file goes with it.
//   scratchprobe    prints: bytes=same|changed open=N closed=M
//                           table=same|changed open=N closed=M
#include "base/spill.h"
#include "platform/scratch.h"

#include <cstring>
#include <windows.h>

static int count()
{
    wchar_t folder[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, folder);
    wcscat(folder, L"krx*.tmp");
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(folder, &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do
        n++;
    while (FindNextFileW(h, &found));
    FindClose(h);
    return n;
}

int main()
{
    FILE *f = scratchfile();
    if (!f) {
        std::printf("no temporary file\n");
        return 1;
    }
    const char bytes[] =
        "a\nb\r\nc\x1a"
        "d";
    char back[sizeof bytes] = {};
    std::fwrite(bytes, 1, sizeof bytes, f);
    std::rewind(f);
    size_t n = std::fread(back, 1, sizeof back, f);
    int open = count();
    std::fclose(f);
    std::printf("bytes=%s open=%d closed=%d\n",
                n == sizeof bytes && std::memcmp(bytes, back, n) == 0 ? "same" : "changed", open, count());

    setspillfiles(scratchfile);
    bool same = true;
    {
        recordstore table(sizeof(double), 64);
        for (int k = 0; k < 100; k++) {
            double v = k + 0.5;
            table.append(&v);
        }
        for (int k : {0, 57, 99}) {
            double v = -1;
            same = same && table.read(static_cast<size_t>(k), &v) && v == k + 0.5;
        }
        open = count();
    }
    std::printf("table=%s open=%d closed=%d\n", same ? "same" : "changed", open, count());
    return 0;
}
