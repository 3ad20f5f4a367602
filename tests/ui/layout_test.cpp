// Window layouts as values: scaling, the status strip's place and columns,
// the donation window's cards.

#include <gtest/gtest.h>

#include "ui/donation.h"
#include "ui/overlay_layout.h"

TEST(Scaling, RoundsHalvesAwayFromZeroAndReportsImpossibleResults) {
    EXPECT_EQ(scaled(430, 120), 538);  // 537.5
    EXPECT_EQ(scaled(468, 120), 585);
    EXPECT_EQ(scaled(340, 144), 510);
    EXPECT_EQ(scaled(13, 120), 16);   // 16.25
    EXPECT_EQ(scaled(14, 120), 18);   // 17.5
    EXPECT_EQ(mulDiv(-7, 3, 2), -11);  // -10.5
    EXPECT_EQ(mulDiv(7, 3, -2), -11);
    EXPECT_EQ(mulDiv(-7, -3, -2), -11);
    EXPECT_EQ(mulDiv(5, 0, 3), 0);
    EXPECT_EQ(mulDiv(1, 2, 0), -1);
    EXPECT_EQ(mulDiv(1 << 30, 4, 1), -1);
    EXPECT_EQ(mulDiv(1 << 30, 4, 2), -1);
    EXPECT_EQ(mulDiv(1 << 30, 4, 4), 1 << 30) << "the product is wider than 32 bits";
    EXPECT_EQ(centredIn({-1281, 0, 0, 1024}, 340, 64), (Point{-811, 480})) << "odd widths truncate";
    EXPECT_EQ(centredIn({100, 100, 200, 200}, 300, 300), (Point{0, 0})) << "larger than the area";
}

TEST(OverlayLayout, TheStripSitsCentredAboveTheWorkAreasBottomOnItsMonitor) {
    const Rect primary{0, 0, 1920, 1040};
    EXPECT_EQ(overlayWindowRect(primary, 96), (Rect{790, 856, 1130, 920}));
    const Rect at144 = overlayWindowRect(primary, 144);
    EXPECT_EQ(at144.width(), 510);
    EXPECT_EQ(at144.height(), 96);
    EXPECT_EQ(primary.bottom - at144.bottom, 180);
    EXPECT_EQ(at144.left, (1920 - 510) / 2);
    EXPECT_EQ(overlayWindowRect(primary, 120), (Rect{747, 810, 1172, 890}));

    // A second monitor to the left, its taskbar on the left edge, odd width.
    const Rect second{-1599, 0, -60, 1200};
    const Rect placed = overlayWindowRect(second, 96);
    EXPECT_EQ(placed.left, -1599 + (1539 - 340) / 2);
    EXPECT_EQ(placed.bottom, 1200 - 120);
    EXPECT_EQ(overlayCornerDiameter(96), 14);
    EXPECT_EQ(overlayCornerDiameter(144), 21);
}

TEST(OverlayLayout, GlyphAndTextColumnsAndTheVerticalCentringOfText) {
    const Rect client{0, 0, 340, 64};
    EXPECT_EQ(overlayGlyphRect(client, 96), (Rect{18, 0, 46, 64}));
    EXPECT_EQ(overlayTextArea(client, 96), (Rect{54, 0, 322, 64}));
    // Each distance scaled by itself: 18 + 28 + 8 at 120 DPI is 23 + 35 + 10.
    EXPECT_EQ(overlayTextArea({0, 0, 425, 80}, 120), (Rect{68, 0, 402, 80}));
    EXPECT_EQ(overlayGlyphRect({0, 0, 510, 96}, 144), (Rect{27, 0, 69, 96}));

    const Rect area{54, 0, 322, 64};
    EXPECT_EQ(centredTextRect(area, 20), (Rect{54, 22, 322, 42}));
    EXPECT_EQ(centredTextRect(area, 19), (Rect{54, 22, 322, 41})) << "half of an odd gap rounds down";
    EXPECT_EQ(centredTextRect(area, 64), area);
    EXPECT_EQ(centredTextRect(area, 90), area) << "too tall: from the top, cut at the bottom";
}

