#pragma once
#include <cstdint>
#include <string>

// Sets the display settings (640 x 480, the window kind and the presenter) and opens the
// window. `presenter` must be 1, 2 or 3. Returns false, with the reason in `failure`, when
// there is no display or the window cannot be created.
bool InitWindow(uint8_t windowKind, uint8_t presenter, std::string& failure);
// Creates and shows the window from the display settings, titled "MainProgram"; in full
// screen it covers the display exactly and hides the cursor.
bool CreateMainWindow(std::string& failure);
// Alt+Enter: from full screen to a framed, resizable 640 x 480 window in the middle of the display,
// or from the window to full screen as CreateMainWindow makes it.
void SwitchFullScreen();
// The refresh rate of the display the window is on, in hertz; 0 when the system does not say.
uint32_t DisplayRefreshHz();
// Shows the cursor again (in full screen), closes the window and the video system.
void CloseMainWindow();
