orv_bench(bench_exchange_ticker exchange_ticker.cpp DEPS plugin_brokers test_peers)
if(TARGET bench_exchange_ticker)
  target_compile_definitions(bench_exchange_ticker PRIVATE
    ORV_BINARY_DIR="${CMAKE_BINARY_DIR}" ORV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
