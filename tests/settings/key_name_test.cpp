// Key names from the keyboard layout (Windows only).
#include <gtest/gtest.h>

#include "settings/settings.h"

TEST(KeyName, LettersAndFunctionKeysFromTheLayout) {
    EXPECT_EQ(keyNameForVk('D'), L"D");
    EXPECT_EQ(keyNameForVk('A'), L"A");
    EXPECT_EQ(keyNameForVk(0x70), L"F1");  // VK_F1
    EXPECT_EQ(keyNameForVk(0x7B), L"F12");
}

TEST(KeyName, KeysWithoutAScanCode) {
    EXPECT_EQ(keyNameForVk(255), L"Key255");
    EXPECT_EQ(keyNameForVk(0), L"Key0");
}
