#pragma once
#include <SDL.h>

// Another X client can destroy the show's window outright (a tool's or a window manager's
// "close" that does not ask first). Every later request on the window then fails, and Xlib's
// default error handler ends the program with status 1 at the first one. Once the window
// exists, this watch takes such failures as the window having been closed; every other X
// error goes on to the handler that was there before. Nothing happens under other video
// drivers than X11. Once the window is gone, a guard thread ends the program with status 0
// if the show has not stopped within two seconds (see GuardTheEnd).
void WatchForDestroyedWindow(SDL_Window* window);
// True once an X request failed because the watched window was gone; asks the server about
// the window itself every tenth of a second.
bool WindowWasDestroyed();
// Asks the server now, and true if the window is gone. Called right before each drawing into the
// window: the GL library's software rasteriser reads the window's size from the server before it
// draws, and when that request fails it takes whatever its stack held for the size, then
// allocates and clears a buffer of up to gigabytes (tens of seconds on a busy machine).
bool WindowIsGoneNow();
// After the window is closed: stops the guard, waits for the answers to its last requests, so that failures
// of the close itself reach the watch before SDL gives the display's errors back to Xlib.
void StopWatchingWindow();
