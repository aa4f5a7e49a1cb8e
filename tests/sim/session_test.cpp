// Sessions end to end on the built deliverables with the default skin: what the application
// received, the files written, where the popup appears on the screenshots, and the messages that
// stop a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "gifreader.h"
#include "session.h"
#include "wholefile.h"

namespace fs = std::filesystem;

class Session : public ::testing::Test {
  protected:
    void SetUp() override
    {
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        out = ::testing::TempDir() + "kweno_sim_" + info->name();
        fs::remove_all(out);
    }
    void TearDown() override { fs::remove_all(out); }

    SessionOptions options(const std::string &script, bool night = false) const
    {
        SessionOptions o;
        o.device.night = night;
        o.device.panelPath = night ? KWENO_NIGHT_PATH : KWENO_DAY_PATH;
        o.device.skinDir = KWENO_SKIN_DIR;
        o.device.fontPath = KWENO_FONT;
        o.scriptText = script;
        o.scriptName = "test";
        o.outDir = out;
        o.animate = false;
        return o;
    }

    SessionResult run(const SessionOptions &o)
    {
        std::ostringstream log;
        SessionResult result = runSession(o, log);
        progress = log.str();
        return result;
    }

    static std::string firstError(const SessionResult &r) { return r.errors.empty() ? "" : r.errors.front(); }

    std::string out;
    std::string progress;
};

TEST_F(Session, LettersShiftAndPopupPicksByDragAndByTap)
{
    SessionResult r = run(options("shot \"before\"\n"
                                  "tap shift\n"
                                  "tap H\n"
                                  "tap i\n"
                                  "expect mode lower\n"
                                  "press a\n"
                                  "wait 600ms\n"
                                  "move ä\n"
                                  "shot \"popup of a\"\n"
                                  "release\n"
                                  "hold e 700ms\n"
                                  "tap é\n"
                                  "drag o -> cell 7\n"));
    ASSERT_TRUE(r.ok) << firstError(r) << "\n" << progress;
    EXPECT_EQ("Hiäéö", r.text);
    EXPECT_EQ("Hiäéö", wholeFile<std::string>(r.textPath));
    ASSERT_EQ(2u, r.shots.size());

    Image before, popup;
    ASSERT_TRUE(readPng(out + "/" + r.shots[0].file, &before)) << r.shots[0].file;
    ASSERT_TRUE(readPng(out + "/" + r.shots[1].file, &popup)) << r.shots[1].file;
    ASSERT_EQ(480, popup.width);
    ASSERT_EQ(640, popup.height);
    EXPECT_EQ("Hi", r.shots[1].text);
    // The a key's popup is too wide to centre over it: it ends 5 pixels before the panel's right
    // edge, from x 23 to 474, and its lower edge is 5 pixels above the key's top (y 451).
    int changed = 0, inside = 0;
    for (int y = 363; y < 446; ++y) {
        for (int x = 23; x < 475; ++x, ++inside)
            changed += before.at(x, y) != popup.at(x, y);
    }
    EXPECT_GT(changed, inside / 2) << "the popup is not where the panel places it";
    for (int y = 370; y < 440; y += 10) {
        EXPECT_EQ(before.at(22, y), popup.at(22, y)) << "left of the popup, y " << y;
        EXPECT_NE(before.at(23, y), popup.at(23, y)) << "the popup's left edge, y " << y;
        EXPECT_NE(before.at(474, y), popup.at(474, y)) << "the popup's right edge, y " << y;
        EXPECT_EQ(before.at(475, y), popup.at(475, y)) << "right of the popup, y " << y;
    }
    EXPECT_EQ(before.at(300, 362), popup.at(300, 362)) << "above the popup";
    EXPECT_NE(before.at(300, 363), popup.at(300, 363)) << "the popup's top edge";
}

TEST_F(Session, AHeldBackspaceDeletesWordsFromThe21stRepeat)
{
    // At the default rate the 22nd repeat comes at 2112 ms and the 23rd at 2167 ms: 20 characters
    // go, then two words, and the tap at the release takes the blank before them.
    SessionResult r = run(options("field \"alpha beta gamma delta epsilon zeta\"\n"
                                  "hold backspace 2150ms\n"
                                  "expect \"alpha\"\n"));
    EXPECT_TRUE(r.ok) << firstError(r);
    EXPECT_EQ("alpha", r.text);

    // A slower rate from the registry: the 21st repeat at 1012 + 19 x 100 ms, the 22nd at 3012.
    r = run(options("reg ControlPanel\\Keybd RepeatRate dword 10\n"
                    "field \"keep this word abcdefghijklmnopqrst\"\n"
                    "hold backspace 2950ms\n"));
    EXPECT_TRUE(r.ok) << firstError(r);
    EXPECT_EQ("keep this", r.text);
}

TEST_F(Session, TheCalculatorKeyStartsTheProgramTheRegistryNames)
{
    SessionResult r = run(options("tap 123\n"
                                  "tap calc\n"
                                  "expect program \"MobileCalculator.exe\"\n"
                                  "reg ControlPanel\\Sip KWENO_Calc_Launch multi_sz \"Calc.exe\" \"-m\"\n"
                                  "tap calc\n"
                                  "expect program \"Calc.exe\" \"-m\"\n"
                                  "expect mode numeric\n"));
    ASSERT_TRUE(r.ok) << firstError(r);
    EXPECT_EQ((std::vector<std::string>{"MobileCalculator.exe", "Calc.exe -m"}), r.programs);
    EXPECT_EQ("", r.text);
}

