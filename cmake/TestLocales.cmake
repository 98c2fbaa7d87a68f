# The locales that tests and benchmarks run under, compiled into the build folder from Debian's
# locale sources (package locales), so that nothing depends on which locales the system has
# generated. A program reads them through LOCPATH, which glibc searches before the system's own
# folder.
include_guard(GLOBAL)
set(TEST_LOCALE_DIR ${CMAKE_BINARY_DIR}/locales CACHE INTERNAL "The compiled locales")
find_program(LOCALEDEF localedef REQUIRED)

# A target that compiles the UTF-8 form of each locale named after `target` into TEST_LOCALE_DIR;
# built by default when the second argument is ALL.
function(compile_locales target all)
  set(outputs)
  foreach(locale ${ARGN})
    set(out ${TEST_LOCALE_DIR}/${locale}.UTF-8)
    # -c: a locale source's warnings (such as a missing LC_IDENTIFICATION field) do not count.
    add_custom_command(OUTPUT ${out}/LC_CTYPE
                       COMMAND ${LOCALEDEF} -c -i ${locale} -f UTF-8 ${out} || test -f ${out}/LC_CTYPE
                       COMMENT "Compiling the ${locale}.UTF-8 locale" VERBATIM)
    list(APPEND outputs ${out}/LC_CTYPE)
  endforeach()
  if(all STREQUAL "ALL")
    add_custom_target(${target} ALL DEPENDS ${outputs})
  else()
    add_custom_target(${target} DEPENDS ${outputs})
  endif()
endfunction()

set(TEST_LOCALES ja_JP ru_RU en_US CACHE INTERNAL "The locales the tests run under")
compile_locales(test_locales ALL ${TEST_LOCALES})
