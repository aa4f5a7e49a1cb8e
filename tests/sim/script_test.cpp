// The script language: what each command reads into, and messages that name the line of every
// line that cannot be read.
#include <gtest/gtest.h>

#include "script.h"

static Script parseOk(const std::string &text)
{
    Script script;
    std::vector<std::string> errors;
    bool ok = parseScript(text, &script, &errors);
    EXPECT_TRUE(ok) << (errors.empty() ? std::string("(no message)") : errors.front());
    return script;
}

static std::vector<std::string> parseErrors(const std::string &text)
{
    Script script;
    std::vector<std::string> errors;
    EXPECT_FALSE(parseScript(text, &script, &errors)) << "expected errors in:\n" << text;
    return errors;
}

TEST(ScriptParser, PenCommandsReadTheirTargets)
{
    Script s = parseOk("tap a\n"
                       "tap 100,500\n"
                       "tap cell 3\n"
                       "hold backspace 3000ms\n"
                       "press shift\n"
                       "move -5,700\n"
                       "release\n"
                       "lift\n");
    ASSERT_EQ(8u, s.commands.size());
    EXPECT_EQ(Command::TAP, s.commands[0].kind);
    EXPECT_EQ(Target::LABEL, s.commands[0].targets[0].kind);
    EXPECT_EQ("a", s.commands[0].targets[0].label);
    EXPECT_EQ(Target::POINT, s.commands[1].targets[0].kind);
    EXPECT_EQ(100, s.commands[1].targets[0].x);
    EXPECT_EQ(500, s.commands[1].targets[0].y);
    EXPECT_EQ(Target::CELL, s.commands[2].targets[0].kind);
    EXPECT_EQ(3, s.commands[2].targets[0].cell);
    EXPECT_EQ(Command::HOLD, s.commands[3].kind);
    EXPECT_EQ("backspace", s.commands[3].targets[0].label);
    EXPECT_EQ(3000, s.commands[3].durationMs);
    EXPECT_EQ(Command::PRESS, s.commands[4].kind);
    EXPECT_EQ(Command::MOVE, s.commands[5].kind);
    EXPECT_EQ(-5, s.commands[5].targets[0].x);
    EXPECT_EQ(Command::RELEASE, s.commands[6].kind);
    EXPECT_EQ(Command::RELEASE, s.commands[7].kind);
    for (size_t i = 0; i < s.commands.size(); ++i)
        EXPECT_EQ(static_cast<int>(i) + 1, s.commands[i].line) << "command " << i;
}

TEST(ScriptParser, DragsChainPlacesWithOrWithoutBlanksAroundTheArrow)
{
    Script s = parseOk("drag o -> cell 3\n"
                       "drag 123->5\n"
                       "drag a -> ä -> 10,20\n");
    ASSERT_EQ(3u, s.commands.size());
    ASSERT_EQ(2u, s.commands[0].targets.size());
    EXPECT_EQ("o", s.commands[0].targets[0].label);
    EXPECT_EQ(Target::CELL, s.commands[0].targets[1].kind);
    ASSERT_EQ(2u, s.commands[1].targets.size());
    EXPECT_EQ("123", s.commands[1].targets[0].label);
    EXPECT_EQ("5", s.commands[1].targets[1].label);
    ASSERT_EQ(3u, s.commands[2].targets.size());
    EXPECT_EQ("ä", s.commands[2].targets[1].label);
    EXPECT_EQ(Target::POINT, s.commands[2].targets[2].kind);
}

