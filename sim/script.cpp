// The simulator's script language: splitting lines into words, reading each command, and messages
// that name the line of anything that cannot be read.
#include "script.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "keys.h"
#include "text.h"

// A duration longer than this is surely a typing error, and would only stall the run.
static const long maxDurationMs = 3600000;

namespace {

struct Word {
    std::string text;
    bool quoted = false;
};

// A line turned into words; a quoted word may hold blanks and the escapes \" \\ \n \t.
struct Line {
    std::vector<Word> words;
    std::string error;
};

class ParseError {
  public:
    explicit ParseError(std::string message) : message_(std::move(message)) {}
    const std::string &message() const { return message_; }

  private:
    std::string message_;
};

} // namespace

static bool readQuoted(const std::string &text, size_t *pos, std::string *out)
{
    size_t i = *pos + 1;
    while (i < text.size()) {
        char c = text[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < text.size()) {
            char e = text[i + 1];
            switch (e) {
            case 'n':
                *out += '\n';
                break;
            case 't':
                *out += '\t';
                break;
            case '"':
            case '\\':
                *out += e;
                break;
            default:
                *out += c;
                *out += e;
                break;
            }
            i += 2;
            continue;
        }
        *out += c;
        ++i;
    }
    return false;
}

// Splits "o->ö" into "o", "->", "ö", so that arrows need no blanks around them.
static void addBareWord(const std::string &word, std::vector<Word> *words)
{
    size_t start = 0;
    while (true) {
        size_t arrow = word.find("->", start);
        if (arrow == std::string::npos || word == "->") {
            if (start < word.size())
                words->push_back(Word{word.substr(start), false});
            return;
        }
        if (arrow > start)
            words->push_back(Word{word.substr(start, arrow - start), false});
        words->push_back(Word{"->", false});
        start = arrow + 2;
    }
}

static Line splitLine(const std::string &text)
{
    Line line;
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        // A quotation mark opens a quoted word; one that stands alone with no other after it is
        // the label of its key.
        if (text[i] == '"') {
            std::string value;
            size_t pos = i;
            if (readQuoted(text, &pos, &value)) {
                line.words.push_back(Word{value, true});
                i = pos;
                continue;
            }
            if (end - i > 1) {
                line.error = "a quoted text is not closed";
                return line;
            }
        }
        addBareWord(text.substr(i, end - i), &line.words);
        i = end;
    }
    return line;
}

