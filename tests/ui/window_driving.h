#pragma once
// Driving the program's windows from a test on the same thread: running the
// message loop for a while, reading the screen back, the clipboard.

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "ui/geometry.h"
#include "ui/window_support_win.h"  // windowText

// Dispatches this thread's messages for the given time.
void pumpMessagesFor(std::chrono::milliseconds duration);
// Dispatches until the condition holds or the limit passes; the last answer.
bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5));

// The pixels of a screen rectangle, row by row, as the screen shows them.
class ScreenShot {
public:
    explicit ScreenShot(const Rect& area);
    Colour at(int x, int y) const;  // screen coordinates inside the area
    // How many pixels of the rectangle are within tolerance of the colour.
    int count(const Rect& inside, Colour colour, int tolerance = 0) const;

private:
    Rect area;
    std::vector<std::uint32_t> pixels;
};

// Asks the script running this program (scripts/screenshots, scripts/demo)
// for a picture of a screen rectangle: writes FOLDER\NAME.request holding
// "x y width height" and waits, running the message loop, until the script
// has taken the picture and removed it. Wine's screen device context does
// not see other windows, so the X server takes the pictures.
bool requestScreenPicture(const std::wstring& folder, const std::wstring& name, const Rect& area,
                          std::chrono::milliseconds limit = std::chrono::seconds(10));

// A key pressed and let go (with Shift held when asked), as the user types it,
// into whichever window has the keyboard focus; then the message loop runs.
void pressKey(WORD vk, bool withShift = false);
// The same with these keys held down around it (VK_CONTROL, VK_SHIFT …).
void pressKeyWith(std::initializer_list<WORD> held, WORD vk);

// A hidden window of this process for the program's clipboard calls to be
// opened as; it lasts as long as the process.
HWND testClipboardOwner();
// Another such window, on a thread of its own, that a test may close.
HWND startClipboardOwner();

std::wstring clipboardText();
void putOnClipboard(const std::wstring& text);
// Replaces the clipboard with these formats' bytes, in this order.
void putOnClipboard(const std::vector<std::pair<UINT, std::string>>& formats);
std::string clipboardBytes(UINT format);
Rect windowRect(HWND window);
Rect clientRect(HWND window);
