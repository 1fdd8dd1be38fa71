# Flags that every target of one build shares.
if(WIN32)
  # Windows XP SP3 is the oldest platform: the headers hide what came later.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
  # The toolchain's own runtime (libgcc, libstdc++, winpthread) is linked in,
  # so the products import system DLLs only.
  add_link_options(-static)
elseif(RERIDU_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(RERIDU_FUZZ)
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The products link the toolchain's win32-thread-model runtime: the posix
# model's winpthread imports GetTickCount64, which Windows XP lacks, and the
# products use no C++ threads (they lock with critical sections). Objects from
# either model share one ABI; test programs keep the posix model for
# std::thread and GoogleTest.
function(reridu_link_xp_runtime target)
  string(REGEX MATCH "^[0-9]+" major ${CMAKE_CXX_COMPILER_VERSION})
  set(runtime /usr/lib/gcc/${RERIDU_MINGW_TRIPLET}/${major}-win32)
  if(NOT EXISTS ${runtime}/libstdc++.a)
    message(FATAL_ERROR "${runtime} is missing: install g++-mingw-w64-*-win32")
  endif()
  target_link_directories(${target} BEFORE PRIVATE ${runtime})
endfunction()

# Ships a product stripped, its symbols kept beside it in FILE.debug, which
# gdb and addr2line find through the file's debug link, so crash addresses
# can still be resolved.
function(reridu_split_debug_info target)
  set(file $<TARGET_FILE_NAME:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()

# Sources with AVX2 code. 64-bit Windows functions get no stack realignment,
# so a 32-byte spill may land on a 16-byte boundary: only unaligned moves may
# touch it (check-binary --unaligned-wide-spills makes sure).
function(reridu_wide_vector_sources)
  if(WIN32)
    set_source_files_properties(${ARGN} DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
      PROPERTIES COMPILE_OPTIONS "-Wa,-muse-unaligned-vector-move")
  endif()
endfunction()
