#pragma once
// vornika-model download REPO_ID OUT.bin [--revision REV] [--type q8_0|q5_0|f16]
//                        [--hub URL] [--keep-checkpoint DIR]
// The checkpoint's files from the hub (resumed where an earlier run stopped),
// checked, converted into OUT.bin. Exit codes: 0 done; 2 the repository
// cannot be used (not found, gated, no safetensors, a checksum wrong twice, a
// bad file name); 3 cannot write or not enough room; 4 the network failed
// (the partial files stay: the same command resumes); 130 Ctrl+C.

#include <string>
#include <vector>

inline constexpr int kDownloadNetworkFailed = 4;

int downloadCommand(const std::vector<std::string>& args);
