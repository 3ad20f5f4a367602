#pragma once
// Talking to tests/harness/session.sh --audio from a Windows test program:
// its environment, and requests through its control folder.

#include <chrono>
#include <string>

std::wstring environmentVariable(const wchar_t* name);
// True inside the harness's audio world.
bool haveAudioHarness();
// Asks the harness for an action ("play", "play-async", "unplug", ...) and
// waits until it has been carried out ("play" until the sound has ended).
bool harnessRequest(const std::wstring& action, const std::string& content = "",
                    std::chrono::milliseconds limit = std::chrono::seconds(10));
