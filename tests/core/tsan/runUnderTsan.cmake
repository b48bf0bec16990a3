# Configures and builds a load test (TARGET, the connection-client one by default) with
# ThreadSanitizer in a tree of its own, then runs it; any race report fails the test.
foreach(var SOURCE_DIR TSAN_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
if(NOT DEFINED TARGET)
  set(TARGET test_client_concurrency)
endif()

if(NOT EXISTS ${TSAN_DIR}/build.ninja)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${TSAN_DIR} -G Ninja -DCMAKE_BUILD_TYPE=Debug
            "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1"
            -DPARLAVOX_TSAN=ON -DPARLAVOX_SANITIZE=OFF -DPARLAVOX_BENCH=OFF
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "configuring the ThreadSanitizer tree failed")
  endif()
endif()
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${TSAN_DIR} --target ${TARGET} -j ${cores}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the ThreadSanitizer test failed")
endif()
set(ENV{TSAN_OPTIONS} "halt_on_error=1:second_deadlock_stack=1")
execute_process(COMMAND ${TSAN_DIR}/tests/core/${TARGET} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the load test failed under ThreadSanitizer (${rc})")
endif()
