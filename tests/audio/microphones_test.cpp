#include "audio/microphones.h"

#include <gtest/gtest.h>

TEST(ClassifyMicrophone, KeywordsInTheirOrder) {
    EXPECT_EQ(classifyMicrophone(L"Stereo Mix (Example Audio)"), MicKind::Loopback);
    EXPECT_EQ(classifyMicrophone(L"\u0421\u0442\u0435\u0440\u0435\u043E \u043C\u0438\u043A\u0448\u0435\u0440 (Example Audio)"),
              MicKind::Loopback);
    EXPECT_EQ(classifyMicrophone(L"What U Hear (Sound Blaster)"), MicKind::Loopback);
    EXPECT_EQ(classifyMicrophone(L"Headset (Hands-Free AG Audio)"), MicKind::Headset);
    EXPECT_EQ(classifyMicrophone(L"\u0413\u043E\u043B\u043E\u0432\u043D\u043E\u0439 \u0442\u0435\u043B\u0435\u0444\u043E\u043D (AirPods)"),
              MicKind::Headset);
    EXPECT_EQ(classifyMicrophone(L"Microphone (Bluetooth Virtual Device)"), MicKind::Headset)
        << "headset words come before \"virtual\"";
    EXPECT_EQ(classifyMicrophone(L"CABLE Output (VB-Audio Virtual Cable)"), MicKind::Virtual);
    EXPECT_EQ(classifyMicrophone(L"Lobster Mic"), MicKind::Virtual) << "\"obs\" inside a word";
    EXPECT_EQ(classifyMicrophone(L"Bluetooth stereo mix"), MicKind::Loopback);
    EXPECT_EQ(classifyMicrophone(L"Microphone (Realtek(R) Audio)"), MicKind::Normal);
    EXPECT_EQ(classifyMicrophone(L""), MicKind::Normal);
    EXPECT_EQ(classifyMicrophone(L"VirtualMic"), MicKind::Virtual);
}

TEST(SortMicrophones, NormalFirstThenHeadsetVirtualLoopback) {
    std::vector<MicDevice> devices = {
        {L"a", L"Virtual A", MicKind::Virtual, false}, {L"b", L"B", MicKind::Normal, false},
        {L"c", L"Loopback C", MicKind::Loopback, false}, {L"d", L"D", MicKind::Normal, true},
        {L"e", L"Headset E", MicKind::Headset, false},
    };
    sortMicrophones(devices);
    std::wstring order;
    for (const MicDevice& device : devices) order += device.id;
    EXPECT_EQ(order, L"dbeac");

    std::vector<MicDevice> kept = {{L"x", L"", MicKind::Normal, false},
                                   {L"h", L"", MicKind::Headset, true},
                                   {L"y", L"", MicKind::Normal, false},
                                   {L"z", L"", static_cast<MicKind>(7), false}};
    sortMicrophones(kept);
    order.clear();
    for (const MicDevice& device : kept) order += device.id;
    EXPECT_EQ(order, L"xyzh") << "equal ranks keep their order; an unknown kind ranks as Normal";
}

TEST(MicrophoneWarnings, OnePerKind) {
    EXPECT_EQ(warningText({L"i", L"n", MicKind::Normal, false}), L"");
    EXPECT_EQ(warningText({L"i", L"n", static_cast<MicKind>(9), false}), L"");
    const std::wstring loopback = warningText({L"i", L"n", MicKind::Loopback, false});
    const std::wstring headset = warningText({L"i", L"n", MicKind::Headset, false});
    const std::wstring virtualMic = warningText({L"i", L"n", MicKind::Virtual, false});
    EXPECT_EQ(loopback.size(), 95u);
    EXPECT_EQ(headset.size(), 146u);
    EXPECT_EQ(virtualMic.size(), 70u);
    EXPECT_EQ(loopback.substr(0, 20), L"Bu mikrofon emas \u2014 u");
    EXPECT_EQ(virtualMic, L"Virtual mikrofon. Manba ilova ishlamasa ovoz o'rniga\nsukunat yoziladi.");
}
