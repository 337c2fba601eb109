orv_bench(bench_ui_grid ui_grid.cpp DEPS platform_ui_model)
