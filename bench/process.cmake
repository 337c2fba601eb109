orv_bench(bench_process process.cpp DEPS e2e_road)
if(TARGET bench_process)
  target_compile_definitions(bench_process PRIVATE ORV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORV_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_dependencies(bench_process Pelomar orvella)
endif()
