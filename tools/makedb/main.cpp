#include "SampleDatabase.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <string>

namespace
{

constexpr int MaxScale = 100;

int usage(const std::string &problem)
{
    if (!problem.empty())
        std::cerr << "zelt-makedb: " << problem << "\n";
    std::cerr << "usage: zelt-makedb [--format access|sqlite] OUTPUT [--scale N]\n"
                 "  --format   Access (Jet 4) or SQLite file; sqlite unless told\n"
                 "  --scale N  N from 1 to "
              << MaxScale << " multiplies the activities\n";
    return 2;
}

// Digits only, 1..MaxScale; anything else is refused rather than guessed at.
bool parseScale(const std::string &text, int &scale)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    scale = std::stoi(text);
    return scale >= 1 && scale <= MaxScale;
}

} // namespace

int main(int argc, char **argv)
{
    std::string output;
    int scale = 1;
    makedb::SampleFormat format = makedb::SampleFormat::Sqlite;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale") {
            if (i + 1 == argc)
                return usage("--scale needs a number");
            if (!parseScale(argv[++i], scale))
                return usage("--scale takes a whole number from 1 to " + std::to_string(MaxScale));
        } else if (arg == "--format") {
            const std::string name = i + 1 < argc ? argv[++i] : "";
            if (name == "access")
                format = makedb::SampleFormat::Access;
            else if (name == "sqlite")
                format = makedb::SampleFormat::Sqlite;
            else
                return usage("--format takes access or sqlite");
        } else if (arg == "-h" || arg == "--help") {
            usage("");
            return 0;
        } else if (arg.empty() || arg[0] == '-') {
            return usage("unknown option '" + arg + "'");
        } else if (!output.empty()) {
            return usage("more than one output file");
        } else {
            output = arg;
        }
    }
    if (output.empty())
        return usage("no output file");

    try {
        const long long activities = makedb::writeSampleDatabase(output, scale, format);
        std::cout << "zelt-makedb: wrote " << output << " (scale " << scale << ", " << activities
                  << " activities)\n";
    } catch (const std::exception &error) {
        std::cerr << "zelt-makedb: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