static bool parseInt(const std::string &text, long *value)
{
    if (text.empty())
        return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    for (size_t j = i; j < text.size(); ++j) {
        if (!std::isdigit(static_cast<unsigned char>(text[j])))
            return false;
    }
    if (text.size() - i > 9)
        return false;
    *value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

bool parseDuration(const std::string &word, int *ms)
{
    std::string number = word;
    double scale = 1;
    if (number.size() > 2 && number.compare(number.size() - 2, 2, "ms") == 0) {
        number.resize(number.size() - 2);
    } else if (number.size() > 1 && number.back() == 's') {
        number.resize(number.size() - 1);
        scale = 1000;
    }
    if (number.empty())
        return false;
    bool dot = false;
    for (char c : number) {
        if (c == '.' && !dot) {
            dot = true;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    if (number == "." || (dot && scale == 1))
        return false;
    double value = std::strtod(number.c_str(), nullptr) * scale;
    if (value > maxDurationMs)
        return false;
    *ms = static_cast<int>(value + 0.5);
    return true;
}

std::string describeTarget(const Target &target)
{
    switch (target.kind) {
    case Target::POINT:
        return std::to_string(target.x) + "," + std::to_string(target.y);
    case Target::CELL:
        return "cell " + std::to_string(target.cell);
    case Target::LABEL:
        break;
    }
    return "\"" + target.label + "\"";
}

namespace {

// Reads one command's words from left to right.
class CommandReader {
  public:
    CommandReader(const std::vector<Word> &words, const char *usage) : words_(words), usage_(usage) {}

    bool atEnd() const { return pos_ >= words_.size(); }
    bool nextIs(const char *text) const { return !atEnd() && !words_[pos_].quoted && words_[pos_].text == text; }

    const Word &next(const char *what)
    {
        if (atEnd())
            throw ParseError("missing " + std::string(what) + "; usage: " + usage_);
        return words_[pos_++];
    }

    void end()
    {
        if (!atEnd())
            throw ParseError("unexpected \"" + words_[pos_].text + "\"; usage: " + usage_);
    }

    Target target()
    {
        const Word &word = next("a key, a point or a popup cell");
        Target t;
        if (!word.quoted && word.text == "cell") {
            const Word &n = next("the cell's number");
            long cell;
            if (!parseInt(n.text, &cell))
                throw ParseError("bad number \"" + n.text + "\" for a cell");
            if (cell < 1 || cell > 9)
                throw ParseError("cell " + n.text + " does not exist: popups have cells 1 to 9");
            t.kind = Target::CELL;
            t.cell = static_cast<int>(cell);
            return t;
        }
        size_t comma = word.text.find(',');
        bool looksLikePoint = !word.quoted && word.text.size() > 1 && comma != std::string::npos &&
                              (std::isdigit(static_cast<unsigned char>(word.text[0])) || word.text[0] == '-');
        if (looksLikePoint) {
            long x, y;
            if (!parseInt(word.text.substr(0, comma), &x) || !parseInt(word.text.substr(comma + 1), &y))
                throw ParseError("bad number in the point \"" + word.text + "\"");
            t.kind = Target::POINT;
            t.x = static_cast<int>(x);
            t.y = static_cast<int>(y);
            return t;
        }
        if (!labelExists(word.text))
            throw ParseError("no key \"" + word.text + "\" in any mode");
        t.label = word.text;
        return t;
    }

    int duration()
    {
        const Word &word = next("a duration");
        int ms;
        if (!parseDuration(word.text, &ms))
            throw ParseError("bad number \"" + word.text + "\" for a duration (write 600ms or 2s)");
        return ms;
    }

    std::string text(const char *what) { return next(what).text; }

  private:
    const std::vector<Word> &words_;
    const char *usage_;
    size_t pos_ = 1;
};

} // namespace

static const struct {
    const char *name;
    Command::Kind kind;
    const char *usage;
} commandTable[] = {
    {"tap", Command::TAP, "tap KEY | tap X,Y | tap cell N"},
    {"hold", Command::HOLD, "hold KEY DURATION, as in hold backspace 3000ms"},
    {"press", Command::PRESS, "press KEY"},
    {"move", Command::MOVE, "move KEY | move X,Y | move cell N"},
    {"release", Command::RELEASE, "release"},
    {"lift", Command::RELEASE, "lift"},
    {"drag", Command::DRAG, "drag KEY -> KEY|cell N [-> ...]"},
    {"type", Command::TYPE, "type \"TEXT\""},
    {"rotate", Command::ROTATE, "rotate landscape | rotate portrait"},
    {"wait", Command::WAIT, "wait DURATION, as in wait 600ms"},
    {"reg", Command::REG, "reg KEY NAME dword N | sz TEXT | expand_sz TEXT | multi_sz TEXT... | delete"},
    {"shot", Command::SHOT, "shot \"CAPTION\""},
    {"expect", Command::EXPECT, "expect \"TEXT\" | expect program NAME [ARGUMENTS] | expect mode MODE"},
    {"field", Command::FIELD, "field \"TEXT\""},
};

static void readTargets(CommandReader &reader, Command *command)
{
    command->targets.push_back(reader.target());
    while (reader.nextIs("->")) {
        reader.next("->");
        command->targets.push_back(reader.target());
    }
    if (command->targets.size() < 2)
        throw ParseError("a drag needs a second place after \"->\"; usage: drag KEY -> KEY|cell N [-> ...]");
}

std::string typedLabel(char16_t c)
{
    switch (c) {
    case u' ':
        return "space";
    case u'\n':
        return "return";
    case u'\t':
        return "tab";
    default:
        return utf8FromUtf16(std::u16string(1, c));
    }
}

static void readRegistry(CommandReader &reader, Command *command)
{
    command->regKey = reader.text("the registry key");
    command->regName = reader.text("the value's name");
    command->regType = reader.text("the value's type");
    const std::string &type = command->regType;
    if (type == "dword") {
        std::string data = reader.text("the number");
        char *end = nullptr;
        bool hex = data.size() > 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X');
        unsigned long value = std::strtoul(data.c_str(), &end, hex ? 16 : 10);
        if (data.empty() || *end != '\0' || data[0] == '-' || value > 0xFFFFFFFFul)
            throw ParseError("bad number \"" + data + "\" for a dword");
        command->regDword = value;
    } else if (type == "sz" || type == "expand_sz") {
        command->regStrings.push_back(reader.text("the text"));
    } else if (type == "multi_sz" || type == "multi") {
        command->regType = "multi_sz";
        command->regStrings.push_back(reader.text("the first string"));
        while (!reader.atEnd())
            command->regStrings.push_back(reader.text("a string"));
    } else if (type != "delete") {
        throw ParseError("unknown value type \"" + type + "\" (dword, sz, expand_sz, multi_sz or delete)");
    }
    reader.end();
}

static void readExpect(CommandReader &reader, Command *command)
{
    if (reader.nextIs("program")) {
        reader.next("program");
        command->expectWhat = "program";
        command->text = reader.text("the program's name");
        if (!reader.atEnd())
            command->arguments = reader.text("the arguments");
    } else if (reader.nextIs("mode")) {
        reader.next("mode");
        command->expectWhat = "mode";
        command->text = reader.text("the mode");
        Face face;
        if (!faceFromName(command->text, &face))
            throw ParseError("unknown mode \"" + command->text + "\" (lower, shift, caps, numeric or symbols)");
    } else {
        if (reader.nextIs("text"))
            reader.next("text");
        command->expectWhat = "text";
        command->text = reader.text("the expected text");
    }
    reader.end();
}

static Command readCommand(const std::vector<Word> &words, int lineNumber)
{
    const Word &first = words[0];
    for (const auto &entry : commandTable) {
        if (first.quoted || first.text != entry.name)
            continue;
        Command command;
        command.kind = entry.kind;
        command.line = lineNumber;
        CommandReader reader(words, entry.usage);
        switch (entry.kind) {
        case Command::TAP:
        case Command::PRESS:
        case Command::MOVE:
            command.targets.push_back(reader.target());
            reader.end();
            break;
        case Command::HOLD:
            command.targets.push_back(reader.target());
            command.durationMs = reader.duration();
            reader.end();
            break;
        case Command::RELEASE:
            reader.end();
            break;
        case Command::DRAG:
            readTargets(reader, &command);
            reader.end();
            break;
        case Command::TYPE:
            command.text = reader.text("the text to type");
            reader.end();
            for (char16_t c : utf16FromUtf8(command.text)) {
                if (!labelExists(typedLabel(c)))
                    throw ParseError("no key \"" + typedLabel(c) + "\" in any mode");
            }
            break;
        case Command::ROTATE: {
            std::string to = reader.text("landscape or portrait");
            if (to != "landscape" && to != "portrait")
                throw ParseError("cannot rotate to \"" + to + "\"; usage: " + entry.usage);
            command.landscape = to == "landscape";
            reader.end();
            break;
        }
        case Command::WAIT:
            command.durationMs = reader.duration();
            reader.end();
            break;
        case Command::REG:
            readRegistry(reader, &command);
            break;
        case Command::SHOT:
            command.text = reader.atEnd() ? std::string() : reader.text("the caption");
            reader.end();
            break;
        case Command::EXPECT:
            readExpect(reader, &command);
            break;
        case Command::FIELD:
            command.text = reader.text("the text");
            reader.end();
            break;
        }
        return command;
    }
    throw ParseError("unknown command \"" + first.text + "\"");
}

bool parseScript(const std::string &text, Script *script, std::vector<std::string> *errors)
{
    std::istringstream in(text);
    std::string raw;
    int lineNumber = 0;
    size_t errorsBefore = errors->size();
    while (std::getline(in, raw)) {
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        size_t first = raw.find_first_not_of(" \t");
        // Whole-line comments only: "#" is also a key's label.
        if (first == std::string::npos || raw[first] == '#')
            continue;
        Line line = splitLine(raw);
        std::string prefix = "line " + std::to_string(lineNumber) + ": ";
        if (!line.error.empty()) {
            errors->push_back(prefix + line.error);
            continue;
        }
        try {
            script->commands.push_back(readCommand(line.words, lineNumber));
        } catch (const ParseError &e) {
            errors->push_back(prefix + e.message());
        }
    }
    return errors->size() == errorsBefore;
}

static std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += c;
            break;
        default:
            out += c;
            break;
        }
    }
    return out + "\"";
}

