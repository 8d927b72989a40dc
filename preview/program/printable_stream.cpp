#include "printable_stream.h"

namespace preview {

std::streambuf::int_type PrintableStreamBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize PrintableStreamBuffer::xsputn(const char* text, std::streamsize count)
{
    static const char kHex[] = "0123456789abcdef";
    for (std::streamsize i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool passes = (byte >= 0x20 && byte < 0x7f) || byte == '\n' || byte == '\r';
        if (passes) {
            if (target_->sputc(char(byte)) == traits_type::eof()) return i;
        } else {
            const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
            if (target_->sputn(escaped, 4) != 4) return i;
        }
    }
    return count;
}

}  // namespace preview
