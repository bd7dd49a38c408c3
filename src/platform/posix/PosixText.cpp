#include "platform/posix/PosixText.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/Unicode.h"

namespace platform::posix {

namespace {

// One iconv descriptor, opened on first use and kept for the thread.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != kInvalid) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // The whole input converted; false on any sequence the target cannot take.
  bool Convert(const std::string& in, std::string& out) {
    out.clear();
    if (cd_ == kInvalid) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t done = 0;
    out.resize(in.size() * 3 + 4);
    for (;;) {
      char* outPtr = out.data() + done;
      std::size_t outLeft = out.size() - done;
      const std::size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      done = out.size() - outLeft;
      if (result != static_cast<std::size_t>(-1)) break;
      if (errno != E2BIG) {  // EILSEQ, or EINVAL for a sequence cut off at the end
        out.clear();
        return false;
      }
      out.resize(out.size() * 2);
    }
    out.resize(done);
    return true;
  }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t cd_;
};

Converter& FromCp932() {
  thread_local Converter converter("UTF-8", "CP932");
  return converter;
}

Converter& ToCp932() {
  thread_local Converter converter("CP932", "UTF-8");
  return converter;
}

}  // namespace

bool Cp932ToUtf8(const std::string& sjis, std::string& utf8) {
  return FromCp932().Convert(sjis, utf8);
}

bool Utf8ToCp932(const std::string& utf8, std::string& sjis) {
  // iconv maps some characters one way only (U+301C and U+00A5 among them): the
  // result counts only when it converts back to the very same text
  std::string back;
  if (ToCp932().Convert(utf8, sjis) && Cp932ToUtf8(sjis, back) && back == utf8) return true;
  sjis.clear();
  return false;
}

}  // namespace platform::posix

namespace platform {

bool Cp932ToUtf16(const std::string& sjis, std::u16string& units) {
  std::string utf8;
  if (posix::Cp932ToUtf8(sjis, utf8) && unicode::Utf8ToUtf16(utf8, units)) return true;
  units.clear();
  return false;
}

bool Utf16ToCp932(const std::u16string& units, std::string& sjis) {
  std::string utf8;
  if (unicode::Utf16ToUtf8(units, utf8) && posix::Utf8ToCp932(utf8, sjis)) return true;
  sjis.clear();
  return false;
}

namespace {

std::string WithSlashes(std::string utf8) {
  std::replace(utf8.begin(), utf8.end(), '\\', '/');
  return utf8;
}

}  // namespace

std::string NativePathForDisplay(const PathRef& path) {
  return WithSlashes(path.HeldAsUnits() ? Utf16ToUtf8ForDisplay(path.Units()) : ToUtf8(path.Sjis()));
}


}  // namespace platform
