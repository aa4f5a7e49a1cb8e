// What the panel holds, counted on the platform emulation at the moments that matter: its bitmaps
// (faces, popup pictures, the letter window's back buffer), each as GetObjectW describes it; the
// heap blocks its DLL has from COREDLL's malloc; its windows, classes, DCs, image lists and modules.
// Printed per variant, one line a moment, with the budget a selected panel keeps within, for
// scripts/bench.sh. The heap is counted only where the panel is a device DLL (the ARM build).
#include <cstdio>
#include <string>

#include <emu.h>

#include "selectedpanel.h"
#include "surface/imageids.h"

namespace {

// What is live now, counted from the moment before the panel was loaded.
struct Holdings {
    int live[EMU_KIND_COUNT];
    long long pixels = 0;
    long long bytes = 0;   // as GetObjectW describes each bitmap
    long long bytes16 = 0; // at the display's 16 bits per pixel
    std::string bitmaps;   // "480x252x32 ..." in the order they were made
    EmuHeap heap;
};

Holdings holdingsNow()
{
    Holdings h;
    for (int k = 0; k < EMU_KIND_COUNT; ++k)
        h.live[k] = emuLiveCount(k);
    BITMAP bm;
    for (int n = 0; emuLiveBitmap(n, &bm); ++n) {
        h.pixels += (long long)bm.bmWidth * bm.bmHeight;
        h.bytes += (long long)bm.bmWidthBytes * bm.bmHeight;
        h.bytes16 += 2LL * bm.bmWidth * bm.bmHeight;
        h.bitmaps += (h.bitmaps.empty() ? "" : " ") + std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight) +
                     "x" + std::to_string(bm.bmBitsPixel);
    }
    emuHeapState(&h.heap);
    return h;
}

void print(const char *variant, const char *moment, const Holdings &h, const Holdings &before)
{
    std::printf("%s %s windows %d classes %d dcs %d bitmaps %d imagelists %d modules %d pixels %lld bytes %lld "
                "bytes16 %lld heap %lld blocks %d highwater %lld list %s\n",
                variant, moment, h.live[EMU_WINDOW] - before.live[EMU_WINDOW],
                h.live[EMU_CLASS] - before.live[EMU_CLASS], h.live[EMU_DC] - before.live[EMU_DC],
                h.live[EMU_BITMAP] - before.live[EMU_BITMAP], h.live[EMU_IMAGELIST] - before.live[EMU_IMAGELIST],
                h.live[EMU_MODULE] - before.live[EMU_MODULE], h.pixels - before.pixels, h.bytes - before.bytes,
                h.bytes16 - before.bytes16, h.heap.liveBytes, h.heap.liveBlocks, h.heap.highWater,
                h.bitmaps.empty() ? "-" : h.bitmaps.c_str());
}

// One variant through the moments: selected and painted, a letter held (its magnifier), the widest
// popup open, a mode change after that popup closed, Deselect, and the module let go.
bool measure(int variant)
{
    const char *name = VARIANTS[variant].name;
    emuReset();
    emuMapFolder("\\Windows", KWENO_SKIN_DIR);
    InputPanelHost host;
    Holdings before = holdingsNow();
    if (before.live[EMU_BITMAP] || before.heap.liveBytes) {
        std::fprintf(stderr, "kweno_memory: the host holds bitmaps or heap blocks of its own\n");
        return false;
    }
    if (host.load(deliverablePath(variant), VARIANTS[variant].classId) != S_OK || host.activate() != S_OK) {
        std::fprintf(stderr, "kweno_memory: the %s panel did not come up: %s\n", name, host.error().c_str());
        return false;
    }
    host.pump();
    print(name, "selected", holdingsNow(), before);

    host.penDown(keyG.x, keyG.y);
    print(name, "letter-held", holdingsNow(), before);
    host.penUp(keyG.x, keyG.y);
    host.advance(TAP_GAP_MS);

    host.penDown(keyO.x, keyO.y);
    host.advance(600);
    print(name, "popup-open", holdingsNow(), before);
    // Lifted where it went down, the popup waits; a tap far above it closes it without a pick.
    host.penUp(keyO.x, keyO.y);
    host.tap(keyO.x, 100);

    host.tap(keyNumeric.x, keyNumeric.y);
    print(name, "mode-changed", holdingsNow(), before);

    host.deactivate();
    print(name, "deselected", holdingsNow(), before);
    host.unload();
    print(name, "released", holdingsNow(), before);

    for (int i = 0; i < emuViolationCount(); ++i)
        std::fprintf(stderr, "kweno_memory: %s: violation: %s\n", name, emuViolation(i));
    return emuViolationCount() == 0;
}

// The most a selected portrait panel needs at once: the face pair on screen, the pair of the
// widest popup (kept after it closes, until the next popup or Deselect), and the letter window's
// back buffer, which is never larger than that popup (a magnified key is at most 118 x 77).
long long budgetPixels()
{
    long long widestPopup = 0;
    for (int mode = 0; mode < LAYOUT_MODES; ++mode)
        for (int row = 0; row < ROW_COUNT; ++row)
            for (const KeyRecord *k = (*modeLayouts[mode].portrait)[row]; !isSentinel(*k); ++k)
                if (k->alternatives && popupWidth(k->alternatives) * POPUP_HEIGHT > widestPopup)
                    widestPopup = popupWidth(k->alternatives) * POPUP_HEIGHT;
    return 2LL * PORTRAIT_WIDTH * PORTRAIT_HEIGHT + 3 * widestPopup;
}

} // namespace

int main()
{
    std::printf("budget pixels %lld\n", budgetPixels());
    bool ok = true;
    for (int variant = 0; variant < VARIANT_COUNT; ++variant)
        ok = measure(variant) && ok;
    return ok ? 0 : 1;
}
