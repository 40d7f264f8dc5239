# Adds every immediate sub-folder of DIR that carries a CMakeLists.txt, in name order,
# so that a new library or test folder joins the build without editing its parent.
function(cx_add_subdirectories DIR)
    file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS "${DIR}/*")
    list(SORT children)
    foreach(child IN LISTS children)
        if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
            add_subdirectory("${child}")
        endif()
    endforeach()
endfunction()

# Collects the C++ sources below DIR (recursively).
function(cx_collect_sources OUT DIR)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${DIR}/*.cpp" "${DIR}/*.h")
    set(${OUT} ${found} PARENT_SCOPE)
endfunction()

# Writes a .qrc file that lists FILES under their paths relative to BASE
# (source/ui/qml/main.qml becomes qrc:/ui/qml/main.qml).
function(cx_generate_qrc OUT_QRC BASE)
    set(content "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n")
    foreach(f IN LISTS ARGN)
        file(RELATIVE_PATH rel "${BASE}" "${f}")
        string(APPEND content "    <file alias=\"${rel}\">${f}</file>\n")
    endforeach()
    string(APPEND content "</qresource>\n</RCC>\n")
    file(CONFIGURE OUTPUT "${OUT_QRC}" CONTENT "${content}" @ONLY)
endfunction()

# One Qt Test executable, registered with CTest and run in its own temporary HOME.
#   cx_add_qt_test(tst_CName SOURCES a.cpp LIBRARIES Tovrin::Logging [RESOURCES x.qrc] [TIMEOUT 120] [LABELS slow])
function(cx_add_qt_test NAME)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBRARIES;RESOURCES;LABELS;ENVIRONMENT" ${ARGN})
    # Feature libraries reach each other (the application object, the UI engine), and their
    # merged meta-object code pulls those references in: a test of any feature links the
    # whole application library group.
    set(libraries "")
    set(needs_app FALSE)
    foreach(lib IN LISTS T_LIBRARIES)
        if(lib MATCHES "^cx_")
            set(needs_app TRUE)
        else()
            list(APPEND libraries ${lib})
        endif()
    endforeach()
    if(needs_app)
        list(APPEND libraries culvertix_app)
    endif()
    add_executable(${NAME} ${T_SOURCES} ${T_RESOURCES})
    target_link_libraries(${NAME} PRIVATE Qt5::Test ${libraries})
    # tests/ is on the include path: "fakes/...", "peers/..." and "support/QuickScreenDriver.h".
    target_include_directories(${NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    # The tests' own code is built unoptimised in the sanitizer build: optimising it took about
    # twice as long and most of the suite's build time on two cores, while the product code it
    # drives (its libraries) keeps the build type's flags.
    if(CX_SANITIZE)
        target_compile_options(${NAME} PRIVATE -O0)
    endif()
    target_compile_definitions(${NAME} PRIVATE
        CX_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
        CX_SOURCE_ROOT="${CMAKE_SOURCE_DIR}"
        CX_BINARY_ROOT="${CMAKE_BINARY_DIR}")
    add_test(NAME ${NAME}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/run-isolated.sh $<TARGET_FILE:${NAME}>)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_ENVIRONMENT)
        set_tests_properties(${NAME} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
    endif()
endfunction()

# A libFuzzer target (clang only); scripts/test.sh builds them in a separate clang build and
# runs each for a bounded time with the corpus folder beside its source, if any.
#   cx_add_fuzzer(fuzz_ProjectXml SOURCES fuzz_ProjectXml.cpp LIBRARIES cx_surveyprojects)
function(cx_add_fuzzer NAME)
    cmake_parse_arguments(F "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${NAME} ${F_SOURCES})
    target_compile_options(${NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${NAME} PRIVATE ${F_LIBRARIES})
    set_property(GLOBAL APPEND PROPERTY CX_FUZZERS ${NAME})
endfunction()
