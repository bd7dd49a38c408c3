#include "FaultInjection.h"

#include <set>

namespace testsupport {
namespace {

std::set<platform::FileOp> planOps;
std::vector<platform::FileOp> planSeen;
int planFailAt = 0;
int planCount = 0;
bool planFired = false;
platform::FaultAction planAction = platform::FaultAction::Fail;

platform::FaultAction Hook(platform::FileOp op) {
  if (planOps.count(op) == 0) return platform::FaultAction::None;
  planSeen.push_back(op);
  if (++planCount != planFailAt) return platform::FaultAction::None;
  planFired = true;
  return planAction;
}

}  // namespace

FaultPlan::FaultPlan(std::initializer_list<platform::FileOp> ops, int failAt, platform::FaultAction action) {
  planOps = ops;
  planFailAt = failAt;
  planCount = 0;
  planSeen.clear();
  planFired = false;
  planAction = action;
  platform::faultHook = Hook;
}

FaultPlan::~FaultPlan() { platform::faultHook = nullptr; }

int FaultPlan::Count() const { return planCount; }

bool FaultPlan::Fired() const { return planFired; }

std::vector<platform::FileOp> FaultPlan::Seen() const { return planSeen; }

}  // namespace testsupport
