#pragma once
// A device-independent bitmap read from BMP data (a file or one of the program's bitmap
// resources): the header block, the colour table and the rows as stored, bottom-up or
// top-down. It draws nothing itself; the saver window turns it into the toolkit's image.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

// A BMP that cannot be read; what() is the loader's error text.
class CDIBitmapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The colour table of a bitmap of 8 bits per pixel or fewer.
class CBmpPalette {
 public:
  explicit CBmpPalette(std::vector<COLORREF> colours) : colours_(std::move(colours)) {}
  const std::vector<COLORREF>& Colours() const { return colours_; }

 private:
  std::vector<COLORREF> colours_;
};

class CDIBitmap {
 public:
  CDIBitmap() = default;
  virtual ~CDIBitmap() = default;

  // Replace the contents with the BMP in data (a whole file). Throws CDIBitmapError with
  // "Error:Unexpected file type, not a DIB\n", "Error:OS2 PM BMP Format not supported\n" or
  // "could not allocate data storage\n" (the rows are missing or cut short).
  void LoadFromMemory(const std::vector<uint8_t>& data);
  // Reads the file at path; a file that cannot be opened throws "could not open file\n".
  void Load(const std::string& path);
  // One of the program's bitmap resources (1343 sparkles, 2002 logo); false when none.
  bool LoadResource(uint32_t id);
  // Writes the bitmap as a BMP file; false when the file cannot be written.
  bool Save(const std::string& path) const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  // Colour-table entries (0 above 8 bits per pixel).
  int NumColors() const;
  const CBmpPalette* Palette() const { return palette_.get(); }
  bool IsEmpty() const { return width_ == 0 || height_ == 0; }
  // Bytes per stored row: bits x width rounded up to 32 bits.
  static int RowBytes(int width, int bitsPerPixel);

  // The colour at (x, y), counted from the top-left corner; x and y must be inside.
  COLORREF PixelAt(int x, int y) const;
  // Red, green, blue bytes of the rectangle (x, y, w, h), row by row from the top.
  std::vector<uint8_t> ToRgb(int x, int y, int w, int h) const;

 private:
  std::vector<uint8_t> header_;  // the 40-byte info header
  std::vector<uint8_t> bits_;
  std::unique_ptr<CBmpPalette> palette_;
  std::vector<COLORREF> colourTable_;
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 0;
  bool topDown_ = false;
  uint32_t redMask_ = 0, greenMask_ = 0, blueMask_ = 0;
};
