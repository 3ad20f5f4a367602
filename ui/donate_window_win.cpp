#include "ui/donate_window.h"

#include "diag/log.h"
#include "insert/clipboard_win.h"
#include "ui/interface_script.h"

namespace {

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;

// Kept for the life of the process: the controls keep drawing with it.
HBRUSH backgroundBrush() {
    static const UniqueBrush brush(CreateSolidBrush(toColorRef(kDonateBackground)));
    return brush.get();
}

void drawLine(HDC dc, HFONT font, Colour colour, const std::wstring& text, const Rect& where, UINT format) {
    const SelectedObject selection(dc, font);
    SetTextColor(dc, toColorRef(colour));
    RECT area = toRECT(where);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format | DT_NOPREFIX);
}

// Placed and given its font by layoutControls.
HWND createButton(HWND parent, HINSTANCE instance, const wchar_t* text, DWORD extraStyle, int id) {
    return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | extraStyle, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

DonateWindow::DonateWindow(DonationDetails donation) : details(std::move(donation)) {}

DonateWindow::~DonateWindow() { destroyWindow(); }

WindowClassLook DonateWindow::windowClassLook() {
    return {L"VornikaDonate", L"XATO: donat oynasi yaratilmadi", true, true, nullptr};
}

bool DonateWindow::createWindow(HINSTANCE instance, HWND owner) {
    if (!createObjectWindow(instance, 0, kDonateTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner)) return false;
    for (int row = 0; row < 3; ++row) {
        // A card this build has no number for cannot be copied.
        const DWORD disabled = isRealCardNumber(details.cards[row].digits) ? 0 : WS_DISABLED;
        createButton(handle(), instance, kCopyButtonText, disabled, kFirstCopyButtonId + row);
    }
    createButton(handle(), instance, kCloseButtonText, BS_DEFPUSHBUTTON, kCloseButtonId);
    rebuildForDpi();
    enableDialogKeys(handle());
    return true;
}

void DonateWindow::createFonts() {
    titleFont = createUiFont(19, 600, dpi());
    bodyFont = createUiFont(13, 400, dpi());
    numberFont = createUiFont(16, 600, dpi(), L"Consolas", true);
    labelFont = createUiFont(11, 700, dpi());
}

// The frame, the buttons' places and their font at the window's DPI.
void DonateWindow::layoutControls() {
    sizeFrameForClient(handle(), donateClientSize(dpi()), dpi());
    for (int row = 0; row <= 3; ++row) {
        const int id = row < 3 ? kFirstCopyButtonId + row : kCloseButtonId;
        const Rect place = row < 3 ? donateCopyButtonRect(row, dpi()) : donateCloseButtonRect(dpi());
        const HWND button = GetDlgItem(handle(), id);
        SetWindowPos(button, nullptr, place.left, place.top, place.width(), place.height(), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(bodyFont.get()), TRUE);
    }
}

void DonateWindow::rebuildForDpi() {
    createFonts();
    layoutControls();
}

void DonateWindow::open(HINSTANCE instance, HWND owner) {
    if (handle() == nullptr && !createWindow(instance, owner)) return;
    RECT ownerRect{};
    if (owner != nullptr && GetWindowRect(owner, &ownerRect)) {
        RECT own{};
        GetWindowRect(handle(), &own);
        const Point place = centredIn(fromRECT(ownerRect), own.right - own.left, own.bottom - own.top);
        SetWindowPos(handle(), HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE);
    }
    // The texts in the interface's language of now.
    SetWindowTextW(handle(), shown(kDonateTitle).c_str());
    for (int row = 0; row < 3; ++row)
        SetDlgItemTextW(handle(), kFirstCopyButtonId + row, shown(row == copiedIndex ? kCopiedButtonText : kCopyButtonText).c_str());
    SetDlgItemTextW(handle(), kCloseButtonId, shown(kCloseButtonText).c_str());
    InvalidateRect(handle(), nullptr, TRUE);
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
}

void DonateWindow::paint(HDC dc) const {
    RECT clientArea{};
    GetClientRect(handle(), &clientArea);
    const int width = clientArea.right;
    fillRect(dc, fromRECT(clientArea), kDonateBackground);
    SetBkMode(dc, TRANSPARENT);

    drawLine(dc, titleFont.get(), kDonateInk, shown(kDonateHeading), donateHeadingRect(width, dpi()), DT_SINGLELINE);
    drawLine(dc, bodyFont.get(), kDonateNoteInk, shown(anyRealCard(details) ? kDonateNote : kDonateNoCardsNote),
             donateNoteRect(width, dpi()), DT_WORDBREAK);

    const UniquePen outline(CreatePen(PS_SOLID, 1, toColorRef(kCardOutline)));
    for (int row = 0; row < 3; ++row) {
        const DonationCard& card = details.cards[row];
        const Rect cardRect = donateCardRect(width, row, dpi());
        fillRect(dc, cardRect, kCardFill);
        {
            const SelectedObject pen(dc, outline.get());
            const SelectedObject noFill(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, cardRect.left, cardRect.top, cardRect.right, cardRect.bottom);
        }
        fillRect(dc, donateBadgeRect(cardRect, dpi()), card.badge);
        drawLine(dc, labelFont.get(), kDonateMutedInk, card.brand, donateBrandRect(cardRect, dpi()), DT_SINGLELINE);
        if (isRealCardNumber(card.digits)) {
            drawLine(dc, numberFont.get(), kDonateInk, cardDisplayForm(card.digits), donateNumberRect(cardRect, dpi()),
                     DT_SINGLELINE);
        } else {
            drawLine(dc, bodyFont.get(), kDonateMutedInk, shown(kDonateMissingNumber), donateNumberRect(cardRect, dpi()),
                     DT_SINGLELINE | DT_VCENTER);
        }
    }

    drawLine(dc, bodyFont.get(), kDonateMutedInk, shown(kDonateHolderLabel), donateHolderLabelRect(width, dpi()), DT_SINGLELINE);
    if (details.holder.empty()) {
        drawLine(dc, titleFont.get(), kDonateMutedInk, shown(kDonateMissingHolder), donateHolderRect(width, dpi()), DT_SINGLELINE);
    } else {
        drawLine(dc, titleFont.get(), kDonateInk, details.holder, donateHolderRect(width, dpi()), DT_SINGLELINE);
    }
}

void DonateWindow::copyNumber(int row) {
    const std::wstring& digits = details.cards[row].digits;
    if (!isRealCardNumber(digits) || !writeClipboardText(handle(), digits)) return;

    if (copiedIndex >= 0 && copiedIndex != row) {
        SetDlgItemTextW(handle(), kFirstCopyButtonId + copiedIndex, shown(kCopyButtonText).c_str());
    }
    copiedIndex = row;
    SetDlgItemTextW(handle(), kFirstCopyButtonId + row, shown(kCopiedButtonText).c_str());
    SetTimer(handle(), kFeedbackTimer, kCopiedFeedbackMilliseconds, nullptr);
}

void DonateWindow::endFeedback() {
    KillTimer(handle(), kFeedbackTimer);
    if (copiedIndex >= 0) {
        SetDlgItemTextW(handle(), kFirstCopyButtonId + copiedIndex, shown(kCopyButtonText).c_str());
        copiedIndex = -1;
    }
}

LRESULT DonateWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= kFirstCopyButtonId && id < kFirstCopyButtonId + 3) {
            copyNumber(id - kFirstCopyButtonId);
            return 0;
        }
        if (id == kCloseButtonId || id == IDCANCEL) {  // IDCANCEL: Esc
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_CLOSE:
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    case DM_GETDEFID:  // Enter
        return MAKELRESULT(kCloseButtonId, DC_HASDEFID);
    case WM_NEXTDLGCTL:
        moveDialogFocus(hwnd, wParam, lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kFeedbackTimer) endFeedback();
        return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(backgroundBrush());
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
