#include "host/saver/DIBitmap.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kMaxColourTableBytes = 1024;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;

// Scales a masked channel to 0..255.
uint8_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const uint32_t max = mask >> shift;
  return static_cast<uint8_t>(((value & mask) >> shift) * 255 / max);
}

// The program's bitmap resources, compiled in from host/saver/bitmaps.
const uint8_t kSparkles[] = {
#include "saver/bitmap_1343.inc"
};
const uint8_t kLogo[] = {
#include "saver/bitmap_2002.inc"
};

}  // namespace

int CDIBitmap::RowBytes(int width, int bitsPerPixel) {
  return static_cast<int>(((static_cast<int64_t>(width) * bitsPerPixel + 31) / 32) * 4);
}

int CDIBitmap::NumColors() const { return static_cast<int>(colourTable_.size()); }

void CDIBitmap::LoadFromMemory(const std::vector<uint8_t>& data) {
  if (data.size() < kFileHeaderSize || data[0] != 'B' || data[1] != 'M') {
    throw CDIBitmapError("Error:Unexpected file type, not a DIB\n");
  }
  const uint32_t bitsOffset = U32(&data[10]);
  if (data.size() < kFileHeaderSize + 4 || U32(&data[kFileHeaderSize]) != kInfoHeaderSize ||
      data.size() < kFileHeaderSize + kInfoHeaderSize) {
    throw CDIBitmapError("Error:OS2 PM BMP Format not supported\n");
  }
  const uint8_t* info = &data[kFileHeaderSize];
  const int32_t width = static_cast<int32_t>(U32(info + 4));
  const int32_t rawHeight = static_cast<int32_t>(U32(info + 8));
  const uint16_t bpp = U16(info + 14);
  const uint32_t compression = U32(info + 16);
  const uint32_t usedColours = U32(info + 32);
  const bool bppKnown = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN || width > 32768 ||
      std::abs(static_cast<int64_t>(rawHeight)) > 32768 || !bppKnown ||
      !(compression == kRgb || (compression == kBitFields && (bpp == 16 || bpp == 32)))) {
    throw CDIBitmapError("Error:Unsupported BMP layout\n");
  }
  const int height = rawHeight < 0 ? -rawHeight : rawHeight;

  // The colour table follows the info header (up to 1,024 bytes); bit-field masks take the
  // first 12 of them.
  size_t tableStart = kFileHeaderSize + kInfoHeaderSize;
  uint32_t rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
  if (bpp == 32) rMask = 0xFF0000, gMask = 0xFF00, bMask = 0xFF;
  if (compression == kBitFields) {
    if (data.size() < tableStart + 12) throw CDIBitmapError("could not allocate data storage\n");
    rMask = U32(&data[tableStart]);
    gMask = U32(&data[tableStart + 4]);
    bMask = U32(&data[tableStart + 8]);
    tableStart += 12;
  }
  std::vector<COLORREF> table;
  if (bpp <= 8) {
    size_t entries = usedColours != 0 ? usedColours : (size_t{1} << bpp);
    entries = std::min(entries, kMaxColourTableBytes / 4);
    if (data.size() < tableStart + entries * 4) {
      throw CDIBitmapError("could not allocate BITMAPINFO struct\n");
    }
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* e = &data[tableStart + i * 4];
      table.push_back(RGB(e[2], e[1], e[0]));
    }
  }

  const size_t rowBytes = static_cast<size_t>(RowBytes(width, bpp));
  const size_t size = rowBytes * static_cast<size_t>(height);
  if (bitsOffset > data.size() || data.size() - bitsOffset < size) {
    throw CDIBitmapError("could not allocate data storage\n");
  }
  header_.assign(info, info + kInfoHeaderSize);
  bits_.assign(data.begin() + bitsOffset, data.begin() + bitsOffset + size);
  colourTable_ = std::move(table);
  palette_ = bpp <= 8 ? std::make_unique<CBmpPalette>(colourTable_) : nullptr;
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bpp;
  topDown_ = rawHeight < 0;
  redMask_ = rMask;
  greenMask_ = gMask;
  blueMask_ = bMask;
}

void CDIBitmap::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CDIBitmapError("could not open file\n");
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  LoadFromMemory(data);
}

bool CDIBitmap::LoadResource(uint32_t id) {
  const uint8_t* begin = nullptr;
  size_t size = 0;
  if (id == 1343) begin = kSparkles, size = sizeof kSparkles;
  if (id == 2002) begin = kLogo, size = sizeof kLogo;
  if (begin == nullptr) return false;
  try {
    LoadFromMemory(std::vector<uint8_t>(begin, begin + size));
  } catch (const CDIBitmapError&) {
    return false;
  }
  return true;
}

bool CDIBitmap::Save(const std::string& path) const {
  if (IsEmpty()) return false;
  const uint32_t tableBytes = static_cast<uint32_t>(colourTable_.size() * 4);
  const uint32_t offset = static_cast<uint32_t>(kFileHeaderSize) + kInfoHeaderSize + tableBytes;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + static_cast<uint32_t>(bits_.size()));
  Put32(out, 0);
  Put32(out, offset);
  // Bit-field masks are not part of the header block kept, so such bitmaps are not written.
  if (U32(&header_[16]) != kRgb) return false;
  out.insert(out.end(), header_.begin(), header_.end());
  for (COLORREF c : colourTable_) {
    out.push_back(GetBValue(c));
    out.push_back(GetGValue(c));
    out.push_back(GetRValue(c));
    out.push_back(0);
  }
  out.insert(out.end(), bits_.begin(), bits_.end());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

COLORREF CDIBitmap::PixelAt(int x, int y) const {
  const int row = topDown_ ? y : height_ - 1 - y;
  const uint8_t* p = &bits_[static_cast<size_t>(row) * RowBytes(width_, bitsPerPixel_)];
  auto fromTable = [&](uint32_t index) {
    return index < colourTable_.size() ? colourTable_[index] : COLORREF{0};
  };
  switch (bitsPerPixel_) {
    case 1:
      return fromTable((p[x / 8] >> (7 - x % 8)) & 1);
    case 4:
      return fromTable((p[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F);
    case 8:
      return fromTable(p[x]);
    case 16: {
      const uint32_t v = U16(p + x * 2);
      return RGB(Channel(v, redMask_), Channel(v, greenMask_), Channel(v, blueMask_));
    }
    case 24:
      return RGB(p[x * 3 + 2], p[x * 3 + 1], p[x * 3]);
    default: {
      const uint32_t v = U32(p + x * 4);
      return RGB(Channel(v, redMask_), Channel(v, greenMask_), Channel(v, blueMask_));
    }
  }
}

std::vector<uint8_t> CDIBitmap::ToRgb(int x, int y, int w, int h) const {
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(w) * h * 3);
  for (int row = y; row < y + h; ++row) {
    for (int col = x; col < x + w; ++col) {
      const COLORREF c = PixelAt(col, row);
      rgb.push_back(GetRValue(c));
      rgb.push_back(GetGValue(c));
      rgb.push_back(GetBValue(c));
    }
  }
  return rgb;
}
