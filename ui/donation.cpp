#include "ui/donation.h"

#include <algorithm>

bool isRealCardNumber(const std::wstring& digits) {
    return digits.size() == 16 && std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }) &&
           digits.find_first_not_of(L'0') != std::wstring::npos;
}

bool anyRealCard(const DonationDetails& details) {
    return std::any_of(details.cards.begin(), details.cards.end(),
                       [](const DonationCard& card) { return isRealCardNumber(card.digits); });
}

std::wstring cardDisplayForm(const std::wstring& digits) {
    std::wstring shown;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && i % 4 == 0) shown += L' ';
        shown += digits[i];
    }
    return shown;
}

namespace {

constexpr int kMargin = 24;
constexpr int kCardsTop = 120;
constexpr int kCardStep = 84;
constexpr int kCardGap = 10;

int margin(int dpi) { return scaled(kMargin, dpi); }
int belowCards(int dpi) { return scaled(kCardsTop, dpi) + 3 * scaled(kCardStep, dpi); }

}  // namespace

Size donateClientSize(int dpi) { return {scaled(430, dpi), scaled(468, dpi)}; }

Rect donateHeadingRect(int clientWidth, int dpi) {
    return {margin(dpi), scaled(20, dpi), clientWidth - margin(dpi), scaled(52, dpi)};
}

Rect donateNoteRect(int clientWidth, int dpi) {
    return {margin(dpi), scaled(52, dpi), clientWidth - margin(dpi), scaled(112, dpi)};
}

Rect donateCardRect(int clientWidth, int row, int dpi) {
    const int top = scaled(kCardsTop, dpi) + row * scaled(kCardStep, dpi);
    return {margin(dpi), top, clientWidth - margin(dpi), top + scaled(kCardStep, dpi) - scaled(kCardGap, dpi)};
}

Rect donateBadgeRect(const Rect& card, int dpi) {
    return {card.left + scaled(14, dpi), card.top + scaled(14, dpi), card.left + scaled(40, dpi), card.top + scaled(31, dpi)};
}

Rect donateBrandRect(const Rect& card, int dpi) {
    return {card.left + scaled(48, dpi), card.top + scaled(14, dpi), card.left + scaled(180, dpi), card.top + scaled(32, dpi)};
}

Rect donateNumberRect(const Rect& card, int dpi) {
    return {card.left + scaled(14, dpi), card.top + scaled(38, dpi), card.right - scaled(120, dpi),
            card.bottom - scaled(6, dpi)};
}

Rect donateHolderLabelRect(int clientWidth, int dpi) {
    const int y = belowCards(dpi);
    return {margin(dpi), y + scaled(6, dpi), clientWidth - margin(dpi), y + scaled(28, dpi)};
}

Rect donateHolderRect(int clientWidth, int dpi) {
    const int y = belowCards(dpi);
    return {margin(dpi), y + scaled(24, dpi), clientWidth - margin(dpi), y + scaled(50, dpi)};
}

Rect donateCopyButtonRect(int row, int dpi) {
    const int x = scaled(302, dpi);
    const int y = scaled(156 + kCardStep * row, dpi);
    return {x, y, x + scaled(104, dpi), y + scaled(28, dpi)};
}

Rect donateCloseButtonRect(int dpi) {
    const int x = scaled(310, dpi);
    const int y = scaled(422, dpi);
    return {x, y, x + scaled(96, dpi), y + scaled(30, dpi)};
}
