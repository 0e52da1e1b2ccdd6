# The codec's kernels: the plain forms define every result; packed variants
# are added beside them, one file per kernel family and instruction set.
target_sources(halvora_jpeg_objects PRIVATE
  kernels/kernel_table.cpp
  kernels/constant_tables.cpp
  kernels/quant_plain.cpp
  kernels/idct_plain.cpp
  kernels/clip_mcu.cpp
  kernels/color_output_plain.cpp
  kernels/copy_output_plain.cpp
  kernels/color_pass.cpp
  kernels/component_output.cpp
  kernels/smooth_upsampling.cpp
  kernels/dib_convert_plain.cpp
  kernels/fdct_plain.cpp
  kernels/huffman_encode_plain.cpp
)

# The packed-arithmetic (SSE2) variants exist for x86 and x86-64 targets only;
# elsewhere the plain set is complete on its own. x86-64 always has SSE2; a
# 32-bit x86 compiler has to be told it may use it in these files.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86|X86)$")
  set(_halvora_sse2_sources kernels/quant_sse2.cpp kernels/idct_sse2.cpp kernels/color_output_sse2.cpp
      kernels/dib_convert_sse2.cpp kernels/fdct_sse2.cpp kernels/huffman_encode_sse2.cpp
      kernels/smooth_upsampling_sse2.cpp)
  target_sources(halvora_jpeg_objects PRIVATE ${_halvora_sse2_sources})
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set_source_files_properties(${_halvora_sse2_sources} PROPERTIES COMPILE_OPTIONS -msse2)
  endif()
  target_compile_definitions(halvora_jpeg_objects PUBLIC HALVORA_JPEG_SSE2)
endif()

# The 256-bit (AVX2) variants are built for x86-64 targets, each file with the
# instructions it may use; the kernel table takes them only where the
# processor has them. A MinGW-w64 compiler keeps the Windows stack 16-byte
# aligned, so the assembler turns the aligned moves of spilled 256-bit
# values into unaligned ones.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$" AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  set(_halvora_avx2_sources
    kernels/quant_avx2.cpp kernels/idct_avx2.cpp kernels/color_output_avx2.cpp kernels/copy_output_avx2.cpp
    kernels/dib_convert_avx2.cpp kernels/fdct_avx2.cpp kernels/color_pass_avx2.cpp)
  target_sources(halvora_jpeg_objects PRIVATE ${_halvora_avx2_sources})
  set(_halvora_avx2_options -mavx2 -mbmi2)
  if(WIN32)
    list(APPEND _halvora_avx2_options -Wa,-muse-unaligned-vector-move)
  endif()
  set_source_files_properties(${_halvora_avx2_sources} PROPERTIES COMPILE_OPTIONS "${_halvora_avx2_options}")
  target_compile_definitions(halvora_jpeg_objects PUBLIC HALVORA_JPEG_AVX2)
endif()
