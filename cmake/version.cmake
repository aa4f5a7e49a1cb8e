# The version resource of each device file (the panel DLLs and the resource module), from the one
# version number of project(): file and product version, product name and a description.

# The version after this one (the patch number one higher): the same sources built again under it
# give the upgrade that the lifecycle tests install over the shipped build.
math(EXPR nextPatch "${PROJECT_VERSION_PATCH} + 1")
set(KWENO_NEXT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${nextPatch})

# What the resource module's version resource says it is.
set(KWENO_RESOURCES_DESCRIPTION "${PROJECT_NAME} pictures, shared by every variant")

# kweno_version_script(SCRIPT FILE DESCRIPTION VERSION): writes the resource script of the version
# resource of the device file FILE.
function(kweno_version_script script file description version)
    string(REPLACE "." ";" parts ${version})
    list(APPEND parts 0 0 0)
    list(SUBLIST parts 0 4 parts)
    list(JOIN parts "," numbers)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${script} @ONLY)
endfunction()

# kweno_version_object(OBJECT WINDRES TARGET FILE DESCRIPTION VERSION): the same, compiled with the
# resource compiler WINDRES for its COFF TARGET into OBJECT.
function(kweno_version_object object windres target file description version)
    kweno_version_script(${object}.rc ${file} "${description}" ${version})
    add_custom_command(
        OUTPUT ${object}
        COMMAND ${windres} --target=${target} -i ${object}.rc -o ${object}
        DEPENDS ${object}.rc ${CMAKE_SOURCE_DIR}/cmake/version.rc.in
        COMMENT "Compiling the version resource of ${file} (${version})"
        VERBATIM)
endfunction()
