#pragma once
// Pictures of the world written as PNG files, with or without a display.
#include <cstdint>
#include <string>

#include "view/view_transform.h"
#include "world/world.h"

namespace viv {

// Points XDG_RUNTIME_DIR at a private folder when the session has none (headless runs),
// as Qt would, without its warning.
void EnsureRuntimeDir();

// Makes sure a Qt application exists for painting text and charts: the program's own, or one
// made once for the process (a QApplication on the offscreen platform unless another is set).
void EnsureGuiApplication();

// Writes the picture of the world at the default view of a window of width x height as a PNG,
// with a line of the step and counts (caption), else the world alone.
void WriteFramePng(const TWorld& world, int32_t width, int32_t height, int64_t stepCount, const std::string& fileName,
                   bool caption = true);
// The same from another view (its window size is the picture's).
void WriteFramePng(const TWorld& world, const TView& view, int64_t stepCount, const std::string& fileName,
                   bool caption = true);
// The same picture as the bytes of a PNG file (for pictures sent rather than written).
std::string FramePngBytes(const TWorld& world, const TView& view, int64_t stepCount, bool caption = true);

}  // namespace viv
