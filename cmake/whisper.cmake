# The whisper library, built once per machine by scripts/build-whisper (cached
# outside the source tree), as the imported target vornika::whisper.
set(VORNIKA_WHISPER_FLAVOUR "" CACHE STRING "whisper build flavour: native, win64 or win64-release")
if(NOT VORNIKA_WHISPER_FLAVOUR)
    if(WIN32)
        set(VORNIKA_WHISPER_FLAVOUR win64)
    else()
        set(VORNIKA_WHISPER_FLAVOUR native)
    endif()
endif()

execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-whisper ${VORNIKA_WHISPER_FLAVOUR}
    OUTPUT_VARIABLE VORNIKA_WHISPER_ROOT
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE whisper_result)
if(NOT whisper_result EQUAL 0 OR NOT EXISTS "${VORNIKA_WHISPER_ROOT}/.complete")
    message(FATAL_ERROR "building the whisper library (${VORNIKA_WHISPER_FLAVOUR}) failed")
endif()
message(STATUS "whisper library: ${VORNIKA_WHISPER_ROOT}")
# The pinned source tree scripts/build-whisper fetched: a few of its example
# sources (the quantizer) are compiled into our tools.
set(VORNIKA_WHISPER_SOURCE ${CMAKE_SOURCE_DIR}/third_party/whisper.cpp)

add_library(vornika_whisper INTERFACE)
add_library(vornika::whisper ALIAS vornika_whisper)
target_include_directories(vornika_whisper SYSTEM INTERFACE ${VORNIKA_WHISPER_ROOT}/include)
set(whisper_lib ${VORNIKA_WHISPER_ROOT}/lib)
if(WIN32)
    target_link_libraries(vornika_whisper INTERFACE
        ${whisper_lib}/libwhisper.dll.a ${whisper_lib}/libggml.dll.a ${whisper_lib}/libggml-base.dll.a)
    # ggml_backend_load_all finds the CPU backend beside the executable.
    file(GLOB VORNIKA_WHISPER_DLLS ${VORNIKA_WHISPER_ROOT}/bin/*.dll)
    file(COPY ${VORNIKA_WHISPER_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
else()
    find_package(Threads REQUIRED)
    target_link_libraries(vornika_whisper INTERFACE
        ${whisper_lib}/libwhisper.a ${whisper_lib}/libggml.a ${whisper_lib}/libggml-cpu.a
        ${whisper_lib}/libggml-base.a Threads::Threads ${CMAKE_DL_LIBS} m)
endif()
