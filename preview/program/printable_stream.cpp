#include "printable_stream.h"

#include <hosttext/printable.h>

#include <string>
#include <string_view>

namespace preview {

std::streambuf::int_type PrintableStreamBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize PrintableStreamBuffer::xsputn(const char* text, std::streamsize count)
{
    for (std::streamsize i = 0; i < count; ++i) {
        // Line breaks end the lines; a backslash already starts an escape of
        // text made printable. Every other byte is shown as any message
        // shows user text.
        const char byte = text[i];
        const std::string shown =
            byte == '\n' || byte == '\r' || byte == '\\' ? std::string(1, byte) : hosttext::printable({&byte, 1});
        const auto size = static_cast<std::streamsize>(shown.size());
        if (target_->sputn(shown.data(), size) != size) return i;
    }
    return count;
}

}  // namespace preview