TEST(OverlayLayout, EachKindHasItsGlyphAndColour) {
    EXPECT_EQ(overlayGlyph(OverlayKind::Recording), L"\u25CF");
    EXPECT_EQ(overlayGlyph(OverlayKind::Working), L"\u22EF");
    EXPECT_EQ(overlayGlyph(OverlayKind::Warning), L"\u26A0");
    EXPECT_EQ(overlayGlyphColour(OverlayKind::Recording), (Colour{255, 69, 58}));
    EXPECT_EQ(overlayGlyphColour(OverlayKind::Working), (Colour{160, 160, 165}));
    EXPECT_EQ(overlayGlyphColour(OverlayKind::Warning), (Colour{255, 189, 46}));
    EXPECT_EQ(static_cast<int>(OverlayKind::Warning), 3);
}

TEST(DonationCards, DisplayAndCopyFormsAndWhatCountsAsANumber) {
    EXPECT_EQ(cardDisplayForm(L"9860123412341234"), L"9860 1234 1234 1234");
    EXPECT_EQ(cardDisplayForm(L"9860123412341234").size(), 19u);
    EXPECT_TRUE(isRealCardNumber(L"9860123412341234"));
    EXPECT_FALSE(isRealCardNumber(L"0000000000000000")) << "the unconfigured build's placeholder";
    EXPECT_FALSE(isRealCardNumber(L"986012341234123"));
    EXPECT_FALSE(isRealCardNumber(L"98601234123412345"));
    EXPECT_FALSE(isRealCardNumber(L"9860 1234 1234 12"));
    EXPECT_FALSE(isRealCardNumber(L""));

    DonationDetails details = configuredDonation();
    ASSERT_EQ(details.cards[0].brand, L"HUMO");
    EXPECT_EQ(details.cards[1].brand, L"VISA");
    EXPECT_EQ(details.cards[2].brand, L"UZCARD");
    EXPECT_EQ(details.cards[2].badge, (Colour{30, 150, 100}));
    for (const DonationCard& card : details.cards) EXPECT_EQ(card.digits.size(), 16u);
    for (DonationCard& card : details.cards) card.digits = L"0000000000000000";
    EXPECT_FALSE(anyRealCard(details));
    details.cards[1].digits = L"4111222233334444";
    EXPECT_TRUE(anyRealCard(details));
}

TEST(DonationLayout, ClientAreaCardsAndButtonsAtEachDpi) {
    EXPECT_EQ(donateClientSize(96), (Size{430, 468}));
    EXPECT_EQ(donateClientSize(120), (Size{538, 585}));
    EXPECT_EQ(donateClientSize(144), (Size{645, 702}));

    // Card r spans y 120 + 84r to 194 + 84r; its button 156 + 84r to 184 + 84r.
    for (int row = 0; row < 3; ++row) {
        const Rect card = donateCardRect(430, row, 96);
        EXPECT_EQ(card, (Rect{24, 120 + 84 * row, 406, 194 + 84 * row}));
        EXPECT_EQ(donateCopyButtonRect(row, 96), (Rect{302, 156 + 84 * row, 406, 184 + 84 * row}));
    }
    const Rect card = donateCardRect(430, 1, 96);
    EXPECT_EQ(donateBadgeRect(card, 96), (Rect{38, 218, 64, 235}));
    EXPECT_EQ(donateBrandRect(card, 96), (Rect{72, 218, 204, 236}));
    EXPECT_EQ(donateNumberRect(card, 96), (Rect{38, 242, 286, 272}));
    EXPECT_EQ(donateHolderLabelRect(430, 96), (Rect{24, 378, 406, 400}));
    EXPECT_EQ(donateHolderRect(430, 96), (Rect{24, 396, 406, 422}));
    EXPECT_EQ(donateCloseButtonRect(96), (Rect{310, 422, 406, 452}));

    // At 120 DPI rows step by the scaled 84 (105), each number scaled by itself.
    EXPECT_EQ(donateCardRect(538, 2, 120), (Rect{30, 150 + 210, 508, 150 + 210 + 105 - 13}));
    EXPECT_EQ(donateCopyButtonRect(2, 120), (Rect{378, 405, 508, 440}));
    EXPECT_EQ(donateHeadingRect(538, 120), (Rect{30, 25, 508, 65}));
    EXPECT_EQ(donateNoteRect(538, 120), (Rect{30, 65, 508, 140}));
}
