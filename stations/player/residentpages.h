#pragma once

// The pages of shared libraries that loading them touched: every symbol and
// relocation table, the start-up code, most of it never read again. They
// count as the program's memory for as long as they stay mapped.
namespace ResidentPages {

// Hands back the read-only pages of every library loaded so far; the kernel
// brings back from the library's file any page that is used again. Written
// pages (data, and what the loader relocated) are left alone.
void releaseLibraryPages();

} // namespace ResidentPages
