# The code the fuzz targets share, for the libFuzzer build (fuzz/) and for replaying the seeds in the
# ordinary test suite (tests/hardening/). Included from both; defined once.
set(KORVA_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
# Every target: fuzz_<name>.cpp, its seeds in corpus/<name>/, and the libraries it needs.
set(KORVA_FUZZ_TARGETS preset_import ini_file receive usb_reports ctl_args eq_readers korvad_request)
set(KORVA_FUZZ_LIBS_preset_import korva_model)
set(KORVA_FUZZ_LIBS_ini_file korva_model)
set(KORVA_FUZZ_LIBS_receive korva_fuzz_link)
set(KORVA_FUZZ_LIBS_usb_reports korva_fuzz_link)
set(KORVA_FUZZ_LIBS_ctl_args korva_ctl_core)
set(KORVA_FUZZ_LIBS_eq_readers korva_eq_fit)
set(KORVA_FUZZ_LIBS_korvad_request korva_korvad)

if(TARGET korva_fuzz_support)
    return()
endif()

add_library(korva_fuzz_support STATIC ${KORVA_FUZZ_DIR}/FuzzSupport.cpp ${KORVA_FUZZ_DIR}/FuzzSupport.h
                                      ${KORVA_FUZZ_DIR}/FuzzInput.h)
target_include_directories(korva_fuzz_support PUBLIC ${KORVA_FUZZ_DIR})
target_link_libraries(korva_fuzz_support PUBLIC Qt6::Core)
korva_warnings(korva_fuzz_support)

# The link targets use the test world's recording fakes of the main window and the message boxes.
add_library(korva_fuzz_link STATIC ${KORVA_FUZZ_DIR}/LinkFuzzWorld.cpp ${KORVA_FUZZ_DIR}/LinkFuzzWorld.h)
target_include_directories(korva_fuzz_link PUBLIC ${PROJECT_SOURCE_DIR}/tests/link)
target_link_libraries(korva_fuzz_link PUBLIC korva_fuzz_support korva_link korva_sim)
korva_warnings(korva_fuzz_link)
