// File attributes and file search on Linux: Windows paths mapped onto the
// file system, names matched and listed as Windows lists them.
#include "platform/path_posix.h"
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>

namespace {

uint32_t attributesOf(const struct stat &status, const char *name) {
    uint32_t attributes;
    if (S_ISDIR(status.st_mode)) {
        attributes = kPlatformAttributeDirectory;
    } else {
        attributes = kPlatformAttributeArchive;
        if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            attributes |= kPlatformAttributeReadOnly;
    }
    if (name[0] == '.' && strcmp(name, ".") != 0 && strcmp(name, "..") != 0)
        attributes |= kPlatformAttributeHidden;
    return attributes;
}

const char *lastComponent(const char *path) {
    const char *slash = strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

DIR *stream(void *handle) { return static_cast<DIR *>(handle); }

}  // namespace

uint32_t platformFileAttributes(const char *path) {
    if (path == nullptr || strlen(path) > kPlatformPathLimit)
        return kPlatformAttributesInvalid;
    char mapped[kPosixPathSize];
    if (!mapWindowsPath(path, false, mapped, sizeof mapped, nullptr))
        return kPlatformAttributesInvalid;
    struct stat status;
    if (stat(mapped, &status) != 0)
        return kPlatformAttributesInvalid;
    return attributesOf(status, lastComponent(mapped));
}

bool PlatformFind::begin(const char *pattern) {
    end();
    if (pattern == nullptr || strlen(pattern) > kPlatformPathLimit)
        return false;
    char mapped[kPosixPathSize];
    size_t lastStart = 0;
    if (!mapWindowsPath(pattern, true, mapped, sizeof mapped, &lastStart))
        return false;
    size_t patternLength = strlen(mapped + lastStart);
    if (patternLength == 0 || patternLength >= sizeof pattern_)
        return false;
    memcpy(pattern_, mapped + lastStart, patternLength + 1);
    mapped[lastStart > 1 ? lastStart - 1 : lastStart] = '\0';
    DIR *directory = opendir(mapped);
    if (directory == nullptr)
        return false;
    handle_ = directory;
    phase_ = 0;
    name_[0] = '\0';
    if (next())
        return true;
    end();
    return false;
}

// "." and ".." first, then on every call one scan of the directory for the
// least name after the current one: the order does not depend on the file
// system and nothing needs to be stored.
bool PlatformFind::next() {
    if (handle_ == nullptr)
        return false;
    struct stat status;
    while (phase_ < 2) {
        const char *special = phase_ == 0 ? "." : "..";
        ++phase_;
        if (matchesPattern(special, pattern_) &&
            fstatat(dirfd(stream(handle_)), special, &status, 0) == 0) {
            memcpy(name_, special, strlen(special) + 1);
            attributes_ = attributesOf(status, name_);
            return true;
        }
    }
    for (;;) {
        char best[256] = "";
        rewinddir(stream(handle_));
        while (struct dirent *entry = readdir(stream(handle_))) {
            const char *candidate = entry->d_name;
            if (strcmp(candidate, ".") == 0 || strcmp(candidate, "..") == 0 ||
                !isWindowsName(candidate) || strlen(candidate) >= sizeof best)
                continue;
            if (phase_ == 3 && compareListingOrder(candidate, name_) <= 0)
                continue;
            if (best[0] != '\0' && compareListingOrder(candidate, best) >= 0)
                continue;
            if (matchesPattern(candidate, pattern_))
                memcpy(best, candidate, strlen(candidate) + 1);
        }
        if (best[0] == '\0')
            return false;
        memcpy(name_, best, strlen(best) + 1);
        phase_ = 3;
        // An entry that vanished or is a dangling link is passed over.
        if (fstatat(dirfd(stream(handle_)), name_, &status, 0) == 0) {
            attributes_ = attributesOf(status, name_);
            return true;
        }
    }
}

void PlatformFind::end() {
    if (handle_ != nullptr)
        closedir(stream(handle_));
    handle_ = nullptr;
}
