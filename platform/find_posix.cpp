// File attributes and file search on Linux: Windows paths mapped onto the
// file system, names matched and listed as Windows lists them.
#include "platform/path_posix.h"
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>

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

// A search's listing: the matching names of the directory, read and ordered
// when the search begins, and the directory kept open to look each one up
// when it is returned. Held in memory of the C library, as the system's own
// search holds its state; the module's allocator never sees it.
struct Listing {
    DIR *directory;
    char *names;           // the names one after another, each terminated
    const char **ordered;  // pointers into names, in listing order
    size_t count;
    size_t next;           // the index of the name that next() returns
};

Listing *listing(void *handle) { return static_cast<Listing *>(handle); }

void freeListing(Listing *list) {
    if (list->directory != nullptr)
        closedir(list->directory);
    free(list->names);
    free(list->ordered);
    free(list);
}

// Reads the names of the directory that match the pattern, then orders them.
// False when memory runs out.
bool readListing(Listing *list, const char *pattern) {
    size_t used = 0, capacity = 0;
    size_t *offsets = nullptr;
    size_t offsetCapacity = 0;
    bool ok = true;
    while (struct dirent *entry = readdir(list->directory)) {
        const char *name = entry->d_name;
        size_t length = strlen(name);
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0 || length >= kPlatformNameSize ||
            !isWindowsName(name) || !matchesPattern(name, pattern))
            continue;
        if (used + length + 1 > capacity) {
            size_t grown = capacity == 0 ? 4096 : capacity * 2;
            while (grown < used + length + 1)
                grown *= 2;
            char *names = static_cast<char *>(realloc(list->names, grown));
            if (names == nullptr) {
                ok = false;
                break;
            }
            list->names = names;
            capacity = grown;
        }
        if (list->count == offsetCapacity) {
            size_t grown = offsetCapacity == 0 ? 64 : offsetCapacity * 2;
            size_t *more = static_cast<size_t *>(realloc(offsets, grown * sizeof *offsets));
            if (more == nullptr) {
                ok = false;
                break;
            }
            offsets = more;
            offsetCapacity = grown;
        }
        memcpy(list->names + used, name, length + 1);
        offsets[list->count++] = used;
        used += length + 1;
    }
    if (ok && list->count > 0) {
        list->ordered = static_cast<const char **>(malloc(list->count * sizeof *list->ordered));
        ok = list->ordered != nullptr;
    }
    if (ok) {
        for (size_t i = 0; i < list->count; ++i)
            list->ordered[i] = list->names + offsets[i];
        std::sort(list->ordered, list->ordered + list->count,
                  [](const char *a, const char *b) { return compareListingOrder(a, b) < 0; });
    }
    free(offsets);
    return ok;
}

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
    Listing *list = static_cast<Listing *>(calloc(1, sizeof(Listing)));
    if (list == nullptr)
        return false;
    list->directory = opendir(mapped);
    if (list->directory == nullptr || !readListing(list, pattern_)) {
        freeListing(list);
        return false;
    }
    handle_ = list;
    phase_ = 0;
    name_[0] = '\0';
    if (next())
        return true;
    end();
    return false;
}

// "." and ".." first, then the names of the listing in order.
bool PlatformFind::next() {
    if (handle_ == nullptr)
        return false;
    Listing *list = listing(handle_);
    int directory = dirfd(list->directory);
    struct stat status;
    while (phase_ < 2) {
        const char *special = phase_ == 0 ? "." : "..";
        ++phase_;
        if (matchesPattern(special, pattern_) && fstatat(directory, special, &status, 0) == 0) {
            memcpy(name_, special, strlen(special) + 1);
            attributes_ = attributesOf(status, name_);
            return true;
        }
    }
    while (list->next < list->count) {
        const char *name = list->ordered[list->next++];
        // An entry that vanished or is a dangling link is passed over.
        if (fstatat(directory, name, &status, 0) == 0) {
            memcpy(name_, name, strlen(name) + 1);
            attributes_ = attributesOf(status, name_);
            return true;
        }
    }
    return false;
}

void PlatformFind::end() {
    if (handle_ != nullptr)
        freeListing(listing(handle_));
    handle_ = nullptr;
}
