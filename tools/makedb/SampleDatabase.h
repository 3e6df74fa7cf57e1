#pragma once

#include <string>

namespace makedb
{

enum class SampleFormat { Access, Sqlite };

// Writes the sample classification database to path in the given format: the edition catalogue,
// four editions with their hierarchy and activity tables, the synonym and stop-word tables. The
// file is built beside path under another name and renamed over it only when complete, so a reader
// never sees half a database. Returns the number of activities written; throws std::runtime_error
// (or std::filesystem::filesystem_error) naming the file on failure, leaving path untouched.
long long writeSampleDatabase(const std::string &path, int scale, SampleFormat format);

} // namespace makedb
