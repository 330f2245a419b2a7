#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "../audio/disk_capture.h"
#include "../audio/music_files.h"
#include "../music/music_decode.h"

// After the test framework, whose names the X11 macros would replace.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

// The real program under the X server that CTest starts for this suite (1280 x 960, so that
// full screen doubles every pixel of the 640 x 480 picture).

namespace {

const std::regex TIMER_TITLE(R"(^timer ms: \d{6,}, epsilon: \d{2,}, avr: \d{2,} \| $)");
const std::regex FULL_TITLE(
    R"(^timer ms: \d{6,}, epsilon: \d{2,}, avr: \d{2,} \| average fps: \d+\.\d\d, min fps: \d+\.\d\d, max fps: \d+\.\d\d \| $)");
constexpr uint32_t DARK_BLUE = 0x003366;

// Looking at the X display the way a user or a window manager would: finding the program's window,
// reading its title, taking screenshots and asking the window to close.
struct ScreenGrab {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The raw bytes of a window property, empty if the window does not have it.
std::string Property(Display* display, Window window, const char* name, Atom type, long words) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, words, False, type,
                           &actualType, &format, &count, &remaining, &data) == Success &&
        data != nullptr) {
        value.assign(reinterpret_cast<char*>(data), format == 32 ? count * sizeof(long) : count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return value;
}

// The shown top-level window whose _NET_WM_PID is `pid`, or 0.
Window FindWindowOfProcess(Display* display, long pid) {
    Window root = 0, parent = 0, found = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            const std::string windowPid = Property(display, children[i], "_NET_WM_PID", XA_CARDINAL, 1);
            XWindowAttributes attributes{};
            if (windowPid == std::string(reinterpret_cast<const char*>(&pid), sizeof pid) &&
                XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable) {
                found = children[i];
            }
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

std::string WindowTitle(Display* display, Window window) {
    return Property(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), 1024);
}

WindowPlace PlaceOnScreen(Display* display, Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

ScreenGrab GrabScreen(Display* display) {
    const WindowPlace screen = PlaceOnScreen(display, DefaultRootWindow(display));
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), 0, 0, screen.width, screen.height, AllPlanes, ZPixmap);
    ScreenGrab grab{screen.width, screen.height, {}};
    for (int y = 0; y < grab.height; ++y) {
        for (int x = 0; x < grab.width; ++x) {
            grab.pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return grab;
}

// Sends WM_DELETE_WINDOW, as a window manager does when the user closes a window.
void RequestClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Asks `done` every `poll` seconds until it holds or `seconds` have passed; whether it held.
template <typename Done>
bool WaitUntil(double seconds, double poll, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (; !done(); Sleep(poll)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
    }
    return true;
}

std::string ReadTextFile(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::string MusicPath(const std::string& dataDir) {
    return dataDir + "/ostrel&vandt_-_cube.mp3";
}

// A data folder with the generated maps and pictures and, if `withMusic`, a short MP3 under the
// music's file name.
std::string WriteShowData(const std::string& name, bool withMusic) {
    const std::filesystem::path dir = TempPath(name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (const auto& entry : std::filesystem::directory_iterator(VOXELSHOW_DATA_DIR)) {
        if (entry.path().extension() != ".mp3") {
            std::filesystem::create_symlink(entry.path(), dir / entry.path().filename());
        }
    }
    if (withMusic) {
        WriteSineMp3(MusicPath(dir.string()), 8.0);
    }
    return dir.string();
}

// A key pressed and released in one flush, straight to the window: the show takes both in one
// pass, so that only its handling of the press can see the key (a check of the keys held then
// finds none down), as with a tap quicker than a pass.
void TapKey(Display* display, Window window, KeySym symbol) {
    XKeyEvent key{};
    key.display = display;
    key.window = window;
    key.root = DefaultRootWindow(display);
    key.subwindow = None;
    key.time = CurrentTime;
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(display, symbol);
    key.type = KeyPress;
    XSendEvent(display, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
    key.type = KeyRelease;
    XSendEvent(display, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&key));
    XFlush(display);
}

void RunXdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
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
            const uint32_t pixel = grab.At(x, y);
            lit += ((pixel >> 16) & 0xFF) < 16 && ((pixel >> 8) & 0xFF) < 16 && (pixel & 0xFF) < 16 ? 0 : 1;
            colours.insert(pixel);
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

// The demo clock in the title, in milliseconds.
uint32_t TitleTimer(const std::string& title) {
    std::smatch match;
    const std::regex timer(R"(^timer ms: (\d+),)");
    return std::regex_search(title, match, timer) ? static_cast<uint32_t>(std::stoul(match[1])) : 0;
}

// The show's own music, decoded as the audio layer decodes it, and clamped as it plays it.
const std::vector<float>& ShowMusic() {
    static const std::vector<float> music = [] {
        std::vector<float> samples = DecodeMp3File(VOXELSHOW_DATA_DIR "/ostrel&vandt_-_cube.mp3").samples;
        for (float& sample : samples) {
            sample = std::clamp(sample, -1.0f, 1.0f);
        }
        return samples;
    }();
    return music;
}

constexpr size_t RATE = 44100;

// How many stereo frames from captured frame `at` on are the music's from frame `musicAt` on.
size_t MatchingFrames(const std::vector<float>& captured, size_t at, const std::vector<float>& music,
                      size_t musicAt) {
    size_t frames = 0;
    while (2 * (at + frames) + 1 < captured.size() && 2 * (musicAt + frames) + 1 < music.size() &&
           std::abs(captured[2 * (at + frames)] - music[2 * (musicAt + frames)]) < 1e-6f &&
           std::abs(captured[2 * (at + frames) + 1] - music[2 * (musicAt + frames) + 1]) < 1e-6f) {
        ++frames;
    }
    return frames;
}

// The frame of the music, between `from` and `to`, that the captured frames from `at` on play.
std::optional<size_t> FindInMusic(const std::vector<float>& captured, size_t at,
                                  const std::vector<float>& music, size_t from, size_t to) {
    for (size_t musicAt = from; musicAt < to; ++musicAt) {
        if (MatchingFrames(captured, at, music, musicAt) >= 256) {
            return musicAt;
        }
    }
    return std::nullopt;
}

size_t SilentFrames(const std::vector<float>& captured, size_t at) {
    size_t frames = 0;
    while (2 * (at + frames) + 1 < captured.size() && captured[2 * (at + frames)] == 0.0f &&
           captured[2 * (at + frames) + 1] == 0.0f) {
        ++frames;
    }
    return frames;
}

struct Shown {
    Window window = 0;
    ScreenGrab grab;
    WindowPlace place;
};

class ShowInWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // X errors are ignored: windows may vanish while the tests look at them.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        // A server under load may refuse a connection for a moment: try again for a while.
        WaitUntil(10.0, 0.1, [] { return (display = XOpenDisplay(nullptr)) != nullptr; });
        dataDir = WriteShowData("voxelshow_window_data", true);
        silentDataDir = WriteShowData("voxelshow_window_data_nomusic", false);
    }
    static void TearDownTestSuite() {
        if (display != nullptr) {
            XCloseDisplay(display);
            display = nullptr;
        }
    }
    void SetUp() override { ASSERT_NE(display, nullptr) << "these tests need an X display"; }
    void TearDown() override {
        if (pid > 0) {  // no test leaves the show running
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts the show from `workDir` with `options` (as shell words) under `environment`, a list of
    // NAME=value settings and `-u NAME` removals for env(1); its output goes to files.
    void Start(const std::string& options, const std::string& environment = "",
               const std::string& workDir = VOXELSHOW_BUILD_DIR,
               const std::string& program = VOXELSHOW_PROGRAM) {
        const std::string command = "cd '" + workDir + "' && exec env " + environment + " '" + program +
                                    "' " + options + " >'" + stdoutPath + "' 2>'" + stderrPath + "'";
        std::filesystem::remove(stdoutPath);
        std::filesystem::remove(stderrPath);
        pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
    }

    // The exit status, or minus the signal that ended the program, or nothing if the show still
    // runs after `seconds`.
    std::optional<int> WaitForExit(double seconds) {
        int status = 0;
        if (!WaitUntil(seconds, 0.01, [&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
            return std::nullopt;
        }
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    // Starts the show, waits for its window and then reads its title every few milliseconds until
    // it holds the frame rate; every title on the way has one of the show's forms.
    Window StartUntilFps(const std::string& options, const std::string& environment = "",
                         const std::string& workDir = VOXELSHOW_BUILD_DIR,
                         const std::string& program = VOXELSHOW_PROGRAM) {
        Start(options, environment, workDir, program);
        Window window = 0;
        WaitUntil(10.0, 0.01, [&] {
            XSync(display, False);
            return (window = FindWindowOfProcess(display, pid)) != 0;
        });
        EXPECT_NE(window, 0u) << ReadTextFile(stderrPath);
        std::string title;
        const auto holdsTheRate = [&] {
            title = WindowTitle(display, window);
            EXPECT_TRUE(title == "MainProgram" || std::regex_match(title, TIMER_TITLE) ||
                        std::regex_match(title, FULL_TITLE))
                << title;
            return std::regex_match(title, FULL_TITLE);
        };
        EXPECT_TRUE(window != 0 && WaitUntil(10.0, 0.005, holdsTheRate)) << title;
        return window;
    }

    // Starts the show until it holds the frame rate, then grabs the screen until the window shows
    // a picture (a third of its pixels lit: the show fades in from black), for at most 20 s.
    Shown StartUntilPicture(const std::string& options, const std::string& environment = "",
                            const std::string& workDir = VOXELSHOW_BUILD_DIR,
                            const std::string& program = VOXELSHOW_PROGRAM) {
        Shown shown{StartUntilFps(options, environment, workDir, program), {}, {}};
        const auto showsAPicture = [&] {
            shown.grab = GrabScreen(display);
            shown.place = PlaceOnScreen(display, shown.window);
            return Summarise(shown.grab, shown.place).litShare > 0.3;
        };
        EXPECT_TRUE(shown.window != 0 && WaitUntil(20.0, 0.2, showsAPicture)) << "no picture within 20 s";
        return shown;
    }

    // Moves the window to the screen's top left corner and resizes it as a user would, then grabs the
    // screen until the window has the size and `drawn` holds for what it shows (at most 10 s, as the
    // show draws at the new size with its next frame); whether it came to that.
    template <typename Drawn>
    bool MoveToCornerAndResize(Window window, int width, int height, Drawn drawn) {
        RunXdotool("windowmove " + std::to_string(window) + " 0 0");
        RunXdotool("windowsize " + std::to_string(window) + " " + std::to_string(width) + " " +
                   std::to_string(height));
        return WaitUntil(10.0, 0.1, [&] {
            const WindowPlace place = PlaceOnScreen(display, window);
            return place.width == width && place.height == height && drawn(GrabScreen(display), place);
        });
    }

    // Escape held down for a moment, as a user presses it.
    void ExpectEscapeEndsTheShow(Window window) {
        RunXdotool("windowfocus " + std::to_string(window));
        // The key stays down until the show has ended (a tap is tried by the input test).
        RunXdotool("keydown Escape");
        const auto status = WaitForExit(10.0);
        RunXdotool("keyup Escape");
        ASSERT_TRUE(status.has_value()) << "still running 10 s after Escape went down";
        EXPECT_EQ(*status, 0) << ReadTextFile(stderrPath);
    }

    static Display* display;
    static std::string dataDir;
    static std::string silentDataDir;
    pid_t pid = -1;
    const std::string stdoutPath = TempPath("voxelshow_window_test.stdout");
    const std::string stderrPath = TempPath("voxelshow_window_test.stderr");
};

Display* ShowInWindow::display = nullptr;
std::string ShowInWindow::dataDir;
std::string ShowInWindow::silentDataDir;

// Alt+Enter, with the window focused as a user's key press finds it, then grabs the screen until the
// window is at `expected` and `drawn` holds for what it shows (at most 10 s); whether it came to that.
template <typename Drawn>
bool SwitchWithAltEnter(Display* display, Window window, const WindowPlace& expected, Drawn drawn) {
    RunXdotool("windowfocus " + std::to_string(window));
    RunXdotool("key alt+Return");
    return WaitUntil(10.0, 0.1, [&] {
        const WindowPlace place = PlaceOnScreen(display, window);
        return place.x == expected.x && place.y == expected.y && place.width == expected.width &&
               place.height == expected.height && drawn(GrabScreen(display), place);
    });
}

TEST_F(ShowInWindow, FullScreenShowsTheUnsmoothedPictureAndAltEnterSwitchesToAWindowAndBack) {
    const auto [window, grab, place] = StartUntilPicture("--data '" + dataDir + "' --mute");
    ASSERT_NE(window, 0u);
    EXPECT_EQ(place.x, 0);
    EXPECT_EQ(place.y, 0);
    ASSERT_EQ(place.width, grab.width);
    ASSERT_EQ(place.height, grab.height);
    // 1280 x 960 is twice 640 x 480: without smoothing every 2 x 2 block is one colour.
    ASSERT_EQ(grab.width, 1280);
    ASSERT_EQ(grab.height, 960);
    EXPECT_GT(Summarise(grab, place).colours, 100u);
    EXPECT_EQ(CountMixedBlocks(grab, place), 0);

    // A 640 x 480 window in the middle of the screen, the picture in it at 1:1 and nothing around it.
    const auto pictureInWindowOnly = [](const ScreenGrab& shown, const WindowPlace& at) {
        return Summarise(shown, at).litShare > 0.3 && Summarise(shown, at).colours > 100u &&
               Summarise(shown, {0, 0, 1280, 240}).litShare == 0.0 &&
               Summarise(shown, {0, 720, 1280, 240}).litShare == 0.0;
    };
    EXPECT_TRUE(SwitchWithAltEnter(display, window, {320, 240, 640, 480}, pictureInWindowOnly))
        << "no 640 x 480 window after Alt+Enter";
    const auto coversTheScreen = [](const ScreenGrab& shown, const WindowPlace& at) {
        return Summarise(shown, at).litShare > 0.3 && CountMixedBlocks(shown, at) == 0;
    };
    EXPECT_TRUE(SwitchWithAltEnter(display, window, {0, 0, 1280, 960}, coversTheScreen))
        << "not full screen again after a second Alt+Enter";

    ExpectEscapeEndsTheShow(window);
}

// With --vsync the show presents at the display's refresh rate: Xvfb gives none, so 60 a second,
// and 61 with both presenters here, whose wait for the refresh Mesa accepts (and does not do on
// Xvfb). Over three seconds of the show, no half-second window of the title's statistics counts
// more than 63 (the pacer allows half a frame more per window, the millisecond counter a little
// more); the show draws hundreds a second without it.
TEST_F(ShowInWindow, VsyncHoldsTheFrameRateToTheRefreshRate) {
    const std::regex maxFps(R"(max fps: (\d+\.\d\d))");
    for (const char* presenter : {"software", "gpu"}) {
        SCOPED_TRACE(presenter);
        const Window window = StartUntilFps(
            "--data '" + dataDir + "' --mute --windowed --vsync --presenter " + std::string(presenter));
        ASSERT_NE(window, 0u);
        const uint32_t startMs = TitleTimer(WindowTitle(display, window));
        std::string title;
        EXPECT_TRUE(WaitUntil(30.0, 0.1, [&] {
            title = WindowTitle(display, window);
            return TitleTimer(title) >= startMs + 3000;
        })) << title;
        std::smatch match;
        ASSERT_TRUE(std::regex_search(title, match, maxFps)) << title;
        EXPECT_LE(std::stod(match[1]), 63.0) << title;
        ExpectEscapeEndsTheShow(window);
    }
}

TEST_F(ShowInWindow, WindowedShowsThePictureAtItsSizeAndClosingTheWindowEndsTheShow) {
    const auto [window, grab, place] = StartUntilPicture("--data '" + dataDir + "' --mute --windowed");
    ASSERT_NE(window, 0u);
    EXPECT_EQ(place.width, 640);
    EXPECT_EQ(place.height, 480);
    EXPECT_GT(Summarise(grab, place).colours, 100u);

    // Resized to twice its size, the window shows the picture in 2 x 2 blocks.
    EXPECT_TRUE(MoveToCornerAndResize(window, 1280, 960, [](const ScreenGrab& shown, const WindowPlace& at) {
        return Summarise(shown, at).litShare > 0.3 && CountMixedBlocks(shown, at) == 0;
    })) << "no unsmoothed picture at 1280 x 960";

    RequestClose(display, window);
    const auto status = WaitForExit(10.0);
    ASSERT_TRUE(status.has_value()) << "still running 10 s after the window was closed";
    EXPECT_EQ(*status, 0);
}

// Another client may destroy the window without asking first, as `xdotool windowclose` does;
// that is a close like any other.
TEST_F(ShowInWindow, AWindowDestroyedByAnotherClientEndsTheShowAsAClose) {
    for (const char* options : {"--mute", "--mute --windowed --presenter gpu"}) {
        SCOPED_TRACE(options);
        const Window window = StartUntilFps("--data '" + dataDir + "' " + options);
        ASSERT_NE(window, 0u);
        RunXdotool("windowclose " + std::to_string(window));
        const auto status = WaitForExit(10.0);
        ASSERT_TRUE(status.has_value()) << "still running 10 s after its window was destroyed";
        EXPECT_EQ(*status, 0);
        EXPECT_EQ(ReadTextFile(stderrPath), "");
    }
}

// Kept at 4:3 in a 16:9 window, the picture is 960 x 720 in the middle with black bars beside it.
TEST_F(ShowInWindow, KeepAspectShowsThePictureBetweenBlackBars) {
    const auto [window, grab, place] =
        StartUntilPicture("--data '" + dataDir + "' --mute --windowed --aspect keep");
    ASSERT_NE(window, 0u);
    const auto barsBeside = [](const ScreenGrab& shown, const WindowPlace& at) {
        const WindowPlace left{at.x, at.y, 160, 720}, right{at.x + 1120, at.y, 160, 720};
        return Summarise(shown, left).colours == 1u && shown.At(left.x, left.y) == 0u &&
               Summarise(shown, right).colours == 1u && shown.At(right.x + 159, right.y + 719) == 0u &&
               Summarise(shown, {at.x + 160, at.y, 960, 720}).litShare > 0.3;
    };
    EXPECT_TRUE(MoveToCornerAndResize(window, 1280, 720, barsBeside)) << "no picture between black bars";
    ExpectEscapeEndsTheShow(window);
}

// Started from a folder without the shaders, the presenter finds them beside the program.
TEST_F(ShowInWindow, GpuPresenterShowsTheTriangleOnDarkBlue) {
    const std::string elsewhere = TempPath("voxelshow_gpu_elsewhere");
    std::filesystem::create_directories(elsewhere);
    std::filesystem::remove(elsewhere + "/shaders.glsl");
    const Window window = StartUntilFps("--data '" + dataDir + "' --mute --presenter gpu", "", elsewhere);
    ASSERT_NE(window, 0u);
    const ScreenGrab grab = GrabScreen(display);
    EXPECT_EQ(grab.At(4, 4), DARK_BLUE);
    EXPECT_EQ(grab.At(grab.width - 5, grab.height - 5), DARK_BLUE);
    // The centre lies halfway between the red top corner and the bottom edge.
    const uint32_t centre = grab.At(grab.width / 2, grab.height / 2);
    const int channels[] = {128, 64, 64};
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(static_cast<int>((centre >> (16 - 8 * c)) & 0xFF), channels[c], 4) << std::hex << centre;
    }
    EXPECT_EQ(ReadTextFile(stderrPath), "");
    ExpectEscapeEndsTheShow(window);
}

// A landscape flying for the whole show over colour map `map`, as a script file of 9 rows.
std::string FlightScript(int map) {
    return "# flight\n"
           "0 196 float landscape.advanceClock clock\n"
           "0 196 float landscape.pathClockX clock\n"
           "0 1 char landscape.enabled 1 1\n"
           "0 1 unsigned char landscape.viewMode 1 1\n"
           "0 1 unsigned char landscape.shadeFlags 1 1\n"
           "0 1 float landscape.scaleX 255 255\n"
           "0 1 float landscape.scaleY 255 255\n"
           "0 1 unsigned short landscape.advanceRate 150 150\n"
           "0 1 unsigned char landscape.colourSource " +
           std::to_string(map) + " " + std::to_string(map) + "\n";
}

// Share of the window's pixels whose red stands out from their green and blue.
double RedShare(const ScreenGrab& grab, const WindowPlace& place) {
    size_t red = 0;
    for (int y = place.y; y < place.y + place.height; ++y) {
        for (int x = place.x; x < place.x + place.width; ++x) {
            const uint32_t pixel = grab.At(x, y);
            const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
            red += r > g + 24 && r > b + 24;
        }
    }
    return static_cast<double>(red) / (static_cast<double>(place.width) * place.height);
}

// The captured sound is the MP3 `path` decoded, sample for sample from its start, then silence.
void ExpectTheStreamThenSilence(const std::vector<float>& captured, const std::string& path) {
    const std::vector<float> decoded = DropLeadingSilence(DecodeMp3File(path).samples);
    for (size_t i = 0; i < captured.size(); ++i) {
        if (i < decoded.size()) {
            ASSERT_FLOAT_EQ(captured[i], decoded[i]) << "sample " << i;
        } else {
            ASSERT_EQ(captured[i], 0.0f) << "sample " << i << ", after the music's end";
        }
    }
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Saves of the script while the show plays: a good one is shown at once, a broken one is
// reported and the show plays on with the script it had, and the music plays on through all
// of them as it would without a save.
TEST_F(ShowInWindow, ASavedScriptIsPlayedAtOnceAndABrokenSaveLeavesTheOldOne) {
    const std::string script = TempPath("voxelshow_reload.txt"), saving = TempPath("voxelshow_reload.new");
    const DiskCapture capture{TempPath("voxelshow_reload.raw")};
    std::filesystem::remove(capture.path);
    std::ofstream(script) << FlightScript(3);  // grey
    const auto [window, grab, place] =
        StartUntilPicture("--data '" + dataDir + "' --windowed --script '" + script + "'",
                          "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + capture.path + "'");
    ASSERT_NE(window, 0u);
    EXPECT_LT(RedShare(grab, place), 0.02);

    // Waits until the window's picture is mostly red, or not, and `reloads` reloads are printed.
    const std::string reloaded = "script reloaded: 9 tracks\n";
    const auto waitForPicture = [&](bool red, size_t reloads) {
        double share = 0.0;
        WaitUntil(20.0, 0.05, [&] {
            share = RedShare(GrabScreen(display), PlaceOnScreen(display, window));
            return (share > 0.5) == red && Count(ReadTextFile(stdoutPath), reloaded) >= reloads;
        });
        EXPECT_EQ(share > 0.5, red) << share;
        EXPECT_EQ(Count(ReadTextFile(stdoutPath), reloaded), reloads) << ReadTextFile(stdoutPath);
    };

    std::ofstream(saving) << FlightScript(5);  // red, saved as editors do: written beside, renamed over
    ASSERT_EQ(std::rename(saving.c_str(), script.c_str()), 0);
    waitForPicture(true, 1);

    std::ofstream(script) << FlightScript(5) << "0 1 unsigned char landscape.viewMode 1\n";
    const std::string error = "voxelshow: " + script + ":11: too few columns";
    EXPECT_TRUE(WaitUntil(20.0, 0.02, [&] {
        return ReadTextFile(stderrPath).find(error) != std::string::npos;
    })) << ReadTextFile(stderrPath);
    EXPECT_GT(RedShare(GrabScreen(display), PlaceOnScreen(display, window)), 0.5);  // the old script plays on

    std::ofstream(script) << FlightScript(3);  // the next good save, in place, is taken
    waitForPicture(false, 2);
    ASSERT_TRUE(WaitForCapturedMusic(capture, 1.0));
    ExpectEscapeEndsTheShow(window);
    EXPECT_EQ(ReadTextFile(stdoutPath).find("error code"), std::string::npos) << ReadTextFile(stdoutPath);

    // The music from its start, once, as if no save had been made: not moved, not started again.
    ExpectTheStreamThenSilence(ReadCapturedMusic(capture), MusicPath(dataDir));
}

// --music plays its file in place of the data folder's (which has none here): a stream once, a
// module over and over.
TEST_F(ShowInWindow, MusicOptionPlaysAStreamOnceAndLoopsAModule) {
    const std::string stream = TempPath("voxelshow_own_song.mp3"),
                      module = TempPath("voxelshow_own_song.mod");
    WriteSineMp3(stream, 1.0);
    WriteSquareWaveModule(module);  // the note sounds for 0.64 s of the song's 1.28 s
    const DiskCapture capture{TempPath("voxelshow_own_song.raw")};
    for (const std::string& song : {stream, module}) {
        SCOPED_TRACE(song);
        std::filesystem::remove(capture.path);
        const Window window = StartUntilFps(
            "--data '" + silentDataDir + "' --windowed --music '" + song + "'",
            "SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=1 SDL_DISKAUDIOFILE='" + capture.path + "'");
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(WaitForCapturedMusic(capture, 4.0));
        ExpectEscapeEndsTheShow(window);
        EXPECT_EQ(ReadTextFile(stdoutPath).find("error code"), std::string::npos) << ReadTextFile(stdoutPath);

        const std::vector<float> captured = ReadCapturedMusic(capture);
        ASSERT_GT(captured.size(), 44100u * 2 * 3) << "less than three seconds of music captured";
        if (song == stream) {
            ExpectTheStreamThenSilence(captured, stream);  // played once
        } else {
            EXPECT_GT(RootMeanSquare(captured, 0.05, 0.6), 0.1);
            EXPECT_LT(RootMeanSquare(captured, 0.7, 1.2), 0.01);
            EXPECT_GT(RootMeanSquare(captured, 1.33, 1.88), 0.1);  // the song again
            EXPECT_GT(RootMeanSquare(captured, 2.61, 3.16), 0.1);  // and again
        }
    }
}

// Polls the demo clock in the window's title until `done` holds for it (at most 20 s); returns
// the last reading.
template <typename Condition>
uint32_t WaitForTitleTimer(Display* display, Window window, Condition done) {
    uint32_t timer = 0;
    WaitUntil(20.0, 0.02, [&] { return done(timer = TitleTimer(WindowTitle(display, window))); });
    return timer;
}

// The demo clock once it has held still for 0.3 s (the show paused), or 0 after 20 s.
uint32_t PausedTimer(Display* display, Window window) {
    uint32_t seen = 0;
    return WaitForTitleTimer(display, window, [&](uint32_t timer) {
        const bool steady = timer == seen;
        seen = timer;
        if (!steady) {
            Sleep(0.3);
        }
        return steady;
    });
}

// --start 120 plays picture and music from 120 s. Space holds both; Right, while held, moves both
// 5 s on, the music sample-exactly to the picture's new time; Space again lets both go on. (Jumps
// while playing are held to the uninterrupted run by the player's own tests.)
TEST_F(ShowInWindow, StartJumpAndPauseMovePictureAndMusicTogether) {
    const std::string capturePath = TempPath("voxelshow_window_seek.raw");
    std::filesystem::remove(capturePath);
    const Window window = StartUntilFps("--data '" VOXELSHOW_DATA_DIR "' --windowed --start 120",
                                        "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + capturePath + "'");
    ASSERT_NE(window, 0u);
    EXPECT_GE(TitleTimer(WindowTitle(display, window)), 120000u);
    ASSERT_TRUE(WaitForCapturedMusic(DiskCapture{capturePath}, 1.0));
    RunXdotool("windowfocus " + std::to_string(window));

    // Held: the clock stands still, however long one waits.
    RunXdotool("key space");
    const uint32_t paused = PausedTimer(display, window);
    Sleep(0.5);
    EXPECT_EQ(TitleTimer(WindowTitle(display, window)), paused);

    // Right while held: the picture moves 5 s on from the frame shown, which was drawn at the clock's
    // reading one frame delta (the title's epsilon, shown in its low 8 bits) before the title's.
    const std::string pausedTitle = WindowTitle(display, window);
    std::smatch epsilon;
    ASSERT_TRUE(std::regex_search(pausedTitle, epsilon, std::regex(R"(epsilon: (\d+),)"))) << pausedTitle;
    RunXdotool("key Right");
    const uint32_t jumped =
        WaitForTitleTimer(display, window, [&](uint32_t timer) { return timer != paused; });
    ASSERT_LE(jumped, paused + 5000) << paused;
    EXPECT_EQ((paused + 5000 - jumped) % 256, std::stoul(epsilon[1])) << paused << " then " << jumped;

    RunXdotool("key space");
    EXPECT_GT(WaitForTitleTimer(display, window, [&](uint32_t timer) { return timer > jumped + 500; }),
              jumped + 500);
    ASSERT_TRUE(WaitForCapturedMusic(DiskCapture{capturePath}, 2.5));
    ExpectEscapeEndsTheShow(window);

    // The sound: the music from 120 s up to the pause, silence while held, then the music from the
    // picture's new time.
    const std::vector<float> captured = ReadCapturedMusic(DiskCapture{capturePath});
    const std::vector<float>& music = ShowMusic();
    const size_t startFrame = 120 * RATE;
    const size_t played = MatchingFrames(captured, 0, music, startFrame);
    EXPECT_GT(played, RATE / 2) << "less than half a second of the music from 120 s";
    const size_t silence = SilentFrames(captured, played);
    EXPECT_GT(silence, RATE / 4) << "the pause was not silent";
    const size_t resumedAt = played + silence;
    const size_t expected = static_cast<size_t>(jumped) * RATE / 1000;
    const std::optional<size_t> resumed = FindInMusic(captured, resumedAt, music, expected - 2, expected + 3);
    ASSERT_TRUE(resumed.has_value()) << "the music did not go on from " << jumped << " ms";
    EXPECT_GT(MatchingFrames(captured, resumedAt, music, *resumed), RATE / 4);
}

// Moves the pointer `moves` times to and fro over a rectangle, as fast as the X server takes it.
void FloodWithMotion(const WindowPlace& over, int moves) {
    std::string command;
    for (int i = 0; i < moves; ++i) {
        command += " mousemove " + std::to_string(over.x + 10 + (i % 2) * (over.width - 20)) + " " +
                   std::to_string(over.y + over.height / 2 + i % 7);
    }
    RunXdotool(command);
}

// Keys act on the next pass however many mouse moves came before them: Space pauses and goes on
// at once (before, a pass took one event, and the show took seconds to work through the moves
// first), and a tap of Escape, pressed and released between two passes, ends the show, paused or
// playing (before, only a key still held at a pass's test was seen).
TEST_F(ShowInWindow, KeysActAtOnceWhileTheMouseMoves) {
    for (const bool tapWhilePaused : {true, false}) {
        SCOPED_TRACE(tapWhilePaused ? "full screen, tapped while paused" : "windowed, tapped while playing");
        const Window window =
            StartUntilFps("--data '" + dataDir + "' --mute" + (tapWhilePaused ? "" : " --windowed"));
        ASSERT_NE(window, 0u);
        const WindowPlace place = PlaceOnScreen(display, window);
        RunXdotool("windowfocus " + std::to_string(window));

        FloodWithMotion(place, 3000);
        const uint32_t before = TitleTimer(WindowTitle(display, window));
        RunXdotool("key space");
        const uint32_t paused = PausedTimer(display, window);
        ASSERT_GT(paused, 0u) << "the show did not pause";
        // A pass takes a few milliseconds; the key's way from this test to the show takes some more.
        EXPECT_LT(paused - before, 1000u) << "paused at " << paused << " ms, the key sent at " << before;

        if (!tapWhilePaused) {
            FloodWithMotion(place, 3000);
            RunXdotool("key space");
            EXPECT_GT(
                WaitForTitleTimer(display, window, [&](uint32_t timer) { return timer > paused + 200; }),
                paused + 200)
                << "the show did not go on";
        }
        FloodWithMotion(place, 3000);
        TapKey(display, window, XK_Escape);
        const auto status = WaitForExit(10.0);
        ASSERT_TRUE(status.has_value()) << "still running 10 s after a tap of Escape";
        EXPECT_EQ(*status, 0) << ReadTextFile(stderrPath);
    }
}

// SIGINT and SIGTERM end the show as Escape does, and the program then exits with the status a
// shell gives a program the signal ended.
TEST_F(ShowInWindow, StopSignalsEndTheShowWithTheShellsStatus) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        ASSERT_NE(StartUntilFps("--data '" + dataDir + "' --mute --windowed"), 0u);
        kill(pid, signal);
        const auto status = WaitForExit(10.0);
        ASSERT_TRUE(status.has_value()) << "still running 10 s after the signal";
        EXPECT_EQ(*status, 128 + signal) << "(negative: ended by the signal itself, not by the show)";
        EXPECT_EQ(ReadTextFile(stderrPath), "");
    }
}

// The software frames show when the GPU presenter only adds to them or cannot be used; missing
// files and devices are reported, and the show goes on.
TEST_F(ShowInWindow, FailuresAreReportedAndTheSoftwareFramesShow) {
    const std::string badShader = TempPath("voxelshow_bad_shader"),
                      noShader = TempPath("voxelshow_no_shader");
    for (const std::string& dir : {badShader, noShader}) {
        std::filesystem::create_directories(dir);
    }
    std::filesystem::remove(noShader + "/shaders.glsl");
    // A copy of the program in a folder without the shaders, run from there, finds them nowhere.
    // (A folder or a FIFO at the name is refused by the reader every data file goes through; the
    // loaders' tests hold that.)
    const std::string copiedProgram = noShader + "/voxelshow";
    std::filesystem::copy_file(VOXELSHOW_PROGRAM, copiedProgram,
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(badShader + "/shaders.glsl")
        << "#ifdef VShader\nvoid main() { gl_Position = nonsense; }\n#endif\n";
    const std::string notAStream = TempPath("voxelshow_not_music.mp3"),
                      notAModule = TempPath("voxelshow_not_music.xm");
    std::ofstream(notAStream) << "these are words, not music\n";
    std::ofstream(notAModule) << "these are words, not music\n";
    const std::string diskAudio =
        "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + TempPath("voxelshow_not_music.raw");
    const std::string data = "--data '" + dataDir + "' ", build = VOXELSHOW_BUILD_DIR;
    const struct {
        std::string options, environment, workDir, printed;
        std::vector<std::string> errors;  // all of the error output if `exactErrors`, else parts of it
        bool exactErrors;
        std::string program = VOXELSHOW_PROGRAM;
    } cases[] = {
        // clang-format off
        {data + "--mute --presenter both", "", build, "", {}, true},
        {data + "--mute --presenter gpu", "", badShader, "",
         {"voxelshow: GPU presenter: shaders.glsl: VShader does not compile: ", "nonsense"}, false},
        {data + "--mute --presenter both --windowed", "", noShader, "",
         {"voxelshow: GPU presenter: shaders.glsl: cannot read the shader file: No such file or directory; "
          "showing the frames without it\n"},
         true, copiedProgram},
        {"--data '" + silentDataDir + "' --windowed",
         "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + TempPath("voxelshow_nomusic.raw"), build,
         "Can't open stream\n(error code: 5)\n", {MusicPath(silentDataDir)}, false},
        {data + "--windowed --music '" + notAStream + "'", diskAudio, build,
         "Can't open stream\n(error code: 6)\n", {"voxelshow: " + notAStream + ": "}, false},
        {data + "--windowed --music '" + notAModule + "'", diskAudio, build,
         "Can't load music\n(error code: 6)\n", {"voxelshow: " + notAModule + ": "}, false},
        {data + "--windowed", "SDL_AUDIODRIVER=no-such-driver", build,
         "Can't initialize device\n(error code: 1)\n", {}, false},
        // clang-format on
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.options + " " + run.environment + " in " + run.workDir);
        const auto [window, grab, place] =
            StartUntilPicture(run.options, run.environment, run.workDir, run.program);
        ASSERT_NE(window, 0u);
        EXPECT_NE(grab.At(place.x + 4, place.y + 4), DARK_BLUE);
        ExpectEscapeEndsTheShow(window);
        EXPECT_NE(ReadTextFile(stdoutPath).find(run.printed), std::string::npos) << ReadTextFile(stdoutPath);
        const std::string errors = ReadTextFile(stderrPath);
        std::string all;
        for (const std::string& part : run.errors) {
            EXPECT_NE(errors.find(part), std::string::npos) << errors;
            all += part;
        }
        EXPECT_TRUE(!run.exactErrors || errors == all) << errors;
    }
}

TEST_F(ShowInWindow, WithoutADisplayTheProgramSaysSoAndFails) {
    Start("--data '" + dataDir + "' --mute", "-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER");
    const auto status = WaitForExit(10.0);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    const std::string errors = ReadTextFile(stderrPath);
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
