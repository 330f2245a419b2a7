#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>

#include "anim/registration.h"
#include "app/test_files.h"
#include "script/builtin_script.h"
#include "script/scene_script.h"
#include "script/script_numbers.h"
#include "script/script_text.h"
#include "support/fifo.h"

namespace {

bool SameBits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

void ExpectSameRows(const std::vector<ScriptRow>& read, const std::vector<ScriptRow>& expected) {
    ASSERT_EQ(read.size(), expected.size());
    for (size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i + 1);
        EXPECT_TRUE(SameBits(read[i].start, expected[i].start));
        EXPECT_TRUE(SameBits(read[i].end, expected[i].end));
        EXPECT_EQ(read[i].type, expected[i].type);
        EXPECT_EQ(read[i].object.target, expected[i].object.target);
        EXPECT_EQ(read[i].object.layer, expected[i].object.layer);
        EXPECT_STREQ(read[i].field, expected[i].field);
        EXPECT_TRUE(SameBits(read[i].from, expected[i].from)) << read[i].from << " " << expected[i].from;
        EXPECT_TRUE(SameBits(read[i].to, expected[i].to)) << read[i].to << " " << expected[i].to;
    }
}

const std::string TOO_FEW_COLUMNS =
    "too few columns: a row is start, end, type, object.field, from and to, or clock in place of from and to";

ScriptRow OneRow(const std::string& text) {
    const ParsedScript script = ParseScript(text, "one.txt");
    EXPECT_EQ(script.error, "") << text;
    return script.rows.empty() ? ScriptRow{} : script.rows[0];
}

TEST(ScriptText, TheWrittenBuiltInScriptReadsBackAsTheSameRows) {
    const std::string text = WriteScript(BuiltInScript());
    const ParsedScript read = ParseScript(text, "show.txt");
    ASSERT_EQ(read.error, "");
    ExpectSameRows(read.rows, BuiltInScript());
    EXPECT_NE(text.find("pi/2"), std::string::npos);  // the cut's phases, as a person writes them
}

TEST(ScriptText, CommentsBlankLinesTabsAndWindowsLineEnds) {
    const ParsedScript read = ParseScript(
        "# heading\n"
        "\n"
        "   \t\n"
        "0\t196 float  wave.phase clock   # the phase runs with the clock\r\n"
        "39.5 40.5 unsigned   char layer 11.amount 0 128\r\n"
        "  7 8 float landscape.pathPhaseX pi/2 -2*pi#no blank before the comment\n"
        "122 123 float landscape.scaleY 999 1e3",
        "show.txt");
    ASSERT_EQ(read.error, "");
    ExpectSameRows(read.rows, {{0, 196, FLOAT, WAVE, "phase", CLOCK, CLOCK},
                               {39.5f, 40.5f, UCHAR, LAYER(11), "amount", 0, 128},
                               {7, 8, FLOAT, LANDSCAPE, "pathPhaseX", 1.5707964f, -6.2831855f},
                               {122, 123, FLOAT, LANDSCAPE, "scaleY", 999, 1000}});
    EXPECT_EQ(read.lines, (std::vector<uint32_t>{4, 5, 6, 7}));  // each row's line, comments counted
}

// A byte-order mark at the start is passed over, and only there; a script without a row has
// nothing to play and is refused, as a save caught empty or cut short is.
TEST(ScriptText, AByteOrderMarkIsPassedOverAndAScriptNeedsARow) {
    const std::string bom = "\xEF\xBB\xBF";
    const ParsedScript marked = ParseScript(bom + "0 1 char landscape.enabled 1 1\n", "bom.txt");
    ASSERT_EQ(marked.error, "");
    ExpectSameRows(marked.rows, {{0, 1, CHAR, LANDSCAPE, "enabled", 1, 1}});
    EXPECT_EQ(
        ParseScript("0 1 char landscape.enabled 1 1\n" + bom + "0 1 char landscape.enabled 1 1\n", "bom.txt")
            .error,
        "bom.txt:2: the start '" + std::string("???0'") + " is not a number");
    for (const std::string& empty : {std::string(), bom, std::string("# only a comment\n\n  \n")}) {
        const ParsedScript read = ParseScript(empty, "empty.txt");
        EXPECT_EQ(read.error, "empty.txt: the script has no rows");
        EXPECT_TRUE(read.rows.empty());
    }
}

