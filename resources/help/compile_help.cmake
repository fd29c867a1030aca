# Compiles the help pages into Help.chm. The build runs it as
#   cmake -DCHMCMD=<chmcmd> -DSOURCE_DIR=<these pages> -DASSETS_DIR=<assets>
#         -DWORK_DIR=<scratch folder> -DOUTPUT=<Help.chm> -P compile_help.cmake
# The compiler's chatter is shown only when it fails or warns, so builds stay quiet.

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/images)
file(GLOB pages ${SOURCE_DIR}/*.htm ${SOURCE_DIR}/*.css ${SOURCE_DIR}/*.hhp
     ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk)
file(COPY ${pages} DESTINATION ${WORK_DIR})

# The pages show the program's own icon and buttons.
foreach(pair "icon/icon48.png=tintavale.png" "bitmaps/141.bmp=more_pictures.bmp"
             "design/pFunc0.bmp=quit.bmp"
             # Save and print as they look once a picture is open.
             "design/pE0.bmp=save.bmp" "design/pE1.bmp=print.bmp"
             "design/pFunc3.bmp=about.bmp"
             "design/pFunc4.bmp=settings.bmp")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  file(COPY_FILE ${ASSETS_DIR}/${from} ${WORK_DIR}/images/${to})
endforeach()

execute_process(COMMAND ${CHMCMD} --verbosity 1 Help.hhp
  WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK_DIR}/Help.chm)
  message(FATAL_ERROR "chmcmd could not compile the help file:\n${out}${err}")
endif()
# A warning means a page names a file that is not there: a broken link or picture.
if("${out}${err}" MATCHES "Warning|Error")
  message(FATAL_ERROR "chmcmd found faults in the help pages:\n${out}${err}")
endif()
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(COPY_FILE ${WORK_DIR}/Help.chm ${OUTPUT})
