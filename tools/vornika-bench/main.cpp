// vornika-bench: conversion speed and engine overhead against the library.
//   vornika-bench [--quick] [--only conversion|engine|capture|program] [--models DIR] [--presets tiny,base] [--program-threads] [--capture-seconds N]
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tools/vornika-bench/bench.h"

int main(int argc, char** argv) {
    EngineBenchOptions engine;
    engine.self = argv[0];
    engine.modelDir = (std::filesystem::temp_directory_path() / "vornika-bench-models").string();
    std::string only;
    double conversionSeconds = 1.0;
    int captureSeconds = 60;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child" && i + 3 < argc) return engineChild(argv[i + 1], argv[i + 2], std::atoi(argv[i + 3]));
        if (arg == "--quick") {
            engine.children = 1;
            engine.runs = 2;
            conversionSeconds = 0.3;
        } else if (arg == "--capture-seconds" && i + 1 < argc) {
            captureSeconds = std::atoi(argv[++i]);
        } else if (arg == "--program-threads") {
            engine.programThreads = true;
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (arg == "--models" && i + 1 < argc) {
            engine.modelDir = argv[++i];
        } else if (arg == "--presets" && i + 1 < argc) {
            engine.presets.clear();
            std::stringstream list(argv[++i]);
            for (std::string p; std::getline(list, p, ',');) engine.presets.push_back(p);
        } else {
            std::fputs("usage: vornika-bench [--quick] [--only conversion|engine|capture|program] [--models DIR] [--presets tiny,base] [--program-threads] [--capture-seconds N]\n",
                       stderr);
            return 2;
        }
    }
    if (only.empty() || only == "conversion") benchConversion(conversionSeconds);
    if (only.empty() || only == "engine") benchEngine(engine);
    if (only == "capture") benchCapture(captureSeconds > 0 ? captureSeconds : 60);
    if (only == "program") benchProgram(5);
    return 0;
}
