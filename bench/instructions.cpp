// Work counted in instructions, for callgrind: each scenario runs once to warm up, then once more
// inside measured(), the one function callgrind is told to count (--toggle-collect=measured).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <aygshell.h>
#include <emu.h>
#include <windows.h>

extern "C" __attribute__((noinline)) void measured(void (*work)(void *), void *context)
{
    work(context);
}

namespace {

// Loads the pressed and the day face of lower case, portrait, as the panel does at its first paint.
void loadFacePair(void *context)
{
    HMODULE module = static_cast<HMODULE>(context);
    HBITMAP pressed = SHLoadImageResource(module, 0x1000);
    HBITMAP normal = SHLoadImageResource(module, 0x1001);
    if (!pressed || !normal)
        std::fprintf(stderr, "kweno_instructions: the face pair did not load\n");
    DeleteObject(pressed);
    DeleteObject(normal);
}

int facePair(const char *path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        std::fprintf(stderr, "kweno_instructions: cannot read %s\n", path);
        return 1;
    }
    emuReset();
    emuRegisterModule("\\Windows\\KWENO_Resources.dll", bytes.data(), bytes.size());
    HMODULE module = LoadLibraryExW(L"\\Windows\\KWENO_Resources.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        std::fprintf(stderr, "kweno_instructions: %s is no module\n", path);
        return 1;
    }
    loadFacePair(module);
    measured(loadFacePair, module);
    FreeLibrary(module);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "face-pair") == 0)
        return facePair(argv[2]);
    std::fprintf(stderr, "usage: kweno_instructions face-pair MODULE.dll\n"
                         "Run under valgrind --tool=callgrind --toggle-collect=measured.\n");
    return 2;
}
