// Converts a chart snapshot from a bitmap file into a JPEG file.
#pragma once

#include <string>

namespace workers {

// Colour, baseline, quality 90. Any failure (missing or damaged bitmap, unwritable JPEG file)
// raises the error and leaves no JPEG file behind; on success returns true.
bool BMPtoJPG(const std::string& bmpFileName, const std::string& jpgFileName);

} // namespace workers
