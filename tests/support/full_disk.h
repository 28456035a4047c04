#pragma once
// A small tmpfs mounted for one test, so that writes run out of room as on
// a full disk.  Mounting needs root; without it Mounted() is false.

#include <string>

namespace quillet::testing {

class SmallDisk {
public:
    explicit SmallDisk(const std::string& mountPoint, int kilobytes = 64);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    std::string Path(const std::string& name) const { return mountPoint_ + "/" + name; }
    // The names in it, hidden ones too.
    int EntryCount() const;

private:
    std::string mountPoint_;
    bool mounted_ = false;
};

} // namespace quillet::testing
