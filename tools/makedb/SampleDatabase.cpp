#include "SampleDatabase.h"

#include "AccessWriter.h"
#include "SqliteSample.h"

#include <filesystem>

namespace makedb
{

long long writeSampleDatabase(const std::string &path, int scale, SampleFormat format)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path partial = target;
    partial += ".partial";
    fs::remove(partial); // left by an interrupted run
    try {
        const long long activities = format == SampleFormat::Access
                                         ? writeAccessSample(partial.string(), scale)
                                         : writeSqliteSample(partial.string(), scale);
        fs::rename(partial, target);
        return activities;
    } catch (...) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw;
    }
}

} // namespace makedb
