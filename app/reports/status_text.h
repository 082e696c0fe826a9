// The log's names for D2XX status codes.
#pragma once

#include <QString>
#include <cstdint>

namespace kestrom::reports {

// Every code outside 0..18, negative ones included, is "***  UNKNOWN  ***".
QString StatusText(int64_t status);

}  // namespace kestrom::reports
