#pragma once
// Typed decoder errors. The kind decides the first words a user sees, so "damaged" never reads
// like "not supported" and the other way round.
#include <stdexcept>
#include <string>

namespace nconv {

enum class ErrorKind {
    NotRecognised, // not any kind of file we read
    Damaged,       // the right kind of file, but broken or cut short
    Unsupported,   // a valid file using a feature we do not read
    TooLarge,      // beyond our hard caps
};

// The user-facing text for an error: a fixed opening per kind, then the detail.
std::string describeError(ErrorKind kind, const std::string& detail);

class DecodeError : public std::runtime_error
{
public:
    DecodeError(ErrorKind kind, const std::string& detail)
        : std::runtime_error(describeError(kind, detail)), kind_(kind)
    {
    }
    ErrorKind kind() const { return kind_; }

private:
    ErrorKind kind_;
};

[[noreturn]] inline void damaged(const std::string& detail)
{
    throw DecodeError(ErrorKind::Damaged, detail);
}
[[noreturn]] inline void unsupported(const std::string& detail)
{
    throw DecodeError(ErrorKind::Unsupported, detail);
}
[[noreturn]] inline void tooLarge(const std::string& detail)
{
    throw DecodeError(ErrorKind::TooLarge, detail);
}

} // namespace nconv
