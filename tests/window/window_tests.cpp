#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "../audio/disk_capture.h"
#include "../audio/music_files.h"
#include "child_process.h"
#include "show_data.h"
#include "x11_probe.h"

// The real program under the X server that CTest starts for this suite (1280 x 960, so that
// full screen doubles every pixel of the 640 x 480 picture).

namespace {

const std::regex TIMER_TITLE(R"(^timer ms: \d{6,}, epsilon: \d{2,}, avr: \d{2,} \| $)");
const std::regex FULL_TITLE(
    R"(^timer ms: \d{6,}, epsilon: \d{2,}, avr: \d{2,} \| average fps: \d+\.\d\d, min fps: \d+\.\d\d, max fps: \d+\.\d\d \| $)");
constexpr uint32_t DARK_BLUE = 0x003366;

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void RunXdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Escape held down for a moment, as a user presses it.
void PressEscape(Window window) {
    RunXdotool("windowfocus " + std::to_string(window));
    RunXdotool("keydown Escape");
    Sleep(0.15);
    RunXdotool("keyup Escape");
}

bool IsDark(uint32_t pixel) {
    return ((pixel >> 16) & 0xFF) < 16 && ((pixel >> 8) & 0xFF) < 16 && (pixel & 0xFF) < 16;
}

// Share of pixels in a screen rectangle that are not (nearly) black, and their distinct colours.
struct PictureSummary {
    double litShare = 0.0;
    size_t colours = 0;
};

PictureSummary Summarise(const ScreenGrab& grab, const WindowPlace& place) {
    size_t lit = 0;
    std::set<uint32_t> colours;
    for (int y = place.y; y < place.y + place.height; ++y) {
        for (int x = place.x; x < place.x + place.width; ++x) {
            lit += IsDark(grab.At(x, y)) ? 0 : 1;
            colours.insert(grab.At(x, y));
        }
    }
    return {static_cast<double>(lit) / (static_cast<double>(place.width) * place.height), colours.size()};
}

// Counts the 2 x 2 pixel blocks of a screen rectangle whose pixels are not all alike.
int CountMixedBlocks(const ScreenGrab& grab, const WindowPlace& place) {
    int mixed = 0;
    for (int y = place.y; y + 1 < place.y + place.height; y += 2) {
        for (int x = place.x; x + 1 < place.x + place.width; x += 2) {
            const uint32_t pixel = grab.At(x, y);
            if (grab.At(x + 1, y) != pixel || grab.At(x, y + 1) != pixel || grab.At(x + 1, y + 1) != pixel) {
                ++mixed;
            }
        }
    }
    return mixed;
}

bool ChannelsNear(uint32_t pixel, int red, int green, int blue) {
    return std::abs(static_cast<int>((pixel >> 16) & 0xFF) - red) <= 4 &&
           std::abs(static_cast<int>((pixel >> 8) & 0xFF) - green) <= 4 &&
           std::abs(static_cast<int>(pixel & 0xFF) - blue) <= 4;
}

class ShowInWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        display = OpenProbeDisplay();
        dataDir = WriteShowData("voxelshow_window_data", true);
        silentDataDir = WriteShowData("voxelshow_window_data_nomusic", false);
    }
    static void TearDownTestSuite() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
    void SetUp() override { ASSERT_NE(display, nullptr) << "these tests need an X display"; }

    void Start(std::vector<std::string> options, LaunchSettings launch = {}) {
        launch.args = {VOXELSHOW_PROGRAM};
        launch.args.insert(launch.args.end(), options.begin(), options.end());
        if (launch.workDir.empty()) {
            launch.workDir = VOXELSHOW_BUILD_DIR;
        }
        StartChild(show, launch, TempPath("voxelshow_window_test"));
    }

    // Waits until the program's window exists (or the program has ended).
    Window AwaitWindow() {
        for (int i = 0; i < 1000; ++i) {
            XSync(display, False);
            if (Window window = FindWindowOfProcess(display, show.pid); window != 0) {
                return window;
            }
            Sleep(0.01);
        }
        return 0;
    }

    // Reads the title every few milliseconds until it holds the frame-rate text.
    std::vector<std::string> TitlesUntilFps(Window window, double seconds) {
        std::vector<std::string> titles;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string title = WindowTitle(display, window);
            if (titles.empty() || titles.back() != title) {
                titles.push_back(title);
            }
            if (std::regex_match(title, FULL_TITLE)) {
                break;
            }
            Sleep(0.005);
        }
        return titles;
    }

    // The show fades in from black: grabs the screen until the window shows a picture
    // (a third of its pixels lit), for at most `seconds`.
    ScreenGrab AwaitPicture(Window window, double seconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        ScreenGrab grab = GrabScreen(display);
        while (Summarise(grab, PlaceOnScreen(display, window)).litShare <= 0.3 &&
               std::chrono::steady_clock::now() < deadline) {
            Sleep(0.2);
            grab = GrabScreen(display);
        }
        return grab;
    }

    void ExpectEscapeEndsTheShow(Window window) {
        PressEscape(window);
        const auto status = WaitForExit(show, 1.0);
        ASSERT_TRUE(status.has_value()) << "still running a second after Escape";
        EXPECT_EQ(*status, 0) << ReadTextFile(show.stderrPath);
    }

    static Display* display;
    static std::string dataDir;
    static std::string silentDataDir;
    ChildProcess show;
};

