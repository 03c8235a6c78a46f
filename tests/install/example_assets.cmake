# The example project (examples/assets) configured and built against this
# build tree's tobrin through find_package(Tobrin): its pictures made by
# tobrin_add_assets(), compiled in, and the program drawing the ship frame
# 0 of its manifest's first picture. A copy is built, so the source tree
# stays clean.
file(REMOVE_RECURSE ${WORK})
file(COPY ${EXAMPLE}/ DESTINATION ${WORK}/src)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK}/src -B ${WORK}/build -G Ninja -DTobrin_DIR=${TOBRIN_DIR}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the example does not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the example does not build")
endif()
execute_process(COMMAND ${WORK}/build/assets_example OUTPUT_VARIABLE drawn RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT drawn MATCHES "^...##...\n..####..\n.######.\n##.##.##\n########\n..#..#..\n.#.##.#.\n#.#..#.#\n")
  message(FATAL_ERROR "the example draws:\n${drawn}")
endif()
# A changed source is rebuilt by the next build.
file(WRITE ${WORK}/src/art/ship.db ".db  8, 8\r\n.db $ff\r\n.db $0\r\n.db $0\r\n.db $0\r\n.db $0\r\n.db $0\r\n.db $0\r\n.db $ff\r\n")
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build RESULT_VARIABLE status)
execute_process(COMMAND ${WORK}/build/assets_example OUTPUT_VARIABLE drawn)
if(NOT drawn MATCHES "^########\n\\.\\.\\.\\.\\.\\.\\.\\.\n")
  message(FATAL_ERROR "the changed ship is not rebuilt:\n${drawn}")
endif()
