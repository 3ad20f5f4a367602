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
    # The graphics card's backend in gpu\, where the program loads it from
    # once a check in a process of its own has found the card usable.
    option(VORNIKA_GPU_BACKEND "put ggml's Vulkan backend into bin/gpu" ON)
    if(VORNIKA_GPU_BACKEND)
        execute_process(
            COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-whisper win64-vulkan
            OUTPUT_VARIABLE vulkan_root
            OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE vulkan_result)
        if(NOT vulkan_result EQUAL 0 OR NOT EXISTS "${vulkan_root}/bin/ggml-vulkan.dll")
            message(FATAL_ERROR "building ggml's Vulkan backend failed")
        endif()
        file(COPY ${vulkan_root}/bin/ggml-vulkan.dll DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/gpu)
    endif()
else()
    find_package(Threads REQUIRED)
    target_link_libraries(vornika_whisper INTERFACE
        ${whisper_lib}/libwhisper.a ${whisper_lib}/libggml.a ${whisper_lib}/libggml-cpu.a
        ${whisper_lib}/libggml-base.a Threads::Threads ${CMAKE_DL_LIBS} m)
endif()
