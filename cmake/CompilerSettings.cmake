# Numeric code must round exactly as written: no contraction into fused
# multiply-adds, no reassociation.  -ffast-math is never used anywhere.
add_compile_options(-Wall -Wextra -Wpedantic -ffp-contract=off)

# 32-bit x86 must compute in SSE2 doubles, never in x87 extended registers.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(ONDAVEL_SANITIZE)
  set(ONDAVEL_SANITIZER_FLAGS
      -fsanitize=address,undefined,float-cast-overflow
      -fno-sanitize-recover=all -fno-sanitize=vptr -fno-omit-frame-pointer)
  add_compile_options(${ONDAVEL_SANITIZER_FLAGS})
  add_link_options(${ONDAVEL_SANITIZER_FLAGS})
endif()
