# Windows resources of the programs: the application icon the sample generator draws, version
# information and the application manifest, compiled by windres into each program.
enable_language(RC)

function(corvenda_windows_resources target description)
    set(program_name ${target})
    set(program_description "${description}")
    set(program_icon ${CORVENDA_BIN_DIR}/corvenda.ico)
    set(program_manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    set(program_version4 ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
    string(REPLACE "." "," program_version_commas ${program_version4})
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/program.manifest.in ${program_manifest} @ONLY)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/program.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES
        OBJECT_DEPENDS "${program_icon};${program_manifest}")
    # The icon is drawn during the build.
    add_dependencies(${target} corvenda_samples)
endfunction()

corvenda_windows_resources(corvenda "Corvenda")
corvenda_windows_resources(nconvert "Corvenda command-line converter")

if(CORVENDA_TESTS)
    string(REPLACE "." ", " version_commas "${PROJECT_VERSION}.0")
    add_test(NAME windows_resources COMMAND ${CMAKE_COMMAND} -DRC=${CMAKE_RC_COMPILER}
        -DVERSION=${PROJECT_VERSION} "-DVERSION_COMMAS=${version_commas}"
        "-DPROGRAMS=$<TARGET_FILE:corvenda>;$<TARGET_FILE:nconvert>"
        -P ${PROJECT_SOURCE_DIR}/tests/windows/resources_test.cmake)
endif()
