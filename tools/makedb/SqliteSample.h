#pragma once

#include "SampleRows.h"

#include <string>

namespace makedb
{

// Writes the sample as an SQLite file at path (which must not exist); returns the activities.
long long writeSqliteSample(const std::string &path, int scale);

} // namespace makedb
