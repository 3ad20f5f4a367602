// vornika-bench: conversion speed, engine overhead against the library,
// recognition speed through the program's path, capture and the whole program.
//   vornika-bench [--quick] [--only conversion|engine|recognition|quit|live|capture|capture-prepared|program|checkpoint|text|download] [--models DIR]
//                 [--presets tiny,base] [--runs N] [--program-threads] [--capture-seconds N] [--hub URL]
// (--only download: scripts/bench-download starts the local hub and passes --hub.)
#include <algorithm>
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
    std::string hub;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child" && i + 3 < argc) return engineChild(argv[i + 1], argv[i + 2], std::atoi(argv[i + 3]));
        if (arg == "--child-recognition" && i + 4 < argc) {
            std::vector<int> takes;
            std::stringstream list(argv[i + 4]);
            for (std::string t; std::getline(list, t, ',');) takes.push_back(std::atoi(t.c_str()));
            return recognitionChild(argv[i + 1], std::atoi(argv[i + 2]), std::atoi(argv[i + 3]), takes);
        }
        if (arg == "--child-flash" && i + 5 < argc)
            return flashChild(argv[i + 1], std::atoi(argv[i + 2]) != 0, std::atoi(argv[i + 3]), std::atoi(argv[i + 4]),
                              std::atoi(argv[i + 5]));
        if (arg == "--child-convert" && i + 3 < argc) return convertChild(argv[i + 1], argv[i + 2], argv[i + 3]);
        if (arg == "--child-write-model" && i + 3 < argc) return writeModelChild(argv[i + 1], argv[i + 2], argv[i + 3]);
        if (arg == "--quick") {
            engine.children = 1;
            engine.runs = 2;
            conversionSeconds = 0.3;
        } else if (arg == "--runs" && i + 1 < argc) {
            engine.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--capture-seconds" && i + 1 < argc) {
            captureSeconds = std::atoi(argv[++i]);
        } else if (arg == "--hub" && i + 1 < argc) {
            hub = argv[++i];
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
            std::fputs("usage: vornika-bench [--quick] [--only conversion|engine|recognition|quit|live|capture|capture-prepared|program|checkpoint|text|download] [--models DIR]\n"
                       "                     [--presets tiny,base] [--runs N] [--program-threads] [--capture-seconds N] [--hub URL]\n",
                       stderr);
            return 2;
        }
    }
    if (only.empty() || only == "conversion") benchConversion(conversionSeconds);
    if (only.empty() || only == "engine") benchEngine(engine);
    if (only == "recognition") benchRecognition(engine);
    if (only == "quit") benchQuit(engine);
    if (only == "live") benchLive(engine);
    if (only == "capture") benchCapture(captureSeconds > 0 ? captureSeconds : 60, false);
    if (only == "capture-prepared") benchCapture(captureSeconds > 0 ? captureSeconds : 60, true);
    if (only == "program") benchProgram(5);
    // The medium preset's folder takes about 3 GB of disk in the models folder.
    if (only.empty() || only == "text") benchText();
    if (only == "download") benchDownload(hub, "bench/big", "bench/cut", engine.runs);
    if (only == "checkpoint") benchCheckpoint(engine, engine.presets.size() == 1 ? engine.presets[0] : "medium");
    return 0;
}
