orv_bench(bench_quote_apply quote_apply.cpp DEPS plugin_engine)
