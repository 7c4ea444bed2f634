# cmake -DOBJCOPY=.. -DREADELF=.. -DINPUT=lib -DOUTPUT=stripped -DDEBUG_DIR=dir -P strip_packaged.cmake
# Writes OUTPUT as INPUT without debug information and symbols it does not
# export, and keeps the debug information in DEBUG_DIR/.build-id/xx/yyyy.debug
# (the layout gdb looks for), linked from OUTPUT by a debug link.
execute_process(COMMAND ${READELF} -n ${INPUT} OUTPUT_VARIABLE notes COMMAND_ERROR_IS_FATAL ANY)
if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "${INPUT} has no build id")
endif()
set(debug_file ${DEBUG_DIR}/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
get_filename_component(debug_folder ${debug_file} DIRECTORY)
get_filename_component(output_folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${debug_folder} ${output_folder})
execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${INPUT} ${debug_file}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${OBJCOPY} --strip-unneeded --add-gnu-debuglink=${debug_file}
                        ${INPUT} ${OUTPUT}.tmp
                COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
