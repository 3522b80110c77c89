#include "errors.h"

namespace nconv {

std::string describeError(ErrorKind kind, const std::string& detail)
{
    switch (kind) {
    case ErrorKind::NotRecognised:
        return "not a cursor, icon, BMP or PNG file";
    case ErrorKind::Damaged:
        return "damaged file: " + detail;
    case ErrorKind::Unsupported:
        return "unsupported file: " + detail;
    case ErrorKind::TooLarge:
        return "image too large: " + detail;
    }
    return detail;
}

} // namespace nconv