static std::string targetWord(const Target &target)
{
    return target.kind == Target::LABEL ? target.label : describeTarget(target);
}

std::string describeCommand(const Command &command)
{
    switch (command.kind) {
    case Command::TAP:
        return "tap " + targetWord(command.targets[0]);
    case Command::HOLD:
        return "hold " + targetWord(command.targets[0]) + " " + std::to_string(command.durationMs) + "ms";
    case Command::PRESS:
        return "press " + targetWord(command.targets[0]);
    case Command::MOVE:
        return "move " + targetWord(command.targets[0]);
    case Command::RELEASE:
        return "release";
    case Command::DRAG: {
        std::string text = "drag";
        for (size_t i = 0; i < command.targets.size(); ++i)
            text += (i ? " -> " : " ") + targetWord(command.targets[i]);
        return text;
    }
    case Command::TYPE:
        return "type " + quoted(command.text);
    case Command::ROTATE:
        return command.landscape ? "rotate landscape" : "rotate portrait";
    case Command::WAIT:
        return "wait " + std::to_string(command.durationMs) + "ms";
    case Command::REG: {
        std::string text = "reg " + command.regKey + " " + command.regName + " " + command.regType;
        if (command.regType == "dword")
            text += " " + std::to_string(command.regDword);
        for (const std::string &s : command.regStrings)
            text += " " + quoted(s);
        return text;
    }
    case Command::SHOT:
        return "shot " + quoted(command.text);
    case Command::EXPECT:
        if (command.expectWhat == "text")
            return "expect " + quoted(command.text);
        return "expect " + command.expectWhat + " " + command.text;
    case Command::FIELD:
        return "field " + quoted(command.text);
    }
    return "?";
}
