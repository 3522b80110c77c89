#pragma once

namespace nconv {

// The vector instructions libjpeg-turbo may use here, in its own bit values (0x04 SSE and 0x08
// SSE2, which every x86-64 processor has; 0x80 AVX2 when the processor and the system support
// it), read from what the C library found out at start-up. libjpeg-turbo's own probe asks the
// processor again (three CPUID instructions); on a virtual machine each of those leaves the
// guest, about 20 us apiece on ours, which was a third of what converting a small cursor added
// to starting a process. nconvert links jpeg_simd_cpu_support() to this instead.
unsigned int jpegSimdSupport();

} // namespace nconv
