// The frames a chart benchmark drew, kept to look at or to compare with those of an earlier
// build: --save-frames=DIR writes the last frame of a benchmark to DIR as a PNG;
// --compare-frames=DIR marks a benchmark as failed when its last frame is not the one saved in
// DIR pixel for pixel, so that a faster drawing path can be checked against the last one.
#pragma once

#include "raster/QtRasterDevice.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>

inline std::string& SaveFramesDir() {
    static std::string dir;
    return dir;
}

inline std::string& CompareFramesDir() {
    static std::string dir;
    return dir;
}

// Takes the two options out of the command line, before the benchmark library reads it.
inline void TakeFrameOptions(int& argc, char** argv) {
    for (int i = 1; i < argc;) {
        std::string* dir = std::strncmp(argv[i], "--save-frames=", 14) == 0 ? &SaveFramesDir()
                           : std::strncmp(argv[i], "--compare-frames=", 17) == 0
                               ? &CompareFramesDir()
                               : nullptr;
        if (!dir) {
            ++i;
            continue;
        }
        *dir = std::strchr(argv[i], '=') + 1;
        std::copy(argv + i + 1, argv + argc, argv + i);
        --argc;
    }
}

inline void SaveFrame(raster::QtRasterDevice& device, const std::string& name,
                      benchmark::State& state) {
    const std::string& saveDir = SaveFramesDir();
    const std::string& compareDir = CompareFramesDir();
    if (!saveDir.empty())
        device.Image().save(QString::fromStdString(saveDir + "/" + name + ".png"));
    if (compareDir.empty()) return;
    const std::string file = compareDir + "/" + name + ".png";
    const QImage saved(QString::fromStdString(file));
    if (saved.isNull())
        state.SkipWithError(("cannot read " + file).c_str());
    else if (saved.convertToFormat(QImage::Format_RGB32) != device.Image())
        state.SkipWithError(("the frame differs from " + file).c_str());
}
