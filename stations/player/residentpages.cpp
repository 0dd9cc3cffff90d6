#include "residentpages.h"

#include <cstdint>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

namespace ResidentPages {

namespace {

// Code the loader patched in place (text relocations) is no longer what the
// file holds: such a library keeps all its pages.
bool patchedInPlace(const dl_phdr_info &info) {
    for (int i = 0; i < info.dlpi_phnum; ++i) {
        const ElfW(Phdr) &segment = info.dlpi_phdr[i];
        if (segment.p_type != PT_DYNAMIC)
            continue;
        const auto *entry = reinterpret_cast<const ElfW(Dyn) *>(info.dlpi_addr + segment.p_vaddr);
        for (; entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_TEXTREL ||
                (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_TEXTREL)))
                return true;
        }
    }
    return false;
}

int release(dl_phdr_info *info, size_t, void *) {
    // Only libraries from files: neither the program itself nor the kernel's vDSO.
    if (!info->dlpi_name || info->dlpi_name[0] != '/' || patchedInPlace(*info))
        return 0;
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W))
            continue;
        // Whole pages inside the segment only.
        const uintptr_t start = (info->dlpi_addr + segment.p_vaddr + page - 1) & ~(page - 1);
        const uintptr_t end = (info->dlpi_addr + segment.p_vaddr + segment.p_memsz) & ~(page - 1);
        if (end > start)
            madvise(reinterpret_cast<void *>(start), end - start, MADV_DONTNEED);
    }
    return 0;
}

} // namespace

void releaseLibraryPages() {
    dl_iterate_phdr(release, nullptr);
}

} // namespace ResidentPages
