#include "icon.h"

#include "dib.h"
#include "errors.h"
#include "pngcodec.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

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

namespace {

ShownPicture pictureOf(const Entry& e, bool cursor)
{
    ShownPicture picture;
    picture.kind = e.png ? ShownPicture::Kind::Png : ShownPicture::Kind::IconBitmap;
    picture.data = e.data;
    picture.dirHeight = e.dirHeight;
    picture.declaredSize = e.declaredSize;
    if (cursor)
        picture.hotSpot = e.hotSpot;
    return picture;
}

// Every image the directory lists that we can read, in directory order.
//
// Every image the directory lists must lie inside the file. One that runs past its end means
// the file was cut short, and as it may be the very image to draw, none is drawn rather than
// quietly a smaller one. Images in a kind we do not read are passed over; when that leaves
// none, the first such refusal is thrown.
std::vector<Entry> readableEntries(Bytes data)
{
    const std::uint32_t count = *u16At(data, 4);
    if (count == 0)
        damaged("the icon directory lists no images");
    if (!fits(data, kDirHeader, kEntrySize))
        damaged("the icon directory is cut short");

    std::vector<Entry> entries;
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
        entries.push_back(e);
    }
    if (entries.empty() && firstUnsupported)
        std::rethrow_exception(firstUnsupported);
    if (entries.empty())
        damaged("the icon directory is cut short");
    return entries;
}

} // namespace

ShownPicture chooseIconImage(Bytes data, const ImageSize* wanted)
{
    const bool cursor = *u16At(data, 2) == 2;
    const std::vector<Entry> entries = readableEntries(data);
    const Entry* best = &entries.front();
    for (const Entry& e : entries)
        if (better(e, *best, wanted))
            best = &e;
    return pictureOf(*best, cursor);
}

std::vector<FrameImageInfo> iconImages(Bytes data)
{
    const bool cursor = *u16At(data, 2) == 2;
    std::vector<FrameImageInfo> images;
    for (const Entry& e : readableEntries(data))
        images.push_back({pictureOf(e, cursor), {e.width, e.height}, e.bits});
    return images;
}

std::vector<FrameImageInfo> frameImages(Bytes data)
{
    if (isIconDirectory(data))
        return iconImages(data);
    Entry e;
    e.data = data;
    e.declaredSize = SIZE_MAX;
    const ShownPicture picture = chooseFrameImage(data);
    probe(e);
    return {{picture, {e.width, e.height}, e.bits}};
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
