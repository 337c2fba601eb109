orv_bench(bench_startup startup.cpp DEPS e2e_road)
if(TARGET bench_startup)
  target_compile_definitions(bench_startup PRIVATE ORV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORV_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_dependencies(bench_startup Pelomar)
endif()
