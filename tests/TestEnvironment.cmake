# The environment every test runs in, whatever the calling shell and the machine hold: the
# locale, the time zone, the fonts and the screen. NAME=VALUE; an empty VALUE means not set.
# A name that a test's own ENVIRONMENT or ENVIRONMENT_MODIFICATION sets keeps the test's value,
# so a test can run on purpose under another locale or time zone (see SCROLLKIN_SECOND_ENVIRONMENT).
# A test program started by hand applies the same list itself (testenv::Isolate_User_Folders).
set(SCROLLKIN_TEST_FONT_DIR /usr/share/fonts/truetype/liberation2)
set(SCROLLKIN_TEST_FONTS_CONF ${CMAKE_CURRENT_BINARY_DIR}/fonts.conf)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/support/fonts.conf.in ${SCROLLKIN_TEST_FONTS_CONF} @ONLY)
set(SCROLLKIN_TEST_ENVIRONMENT
    LANG=C.UTF-8 LANGUAGE= LC_ALL= LC_CTYPE= LC_NUMERIC= LC_TIME= LC_COLLATE= LC_MONETARY=
    LC_MESSAGES= LC_PAPER= LC_NAME= LC_ADDRESS= LC_TELEPHONE= LC_MEASUREMENT= LC_IDENTIFICATION=
    TZ=UTC
    FONTCONFIG_FILE=${SCROLLKIN_TEST_FONTS_CONF} FONTCONFIG_PATH= FONTCONFIG_SYSROOT=
    QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME= QT_STYLE_OVERRIDE= QT_SCALE_FACTOR=
    QT_SCREEN_SCALE_FACTORS= QT_AUTO_SCREEN_SCALE_FACTOR= QT_ENABLE_HIGHDPI_SCALING=
    QT_SCALE_FACTOR_ROUNDING_POLICY= QT_FONT_DPI= QT_USE_PHYSICAL_DPI=
    SCROLLKIN_HERMETIC=1)
# The second environment: a user's own locale and time zone, with summer time (the test set-up
# generates the locale).
set(SCROLLKIN_SECOND_ENVIRONMENT "LANG=de_DE.UTF-8;TZ=Europe/Berlin")

# The list for a test program started by hand.
set(entries "")
foreach(entry ${SCROLLKIN_TEST_ENVIRONMENT})
    string(APPEND entries "    \"${entry}\",\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/TestEnvironment.inc
    CONTENT "// Made by tests/TestEnvironment.cmake.\n${entries}")

# Applies the list to every test of the calling directory at its end, after every
# set_tests_properties there.
function(scrollkin_hermetic_tests)
    get_property(tests DIRECTORY PROPERTY TESTS)
    foreach(test ${tests})
        set(own)
        foreach(property ENVIRONMENT ENVIRONMENT_MODIFICATION)
            get_test_property(${test} ${property} settings)
            if(settings)
                foreach(setting ${settings})
                    string(REGEX REPLACE "=.*" "" name "${setting}")
                    list(APPEND own "${name}")
                endforeach()
            endif()
        endforeach()
        set(changes)
        foreach(entry ${SCROLLKIN_TEST_ENVIRONMENT})
            string(REGEX REPLACE "=.*" "" name "${entry}")
            string(REGEX REPLACE "^[^=]*=" "" value "${entry}")
            if(name IN_LIST own)
                continue()
            elseif(value STREQUAL "")
                list(APPEND changes "${name}=unset:")
            else()
                list(APPEND changes "${name}=set:${value}")
            endif()
        endforeach()
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT_MODIFICATION ${changes})
    endforeach()
endfunction()

# Once per directory that registers tests.
function(scrollkin_hermetic_directory)
    get_property(deferred DIRECTORY PROPERTY SCROLLKIN_HERMETIC_DEFERRED)
    if(NOT deferred)
        set_property(DIRECTORY PROPERTY SCROLLKIN_HERMETIC_DEFERRED ON)
        cmake_language(DEFER CALL scrollkin_hermetic_tests)
    endif()
endfunction()
