#include "ui/donate_window.h"

#include "diag/log.h"
#include "insert/clipboard_win.h"

namespace {

constexpr wchar_t kClassName[] = L"VornikaDonate";
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

HWND createButton(HWND parent, HINSTANCE instance, const wchar_t* text, DWORD extraStyle, const Rect& where, int id) {
    return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | extraStyle, where.left, where.top,
                           where.width(), where.height(), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           instance, nullptr);
}

}  // namespace

DonateWindow::DonateWindow(DonationDetails donation) : details(std::move(donation)) {}

DonateWindow::~DonateWindow() { window.reset(); }

bool DonateWindow::createWindow(HINSTANCE instance, HWND owner) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = objectWindowProcedure<DonateWindow>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    window.reset(CreateWindowExW(0, kClassName, kDonateTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner,
                                 nullptr, instance, this));
    if (!window) {
        logLine(L"XATO: donat oynasi yaratilmadi");
        return false;
    }
    dpi = static_cast<int>(GetDpiForWindow(window.get()));
    if (dpi <= 0) dpi = 96;
    titleFont = createUiFont(19, 600, dpi);
    bodyFont = createUiFont(13, 400, dpi);
    numberFont = createUiFont(16, 600, dpi, L"Consolas", true);
    labelFont = createUiFont(11, 700, dpi);

    const Size client = donateClientSize(dpi);
    RECT frame{0, 0, client.width, client.height};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, static_cast<UINT>(dpi));
    SetWindowPos(window.get(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);

    for (int row = 0; row < 3; ++row) {
        // A card this build has no number for cannot be copied.
        const DWORD disabled = isRealCardNumber(details.cards[row].digits) ? 0 : WS_DISABLED;
        const HWND button = createButton(window.get(), instance, kCopyButtonText, disabled, donateCopyButtonRect(row, dpi),
                                         kFirstCopyButtonId + row);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(bodyFont.get()), TRUE);
    }
    const HWND close =
        createButton(window.get(), instance, kCloseButtonText, BS_DEFPUSHBUTTON, donateCloseButtonRect(dpi), kCloseButtonId);
    SendMessageW(close, WM_SETFONT, reinterpret_cast<WPARAM>(bodyFont.get()), TRUE);
    return true;
}

void DonateWindow::open(HINSTANCE instance, HWND owner) {
    if (!window && !createWindow(instance, owner)) return;
    RECT ownerRect{};
    if (owner != nullptr && GetWindowRect(owner, &ownerRect)) {
        RECT own{};
        GetWindowRect(window.get(), &own);
        const Point place = centredIn(fromRECT(ownerRect), own.right - own.left, own.bottom - own.top);
        SetWindowPos(window.get(), HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE);
    }
    ShowWindow(window.get(), SW_SHOW);
    SetForegroundWindow(window.get());
}

void DonateWindow::paint(HDC dc) const {
    RECT clientArea{};
    GetClientRect(window.get(), &clientArea);
    const int width = clientArea.right;
    fillRect(dc, fromRECT(clientArea), kDonateBackground);
    SetBkMode(dc, TRANSPARENT);

    drawLine(dc, titleFont.get(), kDonateInk, kDonateHeading, donateHeadingRect(width, dpi), DT_SINGLELINE);
    drawLine(dc, bodyFont.get(), kDonateNoteInk, anyRealCard(details) ? kDonateNote : kDonateNoCardsNote,
             donateNoteRect(width, dpi), DT_WORDBREAK);

    const UniquePen outline(CreatePen(PS_SOLID, 1, toColorRef(kCardOutline)));
    for (int row = 0; row < 3; ++row) {
        const DonationCard& card = details.cards[row];
        const Rect cardRect = donateCardRect(width, row, dpi);
        fillRect(dc, cardRect, kCardFill);
        {
            const SelectedObject pen(dc, outline.get());
            const SelectedObject noFill(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, cardRect.left, cardRect.top, cardRect.right, cardRect.bottom);
        }
        fillRect(dc, donateBadgeRect(cardRect, dpi), card.badge);
        drawLine(dc, labelFont.get(), kDonateMutedInk, card.brand, donateBrandRect(cardRect, dpi), DT_SINGLELINE);
        if (isRealCardNumber(card.digits)) {
            drawLine(dc, numberFont.get(), kDonateInk, cardDisplayForm(card.digits), donateNumberRect(cardRect, dpi),
                     DT_SINGLELINE);
        } else {
            drawLine(dc, bodyFont.get(), kDonateMutedInk, kDonateMissingNumber, donateNumberRect(cardRect, dpi),
                     DT_SINGLELINE | DT_VCENTER);
        }
    }

    drawLine(dc, bodyFont.get(), kDonateMutedInk, kDonateHolderLabel, donateHolderLabelRect(width, dpi), DT_SINGLELINE);
    if (details.holder.empty()) {
        drawLine(dc, titleFont.get(), kDonateMutedInk, kDonateMissingHolder, donateHolderRect(width, dpi), DT_SINGLELINE);
    } else {
        drawLine(dc, titleFont.get(), kDonateInk, details.holder, donateHolderRect(width, dpi), DT_SINGLELINE);
    }
}

void DonateWindow::copyNumber(int row) {
    const std::wstring& digits = details.cards[row].digits;
    if (!isRealCardNumber(digits) || !writeClipboardText(window.get(), digits)) return;

    if (copiedIndex >= 0 && copiedIndex != row) {
        SetDlgItemTextW(window.get(), kFirstCopyButtonId + copiedIndex, kCopyButtonText);
    }
    copiedIndex = row;
    SetDlgItemTextW(window.get(), kFirstCopyButtonId + row, kCopiedButtonText);
    SetTimer(window.get(), kFeedbackTimer, kCopiedFeedbackMilliseconds, nullptr);
}

void DonateWindow::endFeedback() {
    KillTimer(window.get(), kFeedbackTimer);
    if (copiedIndex >= 0) {
        SetDlgItemTextW(window.get(), kFirstCopyButtonId + copiedIndex, kCopyButtonText);
        copiedIndex = -1;
    }
}

LRESULT DonateWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const PaintScope painting(hwnd);
        paint(painting.context());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= kFirstCopyButtonId && id < kFirstCopyButtonId + 3) {
            copyNumber(id - kFirstCopyButtonId);
            return 0;
        }
        if (id == kCloseButtonId) {
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_CLOSE:
        ShowWindow(hwnd, SW_HIDE);
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
