#include "spreadsheet/variant_array.h"

#include "runtime/runtime_error.h"

namespace zelk {
namespace {

// An upper bound below the lower bound by more than one has no meaning; one
// below gives an empty dimension, as ReDim a(1 To 0) does not exist but an
// empty array does in spirit.
long checkedExtent(long lb, long ub) {
    if (ub < lb - 1) throw RuntimeError(9);
    return ub - lb + 1;
}

}  // namespace

VariantArray::VariantArray(long lb, long ub) : dims_(1) {
    lb_[0] = lb;
    ub_[0] = ub;
    cells_.resize(static_cast<std::size_t>(checkedExtent(lb, ub)));
}

VariantArray::VariantArray(long lb1, long ub1, long lb2, long ub2) : dims_(2) {
    lb_[0] = lb1;
    ub_[0] = ub1;
    lb_[1] = lb2;
    ub_[1] = ub2;
    const long n1 = checkedExtent(lb1, ub1);
    const long n2 = checkedExtent(lb2, ub2);
    cells_.resize(static_cast<std::size_t>(n1) * static_cast<std::size_t>(n2));
}

long VariantArray::lbound(int dimension) const {
    if (dimension < 1 || dimension > dims_) throw RuntimeError(9);
    return lb_[dimension - 1];
}

long VariantArray::ubound(int dimension) const {
    if (dimension < 1 || dimension > dims_) throw RuntimeError(9);
    return ub_[dimension - 1];
}

std::size_t VariantArray::index(long i) const {
    if (dims_ != 1 || i < lb_[0] || i > ub_[0]) throw RuntimeError(9);
    return static_cast<std::size_t>(i - lb_[0]);
}

std::size_t VariantArray::index(long i, long j) const {
    if (dims_ != 2 || i < lb_[0] || i > ub_[0] || j < lb_[1] || j > ub_[1]) throw RuntimeError(9);
    const std::size_t width = static_cast<std::size_t>(ub_[1] - lb_[1] + 1);
    return static_cast<std::size_t>(i - lb_[0]) * width + static_cast<std::size_t>(j - lb_[1]);
}

Variant& VariantArray::operator()(long i) { return cells_[index(i)]; }
const Variant& VariantArray::operator()(long i) const { return cells_[index(i)]; }
Variant& VariantArray::operator()(long i, long j) { return cells_[index(i, j)]; }
const Variant& VariantArray::operator()(long i, long j) const { return cells_[index(i, j)]; }

}  // namespace zelk
