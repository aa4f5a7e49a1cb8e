// Runs a script on the simulated handheld: each command as pen gestures on the virtual clock, the
// popup's cells found where the screen shows the popup, the checks, the screenshots and the
// animation.
#include "runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <emu.h>

#include "text.h"
#include "wholefile.h"

// A drag to a popup waits for it this long at most.
static const long popupWaitMs = 2000;
// Between the places of a drag.
static const long dragStepMs = 60;

// The animation: a picture at least every frameStepMs of virtual time, none shown shorter than
// minFrameMs so that a tap's magnifier can be seen, screenshots held a while, the last frame longer.
static const long frameStepMs = 100;
static const int minFrameMs = 120;
static const int shotHoldMs = 1500;
static const int lastFrameMs = 3000;
static const uint32_t canvasColour = 0x2B2D31;

std::string visibleText(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char hex[8];
                snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

static std::string slug(const std::string &caption)
{
    std::string out;
    for (char c : caption) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
            keep = true;
        }
        if (keep)
            out += c;
        else if (!out.empty() && out.back() != '-')
            out += '-';
        if (out.size() >= 40)
            break;
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out.empty() ? "screen" : out;
}

// Portrait and landscape frames share one square canvas, as wide as the screen is long.
static int canvasSide()
{
    return std::max(emuScreenWidth(), emuScreenHeight());
}

Runner::Runner(Device &device, const RunOptions &options) : device_(device), options_(options)
{
    if (!options_.outDir.empty() && options_.animate) {
        gif_ = std::make_unique<GifWriter>();
        std::string error;
        if (!gif_->open(animationPath(), canvasSide(), canvasSide(), &error)) {
            if (options_.log)
                *options_.log << "kweno-sim: no animation: " << error << "\n";
            gif_.reset();
        }
    }
}

Runner::~Runner() = default;

std::string Runner::animationPath() const
{
    return options_.outDir.empty() ? std::string() : options_.outDir + "/session.gif";
}

std::vector<std::string> Runner::programs() const
{
    std::vector<std::string> started;
    for (int i = 0; i < emuProcessCount(); ++i) {
        std::string line = emuProcessProgram(i);
        std::string arguments = emuProcessArguments(i);
        if (!arguments.empty())
            line += " " + arguments;
        started.push_back(line);
    }
    return started;
}

bool Runner::run(const Script &script)
{
    frame();
    for (const Command &command : script.commands) {
        std::string before = device_.host().text();
        try {
            execute(command);
        } catch (const Failure &failure) {
            error_ = "line " + std::to_string(command.line) + ": " + failure.message;
            return false;
        }
        std::string what;
        if (command.kind == Command::SHOT && !shots_.back().file.empty())
            what = "-> " + shots_.back().file;
        logLine(command, what, before);
    }
    return true;
}

void Runner::logLine(const Command &command, const std::string &what, const std::string &textBefore)
{
    if (!options_.log)
        return;
    char head[32];
    snprintf(head, sizeof head, "  line %3d  ", command.line);
    std::string line = head + describeCommand(command);
    if (!what.empty())
        line += "  " + what;
    std::string text = device_.host().text();
    if (text != textBefore) {
        if (line.size() < 44)
            line.resize(44, ' ');
        line += "  text: \"" + visibleText(text) + "\"";
    }
    *options_.log << line << "\n";
    options_.log->flush();
}

// ---- the pen ----

POINT Runner::keyCentre(const KeyRef &key) const
{
    RECT panel = device_.panelRect();
    return POINT{panel.left + (key.rect.left + key.rect.right) / 2, panel.top + (key.rect.top + key.rect.bottom) / 2};
}

// The key the pen holds down and that opens a popup when held: a pressed key with alternatives.
bool Runner::heldKey(KeyRef *key) const
{
    return device_.pressedKey(key) && key->key->alternatives;
}

// The popup on screen, and the key it belongs to: the panel keeps that key pressed while it is open.
bool Runner::popupOnScreen(RECT *rect, KeyRef *key) const
{
    RECT r;
    KeyRef owner;
    if (!device_.popupRect(&r) || !heldKey(&owner))
        return false;
    if (rect)
        *rect = r;
    if (key)
        *key = owner;
    return true;
}

void Runner::penDown(POINT p)
{
    if (penIsDown_)
        throw Failure{"the pen is already down; release it first"};
    penIsDown_ = true;
    pen_ = p;
    device_.host().penDown(p.x, p.y);
    frame();
}

