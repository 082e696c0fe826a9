#include "twips.h"

#include <cmath>

namespace kestrom::mainwindow {

int Twips::toPixels(int twips) const { return static_cast<int>(std::lround(twips * dpi_ / 1440.0)); }

int Twips::fromPixels(int pixels) const { return static_cast<int>(std::lround(pixels * 1440.0 / dpi_)); }

}  // namespace kestrom::mainwindow
