// Takes the place of libjpeg-turbo's probe of the same name (see jpegsimd.h): linked into the
// program itself, it is found before the library's archive is searched.
#include "jpegsimd.h"

extern "C" unsigned int jpeg_simd_cpu_support(void)
{
    return nconv::jpegSimdSupport();
}
