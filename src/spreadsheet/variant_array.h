#pragma once
// A one- or two-dimensional array of variants with its own lower and upper
// bound per dimension, as the exports build their header blocks and row
// arrays. Indexing outside the bounds is runtime error 9, as it is for the
// runtime's own arrays.

#include <vector>

#include "runtime/variant.h"

namespace zelk {

class VariantArray {
public:
    // ReDim a(lb To ub): every element Empty.
    VariantArray(long lb, long ub);
    // ReDim a(lb1 To ub1, lb2 To ub2).
    VariantArray(long lb1, long ub1, long lb2, long ub2);

    int dimensions() const { return dims_; }
    // LBound/UBound; a dimension the array does not have is error 9.
    long lbound(int dimension = 1) const;
    long ubound(int dimension = 1) const;
    // Number of elements along a dimension.
    long extent(int dimension) const { return ubound(dimension) - lbound(dimension) + 1; }

    Variant& operator()(long i);
    const Variant& operator()(long i) const;
    Variant& operator()(long i, long j);
    const Variant& operator()(long i, long j) const;

    // The elements row by row (for two dimensions: the second index runs fastest).
    const std::vector<Variant>& elements() const { return cells_; }

private:
    std::size_t index(long i) const;
    std::size_t index(long i, long j) const;

    int dims_;
    long lb_[2] = {0, 0};
    long ub_[2] = {-1, -1};
    std::vector<Variant> cells_;
};

}  // namespace zelk
