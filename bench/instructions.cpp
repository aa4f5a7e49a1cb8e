// Work counted in instructions, for callgrind: each scenario runs once to warm up, then its
// gesture is repeated inside measured(), the one function callgrind is told to count
// (--toggle-collect=measured). scripts/bench.sh reads the counts per object (the panel's own code
// apart from the emulation's) and divides by the repetitions printed here.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <aygshell.h>
#include <emu.h>
#include <windows.h>

#include "selectedpanel.h"
#include "wholefile.h"

extern "C" __attribute__((noinline)) void measured(void (*work)(void *), void *context)
{
    work(context);
}

namespace {

const int repetitions = 100;

InputPanelHost &hostOf(void *context)
{
    return *static_cast<SelectedPanel *>(context)->host;
}

// The pen moves within g, which it holds down.
void movesOnThePressedKey(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < repetitions; ++i)
        host.penMove(keyG.x + (i % 2 ? 5 : -5), keyG.y);
}

// The pen slides from g to h and back, each move onto the other key.
void slides(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < repetitions; ++i)
        host.penMove(i % 2 ? keyG.x : keyH.x, keyG.y);
}

// Down and up on q, spaced so that no tap is a bounce of the last.
void taps(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < repetitions; ++i)
        host.tap(keyQ.x, keyQ.y);
}

// The numeric key and the letters key in turn: each tap changes the mode, repaints the keyboard
// and loads the new face pair.
void modeKeyTaps(void *context)
{
    InputPanelHost &host = hostOf(context);
    for (int i = 0; i < repetitions; ++i) {
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

int facePair(const char *path)
{
    std::vector<uint8_t> bytes = wholeFile(path);
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
    std::printf("repetitions 1\n");
    return 0;
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
    InputPanelHost &host = *panel.host;
    if (s.penDownOnG)
        host.penDown(keyG.x, keyG.y);
    s.work(&panel); // warm-up: the faces of every mode are loaded once, caches are filled
    emuClearPixelCounts();
    measured(s.work, &panel);
    std::printf("repetitions %d\npixels %lld\n", repetitions,
                emuPixelsCopied(EMU_BITBLT) + emuPixelsCopied(EMU_STRETCHBLT));
    if (s.penDownOnG)
        host.penUp(keyG.x, keyG.y - 400);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "face-pair") == 0)
        return facePair(argv[2]);
    for (const Scenario &s : scenarios)
        if (argc == 2 && std::strcmp(argv[1], s.name) == 0)
            return runScenario(s);
    std::fprintf(stderr, "usage: kweno_instructions move|slide|tap|mode-tap\n"
                         "       kweno_instructions face-pair MODULE.dll\n"
                         "Run under valgrind --tool=callgrind --toggle-collect=measured.\n");
    return 2;
}
