#include "platform/FaultHook.h"

namespace platform {

FaultHook faultHook = nullptr;

}  // namespace platform
