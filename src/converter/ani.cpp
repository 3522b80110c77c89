#include "ani.h"

#include "errors.h"
#include "icon.h"

#include <array>
#include <cstring>
#include <string>

namespace nconv {
namespace {

constexpr std::size_t kHeaderSize = 36; // "anih" is exactly this long, whatever it claims
constexpr std::uint32_t kSequenceFlag = 2;
constexpr std::size_t kResyncReach = 16;

constexpr std::array<const char*, 14> kKnownIds = {"anih", "rate", "seq ", "LIST", "icon",
                                                   "INAM", "IART", "ICOP", "ICMT", "ISFT",
                                                   "IKEY", "ICRD", "ISBJ", "IENG"};

bool printableId(Bytes data, std::size_t pos)
{
    if (!fits(data, pos, 8))
        return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (data[pos + i] < 0x20 || data[pos + i] > 0x7E)
            return false;
    return true;
}

bool knownIdAt(Bytes data, std::size_t pos)
{
    if (!printableId(data, pos))
        return false;
    for (const char* id : kKnownIds)
        if (std::memcmp(data.data() + pos, id, 4) == 0)
            return true;
    return false;
}

// A known chunk whose size stays inside the data: a safe place to pick the walk up again.
bool plausibleAt(Bytes data, std::size_t pos)
{
    return knownIdAt(data, pos) && *u32At(data, pos + 4) <= data.size() - pos - 8;
}

// Where the chunk after the one at `current` starts. Writers that drop the pad byte or get a
// size slightly wrong are common, so a nearby valid chunk header is looked for before the
// walk gives up. Returns a position past `current`, or data.size() to end the walk.
std::size_t nextChunk(Bytes data, std::size_t current, std::uint64_t expected, bool oddSize)
{
    if (expected > data.size())
        return data.size();
    const std::size_t at = static_cast<std::size_t>(expected);
    if (knownIdAt(data, at))
        return at;
    if (oddSize && at - 1 > current && knownIdAt(data, at - 1))
        return at - 1;
    for (std::size_t d = 1; d <= kResyncReach; ++d) {
        if (at >= d && at - d > current && plausibleAt(data, at - d))
            return at - d;
        if (plausibleAt(data, at + d))
            return at + d;
    }
    if (printableId(data, at))
        return at; // an unknown chunk: skipped by its size
    return data.size();
}

struct OpenList
{
    std::size_t start;
    std::uint64_t end;
};

} // namespace

bool isAnimatedCursor(Bytes data)
{
    return startsWith(data, "RIFF") && startsWith(data, "ACON", 8);
}

AnimationLayout readAnimationLayout(Bytes data)
{
    AnimationLayout layout;
    bool haveHeader = false, haveSequence = false;
    std::vector<OpenList> open;

    // The RIFF size is often wrong, so the walk is bounded by the data alone. LISTs are
    // entered rather than skipped by their size, which is also often wrong.
    std::size_t pos = 12;
    while (fits(data, pos, 8)) {
        const std::uint32_t size = *u32At(data, pos + 4);
        const std::uint64_t end = static_cast<std::uint64_t>(pos) + 8 + size;
        while (!open.empty() && open.back().end <= pos)
            open.pop_back();

        if (startsWith(data, "LIST", pos)) {
            const bool known =
                startsWith(data, "fram", pos + 8) || startsWith(data, "INFO", pos + 8);
            if (known) {
                if (!open.empty() && end <= open.back().end)
                    damaged("a LIST chunk is nested inside another LIST");
                const std::size_t inside = nextChunk(data, pos, pos + 12, false);
                if (inside < data.size()) {
                    open.push_back({pos, end});
                    pos = inside;
                    continue;
                }
                // Nothing chunk-like inside: step over the LIST by its size instead.
            }
        } else if (startsWith(data, "anih", pos)) {
            if (!haveHeader) {
                if (size < kHeaderSize || !fits(data, pos + 8, kHeaderSize))
                    damaged("the animation header is shorter than 36 bytes");
                // Only the fixed 36 bytes are read, never as many as the size field claims.
                std::array<std::uint8_t, kHeaderSize> header;
                std::memcpy(header.data(), data.data() + pos + 8, kHeaderSize);
                layout.flags = *u32At(header, 32);
                layout.displayRate = *u32At(header, 28);
                haveHeader = true;
            }
        } else if (startsWith(data, "seq ", pos)) {
            if (!haveSequence) {
                layout.sequence = tail(data, pos + 8, size);
                haveSequence = true;
            }
        } else if (startsWith(data, "rate", pos)) {
            if (layout.rates.empty())
                layout.rates = tail(data, pos + 8, size);
        } else if (startsWith(data, "icon", pos)) {
            if (layout.frames.size() >= kMaxFrames)
                tooLarge("more than " + std::to_string(kMaxFrames) + " frames");
            layout.frames.push_back(tail(data, pos + 8, size));
            layout.cutShort.push_back(end > data.size());
        }
        std::uint64_t expected = end + (size & 1);
        // A header claiming more than its 36 bytes is usually followed by the next chunk anyway.
        if (startsWith(data, "anih", pos) && size != kHeaderSize &&
            knownIdAt(data, pos + 8 + kHeaderSize))
            expected = pos + 8 + kHeaderSize;
        pos = nextChunk(data, pos, expected, (size & 1) != 0);
    }

    if (!haveHeader)
        damaged("the animation header (anih) is missing");
    if (layout.frames.empty())
        damaged("the animation holds no frames");
    // The flag decides: a "seq " chunk without it is ignored, as Windows ignores it.
    if ((layout.flags & kSequenceFlag) != 0 && layout.sequence.size() >= 4) {
        const std::uint32_t first = *u32At(layout.sequence, 0);
        if (first >= layout.frames.size())
            damaged("the sequence starts with frame " + std::to_string(first) +
                    ", but the file holds only " + std::to_string(layout.frames.size()) +
                    " frames");
        layout.firstShown = first;
    }
    return layout;
}

ShownPicture firstShownFrame(Bytes data)
{
    const AnimationLayout layout = readAnimationLayout(data);
    // A frame whose chunk the file ends inside is not drawn from what is left of it: a missing
    // mask would come out opaque, a missing image would be replaced by a smaller one.
    if (layout.cutShort[layout.firstShown])
        damaged("the file is cut short inside the first frame shown");
    return chooseFrameImage(layout.frames[layout.firstShown]);
}

} // namespace nconv
