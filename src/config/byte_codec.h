#pragma once
// The bytes of world files, histories, events and timelines: values as raw bytes in this
// machine's order, texts after their length, and a reader that checks every length against
// what is left, so that a damaged file is an error, never a read past its end.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "config/errors.h"

namespace viv {

template <class T>
void PutBytes(std::string& out, T v) {
  static_assert(std::is_trivially_copyable_v<T>);
  char b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));
  out.append(b, sizeof(T));
}

// A text after its length, written as Length.
template <class Length>
void PutText(std::string& out, std::string_view text) {
  PutBytes(out, static_cast<Length>(text.size()));
  out += text;
}

// What a reader says of each fault, after Prefix (thrown as EVivarion); the defaults are a
// world file's.
struct TByteFaults {
  std::string Prefix = "the world file is damaged: ";
  std::string CutShort = "it ends in the middle of a value";
  std::string TextCut = "it ends in the middle of a text";
  std::string TextTooLong = "a text longer than any world holds";
  std::string CountTooLarge = "a count larger than the file";
  std::string NotFinite = "a value that is not a finite number";
  std::string Inconsistent = "its values do not fit together";  // what the reader's caller finds
  // cutShort when a value runs past the end, damaged for every other fault.
  static TByteFaults Two(std::string prefix, const std::string& cutShort, const std::string& damaged) {
    return {std::move(prefix), cutShort, damaged, damaged, damaged, damaged, damaged};
  }
};

class TByteReader {
 public:
  explicit TByteReader(std::string_view bytes, TByteFaults faults = {}) : bytes_(bytes), faults_(std::move(faults)) {}

  template <class T>
  void Get(T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (Left() < sizeof(v)) Fail(faults_.CutShort);
    std::memcpy(&v, bytes_.data() + pos_, sizeof(v));
    pos_ += sizeof(v);
  }
  template <class T>
  T Get() {
    T v{};
    Get(v);
    return v;
  }
  // A float or double that must be a finite number.
  template <class T>
  T Finite() {
    const T v = Get<T>();
    if (!std::isfinite(v)) Fail(faults_.NotFinite);
    return v;
  }
  // A count of things that take at least least bytes each: more than the bytes left can hold
  // is damage.
  uint64_t Count(size_t least) {
    const uint64_t n = Get<uint64_t>();
    if (n > Left() / least) Fail(faults_.CountTooLarge);
    return n;
  }
  // A text after its length of type Length, at most maxLength bytes.
  template <class Length>
  std::string Text(uint64_t maxLength = UINT64_MAX) {
    const uint64_t n = Get<Length>();
    if (n > maxLength) Fail(faults_.TextTooLong);
    if (Left() < n) Fail(faults_.TextCut);
    std::string s(bytes_.substr(pos_, n));
    pos_ += n;
    return s;
  }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  size_t Left() const { return bytes_.size() - pos_; }
  [[noreturn]] void Fail(const std::string& what) const { throw EVivarion(faults_.Prefix + what); }
  [[noreturn]] void Damaged() const { Fail(faults_.Inconsistent); }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  TByteFaults faults_;
};

}  // namespace viv
