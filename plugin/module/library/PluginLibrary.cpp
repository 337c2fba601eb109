// The plug-in library itself: its exports are the extern "C" ZIRO_ functions of the
// module folder, pulled in whole from plugin_module so that none is dropped at link time.
