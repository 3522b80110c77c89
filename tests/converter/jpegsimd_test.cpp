// nconvert answers libjpeg-turbo's question about vector instructions from the C library; the
// answer must be the one the library's own probe gives on this processor, which this test
// program (linked with the library alone) still has.
#include <gtest/gtest.h>

#ifdef NCONV_JPEG_SIMD_FROM_C_LIBRARY
#include "jpegsimd.h"

extern "C" unsigned int jpeg_simd_cpu_support(void);

TEST(JpegSimdSupport, TheCLibraryAnswersAsLibjpegTurboWould)
{
    EXPECT_EQ(nconv::jpegSimdSupport(), jpeg_simd_cpu_support());
}
#else
TEST(JpegSimdSupport, TheCLibraryAnswersAsLibjpegTurboWould)
{
    GTEST_SKIP() << "libjpeg-turbo asks the processor itself in this build";
}
#endif
