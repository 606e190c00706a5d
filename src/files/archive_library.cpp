// Loading libarchive once, on first use, and looking up its calls by name.
#include "files/archive_library.h"

#include <dlfcn.h>

#include <mutex>

namespace pk {

namespace {

constexpr const char* LIBRARY = "libarchive.so.13";

void* handle = nullptr;
ArchiveLibrary library;
bool complete = false;

template <typename Call>
bool Find(Call& call, const char* name) {
    call = reinterpret_cast<Call>(dlsym(handle, name));
    return call != nullptr;
}

void Load() {
    handle = dlopen(LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    complete = Find(library.readNew, "archive_read_new") &&
               Find(library.supportFormatRaw, "archive_read_support_format_raw") &&
               Find(library.readOpen, "archive_read_open") &&
               Find(library.readNextHeader, "archive_read_next_header") &&
               Find(library.readDataBlock, "archive_read_data_block") && Find(library.readFree, "archive_read_free");
}

}  // namespace

const ArchiveLibrary* Archive() {
    static std::once_flag once;
    std::call_once(once, Load);
    return complete ? &library : nullptr;
}

ArchiveFilter ArchiveFilterNamed(const char* name) {
    if (Archive() == nullptr) return nullptr;
    ArchiveFilter filter = nullptr;
    Find(filter, name);
    return filter;
}

}  // namespace pk
