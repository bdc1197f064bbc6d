# libFuzzer targets with a ctest run of a fixed number of inputs.
#
#   vdx_add_fuzz_target(<name> TEST <ctest name> ARGS <arguments...>
#                       SOURCES <absolute .cpp paths...> HEADERS <absolute header paths...>)
#
# Built by the project's own compiler when that is clang, else by a clang++ found beside it, as
# long as its libFuzzer runtime links; without one nothing is built and no test is added. Run by
# hand for as long as wanted: <name> -max_total_time=60
set(VDX_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined)

function(vdx_add_fuzz_target name)
    cmake_parse_arguments(FUZZ "" "TEST" "ARGS;SOURCES;HEADERS" ${ARGN})
    set(binary "")
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        add_executable(${name} ${FUZZ_SOURCES})
        target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
        target_compile_options(${name} PRIVATE ${VDX_FUZZ_FLAGS})
        target_link_options(${name} PRIVATE ${VDX_FUZZ_FLAGS})
        set(binary $<TARGET_FILE:${name}>)
    else()
        find_program(VDX_CLANGXX NAMES clang++)
        if(VDX_CLANGXX AND NOT DEFINED VDX_CLANG_FUZZER_WORKS)
            set(probe ${CMAKE_BINARY_DIR}/fuzz_probe.cpp)
            file(WRITE ${probe} "#include <cstddef>\n#include <cstdint>\n"
                "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n")
            execute_process(COMMAND ${VDX_CLANGXX} ${VDX_FUZZ_FLAGS} ${probe}
                                -o ${CMAKE_BINARY_DIR}/fuzz_probe
                            RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
            if(probe_result EQUAL 0)
                set(VDX_CLANG_FUZZER_WORKS ON CACHE INTERNAL "clang++ links libFuzzer targets")
            else()
                set(VDX_CLANG_FUZZER_WORKS OFF CACHE INTERNAL "clang++ links libFuzzer targets")
            endif()
        endif()
        if(VDX_CLANGXX AND VDX_CLANG_FUZZER_WORKS)
            set(binary ${CMAKE_CURRENT_BINARY_DIR}/fuzz/${name})
            # Built outside CMake's compile rules, so the project's warning flags are given here.
            set(warnings -Wall -Wextra)
            if(VDX_WERROR)
                list(APPEND warnings -Werror)
            endif()
            add_custom_command(OUTPUT ${binary}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/fuzz
                COMMAND ${VDX_CLANGXX} -std=c++20 -O1 -g ${warnings} ${VDX_FUZZ_FLAGS}
                        -I${PROJECT_SOURCE_DIR} ${FUZZ_SOURCES} -o ${binary}
                DEPENDS ${FUZZ_SOURCES} ${FUZZ_HEADERS}
                COMMENT "Building the libFuzzer target ${name} with clang++"
                VERBATIM)
            add_custom_target(${name} ALL DEPENDS ${binary})
        endif()
    endif()
    if(binary)
        add_test(NAME ${FUZZ_TEST} COMMAND ${binary} ${FUZZ_ARGS})
    endif()
endfunction()
