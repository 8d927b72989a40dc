// Reads a fuzzer's bytes as the values a harness needs, front to back. Once
// the bytes run out every value is zero (false, the first choice), so a short
// input is still a whole, well-defined case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Any trivially copyable value, its bytes as they come (every float bit
    // pattern: NaN payloads, infinities, denormals, negative zero).
    template <typename T>
    T next()
    {
        static_assert(std::is_trivially_copyable<T>::value, "raw bytes only make plain values");
        T value{};
        if (offset_ + sizeof value <= size_) {
            std::memcpy(&value, data_ + offset_, sizeof value);
            offset_ += sizeof value;
        } else {
            offset_ = size_;
        }
        return value;
    }

    float nextFloat() { return next<float>(); }
    bool nextBool() { return (next<std::uint8_t>() & 1u) != 0; }

    // A value in [0, count); 0 when count is 0.
    unsigned int nextBelow(unsigned int count) { return count == 0 ? 0u : next<std::uint32_t>() % count; }

    // Fills `bytes` bytes at `to`, zero past the end of the input.
    void fill(void* to, std::size_t bytes)
    {
        const std::size_t available = offset_ < size_ ? size_ - offset_ : 0;
        const std::size_t taken = bytes < available ? bytes : available;
        if (taken != 0) {
            std::memcpy(to, data_ + offset_, taken);
        }
        std::memset(static_cast<char*>(to) + taken, 0, bytes - taken);
        offset_ += taken;
    }

    // The bytes up to the next zero byte (or the end), the zero consumed.
    std::string nextString()
    {
        std::string text;
        while (offset_ < size_ && data_[offset_] != 0) {
            text.push_back(static_cast<char>(data_[offset_++]));
        }
        if (offset_ < size_) {
            ++offset_;
        }
        return text;
    }

    bool exhausted() const { return offset_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

// Same bits, so that NaN compares equal to the same NaN.
template <typename T>
bool sameBits(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace fuzz
