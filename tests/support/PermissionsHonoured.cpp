#include "PermissionsHonoured.h"

#include <cerrno>
#include <cstring>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned OverrideBits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool readCapabilities(__user_cap_data_struct (&data)[_LINUX_CAPABILITY_U32S_3])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool writeCapabilities(__user_cap_data_struct (&data)[_LINUX_CAPABILITY_U32S_3])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

PermissionsHonoured::PermissionsHonoured()
{
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (!readCapabilities(data)) {
        m_error = QStringLiteral("capget: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if ((data[0].effective & OverrideBits) == 0)
        return; // an ordinary user already obeys them
    data[0].effective &= ~OverrideBits;
    if (!writeCapabilities(data)) {
        m_error = QStringLiteral("capset: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_lowered = true;
}

PermissionsHonoured::~PermissionsHonoured()
{
    if (!m_lowered)
        return;
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (readCapabilities(data)) {
        data[0].effective |= OverrideBits & data[0].permitted;
        writeCapabilities(data);
    }
}
