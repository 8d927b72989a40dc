// Result of every API call: a code and, for the stand-in's own refusals, a
// fixed description of why. Copying one never allocates.
#pragma once

class MString;

class MStatus {
public:
    enum MStatusCode {
        kSuccess = 0,
        kFailure,
        kInsufficientMemory,
        kInvalidParameter,
        kLicenseFailure,
        kUnknownParameter,
        kNotImplemented,
        kNotFound,
        kEndOfFile
    };

    MStatus() : code_(kSuccess), detail_(0) {}
    MStatus(MStatusCode code) : code_(code), detail_(0) {}
    // Stand-in only: a status whose description says why the host refused a
    // call. `detail` must be a string literal; it is never copied.
    MStatus(MStatusCode code, const char* detail) : code_(code), detail_(detail) {}

    bool operator==(const MStatus& other) const { return code_ == other.code_; }
    bool operator==(MStatusCode code) const { return code_ == code; }
    bool operator!=(const MStatus& other) const { return code_ != other.code_; }
    bool operator!=(MStatusCode code) const { return code_ != code; }
    operator bool() const { return code_ == kSuccess; }

    bool error() const { return code_ != kSuccess; }
    void clear()
    {
        code_ = kSuccess;
        detail_ = 0;
    }

    // "(<code name>): <description>", as the host prints it.
    MString errorString() const;
    // Writes "<prefix>: " (nothing for an empty prefix) and errorString() on
    // standard error, followed by an end of line.
    void perror(const char* prefix) const;
    void perror(const MString& prefix) const;

private:
    MStatusCode code_;
    const char* detail_;
};

// With the code on the left too, so `MS::kSuccess == status` compares codes
// instead of the code against the status's truth value.
inline bool operator==(MStatus::MStatusCode code, const MStatus& status) { return status == code; }
inline bool operator!=(MStatus::MStatusCode code, const MStatus& status) { return status != code; }

typedef MStatus MS;
