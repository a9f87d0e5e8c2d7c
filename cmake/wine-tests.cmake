# A CTest test per Python unittest module test_<name>.py of the calling folder, run under Wine
# (tools/winenv). Every Wine test shares one prefix, so none runs at the same time as another.
#   add_wine_tests(LABEL label NAMES name... TIMEOUT seconds [ENVIRONMENT "VAR=value;..."])
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(add_wine_tests)
    cmake_parse_arguments(WINE "" "LABEL;TIMEOUT;ENVIRONMENT" "NAMES" ${ARGN})
    foreach(name IN LISTS WINE_NAMES)
        add_test(NAME ${WINE_LABEL}.${name}
                 COMMAND ${Python3_EXECUTABLE} -m unittest -v test_${name}
                 WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
        set_tests_properties(${WINE_LABEL}.${name} PROPERTIES
            LABELS ${WINE_LABEL}
            RESOURCE_LOCK wine
            TIMEOUT ${WINE_TIMEOUT}
            ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1;${WINE_ENVIRONMENT}")
    endforeach()
endfunction()
