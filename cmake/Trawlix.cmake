# Build helpers shared by every folder of the tree.

set(TRAWLIX_WITH_QT OFF)
if(TRAWLIX_MODE STREQUAL "app")
    set(TRAWLIX_WITH_QT ON)
endif()

# The program directory: both programs live here side by side, as installed.
set(TRAWLIX_PROGRAM_DIR ${CMAKE_BINARY_DIR}/bin)

if(TRAWLIX_MODE STREQUAL "fuzz")
    set(TRAWLIX_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                               -fno-omit-frame-pointer)
    add_compile_options(${TRAWLIX_SANITIZE_FLAGS} -fsanitize=fuzzer-no-link)
    add_link_options(${TRAWLIX_SANITIZE_FLAGS})
elseif(TRAWLIX_MODE STREQUAL "tsan")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

function(trawlix_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# trawlix_library(NAME DIR <dir> [LINKS <targets...>])
# A static library of every .cpp directly in <dir>; headers are included as "folder/File.h".
function(trawlix_library name)
    cmake_parse_arguments(A "" "DIR" "LINKS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${A_DIR}/*.cpp)
    if(srcs)
        add_library(${name} STATIC ${srcs})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${A_LINKS} Threads::Threads)
        trawlix_warnings(${name})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${A_LINKS} Threads::Threads)
    endif()
endfunction()

# trawlix_tests(NAME DIR <dir> [QT] [LINKS <targets...>] [TIMEOUT <s>])
# One GoogleTest binary from every .cpp in <dir>; each test case becomes a ctest test.
# QT marks binaries that need a window system: they are built only in app mode and run
# on the offscreen platform. The binary is given gmock_main unless <dir> has its own main.
function(trawlix_tests name)
    cmake_parse_arguments(A "QT;OWN_MAIN" "DIR;TIMEOUT" "LINKS" ${ARGN})
    if(TRAWLIX_MODE STREQUAL "fuzz")
        return()
    endif()
    if(A_QT AND NOT TRAWLIX_WITH_QT)
        return()
    endif()
    file(GLOB srcs CONFIGURE_DEPENDS ${A_DIR}/*.cpp)
    if(NOT srcs)
        return()
    endif()
    if(NOT A_TIMEOUT)
        set(A_TIMEOUT 120)
    endif()
    add_executable(${name} ${srcs})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(A_OWN_MAIN)
        target_link_libraries(${name} PRIVATE ${A_LINKS} GTest::gmock GTest::gtest)
    else()
        target_link_libraries(${name} PRIVATE ${A_LINKS} GTest::gmock_main)
    endif()
    target_compile_definitions(${name} PRIVATE
        TRAWLIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        TRAWLIX_BINARY_DIR="${CMAKE_BINARY_DIR}"
        TRAWLIX_PROGRAM_DIR="${TRAWLIX_PROGRAM_DIR}")
    trawlix_warnings(${name})
    set(env "QT_QPA_PLATFORM=offscreen")
    if(TRAWLIX_MODE STREQUAL "tsan")
        list(APPEND env "TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1")
    endif()
    # Table cases are named by their index: most rows are structs, whose printed values
    # would be byte dumps in the test list.
    gtest_discover_tests(${name}
        NO_PRETTY_VALUES
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${A_TIMEOUT})
endfunction()

# trawlix_program(NAME SOURCES <files...> [LINKS <targets...>])
# A program of the program directory.
function(trawlix_program name)
    cmake_parse_arguments(A "" "" "SOURCES;LINKS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${A_LINKS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TRAWLIX_PROGRAM_DIR})
    trawlix_warnings(${name})
    install(TARGETS ${name} RUNTIME DESTINATION bin)
endfunction()

# trawlix_fuzzer(NAME SOURCE <file> [LINKS <targets...>] [SEEDS <dir>] [SECONDS <n>])
# A libFuzzer target (fuzz mode only); its short bounded run is a ctest test whose
# corpus growth and crash artefacts stay in the build tree.
function(trawlix_fuzzer name)
    cmake_parse_arguments(A "" "SOURCE;SEEDS;SECONDS" "LINKS" ${ARGN})
    if(NOT TRAWLIX_MODE STREQUAL "fuzz")
        return()
    endif()
    if(NOT A_SECONDS)
        set(A_SECONDS 20)
    endif()
    add_executable(${name} ${A_SOURCE})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${A_LINKS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    trawlix_warnings(${name})
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}.work)
    file(MAKE_DIRECTORY ${work}/corpus ${work}/artifacts)
    set(args -max_total_time=${A_SECONDS} -timeout=10 -rss_limit_mb=2048
             -artifact_prefix=${work}/artifacts/ -print_final_stats=1 ${work}/corpus)
    if(A_SEEDS)
        list(APPEND args ${A_SEEDS})
    endif()
    add_test(NAME fuzz.${name} COMMAND ${name} ${args})
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300)
endfunction()

# trawlix_benchmark(NAME SOURCES <files...> [LINKS <targets...>])
# Built by the test command so it never rots; run by hand, never by ctest.
function(trawlix_benchmark name)
    cmake_parse_arguments(A "" "" "SOURCES;LINKS" ${ARGN})
    if(NOT TRAWLIX_MODE STREQUAL "app")
        return()
    endif()
    add_executable(${name} ${A_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${A_LINKS} benchmark::benchmark)
    target_compile_definitions(${name} PRIVATE TRAWLIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    trawlix_warnings(${name})
endfunction()