void Runner::penMove(POINT p)
{
    if (!penIsDown_)
        throw Failure{"the pen is not down; press a key first"};
    pen_ = p;
    device_.host().penMove(p.x, p.y);
    frame();
}

void Runner::penUp()
{
    if (!penIsDown_)
        throw Failure{"the pen is not down"};
    device_.host().penUp(pen_.x, pen_.y);
    penIsDown_ = false;
    frame();
}

void Runner::advance(long ms)
{
    while (ms > 0) {
        long step = std::min(ms, frameStepMs);
        device_.host().advance(static_cast<DWORD>(step));
        now_ += step;
        ms -= step;
        frame();
    }
}

// After every lift the pen rests as after a tap of the host's, so that a key tapped twice is never
// taken for a bounce.
void Runner::lift()
{
    penUp();
    advance(TAP_GAP_MS);
}

void Runner::tap(POINT p)
{
    penDown(p);
    advance(TAP_DOWN_MS);
    lift();
}

void Runner::waitForPopup()
{
    KeyRef held;
    if (popupOnScreen(nullptr, nullptr))
        return;
    if (!heldKey(&held))
        throw Failure{"no popup opens here: the pen is not on a key with alternatives"};
    for (long waited = 0; !popupOnScreen(nullptr, nullptr); waited += frameStepMs) {
        if (waited >= popupWaitMs)
            throw Failure{"the popup of \"" + keyLabel(*held.key) + "\" did not open"};
        advance(frameStepMs);
    }
}

// ---- targets ----

POINT Runner::resolve(const Target &target)
{
    switch (target.kind) {
    case Target::POINT:
        return POINT{target.x, target.y};
    case Target::CELL: {
        RECT popup;
        KeyRef owner;
        if (!popupOnScreen(&popup, &owner))
            throw Failure{"no popup is open for " + describeTarget(target) +
                          " (hold a key with alternatives for 500 ms first)"};
        if (target.cell > popupCellCount(owner))
            throw Failure{"the popup of \"" + keyLabel(*owner.key) + "\" has only " +
                          std::to_string(popupCellCount(owner)) + " cells"};
        return popupCellCentre(owner, popup, target.cell);
    }
    case Target::LABEL:
        break;
    }
    RECT popup;
    KeyRef owner;
    if (popupOnScreen(&popup, &owner)) {
        int cell = popupCellOf(owner, target.label);
        if (cell)
            return popupCellCentre(owner, popup, cell);
    }
    Face face = device_.face();
    KeyRef key;
    if (!findKey(face, device_.portrait(), target.label, &key))
        throw Failure{"no key \"" + target.label + "\" in " + faceName(face) + " mode"};
    return keyCentre(key);
}

// Whether a place of a drag is a cell of the popup that the hold on the first key will open.
static bool isPopupPlace(const Target &target, const KeyRef &held)
{
    if (target.kind == Target::CELL)
        return true;
    return target.kind == Target::LABEL && held.key && popupCellOf(held, target.label) != 0;
}

void Runner::execute(const Command &command)
{
    switch (command.kind) {
    case Command::TAP:
        tap(resolve(command.targets[0]));
        break;
    case Command::HOLD:
        penDown(resolve(command.targets[0]));
        advance(command.durationMs);
        lift();
        break;
    case Command::PRESS:
        penDown(resolve(command.targets[0]));
        break;
    case Command::MOVE:
        penMove(resolve(command.targets[0]));
        break;
    case Command::RELEASE:
        lift();
        break;
    case Command::DRAG:
        penDown(resolve(command.targets[0]));
        for (size_t i = 1; i < command.targets.size(); ++i) {
            KeyRef held;
            if (!popupOnScreen(nullptr, nullptr) && isPopupPlace(command.targets[i], heldKey(&held) ? held : KeyRef()))
                waitForPopup();
            advance(dragStepMs);
            penMove(resolve(command.targets[i]));
        }
        advance(dragStepMs);
        lift();
        break;
    case Command::TYPE:
        for (char16_t c : utf16FromUtf8(command.text)) {
            Target target;
            target.label = typedLabel(c);
            tap(resolve(target));
        }
        break;
    case Command::ROTATE:
        if (penIsDown_)
            throw Failure{"the pen is down; release it before rotating"};
        device_.rotate(command.landscape);
        frame();
        break;
    case Command::WAIT:
        advance(command.durationMs);
        break;
    case Command::REG:
        setRegistry(command);
        break;
    case Command::SHOT:
        shot(command);
        break;
    case Command::EXPECT:
        expect(command);
        break;
    case Command::FIELD:
        device_.host().field().setText(utf16FromUtf8(command.text));
        frame();
        break;
    }
}

