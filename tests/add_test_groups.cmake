# Read by ctest when it starts: adds one test per GoogleTest suite of a test
# executable, named <folder>:<suite>. The cases of a suite share one process;
# starting a process per case cost more than most cases themselves, above all
# under the sanitizers.
function(zt640_add_test_groups executable folder)
  if(NOT EXISTS "${executable}")
    add_test("${folder}:NOT_BUILT" "${folder}_NOT_BUILT")
    return()
  endif()
  execute_process(COMMAND "${executable}" --gtest_list_tests
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    add_test("${folder}:LISTING_FAILED" "${executable}" --gtest_list_tests)
    return()
  endif()
  # Parameter values printed after a case may hold list and bracket characters.
  string(REGEX REPLACE "[][;]" "" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    # A suite line starts in the first column and ends its name with a dot.
    if(line MATCHES "^([^ #][^ ]*)\\.")
      set(suite "${CMAKE_MATCH_1}")
      add_test("${folder}:${suite}" "${executable}" "--gtest_filter=${suite}.*")
      set_tests_properties("${folder}:${suite}" PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZT640_DEBUG=0" TIMEOUT 300)
    endif()
  endforeach()
endfunction()
