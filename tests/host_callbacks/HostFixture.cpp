// The started host of the frame tests, built into this test program as well.
#include "tests/host_frame/FrameFixture.cpp"  // NOLINT(bugprone-suspicious-include)