Display* ShowInWindow::display = nullptr;
std::string ShowInWindow::dataDir;
std::string ShowInWindow::silentDataDir;

TEST_F(ShowInWindow, FullScreenShowsTheStatisticsAndTheUnsmoothedPictureAndEndsOnEscape) {
    Start({"--data", dataDir, "--mute"});
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);

    const std::vector<std::string> titles = TitlesUntilFps(window, 10.0);
    ASSERT_FALSE(titles.empty());
    EXPECT_TRUE(std::regex_match(titles.back(), FULL_TITLE)) << titles.back();
    for (const std::string& title : titles) {
        EXPECT_TRUE(title == "MainProgram" || std::regex_match(title, TIMER_TITLE) ||
                    std::regex_match(title, FULL_TITLE))
            << title;
    }

    const ScreenGrab grab = AwaitPicture(window, 20.0);
    const WindowPlace place = PlaceOnScreen(display, window);
    EXPECT_EQ(place.x, 0);
    EXPECT_EQ(place.y, 0);
    ASSERT_EQ(place.width, grab.width);
    ASSERT_EQ(place.height, grab.height);
    const PictureSummary summary = Summarise(grab, place);
    EXPECT_GT(summary.litShare, 0.3);
    EXPECT_GT(summary.colours, 100u);
    // 1280 x 960 is twice 640 x 480: without smoothing every 2 x 2 block is one colour.
    ASSERT_EQ(grab.width, 1280);
    ASSERT_EQ(grab.height, 960);
    EXPECT_EQ(CountMixedBlocks(grab, place), 0);

    ExpectEscapeEndsTheShow(window);
}

TEST_F(ShowInWindow, WindowedShowsThePictureAtItsSizeAndClosingTheWindowEndsTheShow) {
    Start({"--data", dataDir, "--mute", "--windowed"});
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    EXPECT_FALSE(TitlesUntilFps(window, 10.0).empty());
    const ScreenGrab grab = AwaitPicture(window, 20.0);
    const WindowPlace place = PlaceOnScreen(display, window);
    EXPECT_EQ(place.width, 640);
    EXPECT_EQ(place.height, 480);
    const PictureSummary summary = Summarise(grab, place);
    EXPECT_GT(summary.litShare, 0.3);
    EXPECT_GT(summary.colours, 100u);

    // Resized to twice its size, the window shows the picture in 2 x 2 blocks.
    RunXdotool("windowmove " + std::to_string(window) + " 0 0");
    RunXdotool("windowsize " + std::to_string(window) + " 1280 960");
    Sleep(0.5);
    const WindowPlace resized = PlaceOnScreen(display, window);
    ASSERT_EQ(resized.width, 1280);
    ASSERT_EQ(resized.height, 960);
    const ScreenGrab enlarged = GrabScreen(display);
    EXPECT_GT(Summarise(enlarged, resized).litShare, 0.3);
    EXPECT_EQ(CountMixedBlocks(enlarged, resized), 0);

    RequestClose(display, window);
    const auto status = WaitForExit(show, 1.0);
    ASSERT_TRUE(status.has_value()) << "still running a second after the window was closed";
    EXPECT_EQ(*status, 0);
}

