// Benchmarks of the day panel through the host on the platform emulation: a pen move on the
// pressed key, a slide to the next key, a full repaint and a tap from pen-down to the host's text.
#include <benchmark/benchmark.h>

#include "selectedpanel.h"

static void penMoveOnTheSameKey(benchmark::State &state)
{
    SelectedPanel panel;
    if (!panel.ready) {
        state.SkipWithError("the panel could not be selected");
        return;
    }
    InputPanelHost &host = *panel.host;
    host.penDown(keyG.x, keyG.y);
    long long pixels = emuPixelsCopied(EMU_BITBLT) + emuPixelsCopied(EMU_STRETCHBLT);
    int dx = 1;
    for (auto _ : state) {
        host.penMove(keyG.x + dx, keyG.y);
        dx = -dx;
    }
    if (emuPixelsCopied(EMU_BITBLT) + emuPixelsCopied(EMU_STRETCHBLT) != pixels)
        state.SkipWithError("a move on the same key drew something");
    host.penUp(keyG.x, keyG.y);
}
BENCHMARK(penMoveOnTheSameKey);

// For comparison: each move lands on the other key, which unpresses one key and presses the
// other, with its magnifier.
static void penSlideToTheNextKey(benchmark::State &state)
{
    SelectedPanel panel;
    if (!panel.ready) {
        state.SkipWithError("the panel could not be selected");
        return;
    }
    InputPanelHost &host = *panel.host;
    host.penDown(keyG.x, keyG.y);
    bool onG = true;
    for (auto _ : state) {
        POINT to = onG ? keyH : keyG;
        host.penMove(to.x, to.y);
        onG = !onG;
    }
    // Lifted off the keyboard: nothing typed.
    host.penMove(keyG.x, keyG.y - 400);
    host.penUp(keyG.x, keyG.y - 400);
}
BENCHMARK(penSlideToTheNextKey);

static void fullRepaint(benchmark::State &state)
{
    SelectedPanel panel;
    HWND keyboard = panel.ready ? panel.keyboardWindow() : nullptr;
    if (!keyboard) {
        state.SkipWithError("the panel could not be selected");
        return;
    }
    int paintsBefore = emuCallCount("BeginPaint");
    long long pixelsBefore = emuPixelsCopied(EMU_BITBLT);
    for (auto _ : state) {
        InvalidateRect(keyboard, nullptr, FALSE);
        emuPump();
    }
    int paints = emuCallCount("BeginPaint") - paintsBefore;
    if (paints != static_cast<int>(state.iterations())) {
        state.SkipWithError("not every invalidation was painted");
        return;
    }
    state.counters["pixels"] =
        benchmark::Counter(static_cast<double>(emuPixelsCopied(EMU_BITBLT) - pixelsBefore) / paints);
}
BENCHMARK(fullRepaint)->Unit(benchmark::kMicrosecond);

// Pen down, 30 ms, pen up, 100 ms on the virtual clock: the press with its magnifier, the release
// with its redraw, and the character in the host's text field.
static void keyTap(benchmark::State &state)
{
    SelectedPanel panel;
    if (!panel.ready) {
        state.SkipWithError("the panel could not be selected");
        return;
    }
    InputPanelHost &host = *panel.host;
    long long taps = 0;
    bool allTyped = true;
    for (auto _ : state) {
        POINT key = taps % 2 ? keyW : keyQ;
        host.tap(key.x, key.y);
        // Emptied now and then so that the text and the record of calls stay small.
        if (++taps % 1000 == 0) {
            allTyped = allTyped && host.calls().size() == 2000 && host.field().text().size() == 1000;
            host.callback().clearCalls();
            host.field().clear();
        }
    }
    size_t since = static_cast<size_t>(taps % 1000);
    allTyped = allTyped && host.calls().size() == 2 * since && host.field().text().size() == since;
    if (!allTyped)
        state.SkipWithError("a tap did not reach the host as one key down and one key up");
}
BENCHMARK(keyTap)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
