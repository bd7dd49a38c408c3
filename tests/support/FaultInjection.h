// Making the Nth file operation of a kind fail, through the platform layer's hook.
#pragma once

#include <initializer_list>
#include <vector>

#include "platform/FaultHook.h"

namespace testsupport {

// While alive, counts the file operations of the given kinds and makes the one numbered
// `failAt` (from 1) take `action`; failAt 0 only counts.
class FaultPlan {
 public:
  FaultPlan(std::initializer_list<platform::FileOp> ops, int failAt,
            platform::FaultAction action = platform::FaultAction::Fail);
  ~FaultPlan();
  FaultPlan(const FaultPlan&) = delete;
  FaultPlan& operator=(const FaultPlan&) = delete;

  // Operations of the chosen kinds seen so far.
  int Count() const;
  // True once the planned fault has been injected.
  bool Fired() const;
  // The operations of the chosen kinds seen so far, in order.
  std::vector<platform::FileOp> Seen() const;
};

}  // namespace testsupport
