// Vectors of whole complex values, interleaved as in a buffer (re, im, re,
// im, ...): an extension of the vector contract (simd/vector_contract.h)
// for vectors of four lanes or more.  A back-end whose vector V has it
// specialises ComplexValues<V> in its vec_*.h (V4: two values, V8: four);
// the short transforms that keep the buffer's layout
// (transform/complex_small_transform.h) then run over V, and every shuffle
// they need, moving whole values or swapping the two parts of each, is
// there.  Without it those lengths take the lane layout.
//
// Value positions inside a vector: value j occupies lanes 2j (re) and
// 2j + 1 (im).  "Inside" passes pair values of one vector: with half-span
// H, value j is the top of its pair when bit H of j is clear, the bottom
// otherwise.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_COMPLEX_VALUES_H_
#define ONDAVEL_SRC_KERNELS_SIMD_COMPLEX_VALUES_H_

#include <concepts>

namespace ondavel::simd {

// Internal linkage, as for the vector types.
namespace {

template <class V>
struct ComplexValues;

}  // namespace

// What a specialisation supplies; C = kValues = L / 2 values per vector.
// Every operation rounds as the vector's own + - * (never fused).
template <class V>
concept HoldsComplexValues = requires(V a, V b, const double* p) {
  // C and log2 C.
  { ComplexValues<V>::kValues } -> std::convertible_to<int>;
  { ComplexValues<V>::kValueBits } -> std::convertible_to<int>;
  // Real parts a - b, imaginary parts a + b.
  { ComplexValues<V>::SubAddParts(a, b) } -> std::same_as<V>;
  // (im, re) of every value.
  { ComplexValues<V>::SwapParts(a) } -> std::same_as<V>;
  // Value j takes p[j] in both parts.
  { ComplexValues<V>::SpreadOverValues(p) } -> std::same_as<V>;
  // For the inside passes, H = 1 (and 2 for four values): value j takes
  // p[j mod H] in both parts; every value replaced by its pair's top or
  // bottom; top + t at the tops, top - t at the bottoms.  Also Gather: one
  // value from each of C addresses, value j from the j-th.
  { ComplexValues<V>::template RepeatOverValues<1>(p) } -> std::same_as<V>;
  { ComplexValues<V>::template Tops<1>(a) } -> std::same_as<V>;
  { ComplexValues<V>::template Bottoms<1>(a) } -> std::same_as<V>;
  { ComplexValues<V>::template SumAndDifference<1>(a, b) } -> std::same_as<V>;
};

}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_COMPLEX_VALUES_H_
