#pragma once
// The donation window's cards and layout as values. The card numbers and the
// holder's name are not the program's to invent: whoever distributes it
// fills them in at build time (CMake cache values VORNIKA_DONATION_*). The
// default build carries all-zero numbers, which the window shows as missing
// instead of inviting a transfer.

#include <array>
#include <string>

#include "ui/geometry.h"

struct DonationCard {
    std::wstring brand;
    std::wstring digits;  // the copy form: 16 digits, or all zeros when not filled in
    Colour badge;
};

struct DonationDetails {
    std::array<DonationCard, 3> cards;
    std::wstring holder;  // empty when not filled in
};

// The table this build was configured with.
DonationDetails configuredDonation();

// 16 digits, not all of them zero.
bool isRealCardNumber(const std::wstring& digits);
bool anyRealCard(const DonationDetails& details);
// Four groups of four digits separated by single spaces.
std::wstring cardDisplayForm(const std::wstring& digits);

inline constexpr wchar_t kDonateTitle[] = L"Donat qilish";
inline constexpr wchar_t kDonateHeading[] = L"Ilova bepul";
inline constexpr wchar_t kDonateNote[] =
    L"Reklama yo'q, obuna yo'q. Agar foydali bo'lsa va imkoningiz bo'lsa, qo'llab-quvvatlashingiz mumkin "
    L"\u2014 majburiy emas.";
// Instead of the note when this build has no card filled in.
inline constexpr wchar_t kDonateNoCardsNote[] =
    L"Bu nusxada donat kartalari kiritilmagan. Hech qaysi kartaga pul o'tkazmang \u2014 ilova bepul.";
// Instead of a card number that was not filled in, and of a missing name.
inline constexpr wchar_t kDonateMissingNumber[] = L"karta raqami kiritilmagan";
inline constexpr wchar_t kDonateMissingHolder[] = L"kiritilmagan";
inline constexpr wchar_t kDonateHolderLabel[] = L"Karta egasi";
inline constexpr wchar_t kCopyButtonText[] = L"Nusxalash";
inline constexpr wchar_t kCopiedButtonText[] = L"Nusxalandi \u2713";
inline constexpr wchar_t kCloseButtonText[] = L"Yopish";
inline constexpr int kFirstCopyButtonId = 400;
inline constexpr int kCloseButtonId = 410;
inline constexpr int kCopiedFeedbackMilliseconds = 2000;

inline constexpr Colour kDonateBackground{250, 249, 245};
inline constexpr Colour kDonateInk{25, 25, 23};
inline constexpr Colour kDonateNoteInk{74, 72, 66};
inline constexpr Colour kDonateMutedInk{99, 96, 90};
inline constexpr Colour kCardFill{240, 238, 230};
inline constexpr Colour kCardOutline{214, 209, 194};

Size donateClientSize(int dpi);
// In the client area (width clientWidth) of a window at dpi.
Rect donateHeadingRect(int clientWidth, int dpi);
Rect donateNoteRect(int clientWidth, int dpi);
Rect donateCardRect(int clientWidth, int row, int dpi);
Rect donateBadgeRect(const Rect& card, int dpi);
Rect donateBrandRect(const Rect& card, int dpi);
Rect donateNumberRect(const Rect& card, int dpi);
// Below the three cards.
Rect donateHolderLabelRect(int clientWidth, int dpi);
Rect donateHolderRect(int clientWidth, int dpi);
Rect donateCopyButtonRect(int row, int dpi);
Rect donateCloseButtonRect(int dpi);
