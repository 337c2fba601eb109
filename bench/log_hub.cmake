orv_bench(bench_log_hub log_hub.cpp DEPS host_core)
