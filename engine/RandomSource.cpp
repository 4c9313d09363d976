#include "RandomSource.h"

#include <ctime>

ClockRandomSource::ClockRandomSource() : LcgRandomSource(static_cast<uint32_t>(std::time(nullptr))) {}
