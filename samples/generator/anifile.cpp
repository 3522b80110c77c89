#include "anifile.h"

#include "flatten.h"

#include <stdexcept>

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(v >> shift));
}

void Patch32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
}

class RiffWriter
{
public:
    explicit RiffWriter(WrittenFile& file) : file_(file) {}

    // Opens a chunk and returns the offset of its size field.
    size_t open(const char* id)
    {
        file_.boundaries.push_back(file_.bytes.size());
        file_.bytes.insert(file_.bytes.end(), id, id + 4);
        const size_t sizeAt = file_.bytes.size();
        Put32(file_.bytes, 0);
        file_.boundaries.push_back(file_.bytes.size());
        return sizeAt;
    }
    // Closes the chunk: fills in its size and adds the pad byte after odd sizes. Returns the end
    // of its data.
    size_t close(size_t sizeAt)
    {
        const size_t end = file_.bytes.size();
        Patch32(file_.bytes, sizeAt, uint32_t(end - sizeAt - 4));
        file_.boundaries.push_back(end);
        if ((end - sizeAt - 4) % 2)
            file_.bytes.push_back(0);
        return end;
    }
    size_t chunk(const char* id, const std::vector<uint8_t>& data)
    {
        const size_t at = open(id);
        file_.bytes.insert(file_.bytes.end(), data.begin(), data.end());
        return close(at);
    }
    void text(const char* id, const std::string& value)
    {
        std::vector<uint8_t> data(value.begin(), value.end());
        data.push_back(0);
        chunk(id, data);
    }
    void fourCc(const char* id) { file_.bytes.insert(file_.bytes.end(), id, id + 4); }

private:
    WrittenFile& file_;
};

} // namespace

size_t FirstShownFrame(const Animation& animation)
{
    return animation.sequence.empty() ? 0 : animation.sequence.front();
}

WrittenFile WriteAnimation(const Animation& a)
{
    const size_t steps = a.sequence.empty() ? a.frames.size() : a.sequence.size();
    if (a.frames.empty() || (!a.rates.empty() && a.rates.size() != steps))
        throw std::invalid_argument("an animation needs frames and one rate per step");
    for (uint32_t f : a.sequence)
        if (f >= a.frames.size())
            throw std::invalid_argument("a sequence step names a missing frame");

    WrittenFile file;
    RiffWriter riff(file);
    const size_t riffSize = riff.open("RIFF");
    riff.fourCc("ACON");

    auto info = [&] {
        if (a.title.empty() && a.artist.empty())
            return;
        const size_t list = riff.open("LIST");
        riff.fourCc("INFO");
        if (!a.title.empty())
            riff.text("INAM", a.title);
        if (!a.artist.empty())
            riff.text("IART", a.artist);
        riff.close(list);
    };
    if (a.infoFirst)
        info();

    std::vector<uint8_t> header;
    Put32(header, 36);
    Put32(header, uint32_t(a.frames.size()));
    Put32(header, uint32_t(steps));
    Put32(header, a.headerWidth);
    Put32(header, a.headerHeight);
    Put32(header, a.headerBitCount);
    Put32(header, 1);
    Put32(header, a.displayRate);
    Put32(header, 1u | (a.sequence.empty() ? 0u : 2u)); // frames are icons; sequence present
    riff.chunk("anih", header);
    if (!a.infoFirst)
        info();

    auto table = [](const std::vector<uint32_t>& values) {
        std::vector<uint8_t> data;
        for (uint32_t v : values)
            Put32(data, v);
        return data;
    };
    if (!a.rates.empty())
        riff.chunk("rate", table(a.rates));
    if (!a.sequence.empty())
        riff.chunk("seq ", table(a.sequence));

    const size_t shown = FirstShownFrame(a);
    const size_t list = riff.open("LIST");
    riff.fourCc("fram");
    for (size_t i = 0; i < a.frames.size(); ++i) {
        const size_t iconStart = file.bytes.size() + 8;
        std::vector<size_t> offsets, sizes;
        const auto icon = EncodeIconFile(a.frames[i], a.cursorFrames, &offsets, &sizes);
        const size_t end = riff.chunk("icon", icon);
        if (i == shown) {
            file.neededEnd = end;
            const size_t chosen = ChosenImage(a.frames[i]);
            file.boundaries.push_back(iconStart + offsets[chosen]);
            file.boundaries.push_back(iconStart + offsets[chosen] + sizes[chosen]);
        }
    }
    riff.close(list);
    riff.close(riffSize);
    return file;
}

WrittenFile WriteIconFile(const std::vector<IconImage>& images, bool cursor)
{
    WrittenFile file;
    std::vector<size_t> offsets, sizes;
    file.bytes = EncodeIconFile(images, cursor, &offsets, &sizes);
    file.boundaries.push_back(6);
    for (size_t i = 0; i < images.size(); ++i) {
        file.boundaries.push_back(6 + 16 * (i + 1));
        file.boundaries.push_back(offsets[i]);
        if (images[i].coding == IconImage::Coding::Bmp)
            file.boundaries.push_back(offsets[i] + 40);
        file.boundaries.push_back(offsets[i] + sizes[i]);
    }
    const size_t chosen = ChosenImage(images);
    file.neededEnd = offsets[chosen] + sizes[chosen];
    return file;
}
