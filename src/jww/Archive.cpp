#include "jww/Archive.h"

#include <algorithm>
#include <cstring>

#include "jww/JwwString.h"
#include "platform/Platform.h"

namespace jww {

const std::string_view kClassNames[9] = {
    "",           "CDataSen",  "CDataEnko",  "CDataTen", "CDataMoji",
    "CDataSunpou", "CDataSolid", "CDataBlock", "CDataList",
};

std::size_t FileSource::Read(void* buffer, std::size_t n) { return file_.Read(buffer, n); }
bool FileSource::Failed() const { return file_.Failed(); }
std::uint64_t FileSource::Size() const { return file_.Size(); }

std::size_t MemorySource::Read(void* buffer, std::size_t n) {
  const std::size_t take = std::min(n, size_ - pos_);
  if (take > 0) std::memcpy(buffer, data_ + pos_, take);
  pos_ += take;
  return take;
}

bool FileSink::Write(const void* buffer, std::size_t n) { return file_.Write(buffer, n) == n; }

bool MemorySink::Write(const void* buffer, std::size_t n) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  bytes_.insert(bytes_.end(), p, p + n);
  return true;
}

}  // namespace jww
