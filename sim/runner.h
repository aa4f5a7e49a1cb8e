// Runs a script on the simulated handheld: pen gestures on the virtual clock, checks, screenshots
// and the animation of the whole session.
#ifndef KWENO_SIM_RUNNER_H
#define KWENO_SIM_RUNNER_H

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "device.h"
#include "gif.h"
#include "script.h"

struct RunOptions {
    std::string outDir;          // where the files go; empty writes none
    bool animate = true;         // write session.gif
    std::ostream *log = nullptr; // progress, one line a command
};

// A screenshot the script asked for, and what the application held at that moment.
struct ShotRecord {
    int line = 0;
    std::string caption;
    std::string file; // name inside outDir; empty if none was written
    std::string text;
    std::string face;
    Image image;
};

class Runner {
  public:
    Runner(Device &device, const RunOptions &options);
    ~Runner();
    Runner(const Runner &) = delete;
    Runner &operator=(const Runner &) = delete;

    // Runs every command; stops at the first that fails, with error() as "line N: ...".
    bool run(const Script &script);
    // Ends the animation and writes text.txt and calls.txt; the page is the caller's.
    bool finish();

    const std::string &error() const { return error_; }
    const std::vector<ShotRecord> &shots() const { return shots_; }
    // Programs the panel started, as "name" or "name arguments".
    std::vector<std::string> programs() const;
    // Virtual milliseconds since the run began.
    long now() const { return now_; }
    int frames() const { return gif_ ? gif_->frames() : 0; }
    std::string animationPath() const;

  private:
    struct Failure {
        std::string message;
    };

    void execute(const Command &command);
    POINT resolve(const Target &target);
    POINT keyCentre(const KeyRef &key) const;

    // The pen, and what the screen shows of it: the key held and the popup open.
    void penDown(POINT p);
    void penMove(POINT p);
    void penUp();
    void advance(long ms);
    void lift();
    void tap(POINT p);
    void waitForPopup();
    bool heldKey(KeyRef *key) const;
    bool popupOnScreen(RECT *rect, KeyRef *key) const;

    void frame();
    void flushFrame(int extraMs);
    void shot(const Command &command);
    void expect(const Command &command);
    void setRegistry(const Command &command);
    void logLine(const Command &command, const std::string &what, const std::string &textBefore);

    Device &device_;
    RunOptions options_;
    std::string error_;
    std::vector<ShotRecord> shots_;
    long now_ = 0;

    // The pen.
    bool penIsDown_ = false;
    POINT pen_ = {0, 0};

    // The animation: the frame on show since pendingStart_, written once the next one differs.
    std::unique_ptr<GifWriter> gif_;
    Image pending_;
    bool hasPending_ = false;
    long pendingStart_ = 0;
    int pendingExtra_ = 0;
};

// "line 3: ..." style text of a string with control characters shown as \n and \t.
std::string visibleText(const std::string &text);

#endif // KWENO_SIM_RUNNER_H
