#pragma once
#include <stdexcept>
#include <string>

namespace ctheme {

// A theme that cannot be made, with a message a user can act on.
class ThemeError : public std::runtime_error
{
public:
    enum class Kind {
        CannotRead,  // the pack, its folder or its .inf cannot be read
        CannotWrite, // the theme folder cannot be made
        NoCursors,   // nothing in the pack is a cursor of a Windows role
        NotHere,     // installing is not possible on this system
    };
    ThemeError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

} // namespace ctheme
