#pragma once

// One result type for everything fallible (file I/O, parsing, a full store).

#include <expected>
#include <string>

namespace quivra {

struct Error
{
    enum class Code {
        NotFound,  // a file or item does not exist
        IoError,   // the platform refused to read or write
        Corrupt,   // the content is not valid
        Range,     // a number is out of its range
        Full,      // a store has no room
        Refused,   // a rule forbids the change
        Cancelled, // the user stopped it
    };
    Code code = Code::Corrupt;
    std::string detail;
};

template <typename T>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(Error::Code code, std::string detail)
{
    return std::unexpected<Error>(Error{code, std::move(detail)});
}

} // namespace quivra
