orv_bench(bench_stock_rules stock_rules.cpp DEPS plugin_engine)
