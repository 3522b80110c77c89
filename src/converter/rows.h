#pragma once
// A picture handed over one row at a time, so a preview need not hold a whole frame.
#include "image.h"

#include <cstdint>
#include <stdexcept>
#include <utility>

namespace nconv {

// Rows top first, RGBA with straight alpha, fully transparent pixels 0, 0, 0, 0 (as in Image).
class RowSource
{
public:
    RowSource() = default;
    RowSource(const RowSource&) = delete;
    RowSource& operator=(const RowSource&) = delete;
    virtual ~RowSource() = default;

    virtual std::uint32_t width() const = 0;
    virtual std::uint32_t height() const = 0;
    // The next row, valid until the next call. Throws DecodeError when the data runs bad.
    virtual const std::uint8_t* next() = 0;
};

// The rows of a decoded picture, borrowed or owned.
class ImageRows final : public RowSource
{
public:
    explicit ImageRows(const Image& image) : image_(&image) {}
    explicit ImageRows(Image&& image) : owned_(std::move(image)), image_(&owned_) {}

    std::uint32_t width() const override { return image_->width; }
    std::uint32_t height() const override { return image_->height; }
    const std::uint8_t* next() override
    {
        if (y_ >= image_->height)
            throw std::logic_error("no rows left in the picture");
        return image_->rgba.data() + std::size_t{y_++} * image_->width * 4;
    }

private:
    Image owned_;
    const Image* image_;
    std::uint32_t y_ = 0;
};

} // namespace nconv
