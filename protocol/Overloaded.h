#pragma once

// Combines lambdas into one visitor for std::visit.

namespace tavelin {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;  // clang 16 does not deduce aggregates with bases by itself

}  // namespace tavelin
