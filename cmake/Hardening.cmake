# Build everything the way a security-minded distribution does: position-independent
# executables, full RELRO with immediate binding, stack protector, _FORTIFY_SOURCE, and
# control-flow protection where the compiler offers it.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

if(NOT MSVC)
  add_compile_options(-fstack-protector-strong)
  # _FORTIFY_SOURCE only works in optimized builds, and says so in a warning otherwise. Under
  # AddressSanitizer its checks would stand in the way of the sanitizer's own.
  # A level the packager already chose (Fedora and Arch pass -Wp,-D_FORTIFY_SOURCE=3) stands.
  string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
  set(given_flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}} $ENV{CPPFLAGS}")
  if(NOT COUNTDOWN_SANITIZE AND NOT given_flags MATCHES "_FORTIFY_SOURCE")
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  endif()
  check_cxx_compiler_flag(-fcf-protection=full HAVE_CF_PROTECTION)
  if(HAVE_CF_PROTECTION)
    add_compile_options(-fcf-protection=full)
  endif()
  add_link_options(LINKER:-z,relro LINKER:-z,now LINKER:-z,noexecstack)
endif()
