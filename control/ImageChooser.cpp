#include "control/ImageChooser.h"
#include <atomic>

namespace {
std::atomic<ImageChooser> g_chooser{nullptr};
} // namespace

void SetImageChooser(ImageChooser chooser) { g_chooser = chooser; }

ImageChooser GetImageChooser() { return g_chooser.load(); }
