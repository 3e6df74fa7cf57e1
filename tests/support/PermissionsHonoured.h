#pragma once

#include <QString>

// While alive, the calling thread (and the threads it starts) obeys files' permission bits even when
// the tests run as root, as CI does: root's capabilities to read and write past them are lowered
// from the effective set and raised again at the end. A test of an unreadable file then tests it.
class PermissionsHonoured
{
public:
    PermissionsHonoured();
    ~PermissionsHonoured();
    PermissionsHonoured(const PermissionsHonoured &) = delete;
    PermissionsHonoured &operator=(const PermissionsHonoured &) = delete;

    // Empty when the bits are obeyed; otherwise why not (for the test's failure message).
    QString error() const { return m_error; }

private:
    bool m_lowered = false;
    QString m_error;
};
