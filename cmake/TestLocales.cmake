# The locales that tests run under, compiled into the build folder from Debian's locale sources
# (package locales), so that no test depends on which locales the system has generated. A test
# reads them through LOCPATH, which glibc searches before the system's own folder.
set(TEST_LOCALE_DIR ${CMAKE_BINARY_DIR}/locales)
set(TEST_LOCALES ja_JP ru_RU en_US)

find_program(LOCALEDEF localedef REQUIRED)
set(locale_outputs)
foreach(locale ${TEST_LOCALES})
  set(out ${TEST_LOCALE_DIR}/${locale}.UTF-8)
  # -c: a locale source's warnings (such as a missing LC_IDENTIFICATION field) do not count.
  add_custom_command(OUTPUT ${out}/LC_CTYPE
                     COMMAND ${LOCALEDEF} -c -i ${locale} -f UTF-8 ${out} || test -f ${out}/LC_CTYPE
                     COMMENT "Compiling the ${locale}.UTF-8 locale for the tests" VERBATIM)
  list(APPEND locale_outputs ${out}/LC_CTYPE)
endforeach()
add_custom_target(test_locales ALL DEPENDS ${locale_outputs})
