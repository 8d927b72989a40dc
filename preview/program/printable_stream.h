// A stream filter for what the run writes to the terminal: names and values a
// user gave (paths, --set values) may hold control bytes, and an escape
// sequence passed through raw could clear or rewrite the screen.
#pragma once

#include <ostream>
#include <streambuf>

namespace preview {

// Passes line feeds, carriage returns and backslashes on to `target` as they
// are, and every other byte as hosttext::printable() shows it (printable
// ASCII as itself, anything else as \xNN). Text already made printable passes
// unchanged, so nothing is escaped twice.
class PrintableStreamBuffer : public std::streambuf {
public:
    explicit PrintableStreamBuffer(std::streambuf* target) : target_(target) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override { return target_->pubsync(); }

private:
    std::streambuf* target_;
};

}  // namespace preview
