// libFuzzer entry for one target, chosen when the fuzzer is built.
#include <cstdlib>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // a broken promise is a finding: the fuzzer keeps the input that broke it
  if (fuzz::QUORVANE_FUZZ_TARGET(data, size) != 0) std::abort();
  return 0;
}