TEST(ScriptParser, OtherCommandsReadTheirValues)
{
    Script s = parseOk("rotate landscape\n"
                       "rotate portrait\n"
                       "wait 600ms\n"
                       "wait 2s\n"
                       "wait 1.5s\n"
                       "reg ControlPanel\\Keybd RepeatRate dword 20\n"
                       "reg ControlPanel\\Sip KWENO_Calc_Launch multi_sz \"Calc.exe\" \"-x 1\"\n"
                       "reg ControlPanel\\Sip KWENO_Calc_Launch delete\n"
                       "reg ControlPanel\\Keybd InitialDelay dword 0x200\n"
                       "shot \"The numeric pad\"\n"
                       "expect \"Hello\\n\\tworld \\\"x\\\"\"\n"
                       "expect program \"MobileCalculator.exe\"\n"
                       "expect mode caps\n"
                       "field \"one two\"\n"
                       "type \"ab c\"\n");
    ASSERT_EQ(15u, s.commands.size());
    EXPECT_FALSE(s.commands[1].landscape);
    EXPECT_TRUE(s.commands[0].landscape);
    EXPECT_EQ(600, s.commands[2].durationMs);
    EXPECT_EQ(2000, s.commands[3].durationMs);
    EXPECT_EQ(1500, s.commands[4].durationMs);
    EXPECT_EQ("ControlPanel\\Keybd", s.commands[5].regKey);
    EXPECT_EQ("RepeatRate", s.commands[5].regName);
    EXPECT_EQ("dword", s.commands[5].regType);
    EXPECT_EQ(20ul, s.commands[5].regDword);
    EXPECT_EQ("multi_sz", s.commands[6].regType);
    EXPECT_EQ((std::vector<std::string>{"Calc.exe", "-x 1"}), s.commands[6].regStrings);
    EXPECT_EQ("delete", s.commands[7].regType);
    EXPECT_EQ(0x200ul, s.commands[8].regDword);
    EXPECT_EQ("The numeric pad", s.commands[9].text);
    EXPECT_EQ("text", s.commands[10].expectWhat);
    EXPECT_EQ("Hello\n\tworld \"x\"", s.commands[10].text);
    EXPECT_EQ("program", s.commands[11].expectWhat);
    EXPECT_EQ("MobileCalculator.exe", s.commands[11].text);
    EXPECT_EQ("", s.commands[11].arguments);
    EXPECT_EQ("mode", s.commands[12].expectWhat);
    EXPECT_EQ("caps", s.commands[12].text);
    EXPECT_EQ(Command::FIELD, s.commands[13].kind);
    EXPECT_EQ("one two", s.commands[13].text);
    EXPECT_EQ(Command::TYPE, s.commands[14].kind);
    EXPECT_EQ("ab c", s.commands[14].text);
}

TEST(ScriptParser, CommentsBlankLinesAndKeyLabelsThatLookLikeSyntax)
{
    // "#" and a lone quotation mark are keys of the symbols page; comments take whole lines only.
    Script s = parseOk("# a comment\n"
                       "\n"
                       "   \t\n"
                       "  # an indented comment\r\n"
                       "tap #\n"
                       "tap \"\n"
                       "tap \"#\"\n"
                       "tap ,\n"
                       "tap -\n"
                       "tap ENTER\n");
    ASSERT_EQ(6u, s.commands.size());
    EXPECT_EQ(5, s.commands[0].line);
    EXPECT_EQ("#", s.commands[0].targets[0].label);
    EXPECT_EQ("\"", s.commands[1].targets[0].label);
    EXPECT_EQ("#", s.commands[2].targets[0].label);
    EXPECT_EQ(",", s.commands[3].targets[0].label);
    EXPECT_EQ(Target::LABEL, s.commands[3].targets[0].kind);
    EXPECT_EQ("-", s.commands[4].targets[0].label);
    EXPECT_EQ("ENTER", s.commands[5].targets[0].label);
}

TEST(ScriptParser, EveryBadLineIsReportedWithItsNumberAndTheGoodOnesKept)
{
    Script script;
    std::vector<std::string> errors;
    EXPECT_FALSE(parseScript("tap a\n"
                             "tapp a\n"
                             "hold backspace 30x0ms\n"
                             "tap b\n"
                             "tap ẞ\n",
                             &script, &errors));
    ASSERT_EQ(3u, errors.size());
    EXPECT_EQ("line 2: unknown command \"tapp\"", errors[0]);
    EXPECT_EQ(0u, errors[1].rfind("line 3: bad number \"30x0ms\"", 0)) << errors[1];
    EXPECT_EQ("line 5: no key \"ẞ\" in any mode", errors[2]);
    ASSERT_EQ(2u, script.commands.size());
    EXPECT_EQ(1, script.commands[0].line);
    EXPECT_EQ(4, script.commands[1].line);
}

