// The API's text value. Only construction, appending and reading it back are
// needed; the plug-in never builds text on the per-sample path.
#pragma once

#include <string>

class MString {
public:
    MString() {}
    MString(const char* text) : text_(text ? text : "") {}

    MString& operator+=(const MString& other)
    {
        text_ += other.text_;
        return *this;
    }
    MString& operator+=(const char* text)
    {
        text_ += text ? text : "";
        return *this;
    }
    MString operator+(const MString& other) const
    {
        MString sum(*this);
        sum += other;
        return sum;
    }

    bool operator==(const MString& other) const { return text_ == other.text_; }
    bool operator!=(const MString& other) const { return text_ != other.text_; }

    const char* asChar() const { return text_.c_str(); }
    unsigned int length() const { return static_cast<unsigned int>(text_.size()); }

private:
    std::string text_;
};
