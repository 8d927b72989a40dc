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
        : block_(0), elements_(0), elementRow_(0), index_(mayahost::kNoIndex), elementSize_(0), count_(0), position_(0)
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

    // The current element; when the array is empty, a handle to none that
    // reaches the record's scratch value.
    MDataHandle inputValue(MStatus* ReturnStatus = 0)
    {
        if (position_ >= count_) {
            if (ReturnStatus) *ReturnStatus = MStatus(MStatus::kFailure, "No current element");
            if (!block_) return MDataHandle();
            return MDataHandle(block_, block_->record, block_->rows + block_->count, mayahost::kNoIndex);
        }
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return MDataHandle(block_, elements_ + position_ * elementSize_, elementRow_, index_);
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
    const mayahost::ValueRow* elementRow_;  // every element's, from the element's start
    unsigned int index_;                    // the array attribute's
    unsigned int elementSize_;
    unsigned int count_;
    unsigned int position_;
};
