// Work counted in instructions: each scenario warms up with as many gestures as it then repeats
// inside measured(), the one function callgrind is told to count
// (--toggle-collect=measured). scripts/bench.sh reads the counts per object (the panel's own code
// apart from the emulation's) and divides by the repetitions printed here. Under qemu-arm, which
// counts every instruction executed in the device's DLL from the start, the script takes the
// difference between runs of N and 2N repetitions instead (2N gestures, warm-ups included); the
// program says where the DLL lies.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <aygshell.h>
#include <emu.h>
#include <windows.h>

#include "bytes.h"
#include "peformat.h"
#include "selectedpanel.h"
#include "wholefile.h"

extern "C" __attribute__((noinline)) void measured(void (*work)(void *), void *context)
{
    work(context);
}

namespace {

int repetitions = 100;

// How many gestures the work now running makes: the warm-up's or the measured repetitions.
int gestures = 0;

InputPanelHost &hostOf(void *context)
{
    return *static_cast<SelectedPanel *>(context)->host;
}

// The pen moves within g, which it holds down.
void movesOnThePressedKey(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < gestures; ++i)
        host.penMove(keyG.x + (i % 2 ? 5 : -5), keyG.y);
}

// The pen slides from g to h and back, each move onto the other key.
void slides(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < gestures; ++i)
        host.penMove(i % 2 ? keyG.x : keyH.x, keyG.y);
}

// Down and up on q, spaced so that no tap is a bounce of the last.
void taps(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < gestures; ++i)
        host.tap(keyQ.x, keyQ.y);
}

// The numeric key and the letters key in turn: each tap changes the mode, repaints the keyboard
// and loads the new face pair.
void modeKeyTaps(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < gestures; ++i) {
        POINT key = i % 2 ? keyLetters : keyNumeric;
        host.tap(key.x, key.y);
    }
}

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

std::vector<char> fileBytes(const char *path)
{
    return wholeFile<std::vector<char>>(path);
}

// The loads of face pairs measured, as many as the repetitions.
void loadFacePairs(void *context)
{
    for (int i = 0; i < gestures; ++i)
        loadFacePair(context);
}

int facePair(const char *path)
{
    std::vector<char> bytes = fileBytes(path);
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
    gestures = repetitions;
    measured(loadFacePairs, module);
    FreeLibrary(module);
    std::printf("repetitions %d\n", repetitions);
    return 0;
}

// Where the device's DLL lies in this process, so that only the instructions executed there are
// counted: its preferred base and size, from its header, once its export is found inside them.
// Nothing for a panel that is no PE file (the ELF build).
bool printImageRange(SelectedPanel &panel, const char *path)
{
    std::vector<char> file = fileBytes(path);
    const uint8_t *b = reinterpret_cast<const uint8_t *>(file.data());
    if (file.size() < 0x200 || b[0] != 'M' || b[1] != 'Z')
        return true;
    size_t headers = emu::le32(b + emu::PE_SIGNATURE_POINTER) + emu::OPTIONAL_HEADER_AT;
    if (headers + emu::OPTIONAL_IMAGE_SIZE + 4 > file.size()) {
        std::fprintf(stderr, "kweno_instructions: %s has no PE headers\n", path);
        return false;
    }
    const uint8_t *optional = b + headers;
    uint32_t base = emu::le32(optional + emu::OPTIONAL_IMAGE_BASE);
    uint32_t size = emu::le32(optional + emu::OPTIONAL_IMAGE_SIZE);
    HMODULE module = static_cast<HMODULE>(panel.host->module().nativeHandle());
    uintptr_t entry = reinterpret_cast<uintptr_t>(GetProcAddressW(module, L"DllGetClassObject"));
    if (entry < base || entry >= (uintptr_t)base + size) {
        std::fprintf(stderr, "kweno_instructions: %s is not mapped at its base 0x%08X\n", path, (unsigned)base);
        return false;
    }
    std::printf("image 0x%08X 0x%X\n", (unsigned)base, (unsigned)size);
    return true;
}

struct Scenario {
    const char *name;
    void (*work)(void *);
    bool penDownOnG; // the gesture starts with the pen held on g
};

const Scenario scenarios[] = {
    {"move", movesOnThePressedKey, true},
    {"slide", slides, true},
    {"tap", taps, false},
    {"mode-tap", modeKeyTaps, false},
};

int runScenario(const Scenario &s)
{
    SelectedPanel panel;
    if (!panel.ready) {
        std::fprintf(stderr, "kweno_instructions: the panel did not come up\n");
        return 1;
    }
    if (!printImageRange(panel, KWENO_DAY_PATH))
        return 1;
    InputPanelHost &host = *panel.host;
    if (s.penDownOnG)
        host.penDown(keyG.x, keyG.y);
    gestures = repetitions; // the faces of both modes are loaded once, caches are filled
    s.work(&panel);
    emuClearPixelCounts();
    long long calls = emuCallTotal();
    gestures = repetitions;
    measured(s.work, &panel);
    std::printf("repetitions %d\npixels %lld\ncalls %lld\n", repetitions,
                emuPixelsCopied(EMU_BITBLT) + emuPixelsCopied(EMU_STRETCHBLT), emuCallTotal() - calls);
    if (s.penDownOnG)
        host.penUp(keyG.x, keyG.y - 400);
    return 0;
}

// A count of gestures: a multiple of step (2 where the gestures alternate between two keys).
bool readRepetitions(const char *text, int step)
{
    char *end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (*end || n < step || n % step || n > 100000)
        return false;
    repetitions = (int)n;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    bool facePairs = argc >= 3 && std::strcmp(argv[1], "face-pair") == 0;
    int before = facePairs ? 3 : 2; // the arguments before the repetitions
    if (facePairs)
        repetitions = 1;
    bool ok = argc == before || (argc == before + 1 && readRepetitions(argv[before], facePairs ? 1 : 2));
    if (ok && facePairs)
        return facePair(argv[2]);
    for (const Scenario &s : scenarios)
        if (ok && std::strcmp(argv[1], s.name) == 0)
            return runScenario(s);
    std::fprintf(stderr,
                 "usage: kweno_instructions move|slide|tap|mode-tap [REPETITIONS]\n"
                 "       kweno_instructions face-pair MODULE.dll [REPETITIONS]\n"
                 "Run under valgrind --tool=callgrind --toggle-collect=measured, or under qemu-arm\n"
                 "counting the instructions executed in the DLL's range. Repetitions: even, 100 unless told.\n");
    return 2;
}
