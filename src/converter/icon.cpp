#include "icon.h"

#include "dib.h"
#include "errors.h"
#include "pngcodec.h"

#include <algorithm>
#include <exception>
#include <string>

namespace nconv {
namespace {

constexpr std::size_t kDirHeader = 6;
constexpr std::size_t kEntrySize = 16;

struct Entry
{
    Bytes data;
    std::size_t declaredSize = 0;
    std::uint32_t dirHeight = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t area = 0;
    std::uint32_t bits = 0;
    HotSpot hotSpot;
    bool png = false;
};

// Reads an entry's real size and depth from its own header; throws when it cannot.
void probe(Entry& e)
{
    if (isPng(e.data)) {
        const PngSize s = readPngSize(e.data);
        e.png = true;
        e.width = s.width;
        e.height = s.height;
        e.area = static_cast<std::uint64_t>(s.width) * s.height;
        e.bits = s.bitsPerPixel;
        return;
    }
    const DibHeader h = readDibHeader(e.data);
    e.width = h.width;
    e.height = iconImageHeight(h, e.data, e.dirHeight, e.declaredSize);
    e.area = static_cast<std::uint64_t>(e.width) * e.height;
    e.bits = h.bitCount;
}

// Whether `e` is a better choice than `best`: the size asked for first, then the larger, then the
// one with more colours.
bool better(const Entry& e, const Entry& best, const ImageSize* wanted)
{
    if (wanted) {
        const bool fitsE = e.width == wanted->width && e.height == wanted->height;
        const bool fitsBest = best.width == wanted->width && best.height == wanted->height;
        if (fitsE != fitsBest)
            return fitsE;
    }
    return e.area > best.area || (e.area == best.area && e.bits > best.bits);
}

} // namespace

bool isIconDirectory(Bytes data)
{
    const auto reserved = u16At(data, 0), type = u16At(data, 2), count = u16At(data, 4);
    return reserved && type && count && *reserved == 0 && (*type == 1 || *type == 2);
}

ShownPicture chooseIconImage(Bytes data, const ImageSize* wanted)
{
    const bool cursor = *u16At(data, 2) == 2;
    const std::uint32_t count = *u16At(data, 4);
    if (count == 0)
        damaged("the icon directory lists no images");
    if (!fits(data, kDirHeader, kEntrySize))
        damaged("the icon directory is cut short");

    // Every image the directory lists must lie inside the file. One that runs past its end
    // means the file was cut short, and as it may be the very image to draw, none is drawn
    // rather than quietly a smaller one. Images in a kind we do not read are passed over.
    Entry best;
    bool found = false;
    std::exception_ptr firstUnsupported;
    std::size_t imagesStart = SIZE_MAX; // entries cannot run into the image data
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = kDirHeader + i * kEntrySize;
        if (at + kEntrySize > imagesStart)
            break; // the count is larger than the directory: what follows is image data
        if (!fits(data, at, kEntrySize))
            damaged("the icon directory is cut short");
        Entry e;
        e.dirHeight = data[at + 1] == 0 ? 256 : data[at + 1];
        e.hotSpot = {*u16At(data, at + 4), *u16At(data, at + 6)};
        const std::uint32_t size = *u32At(data, at + 8);
        const std::uint32_t offset = *u32At(data, at + 12);
        const std::string which = "image " + std::to_string(i + 1);
        if (offset >= data.size())
            damaged(which + " lies past the end of the file");
        if (size > data.size() - offset)
            damaged("the file is cut short inside " + which);
        if (offset < at + kEntrySize)
            damaged(which + " starts inside the icon directory");
        imagesStart = std::min<std::size_t>(imagesStart, offset);
        // A size too small for the image is common: its own header then decides how much it
        // takes, up to the end of the file.
        e.data = tail(data, offset);
        e.declaredSize = size;
        try {
            probe(e);
        } catch (const DecodeError& error) {
            if (error.kind() != ErrorKind::Unsupported)
                throw;
            if (!firstUnsupported)
                firstUnsupported = std::current_exception();
            continue;
        }
        if (!found || better(e, best, wanted)) {
            best = e;
            found = true;
        }
    }
    if (!found && firstUnsupported)
        std::rethrow_exception(firstUnsupported);
    if (!found)
        damaged("the icon directory is cut short");

    ShownPicture picture;
    picture.kind = best.png ? ShownPicture::Kind::Png : ShownPicture::Kind::IconBitmap;
    picture.data = best.data;
    picture.dirHeight = best.dirHeight;
    picture.declaredSize = best.declaredSize;
    if (cursor)
        picture.hotSpot = best.hotSpot;
    return picture;
}

ShownPicture chooseFrameImage(Bytes data, const ImageSize* wanted)
{
    if (isIconDirectory(data))
        return chooseIconImage(data, wanted);
    if (isPng(data))
        return {ShownPicture::Kind::Png, data};
    const auto headerSize = u32At(data, 0);
    if (headerSize && *headerSize >= 40 && *headerSize <= 124)
        return {ShownPicture::Kind::IconBitmap, data};
    damaged("the first frame shown is not an icon or cursor image");
}

} // namespace nconv
