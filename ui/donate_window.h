#pragma once
// The donation window: the program is free; three cards a voluntary
// donation can go to, each with a button that copies its number. Owned by
// the settings window. GUI thread only.

#include <windows.h>

#include "ui/donation.h"
#include "ui/object_window_win.h"
#include "ui/window_support_win.h"

class DonateWindow : public ObjectWindow<DonateWindow> {
public:
    explicit DonateWindow(DonationDetails details = configuredDonation());
    ~DonateWindow();
    DonateWindow(const DonateWindow&) = delete;
    DonateWindow& operator=(const DonateWindow&) = delete;

    // Shows the window centred over its owner and in the foreground.
    void open(HINSTANCE instance, HWND owner);

    int copiedRow() const { return copiedIndex; }

    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static WindowClassLook windowClassLook();

private:
    friend class ObjectWindow<DonateWindow>;
    static constexpr UINT_PTR kFeedbackTimer = 1;

    bool createWindow(HINSTANCE instance, HWND owner);
    void createFonts();
    void layoutControls();
    void rebuildForDpi();
    void paint(HDC dc) const;
    void copyNumber(int row);
    void endFeedback();

    DonationDetails details;
    int copiedIndex = -1;
    UniqueFont titleFont;
    UniqueFont bodyFont;
    UniqueFont numberFont;
    UniqueFont labelFont;
};
