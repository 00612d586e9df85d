// The window values as the header defines the windows, computed without the
// library's coefficient table or its cosine: each window's coefficients
// written as its definition gives them (decimals, or integers over a common
// divisor), and with MPFR each cosine correctly rounded and every other
// step rounded to double in the order the library promises:
//   x = (n * 2pi) / N,  W = (((a0 - a1 cos x) + a2 cos(x + x)) - a3 cos(3x)) /
//   d
// with 2pi the double nearest to it.
#ifndef TESTS_LIBRARY_WINDOW_ORACLE_H_
#define TESTS_LIBRARY_WINDOW_ORACLE_H_

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#if defined(ONDAVEL_HAVE_MPFR)
#include <mpfr.h>
#endif

namespace ondavel_test {

// W(n) = (a0 - a1 cos x + a2 cos 2x - a3 cos 3x) / d, x = 2 pi n / N.
struct WindowDefinition {
  const char* a[4];
  const char* d;
};

// Types 1 to 13 as Ondavel.h names them; any other type is rectangular.
inline WindowDefinition DefinitionOf(uint32_t type) {
  switch (type) {
    case 1:  // Hann: sin^2(pi n / N)
      return {{"1", "1", "0", "0"}, "2"};
    case 2:  // Hamming
      return {{"0.54", "0.46", "0", "0"}, "1"};
    case 3:  // Nuttall 3-term, continuous third derivative: (3, 4, 1) / 8
      return {{"3", "4", "1", "0"}, "8"};
    case 4:  // Blackman
      return {{"0.42", "0.5", "0.08", "0"}, "1"};
    case 5:  // Nuttall 3-term, continuous first derivative
      return {{"0.40897", "0.5", "0.09103", "0"}, "1"};
    case 6:  // exact Blackman: (7938, 9240, 1430) / 18608
      return {{"7938", "9240", "1430", "0"}, "18608"};
    case 7:  // Nuttall minimum 3-term
      return {{"0.4243801", "0.4973406", "0.0782793", "0"}, "1"};
    case 8:  // Nuttall 4-term, continuous fifth derivative: (10, 15, 6, 1) / 32
      return {{"10", "15", "6", "1"}, "32"};
    case 9:  // Nuttall 4-term, continuous third derivative
      return {{"0.338946", "0.481973", "0.161054", "0.018027"}, "1"};
    case 10:  // Nuttall 4-term, continuous first derivative
      return {{"0.355768", "0.487396", "0.144232", "0.012604"}, "1"};
    case 11:  // Blackman-Harris 4-term
      return {{"0.35875", "0.48829", "0.14128", "0.01168"}, "1"};
    case 12:  // Nuttall minimum 4-term
      return {{"0.3635819", "0.4891775", "0.1365995", "0.0106411"}, "1"};
    case 13:  // 0.762 - cos x + 0.238 cos 2x, scaled to unit mean
      return {{"0.762", "1", "0.238", "0"}, "0.762"};
    default:
      return {{"1", "0", "0", "0"}, "1"};
  }
}

// a0 / d: the window's mean, the gain it gives a tone at its own bin.
inline double WindowMean(uint32_t type) {
  const WindowDefinition w = DefinitionOf(type);
  return std::strtod(w.a[0], nullptr) / std::strtod(w.d, nullptr);
}

// The window from its definition in long double, for error-bounded checks.
inline long double WindowValueLong(uint32_t type, int n, int length) {
  const WindowDefinition w = DefinitionOf(type);
  const long double x = 2 * 3.14159265358979323846264338327950288L * n / length;
  long double sum = 0;
  for (int k = 0; k < 4; ++k) {
    const long double term = std::strtold(w.a[k], nullptr) * std::cos(k * x);
    sum += k % 2 == 0 ? term : -term;
  }
  return sum / std::strtold(w.d, nullptr);
}

// Why the correctly rounded window values cannot be had here, or empty.
inline std::string WindowOracleUnavailableReason() {
#if defined(ONDAVEL_HAVE_MPFR)
  return "";
#else
  return "MPFR, which judges the window values, is not available to this "
         "build";
#endif
}

#if defined(ONDAVEL_HAVE_MPFR)
// Window values of one type and length, rounded as defined.
class DefinedWindow {
 public:
  DefinedWindow(uint32_t type, int length) {
    for (mpfr_t* v : {&twoPi_, &x_, &arg_, &cos_, &term_, &sum_}) {
      mpfr_init2(*v, 53);  // every step rounds to a double
    }
    const WindowDefinition w = DefinitionOf(type);
    for (int k = 0; k < 5; ++k) {
      mpfr_init2(coefficients_[k], 53);
      mpfr_set_str(coefficients_[k], k < 4 ? w.a[k] : w.d, 10, MPFR_RNDN);
    }
    mpfr_const_pi(twoPi_, MPFR_RNDN);
    mpfr_mul_2ui(twoPi_, twoPi_, 1, MPFR_RNDN);  // exact
    length_ = length;
  }
  ~DefinedWindow() {
    for (mpfr_t* v : {&twoPi_, &x_, &arg_, &cos_, &term_, &sum_}) {
      mpfr_clear(*v);
    }
    for (mpfr_t& c : coefficients_) mpfr_clear(c);
  }
  DefinedWindow(const DefinedWindow&) = delete;
  DefinedWindow& operator=(const DefinedWindow&) = delete;

  double operator()(int n) {
    mpfr_mul_si(x_, twoPi_, n, MPFR_RNDN);
    mpfr_div_si(x_, x_, length_, MPFR_RNDN);
    mpfr_set(sum_, coefficients_[0], MPFR_RNDN);
    for (int k = 1; k <= 3; ++k) {
      if (k == 2) {
        mpfr_add(arg_, x_, x_, MPFR_RNDN);
      } else {
        mpfr_mul_ui(arg_, x_, k, MPFR_RNDN);
      }
      mpfr_cos(cos_, arg_, MPFR_RNDN);
      mpfr_mul(term_, coefficients_[k], cos_, MPFR_RNDN);
      if (k % 2 == 1) {
        mpfr_sub(sum_, sum_, term_, MPFR_RNDN);
      } else {
        mpfr_add(sum_, sum_, term_, MPFR_RNDN);
      }
    }
    mpfr_div(sum_, sum_, coefficients_[4], MPFR_RNDN);
    return mpfr_get_d(sum_, MPFR_RNDN);
  }

 private:
  mpfr_t twoPi_, x_, arg_, cos_, term_, sum_;
  mpfr_t coefficients_[5];
  int length_;
};
#endif

}  // namespace ondavel_test

#endif  // TESTS_LIBRARY_WINDOW_ORACLE_H_