void Runner::setRegistry(const Command &command)
{
    const char *key = command.regKey.c_str();
    const char *name = command.regName.c_str();
    const std::string &type = command.regType;
    if (type == "dword") {
        emuRegSetDword(key, name, static_cast<DWORD>(command.regDword));
    } else if (type == "sz") {
        emuRegSetString(key, name, REG_SZ, command.regStrings[0].c_str());
    } else if (type == "expand_sz") {
        emuRegSetString(key, name, REG_EXPAND_SZ, command.regStrings[0].c_str());
    } else if (type == "multi_sz") {
        std::vector<const char *> strings;
        for (const std::string &s : command.regStrings)
            strings.push_back(s.c_str());
        emuRegSetMultiString(key, name, strings.data(), static_cast<int>(strings.size()));
    } else {
        emuRegDeleteValue(key, name);
    }
}

void Runner::expect(const Command &command)
{
    if (command.expectWhat == "text") {
        std::string text = device_.host().text();
        if (text != command.text)
            throw Failure{"expected the text \"" + visibleText(command.text) + "\" but the field holds \"" +
                          visibleText(text) + "\""};
    } else if (command.expectWhat == "program") {
        int count = emuProcessCount();
        if (count == 0)
            throw Failure{"expected the program \"" + command.text + "\" to be started, but none was"};
        std::string program = emuProcessProgram(count - 1);
        std::string arguments = emuProcessArguments(count - 1);
        if (program != command.text || arguments != command.arguments)
            throw Failure{"expected the program \"" + command.text + "\" with \"" + command.arguments + "\", but \"" +
                          program + "\" with \"" + arguments + "\" was started"};
    } else {
        std::string face = faceName(device_.face());
        if (face != command.text)
            throw Failure{"expected " + command.text + " mode but the keyboard shows " + face + " mode"};
    }
}

// ---- pictures ----

void Runner::shot(const Command &command)
{
    ShotRecord record;
    record.line = command.line;
    record.caption = command.text;
    record.text = device_.host().text();
    record.face = faceName(device_.face());
    record.image = device_.screen();
    if (!options_.outDir.empty()) {
        char number[16];
        snprintf(number, sizeof number, "%02d-", static_cast<int>(shots_.size()) + 1);
        record.file = number + slug(command.text) + ".png";
        std::string error;
        if (!writePng(record.image, options_.outDir + "/" + record.file, &error))
            throw Failure{"cannot write " + options_.outDir + "/" + record.file + ": " + error};
    }
    shots_.push_back(record);
    // The animation lingers on what the script thought worth a picture.
    frame();
    pendingExtra_ = std::max(pendingExtra_, shotHoldMs);
}

static Image onCanvas(const Image &screen)
{
    const int side = canvasSide();
    Image canvas(side, side, canvasColour);
    int left = std::max(0, (side - screen.width) / 2);
    int top = std::max(0, (side - screen.height) / 2);
    for (int y = 0; y < std::min(screen.height, side); ++y) {
        for (int x = 0; x < std::min(screen.width, side); ++x)
            canvas.at(left + x, top + y) = screen.at(x, y);
    }
    return canvas;
}

void Runner::frame()
{
    if (!gif_)
        return;
    Image canvas = onCanvas(device_.screen());
    if (hasPending_ && canvas.pixels == pending_.pixels)
        return;
    flushFrame(0);
    pending_ = std::move(canvas);
    hasPending_ = true;
    pendingStart_ = now_;
    pendingExtra_ = 0;
}

void Runner::flushFrame(int extraMs)
{
    if (!hasPending_)
        return;
    int shown = static_cast<int>(std::max<long>(minFrameMs, now_ - pendingStart_)) + pendingExtra_ + extraMs;
    gif_->addFrame(pending_, shown);
    hasPending_ = false;
}

bool Runner::finish()
{
    bool ok = true;
    if (gif_) {
        flushFrame(lastFrameMs);
        ok = gif_->close();
    }
    if (options_.outDir.empty())
        return ok;
    std::string calls;
    for (const HostCall &call : device_.host().calls())
        calls += describeHostCall(call) + "\n";
    ok = writeFile(options_.outDir + "/text.txt", device_.host().text()) && ok;
    return writeFile(options_.outDir + "/calls.txt", calls) && ok;
}
