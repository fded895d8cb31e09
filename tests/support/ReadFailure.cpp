// Preloaded (LD_PRELOAD) into a program under test to make reading one file fail part-way, as a
// failing disk or network share does: read() from the file named by JIAOGUI_FAIL_READ_PATH (its
// canonical path) fails with EIO once JIAOGUI_FAIL_READ_AFTER bytes of it have been read. Every
// other read, and every read without those variables, goes through untouched.

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
using ReadFunction = ssize_t (*)(int, void*, size_t);

bool IsFailingFile(int fd, const char* path)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length < 0)
        return false;
    target[length] = '\0';
    return std::strcmp(target, path) == 0;
}
} // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count)
{
    static const auto next = reinterpret_cast<ReadFunction>(dlsym(RTLD_NEXT, "read"));
    const char* path = std::getenv("JIAOGUI_FAIL_READ_PATH");
    const char* after = std::getenv("JIAOGUI_FAIL_READ_AFTER");
    if (path && after && IsFailingFile(fd, path)) {
        const off_t at = lseek(fd, 0, SEEK_CUR);
        const off_t failAt = std::atoll(after);
        if (at >= failAt) {
            errno = EIO;
            return -1;
        }
        count = std::min(count, size_t(failAt - at));
    }
    return next(fd, buffer, count);
}
