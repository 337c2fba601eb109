#pragma once
// Pictures of a window: the window's screen area captured into a bitmap file, and a caption
// drawn onto a picture before it is saved as PNG.

#include <string>

class wxWindow;

// Captures what the screen shows of `window` (its whole frame area) into a BMP file. Answers
// non-zero on success; 0 for a null or hidden window or when the file cannot be written.
int GfxCaptureScreenToBmpFile(wxWindow* window, const std::string& bmpPath);

// What CaptionPictureToPng reports.
enum class PictureResult { kOk, kLoadFailed, kSaveFailed };

// Loads the bitmap at `bmpPath`, draws `caption` at (image width - 310, at least 0; 70) in
// "Times New Roman" of size 20, text colour `text` on background `back` (COLORREF 0x00BBGGRR),
// and saves it as PNG at `pngPath`.
PictureResult CaptionPictureToPng(const std::string& bmpPath, const std::string& pngPath,
                                  const std::wstring& caption, unsigned text, unsigned back);
// The x at which the caption starts on a picture `width` pixels wide.
int CaptionLeft(int width);
