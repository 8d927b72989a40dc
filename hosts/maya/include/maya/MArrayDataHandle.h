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
    MArrayDataHandle()
        : block_(0),
          elements_(0),
          spare_(mayahost::NoValue::scratch),
          elementRow_(&mayahost::NoValue::row),
          index_(mayahost::kNoIndex),
          elementSize_(0),
          count_(0),
          position_(0)
    {
    }

    unsigned int elementCount(MStatus* ReturnStatus = 0)
    {
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return count_;
    }
    unsigned int elementIndex(MStatus* ReturnStatus = 0)
    {
        if (ReturnStatus) *ReturnStatus = position_ < count_ ? MStatus::kSuccess : MStatus::kFailure;
        return position_;
    }

    // The current element. When the array is empty, the same row over the
    // array's spare element, which holds no element's values: whichever
    // handle the caller gets, its rows are the same, so a loop over the
    // elements finds each child once, not once per element.
    MDataHandle inputValue(MStatus* ReturnStatus = 0)
    {
        const bool current = position_ < count_;
        if (ReturnStatus) {
            *ReturnStatus = current ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kFailure, "No current element");
        }
        return MDataHandle(block_, current ? elements_ + position_ * elementSize_ : spare_, elementRow_,
                           current ? index_ : mayahost::kNoIndex);
    }
    MDataHandle outputValue(MStatus* ReturnStatus = 0) { return inputValue(ReturnStatus); }

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
    MArrayDataHandle(const mayahost::BlockValues* block, unsigned int index, const mayahost::ArrayValues& array,
                     const mayahost::ValueRow* elementRow)
        : block_(block),
          elements_(array.elements),
          spare_(array.spare),
          elementRow_(elementRow),
          index_(index),
          elementSize_(array.elementSize),
          count_(array.count),
          position_(0)
    {
    }

private:
    const mayahost::BlockValues* block_;
    unsigned char* elements_;
    unsigned char* spare_;                  // what the element handle reaches with no current element
    const mayahost::ValueRow* elementRow_;  // every element's, from the element's start
    unsigned int index_;                    // the array attribute's
    unsigned int elementSize_;
    unsigned int count_;
    unsigned int position_;
};