TEST(ScriptParser, BadNumbersAreNamed)
{
    struct Case {
        const char *line;
        const char *start; // how the message begins
    } cases[] = {
        {"wait abc", "line 1: bad number \"abc\""},
        {"wait -5ms", "line 1: bad number \"-5ms\""},
        {"wait 1.5", "line 1: bad number \"1.5\""},
        {"wait 99999s", "line 1: bad number \"99999s\""},
        {"tap 12,x4", "line 1: bad number in the point \"12,x4\""},
        {"tap cell two", "line 1: bad number \"two\""},
        {"reg ControlPanel\\Keybd RepeatRate dword 12a", "line 1: bad number \"12a\""},
        {"reg ControlPanel\\Keybd RepeatRate dword -1", "line 1: bad number \"-1\""},
        {"reg ControlPanel\\Keybd RepeatRate dword 0x1FFFFFFFF", "line 1: bad number \"0x1FFFFFFFF\""},
    };
    for (const Case &c : cases) {
        std::vector<std::string> errors = parseErrors(c.line);
        ASSERT_EQ(1u, errors.size()) << c.line;
        EXPECT_EQ(0u, errors[0].rfind(c.start, 0)) << c.line << " gave: " << errors[0];
    }
}

TEST(ScriptParser, MissingExtraAndUnknownWordsAreNamed)
{
    struct Case {
        const char *line;
        const char *message;
    } cases[] = {
        {"hold backspace", "line 1: missing a duration; usage: hold KEY DURATION, as in hold backspace 3000ms"},
        {"tap", "line 1: missing a key, a point or a popup cell; usage: tap KEY | tap X,Y | tap cell N"},
        {"tap a b", "line 1: unexpected \"b\"; usage: tap KEY | tap X,Y | tap cell N"},
        {"release now", "line 1: unexpected \"now\"; usage: release"},
        {"drag a", "line 1: a drag needs a second place after \"->\"; usage: drag KEY -> KEY|cell N [-> ...]"},
        {"rotate sideways", "line 1: cannot rotate to \"sideways\"; usage: rotate landscape | rotate portrait"},
        {"expect mode loud", "line 1: unknown mode \"loud\" (lower, shift, caps, numeric or symbols)"},
        {"reg ControlPanel\\Keybd RepeatRate qword 1",
         "line 1: unknown value type \"qword\" (dword, sz, expand_sz, multi_sz or delete)"},
        {"tap cell 10", "line 1: cell 10 does not exist: popups have cells 1 to 9"},
        {"shot \"unclosed", "line 1: a quoted text is not closed"},
        {"type \"a€ẞ\"", "line 1: no key \"ẞ\" in any mode"},
        {"\"tap\" a", "line 1: unknown command \"tap\""},
    };
    for (const Case &c : cases) {
        std::vector<std::string> errors = parseErrors(c.line);
        ASSERT_EQ(1u, errors.size()) << c.line;
        EXPECT_EQ(c.message, errors[0]);
    }
}

TEST(ScriptParser, DurationsAcceptMillisecondsSecondsAndBareNumbers)
{
    struct Case {
        const char *word;
        int ms; // -1: not a duration
    } cases[] = {
        {"600ms", 600}, {"600", 600},   {"2s", 2000}, {"0.25s", 250}, {"0ms", 0}, {"ms", -1},
        {"s", -1},      {"1.2.3s", -1}, {"", -1},     {"5m", -1},     {".s", -1}, {"3600s", 3600000},
    };
    for (const Case &c : cases) {
        int ms = -7;
        bool ok = parseDuration(c.word, &ms);
        EXPECT_EQ(c.ms >= 0, ok) << "\"" << c.word << "\"";
        if (c.ms >= 0)
            EXPECT_EQ(c.ms, ms) << c.word;
    }
}

TEST(ScriptParser, CommandsDescribeThemselvesAsWritten)
{
    Script s = parseOk("drag o->cell 3\nhold backspace 2s\ntype \"a\\nb\"\nexpect mode caps\n");
    ASSERT_EQ(4u, s.commands.size());
    EXPECT_EQ("drag o -> cell 3", describeCommand(s.commands[0]));
    EXPECT_EQ("hold backspace 2000ms", describeCommand(s.commands[1]));
    EXPECT_EQ("type \"a\\nb\"", describeCommand(s.commands[2]));
    EXPECT_EQ("expect mode caps", describeCommand(s.commands[3]));
}