TEST_F(ShowInWindow, GpuPresenterShowsTheTriangleOnDarkBlue) {
    Start({"--data", dataDir, "--mute", "--presenter", "gpu"});
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    TitlesUntilFps(window, 10.0);
    const ScreenGrab grab = GrabScreen(display);
    EXPECT_EQ(grab.At(4, 4), DARK_BLUE);
    EXPECT_EQ(grab.At(grab.width - 5, grab.height - 5), DARK_BLUE);
    // The centre lies halfway between the red top corner and the bottom edge.
    const uint32_t centre = grab.At(grab.width / 2, grab.height / 2);
    EXPECT_TRUE(ChannelsNear(centre, 128, 64, 64)) << std::hex << centre;
    EXPECT_EQ(ReadTextFile(show.stderrPath), "");
    ExpectEscapeEndsTheShow(window);
}

TEST_F(ShowInWindow, BothPresentersShowTheSoftwareFrames) {
    Start({"--data", dataDir, "--mute", "--presenter", "both"});
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    TitlesUntilFps(window, 10.0);
    const ScreenGrab grab = AwaitPicture(window, 20.0);
    EXPECT_NE(grab.At(4, 4), DARK_BLUE);
    EXPECT_GT(Summarise(grab, PlaceOnScreen(display, window)).litShare, 0.3);
    EXPECT_EQ(ReadTextFile(show.stderrPath), "");
    ExpectEscapeEndsTheShow(window);
}

TEST_F(ShowInWindow, ShaderThatDoesNotCompileIsReportedAndTheSoftwarePresenterTakesOver) {
    const std::filesystem::path workDir = TempPath("voxelshow_bad_shader");
    std::filesystem::create_directories(workDir);
    std::ofstream(workDir / "shaders.glsl")
        << "#ifdef VShader\nvoid main() { gl_Position = nonsense; }\n#endif\n";
    LaunchSettings launch;
    launch.workDir = workDir.string();
    Start({"--data", dataDir, "--mute", "--presenter", "gpu"}, launch);
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    const std::vector<std::string> titles = TitlesUntilFps(window, 10.0);
    EXPECT_TRUE(std::regex_match(titles.back(), FULL_TITLE));
    const ScreenGrab grab = AwaitPicture(window, 20.0);
    EXPECT_NE(grab.At(4, 4), DARK_BLUE);
    EXPECT_GT(Summarise(grab, PlaceOnScreen(display, window)).litShare, 0.3);
    const std::string errors = ReadTextFile(show.stderrPath);
    EXPECT_NE(errors.find("voxelshow: GPU presenter: shaders.glsl: VShader does not compile: "),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("nonsense"), std::string::npos) << "the compiler's log is missing: " << errors;
    ExpectEscapeEndsTheShow(window);
}

TEST_F(ShowInWindow, MissingShaderFileIsReportedAndTheShowGoesOn) {
    const std::filesystem::path workDir = TempPath("voxelshow_no_shader");
    std::filesystem::create_directories(workDir);
    std::filesystem::remove(workDir / "shaders.glsl");
    LaunchSettings launch;
    launch.workDir = workDir.string();
    Start({"--data", dataDir, "--mute", "--presenter", "both", "--windowed"}, launch);
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    EXPECT_TRUE(std::regex_match(TitlesUntilFps(window, 10.0).back(), FULL_TITLE));
    ExpectEscapeEndsTheShow(window);
    EXPECT_EQ(ReadTextFile(show.stderrPath),
              "voxelshow: GPU presenter: shaders.glsl: cannot read the shader file; showing the frames "
              "without it\n");
}

