// The simulator's script language: pen gestures and checks, one command a line, written by hand.
#ifndef KWENO_SIM_SCRIPT_H
#define KWENO_SIM_SCRIPT_H

#include <string>
#include <vector>

// Where the pen goes: a key by its label, a screen point, or a cell of the open popup.
struct Target {
    enum Kind { LABEL, POINT, CELL };
    Kind kind = LABEL;
    std::string label; // LABEL: as written (a character or a key's name)
    int x = 0, y = 0;  // POINT: screen pixels
    int cell = 0;      // CELL: 1-based
};

// "a", "100,500", "cell 3": for messages.
std::string describeTarget(const Target &target);

struct Command {
    enum Kind {
        TAP,     // tap TARGET
        HOLD,    // hold TARGET DURATION
        PRESS,   // press TARGET: the pen goes down
        MOVE,    // move TARGET: the pen moves while down
        RELEASE, // release / lift: the pen goes up where it is
        DRAG,    // drag TARGET -> TARGET [-> TARGET...]
        TYPE,    // type "TEXT": taps the key of each character in turn
        ROTATE,  // rotate landscape|portrait
        WAIT,    // wait DURATION
        REG,     // reg KEY NAME dword N | sz "TEXT" | multi "A" "B"... | delete
        SHOT,    // shot "CAPTION"
        EXPECT,  // expect "TEXT" | expect program "NAME" ["ARGS"] | expect mode FACE
        FIELD,   // field "TEXT": the application's text, cursor at its end
    };
    Kind kind = TAP;
    int line = 0;
    std::vector<Target> targets; // TAP, HOLD, PRESS, MOVE: one; DRAG: two or more
    int durationMs = 0;          // HOLD, WAIT
    bool landscape = false;      // ROTATE
    std::string text;            // TYPE, SHOT, EXPECT (text or program), FIELD
    std::string arguments;       // EXPECT program: the argument string
    // REG: the key, the value's name and type ("dword", "sz", "multi", "delete"), and its data.
    std::string regKey, regName, regType;
    unsigned long regDword = 0;
    std::vector<std::string> regStrings;
    // EXPECT: what is checked ("text", "program", "mode").
    std::string expectWhat;
};

struct Script {
    std::vector<Command> commands;
};

// Parses the whole text. On failure returns false with one message per bad line, each
// "line N: ..." in line order; the commands of the good lines are kept.
bool parseScript(const std::string &text, Script *script, std::vector<std::string> *errors);

// The label of the key that types a character of a "type" text: the character itself, or "space",
// "return" and "tab" for the blanks.
std::string typedLabel(char16_t c);

// The command as a person would write it, for progress lines.
std::string describeCommand(const Command &command);

// A duration: "600ms", "2s", "1.5s", or a bare number of milliseconds; false if it is none.
bool parseDuration(const std::string &word, int *ms);

#endif // KWENO_SIM_SCRIPT_H
