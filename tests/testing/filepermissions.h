#pragma once

// File permissions that hold for the test process even when it runs as root. Root passes every
// permission check through two capabilities; while a FilePermissionsApply lives, the calling
// thread has them switched off and meets a file's mode bits as its owner does.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testing {

class FilePermissionsApply
{
public:
    FilePermissionsApply()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_changed = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~FilePermissionsApply()
    {
        if (m_changed)
            syscall(SYS_capset, &m_header, m_saved);
    }
    FilePermissionsApply(const FilePermissionsApply &) = delete;
    FilePermissionsApply &operator=(const FilePermissionsApply &) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_changed = false;
};

} // namespace testing
