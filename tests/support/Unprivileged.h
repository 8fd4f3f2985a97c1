#pragma once

#include <cstdlib>
#include <sys/types.h>
#include <unistd.h>

// Takes away root's right to write anywhere for the lifetime of the object, so
// that file permissions count when the tests run as root (as CI does). The
// saved user id stays root so that the rights can come back.
class Unprivileged {
public:
    Unprivileged() {
        if (geteuid() == 0)
            m_dropped = setresuid(65534, 65534, 0) == 0;
    }
    ~Unprivileged() {
        if (m_dropped && setresuid(0, 0, 0) != 0)
            std::abort();
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;
    bool active() const { return geteuid() != 0; }

private:
    bool m_dropped = false;
};
