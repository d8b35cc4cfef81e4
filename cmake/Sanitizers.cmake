# COUNTDOWN_SANITIZE builds the program and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer; any finding stops the process with an error.
if(COUNTDOWN_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "COUNTDOWN_SANITIZE needs GCC or Clang")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Runtime options for the tests. The faked clock's library is preloaded ahead of the
  # sanitizer's runtime; the allocator must not read the clock, since libfaketime allocates
  # when it is asked the time; and leaks inside system libraries are not ours to mend.
  set(COUNTDOWN_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0:allocator_release_to_os_interval_ms=-1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()
