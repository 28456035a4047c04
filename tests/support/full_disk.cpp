#include "support/full_disk.h"

#include <QDir>

#include <sys/mount.h>

namespace quillet::testing {

SmallDisk::SmallDisk(const std::string& mountPoint, int kilobytes) : mountPoint_(mountPoint)
{
    QDir().mkpath(QString::fromStdString(mountPoint));
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    mounted_ = ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(mountPoint_.c_str(), MNT_DETACH);
}

int SmallDisk::EntryCount() const
{
    return static_cast<int>(QDir(QString::fromStdString(mountPoint_))
                                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                                .size());
}

} // namespace quillet::testing