// Each kind of mistake is reported with the file, its line and the reason, and no rows.
TEST(ScriptText, ErrorsNameTheLineAndTheReason) {
    const std::string before = "# a show\n0 1 char landscape.enabled 1 1\n\n";  // the bad row is line 4
    const std::string fit = " (a track's type needs its field's width, and both integers or both float)";
    const struct {
        std::string row, reason;
    } cases[] = {
        {"0 1 float sky.phase 1 1",
         "unknown object 'sky': the objects are landscape, wave and layer 0 to 11"},
        {"0 1 float landscape.height 1 1", "unknown field 'landscape.height'"},
        {"0 1 unsigned char layer 1.alpha 1 1", "unknown field 'layer 1.alpha'"},
        {"0 1 float wave 1 1", "'wave' names no field: write object.field, as in landscape.viewMode"},
        {"0 1 unsigned char layer 12.visible 1 1", "there is no layer 12: the layers are 0 to 11"},
        {"0 1 unsigned char layer x.visible 1 1", "the layer 'x' is not a layer number"},
        {"0 1 int landscape.viewMode 1 1",
         "unknown type 'int': the types are char, unsigned char, short, unsigned short and float"},
        {"0 1 short landscape.viewMode 1 1",
         "short does not fit landscape.viewMode, which is unsigned char" + fit},
        {"0 1 unsigned char wave.amplitude 1 1",
         "unsigned char does not fit wave.amplitude, which is short" + fit},
        {"0 1 float landscape.advanceRate 1 1",
         "float does not fit landscape.advanceRate, which is unsigned short" + fit},
        {"0 1 unsigned char layer 3.amount 0 256",
         "value 256 is outside the range of unsigned char (0 to 255)"},
        {"0 1 unsigned char layer 3.amount -1 0",
         "value -1 is outside the range of unsigned char (0 to 255)"},
        {"0 1 char landscape.slopeBiasX -129 0", "value -129 is outside the range of char (-128 to 127)"},
        {"0 1 short wave.amplitude 0 32768", "value 32768 is outside the range of short (-32768 to 32767)"},
        {"0 1 unsigned short landscape.advanceRate 65536 0",
         "value 65536 is outside the range of unsigned short (0 to 65535)"},
        {"0 1 unsigned char layer 3.amount 0.5 1", "value 0.5 is not a whole number, as unsigned char needs"},
        {"0 1 float wave.frequency 1 4e38", "the to value '4e38' is outside the range of float"},
        {"0 1 float wave.frequency nan 1", "the from value 'nan' is not a number"},
        {"0 1 float wave.frequency 0x10 1", "the from value '0x10' is not a number"},
        {"0 1 float wave.frequency 1,5 1", "the from value '1,5' is not a number"},
        {"zero 1 float wave.frequency 1 1", "the start 'zero' is not a number"},
        {"7 6 unsigned char layer 3.amount 0 1", "start 7 is after end 6"},
        {"0 1 float wave.frequency 1", TOO_FEW_COLUMNS},
        {"0 1 unsigned", TOO_FEW_COLUMNS},
        {"0 1 float wave.frequency 1 2 3", "too many columns: '3' after the row's last value"},
        {"0 196 float wave.phase clock clock", "too many columns: 'clock' after the row's last value"},
        {"0 1 float wave.phase\x01 1 1", "unknown field 'wave.phase?'"},
    };
    for (const auto& [row, reason] : cases) {
        const ParsedScript read =
            ParseScript(before + row + "\n0 1 char landscape.enabled 1 1\n", "my show.txt");
        EXPECT_EQ(read.error, "my show.txt:4: " + reason);
        EXPECT_TRUE(read.rows.empty()) << row;
    }
}

TEST(ScriptText, NoMoreRowsThanTheTrackListHolds) {
    std::string text;
    for (size_t i = 0; i < MAX_SCRIPT_ROWS; ++i) {
        text += "0 1 unsigned char layer 2.amount 0 255\n";
    }
    EXPECT_EQ(ParseScript(text, "full.txt").rows.size(), MAX_SCRIPT_ROWS);
    const ParsedScript over =
        ParseScript(text + "# one more\n0 1 unsigned char layer 2.amount 0 255\n", "full.txt");
    EXPECT_EQ(over.error, "full.txt:65537: more than 65535 tracks: the track list holds no more");
    EXPECT_TRUE(over.rows.empty());
}

