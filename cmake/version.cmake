# The version resource of each device file (the panel DLLs and the resource module), from the one
# version number of project(): file and product version, product name and a description.

# The version after this one (the patch number one higher): the same sources built again under it
# give the upgrade that the lifecycle tests install over the shipped build.
math(EXPR nextPatch "${PROJECT_VERSION_PATCH} + 1")
set(KWENO_NEXT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${nextPatch})

# kweno_version_object(OBJECT WINDRES TARGET FILE DESCRIPTION VERSION): compiles the version resource
# of the device file FILE, with the resource compiler WINDRES for its COFF TARGET, into OBJECT.
function(kweno_version_object object windres target file description version)
    string(REPLACE "." ";" parts ${version})
    list(APPEND parts 0 0 0)
    list(SUBLIST parts 0 4 parts)
    list(JOIN parts "," numbers)
    set(script ${object}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${script} @ONLY)
    add_custom_command(
        OUTPUT ${object}
        COMMAND ${windres} --target=${target} -i ${script} -o ${object}
        DEPENDS ${script} ${CMAKE_SOURCE_DIR}/cmake/version.rc.in
        COMMENT "Compiling the version resource of ${file} (${version})"
        VERBATIM)
endfunction()
