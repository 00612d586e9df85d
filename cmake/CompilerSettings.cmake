include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

# Numeric code must round exactly as written: no contraction into fused
# multiply-adds, no reassociation.  -ffast-math is never used anywhere.
add_compile_options(-Wall -Wextra -Wpedantic -ffp-contract=off)

# The architecture the build targets (x86, aarch64 or other), which decides
# the instruction-set back-ends that are built (cmake/Backends.cmake).
set(ONDAVEL_X86 OFF)
set(ONDAVEL_X86_32 OFF)
set(ONDAVEL_ARCHITECTURE other)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(ONDAVEL_X86 ON)
  set(ONDAVEL_ARCHITECTURE x86)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86|X86)$")
  set(ONDAVEL_X86 ON)
  set(ONDAVEL_X86_32 ON)
  set(ONDAVEL_ARCHITECTURE x86)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
  set(ONDAVEL_ARCHITECTURE aarch64)
endif()

# 32-bit x86 must compute in SSE2 doubles, never in x87 extended registers.
if(ONDAVEL_X86_32)
  add_compile_options(-msse2 -mfpmath=sse)
endif()

# ELF linker options (version scripts, -z now, run paths) only where the
# binaries are ELF; PE targets get their interface from dllexport instead.
if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF" OR
   (NOT CMAKE_EXECUTABLE_FORMAT AND CMAKE_SYSTEM_NAME STREQUAL "Linux"))
  set(ONDAVEL_ELF ON)
else()
  set(ONDAVEL_ELF OFF)
endif()

if(MINGW)
  # No runtime DLL beside ours: libgcc, libstdc++ and winpthread go into
  # each binary, which then needs only the system's DLLs.
  add_link_options(-static)
  # MinGW's headers define fabs and its kin inline as x87 assembly on 32-bit
  # x86, which also quiets signalling NaNs on the way through st(0); without
  # their inline versions GCC's own builtins (SSE bit masks) apply.
  add_compile_definitions(__CRT__NO_INLINE)
  # GCC cannot realign the stack on Win64 (GCC bug 54412), so a 32- or
  # 64-byte vector spilled to the stack may sit on a misaligned slot; the
  # assembler turns every aligned vector move into an unaligned one, which
  # costs nothing on aligned data.
  check_cxx_compiler_flag(-Wa,-muse-unaligned-vector-move
                          ONDAVEL_HAVE_UNALIGNED_VECTOR_MOVE)
  if(NOT ONDAVEL_HAVE_UNALIGNED_VECTOR_MOVE)
    message(FATAL_ERROR "The assembler lacks -muse-unaligned-vector-move "
                        "(binutils 2.38 or later is needed for AVX on Windows)")
  endif()
  add_compile_options(-Wa,-muse-unaligned-vector-move)
endif()

if(ONDAVEL_SANITIZE)
  set(ONDAVEL_SANITIZER_FLAGS
      -fsanitize=address,undefined,float-cast-overflow
      -fno-sanitize-recover=all -fno-sanitize=vptr -fno-omit-frame-pointer)
  add_compile_options(${ONDAVEL_SANITIZER_FLAGS})
  add_link_options(${ONDAVEL_SANITIZER_FLAGS})
endif()