// Registered keys are the values a float literal of the same text converted to the element type
// gives, up to the ends of each type's range.
TEST(ScriptText, KeysAtTheEdgesOfEachTypeRegisterExactly) {
    Landscape landscape;
    WaveFilter wave;
    LayerList layers;
    for (int i = 0; i < LAYER_COUNT; ++i) {
        AddLayer(layers, BLEND_ADD);
    }
    const ParsedScript script = ParseScript(
        "0 1 char landscape.slopeBiasX -128 127\n"
        "0 1 unsigned char layer 11.amount 0 255\n"
        "0 1 short wave.amplitude -32768 32767\n"
        "0 1 unsigned short landscape.advanceRate 0 65535\n"
        "0 1 float wave.frequency -3.4028235e38 3.4028235e38\n"
        "0 1 float wave.frequency 1e-45 -0\n"
        "0 1 float wave.frequency 16777217 0.1\n"
        "1e-3 0.1 float wave.frequency 1.5707964 pi/2\n",
        "edges.txt");
    ASSERT_EQ(script.error, "");
    VariableList tracks;
    RegisterSceneScript(tracks, script.rows, {landscape, wave, layers}, TypeNames::Quiet);
    ASSERT_EQ(tracks.count, 8);

    auto keys = [&](size_t index, auto example) {
        Value<decltype(example)> view;
        tracks.items[index]->GetValue(&view);
        return std::pair{view.from, view.to};
    };
    EXPECT_EQ(keys(0, int8_t{}), (std::pair<int8_t, int8_t>(-128, 127)));
    EXPECT_EQ(keys(1, uint8_t{}), (std::pair<uint8_t, uint8_t>(0, 255)));
    EXPECT_EQ(keys(2, int16_t{}), (std::pair<int16_t, int16_t>(-32768, 32767)));
    EXPECT_EQ(keys(3, uint16_t{}), (std::pair<uint16_t, uint16_t>(0, 65535)));
    EXPECT_EQ(keys(4, float{}), std::pair(-3.4028235e38f, 3.4028235e38f));
    EXPECT_TRUE(SameBits(keys(5, float{}).first, 1e-45f));
    EXPECT_TRUE(SameBits(keys(5, float{}).second, -0.0f));
    EXPECT_EQ(keys(6, float{}), std::pair(16777217.0f, 0.1f));
    EXPECT_EQ(keys(7, float{}), std::pair(1.5707964f, 1.5707964f));
    EXPECT_EQ(tracks.items[7]->start, 1e-3f);
    EXPECT_EQ(tracks.items[7]->end, 0.1f);
}

TEST(ScriptText, MultiplesOfPiAreTheShowsSinglePrecisionPi) {
    const ScriptRow row = OneRow("0 1 float wave.frequency -pi 3*pi/4");
    EXPECT_EQ(row.from, -3.1415927f);
    EXPECT_EQ(row.to, 3.0f * 3.1415927f / 4.0f);
    EXPECT_EQ(OneRow("0 1 float wave.frequency 2*pi pi/8").from, 6.2831855f);
    for (const char* bad : {"pi*2", "2pi", "-2*-pi", "pi/-2", "pi/", "*pi", "pie"}) {
        const std::string text = std::string("0 1 float wave.frequency ") + bad + " 1";
        EXPECT_NE(ParseScript(text, "x").error, "") << bad;
    }
}

// Whatever float a key holds, its written text reads back as exactly that float.
TEST(ScriptText, EveryFiniteFloatIsWrittenSoThatItReadsBackExactly) {
    std::mt19937 random(5);
    std::vector<float> values = {0.0f, -0.0f,      1e-45f,     3.4028235e38f, -1.17549435e-38f,
                                 0.1f, 1.5707964f, -3.1415927f};
    while (values.size() < 20000) {
        const float value = std::bit_cast<float>(static_cast<uint32_t>(random()));
        if (std::isfinite(value)) {
            values.push_back(value);
        }
    }
    for (float value : values) {
        float read = 0.0f;
        const std::string text = FormatKey(value);
        ASSERT_EQ(ReadNumber(text, read), NumberRead::Ok) << text;
        ASSERT_TRUE(SameBits(read, value)) << text << " read as " << read;
    }
}

TEST(ScriptText, FilesThatCannotBeReadNameTheReason) {
    TempDir dir;
    EXPECT_EQ(ReadScriptFile(dir.File("none.txt")).error,
              dir.File("none.txt") + ": No such file or directory");
    EXPECT_EQ(ReadScriptFile(dir.path).error, dir.path + ": Is a directory");
    const std::string fifo = dir.File("show.fifo");  // read without waiting for a writer
    MakeFifo(fifo);
    EXPECT_EQ(LoadBesideFifo(fifo, [&] { return ReadScriptFile(fifo).error; }),
              fifo + ": is a FIFO, not a regular file");
    WriteBytes(dir.File("bad.txt"), {'0', ' ', '1', '\n', '\n'});
    EXPECT_EQ(ReadScriptFile(dir.File("bad.txt")).error, dir.File("bad.txt") + ":1: " + TOO_FEW_COLUMNS);
}

}  // namespace
