#include "jpegsimd.h"

#include <sys/platform/x86.h>

namespace nconv {

unsigned int jpegSimdSupport()
{
    constexpr unsigned int kSse = 0x04, kSse2 = 0x08, kAvx2 = 0x80;
    return kSse | kSse2 | (CPU_FEATURE_ACTIVE(AVX2) ? kAvx2 : 0u);
}

} // namespace nconv
