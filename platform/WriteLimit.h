#pragma once
// A limit on the size of files (as kiosks and parental setups impose) must not end the
// program: by default the system kills a process whose write goes past it.

namespace vb {

// From now on a write past the file-size limit fails with EFBIG, which the writers treat
// as a full disk. Call it at start-up, before anything is written.
void LetWritesFailAtSizeLimit();

} // namespace vb
