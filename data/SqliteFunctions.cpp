#include "data/SqliteFunctions.h"

#include "data/AccessSql.h"
#include "data/TextFold.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace
{

std::string_view textArgument(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return text ? std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(value)))
                : std::string_view();
}

bool isContinuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Reads the length argument of Left/Right; reports an error and returns false when unusable.
bool lengthArgument(sqlite3_context *context, sqlite3_value *value, const char *function,
                    sqlite3_int64 &length)
{
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        sqlite3_result_error(context, (std::string("Invalid use of Null in ") + function).c_str(), -1);
        return false;
    }
    const int type = sqlite3_value_numeric_type(value);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
        sqlite3_result_error(context, (std::string(function) + ": the length is not a number").c_str(), -1);
        return false;
    }
    length = sqlite3_value_int64(value);
    if (length < 0) {
        sqlite3_result_error(context, (std::string(function) + ": negative length").c_str(), -1);
        return false;
    }
    return true;
}

void leftFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_int64 length = 0;
    if (!lengthArgument(context, argv[1], "Left", length) || sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const std::string_view text = textArgument(argv[0]);
    // A text of no more bytes than the characters asked for is kept whole (a description cut at
    // 500 characters nearly always is): no need to count its characters.
    size_t end = static_cast<sqlite3_uint64>(length) >= text.size() ? text.size() : 0;
    for (sqlite3_int64 taken = 0; end < text.size() && taken < length; ++taken) {
        ++end;
        while (end < text.size() && isContinuation(text[end]))
            ++end;
    }
    sqlite3_result_text(context, text.data(), static_cast<int>(end), SQLITE_TRANSIENT);
}

void rightFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_int64 length = 0;
    if (!lengthArgument(context, argv[1], "Right", length) || sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const std::string_view text = textArgument(argv[0]);
    size_t start = text.size();
    for (sqlite3_int64 taken = 0; start > 0 && taken < length; ++taken) {
        --start;
        while (start > 0 && isContinuation(text[start]))
            --start;
    }
    sqlite3_result_text(context, text.data() + start, static_cast<int>(text.size() - start),
                        SQLITE_TRANSIENT);
}

bool isNumber(int type)
{
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

void plusFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    const int leftType = sqlite3_value_type(argv[0]);
    const int rightType = sqlite3_value_type(argv[1]);
    if (leftType == SQLITE_NULL || rightType == SQLITE_NULL)
        return;
    if (!isNumber(leftType) && !isNumber(rightType)) {
        // Joined straight into memory SQLite takes over: no second copy of each code built.
        const std::string_view left = textArgument(argv[0]);
        const std::string_view right = textArgument(argv[1]);
        auto *joined = static_cast<char *>(sqlite3_malloc64(left.size() + right.size() + 1));
        if (!joined) {
            sqlite3_result_error_nomem(context);
            return;
        }
        *std::copy(right.begin(), right.end(), std::copy(left.begin(), left.end(), joined)) = '\0';
        sqlite3_result_text64(context, joined, left.size() + right.size(), sqlite3_free, SQLITE_UTF8);
        return;
    }
    // A number meets a text: the text must read as a number (SQLite's numeric affinity).
    if (!isNumber(sqlite3_value_numeric_type(argv[0])) || !isNumber(sqlite3_value_numeric_type(argv[1]))) {
        sqlite3_result_error(context, "Type mismatch: + between a number and a text that is not a number",
                             -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && sqlite3_value_type(argv[1]) == SQLITE_INTEGER) {
        sqlite3_int64 sum = 0;
        if (!__builtin_add_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &sum)) {
            sqlite3_result_int64(context, sum);
            return;
        }
    }
    sqlite3_result_double(context, sqlite3_value_double(argv[0]) + sqlite3_value_double(argv[1]));
}

struct CachedPattern {
    LikePattern pattern;
    char32_t escape;
};

void deletePattern(void *pattern)
{
    delete static_cast<CachedPattern *>(pattern);
}

// like(pattern, text [, escape]): the pattern is compiled once per statement when constant.
void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    char32_t escape = 0;
    if (argc == 3) {
        if (sqlite3_value_type(argv[2]) == SQLITE_NULL)
            return;
        const std::u32string escapeText = textfold::decode(textArgument(argv[2]));
        if (escapeText.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = escapeText.front();
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return;
    const std::string_view patternText = textArgument(argv[0]);
    const std::string_view text = textArgument(argv[1]);

    auto *cached = static_cast<CachedPattern *>(sqlite3_get_auxdata(context, 0));
    if (cached && cached->escape == escape) {
        sqlite3_result_int(context, cached->pattern.matches(text) ? 1 : 0);
        return;
    }
    auto fresh = std::make_unique<CachedPattern>(CachedPattern{LikePattern(patternText, escape), escape});
    sqlite3_result_int(context, fresh->pattern.matches(text) ? 1 : 0);
    sqlite3_set_auxdata(context, 0, fresh.release(), deletePattern);
}

int noCaseCollation(void *, int leftSize, const void *left, int rightSize, const void *right)
{
    return textfold::compareNoCase(
        std::string_view(static_cast<const char *>(left), static_cast<size_t>(leftSize)),
        std::string_view(static_cast<const char *>(right), static_cast<size_t>(rightSize)));
}

int sortCollation(void *, int leftSize, const void *left, int rightSize, const void *right)
{
    return textfold::compareForSorting(
        std::string_view(static_cast<const char *>(left), static_cast<size_t>(leftSize)),
        std::string_view(static_cast<const char *>(right), static_cast<size_t>(rightSize)));
}

} // namespace

bool registerAccessFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function(db, zeltsql::kLeft, 2, flags, nullptr, leftFunction, nullptr, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_function(db, zeltsql::kRight, 2, flags, nullptr, rightFunction, nullptr, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_function(db, zeltsql::kPlus, 2, flags, nullptr, plusFunction, nullptr, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_collation(db, zeltsql::kNoCase, SQLITE_UTF8, nullptr, noCaseCollation) ==
               SQLITE_OK &&
           sqlite3_create_collation(db, zeltsql::kSort, SQLITE_UTF8, nullptr, sortCollation) == SQLITE_OK;
}
