// Walks the elements of an array attribute in a data block. The host's arrays
// may be sparse (logical indices 1, 6, 8); walking them with elementCount and
// next visits each existing element once either way. The stand-in's arrays
// are dense: the logical index of an element is its position.
// Inline and allocation-free: the light loop runs it for every sample.
#pragma once

#include "MDataHandle.h"
#include "MStatus.h"

class MArrayDataHandle {
public:
    MArrayDataHandle() = default;

    unsigned int elementCount(MStatus* ReturnStatus = nullptr)
    {
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return count_;
    }
    unsigned int elementIndex(MStatus* ReturnStatus = nullptr)
    {
        if (ReturnStatus) *ReturnStatus = position_ < count_ ? MStatus::kSuccess : MStatus::kFailure;
        return position_;
    }

    // The current element; an invalid handle when the array is empty.
    MDataHandle inputValue(MStatus* ReturnStatus = nullptr)
    {
        if (position_ >= count_) {
            if (ReturnStatus) *ReturnStatus = MStatus(MStatus::kFailure, "No current element");
            return MDataHandle(dirty_, nullptr, scratch_, scratch_, MDataHandle::Kind::kNone);
        }
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return MDataHandle(dirty_, attribute_, elements_ + position_ * elementSize_, scratch_, elementKind_);
    }
    MDataHandle outputValue(MStatus* ReturnStatus = nullptr) { return inputValue(ReturnStatus); }

    // Advances to the next element; fails, staying put, past the last one.
    MStatus next()
    {
        if (position_ + 1 >= count_) {
            return MStatus(MStatus::kFailure, "No element after the last");
        }
        ++position_;
        return MStatus::kSuccess;
    }

    // Stand-in only: built by the data block.
    MArrayDataHandle(unsigned char* dirty, const void* attribute, unsigned char* elements, unsigned int elementSize,
                     unsigned int count, unsigned char* scratch, MDataHandle::Kind elementKind)
        : dirty_(dirty),
          attribute_(attribute),
          elements_(elements),
          scratch_(scratch),
          elementSize_(elementSize),
          count_(count),
          elementKind_(elementKind)
    {
    }

private:
    unsigned char* dirty_ = nullptr;
    const void* attribute_ = nullptr;
    unsigned char* elements_ = nullptr;
    unsigned char* scratch_ = nullptr;
    unsigned int elementSize_ = 0;
    unsigned int count_ = 0;
    unsigned int position_ = 0;
    MDataHandle::Kind elementKind_ = MDataHandle::Kind::kNone;
};
