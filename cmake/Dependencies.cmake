# Every outside library the project links, found once and exposed as imported targets.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(wxWidgets REQUIRED COMPONENTS webview propgrid ribbon aui html adv xml core base)

# wxWidgets as one interface target so that only the folders that draw windows see its flags.
add_library(orv_wx INTERFACE)
target_include_directories(orv_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(orv_wx INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(orv_wx INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(orv_wx INTERFACE ${wxWidgets_LIBRARIES})
# The toolkit draws through cairo: the grids ask its clip which cells a paint really needs.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)

# RapidJSON, asio and websocketpp are header-only.
add_library(orv_rapidjson INTERFACE)
add_library(orv_websocket INTERFACE)
target_compile_definitions(orv_websocket INTERFACE ASIO_STANDALONE _WEBSOCKETPP_CPP11_STL_)
target_link_libraries(orv_websocket INTERFACE OpenSSL::SSL OpenSSL::Crypto Threads::Threads)

pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(FREEXL REQUIRED IMPORTED_TARGET freexl)
find_library(TINYXML_LIBRARY tinyxml REQUIRED)
add_library(orv_tinyxml INTERFACE)
target_link_libraries(orv_tinyxml INTERFACE ${TINYXML_LIBRARY})
target_compile_definitions(orv_tinyxml INTERFACE TIXML_USE_STL)

find_package(GTest REQUIRED)
find_package(benchmark QUIET)
include(GoogleTest)
