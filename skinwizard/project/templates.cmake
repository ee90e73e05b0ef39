# Embeds the skin project's templates (skinwizard/templates/*) into tsl_skinwizard: every file
# becomes a byte array of a generated .cc, named by its resource name (the file name in upper
# case), so the wizard carries its templates as the module carried its TEMPLATE resources.
set(TSL_SKIN_TEMPLATE_DIR ${CMAKE_CURRENT_LIST_DIR}/../templates)
set(TSL_SKIN_TEMPLATES)
foreach(name confirm.inf myskin.cpp myskin.h newproj.inf preview.bmp readme.txt resource.h
             root.clw root.cpp root.def root.h root.rc root.rc2 stdafx.cpp stdafx.h)
  list(APPEND TSL_SKIN_TEMPLATES ${TSL_SKIN_TEMPLATE_DIR}/${name})
endforeach()
set(TSL_SKIN_TEMPLATES_CC ${CMAKE_CURRENT_BINARY_DIR}/embedded_templates.cc)
add_custom_command(
  OUTPUT ${TSL_SKIN_TEMPLATES_CC}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${TSL_SKIN_TEMPLATES_CC} "-DINPUTS=${TSL_SKIN_TEMPLATES}"
          -P ${CMAKE_CURRENT_LIST_DIR}/embed_templates.cmake
  DEPENDS ${TSL_SKIN_TEMPLATES} ${CMAKE_CURRENT_LIST_DIR}/embed_templates.cmake
  COMMENT "Embedding the skin project templates"
  VERBATIM)
target_sources(tsl_skinwizard PRIVATE ${TSL_SKIN_TEMPLATES_CC})
