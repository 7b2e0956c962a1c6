# The window shot at 2x against the one at 1x: twice the size, the same picture, and detail of its own.
# cmake -DSHOT=window-shot -DCOMPARE=shot-compare -DOUT=folder -P CheckScale.cmake
foreach(scale 1 2)
    file(MAKE_DIRECTORY ${OUT}/${scale}x)
    execute_process(COMMAND ${SHOT} --defaults --scale ${scale} --out ${OUT}/${scale}x
                    RESULT_VARIABLE failed OUTPUT_QUIET)
    if(failed)
        message(FATAL_ERROR "window-shot --scale ${scale} failed")
    endif()
endforeach()
foreach(shot main-window main-window-panel0 main-window-panel1 main-window-panel2)
    execute_process(COMMAND ${COMPARE} ${OUT}/1x/${shot}.png ${OUT}/2x/${shot}.png
                            --max-mad 6 --min-energy-ratio 1.5
                    RESULT_VARIABLE failed OUTPUT_VARIABLE figures)
    string(REPLACE "\n" ", " figures "${figures}")
    message(STATUS "${shot}: ${figures}")
    if(failed)
        message(FATAL_ERROR "${shot} at 2x misses its goals")
    endif()
endforeach()
