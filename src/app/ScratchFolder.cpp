#include "app/ScratchFolder.h"

#include <cstdio>
#include <random>

namespace app {
namespace {

// "run-" + eight hex digits: a run's folder, and with ".lock" its lock file.
constexpr char kRunPrefix[] = "run-";
constexpr char kLockExtension[] = ".lock";
constexpr int kMaxAttempts = 100;

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

ScratchFolder::~ScratchFolder() { Remove(); }

bool ScratchFolder::Create(const std::string& programFolder) {
  Remove();
  return CreateIn(programFolder + "TEMP\\") || CreateIn(platform::UserTempFolder() + "Quorvane\\");
}

bool ScratchFolder::CreateIn(const std::string& root) {
  platform::MakeFolder(root);
  if (!platform::FolderExists(root)) return false;
  RemoveDeadRuns(root);
  std::mt19937 random{std::random_device{}()};
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    char id[16];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(random()));
    const std::string name = root + kRunPrefix + id;
    // the lock comes first: a folder without a live lock is a dead run's
    if (!lock_.Acquire(name + kLockExtension)) continue;
    if (platform::MakeFolder(name + "\\")) {
      root_ = root;
      path_ = name + "\\";
      return true;
    }
    lock_.Release();
  }
  return false;
}

std::string ScratchFolder::AddDocumentFolder() {
  if (path_.empty()) return "";
  const std::string folder = path_ + "doc-" + std::to_string(++documents_) + "\\";
  return platform::MakeFolder(folder) ? folder : "";
}

void ScratchFolder::Remove() {
  if (path_.empty()) return;
  platform::RemoveTree(path_);
  lock_.Release();
  platform::RemoveFolder(root_);  // only when no other run, and nothing else, is in it
  path_.clear();
  root_.clear();
}

void ScratchFolder::RemoveDeadRuns(const std::string& root) {
  for (const std::string& name : platform::ListFolder(root)) {
    if (!StartsWith(name, kRunPrefix)) continue;
    const bool lockFile = EndsWith(name, kLockExtension);
    const std::string run = root + (lockFile ? name.substr(0, name.size() - (sizeof kLockExtension - 1)) : name);
    if (!lockFile && !platform::FolderExists(run + "\\")) continue;
    // a run's folder goes only while its lock is held here, so the run cannot be alive
    platform::RunLock stale;
    if (stale.TakeOver(run + kLockExtension)) {
      if (platform::FolderExists(run + "\\")) platform::RemoveTree(run + "\\");
      stale.Release();
    } else if (!lockFile && !platform::FileExists(run + kLockExtension)) {
      // a folder whose run ended while it was being removed, leaving no lock
      platform::RemoveTree(run + "\\");
    }
  }
}

}  // namespace app