TEST_F(Session, LandscapeUsesTheWideLayout)
{
    SessionResult r = run(options("rotate landscape\n"
                                  "expect mode lower\n"
                                  "tap p\n"
                                  "drag 123 -> 9\n"
                                  "shot \"landscape\"\n"
                                  "rotate portrait\n"
                                  "tap q\n"));
    ASSERT_TRUE(r.ok) << firstError(r);
    EXPECT_EQ("p9q", r.text);
    ASSERT_EQ(1u, r.shots.size());
    EXPECT_EQ(640, r.shots[0].image.width);
    EXPECT_EQ(480, r.shots[0].image.height);
    EXPECT_EQ("lower", r.shots[0].face);
}

TEST_F(Session, RunsStopAtTheFirstFailureWithItsLine)
{
    struct Case {
        const char *script;
        const char *error;
    } cases[] = {
        {"tap 123\ntap ß\n", "line 2: no key \"ß\" in numeric mode"},
        {"tap shift\n\ntap a\n", "line 3: no key \"a\" in shift mode"},
        {"tap q\nexpect \"w\"\n", "line 2: expected the text \"w\" but the field holds \"q\""},
        {"move a\n", "line 1: the pen is not down; press a key first"},
        {"press a\npress b\n", "line 2: the pen is already down; release it first"},
        {"tap cell 2\n", "line 1: no popup is open for cell 2 (hold a key with alternatives for 500 ms first)"},
        {"hold l 600ms\ntap cell 3\n", "line 2: the popup of \"l\" has only 2 cells"},
        {"expect program \"MobileCalculator.exe\"\n",
         "line 1: expected the program \"MobileCalculator.exe\" to be started, but none was"},
        {"tap shift\ntap shift\nexpect mode shift\n", "line 3: expected shift mode but the keyboard shows caps mode"},
        {"drag q -> cell 1\n", "line 1: no popup opens here: the pen is not on a key with alternatives"},
    };
    for (const Case &c : cases) {
        SessionResult r = run(options(c.script));
        EXPECT_FALSE(r.ok) << c.script;
        EXPECT_EQ(c.error, firstError(r)) << c.script;
    }
}

TEST_F(Session, NightVariantReadsItsOwnFaces)
{
    SessionResult r = run(options("tap shift\nexpect mode shift\ntap shift\nexpect mode caps\ntap K\n"
                                  "tap symbols\nexpect mode symbols\ndrag $ -> €\n",
                                  true));
    ASSERT_TRUE(r.ok) << firstError(r);
    EXPECT_EQ("K€", r.text);
}

TEST_F(Session, ThePageAndTheAnimationHoldEveryPicture)
{
    SessionOptions o = options("tap a\nshot \"one <&>\"\ntap b\nshot \"two\"\n");
    o.animate = true;
    SessionResult r = run(o);
    ASSERT_TRUE(r.ok) << firstError(r);

    std::string page = wholeFile<std::string>(r.pagePath);
    size_t pictures = 0;
    for (size_t at = page.find("data:image/png;base64,"); at != std::string::npos;
         at = page.find("data:image/png;base64,", at + 1))
        ++pictures;
    EXPECT_EQ(2u, pictures);
    EXPECT_NE(std::string::npos, page.find("data:image/gif;base64,"));
    EXPECT_NE(std::string::npos, page.find("one &lt;&amp;&gt;"));
    EXPECT_NE(std::string::npos, page.find("<pre>ab</pre>"));

    DecodedGif gif;
    std::string error;
    ASSERT_TRUE(decodeGifFile(r.animationPath, &gif, &error)) << error;
    EXPECT_EQ(640, gif.width);
    EXPECT_EQ(640, gif.height);
    // At least: at rest, a pressed with its magnifier, a typed, b pressed, b typed.
    EXPECT_GE(gif.frames.size(), 5u);
    EXPECT_EQ(static_cast<size_t>(r.frames), gif.frames.size());
    // The last frame is the screen of the last shot, centred on the square canvas.
    const Image &last = gif.frames.back().canvas;
    const Image &shot = r.shots.back().image;
    int differing = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            differing += last.at(80 + x, y) != shot.at(x, y);
    EXPECT_EQ(0, differing);
}

TEST_F(Session, BadScriptsAndMissingPanelsStopBeforeAnythingRuns)
{
    SessionResult r = run(options("tap a\nfrobnicate\n"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ((std::vector<std::string>{"line 2: unknown command \"frobnicate\""}), r.errors);
    EXPECT_FALSE(fs::exists(out)) << "nothing is written for a script that cannot be read";

    SessionOptions o = options("tap a\n");
    o.device.panelPath = out + "/no-such-panel.so";
    r = run(o);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(0u, firstError(r).rfind("cannot load " + o.device.panelPath, 0)) << firstError(r);
}

// The demonstration is the project's main command: it must run to its end on both variants.
TEST_F(Session, TheDemonstrationRunsToItsEndOnBothVariants)
{
    for (bool night : {false, true}) {
        SessionOptions o = options(demonstrationScript(), night);
        o.outDir.clear();
        SessionResult r = run(o);
        EXPECT_TRUE(r.ok) << (night ? "night: " : "day: ") << firstError(r);
        EXPECT_EQ("Hallo KWENO!\nGrüße aus Köln, 42 € pro Café. :-)?", r.text);
        EXPECT_GE(r.shots.size(), 10u);
        EXPECT_EQ((std::vector<std::string>{"MobileCalculator.exe"}), r.programs);
    }
}