TEST_F(ShowInWindow, MusicPlaysFromTheStartOfTheFile) {
    const std::string capturePath = TempPath("voxelshow_window_music.raw");
    std::filesystem::remove(capturePath);
    LaunchSettings launch;
    launch.setEnv = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", capturePath}};
    Start({"--data", dataDir, "--windowed"}, launch);
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    TitlesUntilFps(window, 10.0);
    Sleep(2.0);
    ExpectEscapeEndsTheShow(window);
    EXPECT_EQ(ReadTextFile(show.stdoutPath).find("error code"), std::string::npos);

    const std::vector<float> captured = ReadCapturedMusic(DiskCapture{capturePath});
    const std::vector<float> decoded = DropLeadingSilence(DecodeMp3(MusicPath(dataDir)));
    ASSERT_GT(captured.size(), 44100u * 2 * 2) << "less than two seconds of music captured";
    EXPECT_GT(RootMeanSquare(captured, 0.0, 2.0), 0.2);
    const size_t compared = std::min(captured.size(), decoded.size());
    for (size_t i = 0; i < compared; ++i) {
        ASSERT_FLOAT_EQ(captured[i], decoded[i]) << "sample " << i;
    }
}

TEST_F(ShowInWindow, MissingMusicIsReportedAndTheShowGoesOn) {
    LaunchSettings launch;
    launch.setEnv = {{"SDL_AUDIODRIVER", "disk"},
                     {"SDL_DISKAUDIOFILE", TempPath("voxelshow_window_nomusic.raw")}};
    Start({"--data", silentDataDir, "--windowed"}, launch);
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    EXPECT_TRUE(std::regex_match(TitlesUntilFps(window, 10.0).back(), FULL_TITLE));
    ExpectEscapeEndsTheShow(window);
    EXPECT_NE(ReadTextFile(show.stdoutPath).find("Can't open stream\n(error code: 5)\n"), std::string::npos);
    EXPECT_NE(ReadTextFile(show.stderrPath).find(MusicPath(silentDataDir)), std::string::npos);
}

TEST_F(ShowInWindow, AudioDeviceThatCannotOpenIsReportedAndTheShowGoesOn) {
    LaunchSettings launch;
    launch.setEnv = {{"SDL_AUDIODRIVER", "no-such-driver"}};
    Start({"--data", dataDir, "--windowed"}, launch);
    const Window window = AwaitWindow();
    ASSERT_NE(window, 0u) << ReadTextFile(show.stderrPath);
    EXPECT_TRUE(std::regex_match(TitlesUntilFps(window, 10.0).back(), FULL_TITLE));
    ExpectEscapeEndsTheShow(window);
    EXPECT_NE(ReadTextFile(show.stdoutPath).find("Can't initialize device\n(error code: 1)\n"),
              std::string::npos);
}

TEST_F(ShowInWindow, WithoutADisplayTheProgramSaysSoAndFails) {
    LaunchSettings launch;
    launch.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
    Start({"--data", dataDir, "--mute"}, launch);
    const auto status = WaitForExit(show, 10.0);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    const std::string errors = ReadTextFile(show.stderrPath);
    // One line of ours (the display libraries may add their own).
    const std::regex ourLine(R"((^|\n)voxelshow: [^\n]*)");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(errors, match, ourLine)) << errors;
    EXPECT_NE(match.str().find("voxelshow: cannot open a window: "), std::string::npos) << errors;
    EXPECT_NE(match.str().find("--render-frame"), std::string::npos) << errors;
    EXPECT_EQ(
        std::distance(std::sregex_iterator(errors.begin(), errors.end(), ourLine), std::sregex_iterator()), 1)
        << errors;
}

}  // namespace
