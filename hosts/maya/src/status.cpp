// Status descriptions and MStatus::perror. Beyond kFailure's text, which
// public logs show, the descriptions are the stand-in's own wording.
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <iostream>
#include <string>

namespace {

const char* codeName(MStatus::MStatusCode code)
{
    static const char* const names[] = {"kSuccess",          "kFailure",        "kInsufficientMemory",
                                        "kInvalidParameter", "kLicenseFailure", "kUnknownParameter",
                                        "kNotImplemented",   "kNotFound",       "kEndOfFile"};
    return code <= MStatus::kEndOfFile ? names[code] : "kFailure";
}

const char* description(MStatus::MStatusCode code)
{
    static const char* const texts[] = {
        "Success",         "Unexpected Internal Failure", "Insufficient Memory", "Invalid Parameter",
        "License Failure", "Unknown Parameter",           "Not Implemented",     "Not Found",
        "End of File"};
    return code <= MStatus::kEndOfFile ? texts[code] : "Unexpected Internal Failure";
}

}  // namespace

MString MStatus::errorString() const
{
    const std::string text = std::string("(") + codeName(code_) + "): " + (detail_ ? detail_ : description(code_));
    return MString(text.c_str());
}

void MStatus::perror(const char* prefix) const
{
    if (prefix && *prefix) std::cerr << prefix << ": ";
    std::cerr << errorString().asChar() << std::endl;
}

void MStatus::perror(const MString& prefix) const { perror(prefix.asChar()); }
