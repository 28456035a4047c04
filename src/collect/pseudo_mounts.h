#pragma once
// Mount points of file systems that hold no user files (kernel views such as
// /proc and /sys, device nodes, run-time state under /run).  A walk from "/"
// must not wander into them: some never end, some block on reading.

#include <string>
#include <string_view>
#include <unordered_set>

namespace quillet {

// True when a file system of this type mounted here holds no user files.
// tmpfs counts only under /run (a tmpfs /tmp may well hold pictures).
bool IsPseudoFileSystem(std::string_view type, std::string_view mountPoint);

// The mount points (without a trailing "/", the root as "/") of every pseudo
// file system mounted now; empty when the mount table cannot be read.
std::unordered_set<std::string> PseudoMountPoints();

} // namespace quillet
