orv_bench(bench_ui_grid ui_grid.cpp DEPS plugin_view platform_ui)
