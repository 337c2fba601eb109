// The .xlsx reader: the zip package through minizip (read from memory), its XML parts through
// TinyXML. It reads what a workbook's values need: the sheet list with the sheets' parts, the
// shared strings and each sheet's cells (numbers, strings, inline strings, booleans, errors and
// formulas with their cached results). Styles, dates' formats and everything else are ignored.

#include <tinyxml.h>
#include <unzip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/xl/XlBook.h"
#include "platform/xl/XmlDepth.h"

namespace orv::xl {

namespace {

// Deeper XML than this is refused before TinyXML (which recurses) sees it.
constexpr int kMaxXmlDepth = 200;

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// ---- zip members from memory

struct MemoryFile {
  const unsigned char* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
};

voidpf MemOpen(voidpf opaque, const void*, int mode) {
  if (mode & ZLIB_FILEFUNC_MODE_WRITE) return nullptr;
  static_cast<MemoryFile*>(opaque)->pos = 0;
  return opaque;
}

uLong MemRead(voidpf, voidpf stream, void* buf, uLong size) {
  auto* f = static_cast<MemoryFile*>(stream);
  const size_t left = f->pos < f->size ? f->size - f->pos : 0;
  const size_t n = size < left ? size : left;
  if (n) std::memcpy(buf, f->data + f->pos, n);
  f->pos += n;
  return static_cast<uLong>(n);
}

uLong MemWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T MemTell(voidpf, voidpf stream) { return static_cast<MemoryFile*>(stream)->pos; }

long MemSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* f = static_cast<MemoryFile*>(stream);
  size_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = f->pos; break;
    case ZLIB_FILEFUNC_SEEK_END: base = f->size; break;
    default: return -1;
  }
  if (offset > f->size || base > f->size - offset) return -1;
  f->pos = base + static_cast<size_t>(offset);
  return 0;
}

int MemClose(voidpf, voidpf) { return 0; }
int MemError(voidpf, voidpf) { return 0; }

class ZipReader {
 public:
  ZipReader(const void* data, size_t size) {
    m_file.data = static_cast<const unsigned char*>(data);
    m_file.size = size;
    zlib_filefunc64_def io{};
    io.zopen64_file = MemOpen;
    io.zread_file = MemRead;
    io.zwrite_file = MemWrite;
    io.ztell64_file = MemTell;
    io.zseek64_file = MemSeek;
    io.zclose_file = MemClose;
    io.zerror_file = MemError;
    io.opaque = &m_file;
    m_zip = unzOpen2_64("", &io);
  }
  ~ZipReader() {
    if (m_zip) unzClose(m_zip);
  }
  bool IsOpen() const { return m_zip != nullptr; }

  // The member's bytes; 0 when missing, -1 when it cannot be read whole.
  int Read(const std::string& name, std::string* out) {
    out->clear();
    if (unzLocateFile(m_zip, name.c_str(), 2) != UNZ_OK) return 0;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK) return -1;
    char buf[16384];
    int n = 0;
    bool tooBig = false;
    while ((n = unzReadCurrentFile(m_zip, buf, sizeof buf)) > 0) {
      if (out->size() + static_cast<size_t>(n) > kMaxMemberBytes) {
        tooBig = true;
        break;
      }
      out->append(buf, static_cast<size_t>(n));
    }
    const int closed = unzCloseCurrentFile(m_zip);
    if (tooBig || n < 0 || (closed != UNZ_OK && !tooBig)) {
      out->clear();
      return -1;
    }
    return 1;
  }

 private:
  MemoryFile m_file;
  unzFile m_zip = nullptr;
};

// ---- XML

bool ParseXml(const std::string& xml, TiXmlDocument* doc) {
  if (XmlDepth(xml) > kMaxXmlDepth) return false;
  TiXmlBase::SetCondenseWhiteSpace(false);
  // A part that is not clean UTF-8 is mended on a copy (bad bytes read as U+FFFD) before the
  // parser sees it; a clean part, the usual case, is parsed as it is.
  if (IsCleanXmlUtf8(xml)) {
    doc->Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
  } else {
    doc->Parse(CleanXmlUtf8(xml).c_str(), nullptr, TIXML_ENCODING_UTF8);
  }
  return !doc->Error() && doc->RootElement();
}

// The element's name without a namespace prefix.
const char* LocalName(const TiXmlElement* el) {
  const char* name = el->Value();
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

bool Is(const TiXmlElement* el, const char* name) { return std::strcmp(LocalName(el), name) == 0; }

const TiXmlElement* Child(const TiXmlElement* parent, const char* name) {
  for (const TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement())
    if (Is(e, name)) return e;
  return nullptr;
}

// An attribute by its local name (r:id and id both match "id" only when asked as such).
const char* Attr(const TiXmlElement* el, const char* name) {
  for (const TiXmlAttribute* a = el->FirstAttribute(); a; a = a->Next()) {
    const char* n = a->Name();
    if (std::strcmp(n, name) == 0) return a->Value();
  }
  return nullptr;
}

// The relationship id of a <sheet>: the r:id attribute under whatever prefix the file uses.
const char* RelationshipId(const TiXmlElement* el) {
  for (const TiXmlAttribute* a = el->FirstAttribute(); a; a = a->Next()) {
    const char* n = a->Name();
    const char* colon = std::strrchr(n, ':');
    if (colon && std::strcmp(colon + 1, "id") == 0) return a->Value();
  }
  return nullptr;
}

const char* TextOf(const TiXmlElement* el) {
  const char* t = el ? el->GetText() : nullptr;
  return t ? t : "";
}

// The text of a string item (<si> or <is>): its <t>, or its runs' <t> joined; phonetic runs
// are left out.
std::string StringItemText(const TiXmlElement* item) {
  std::string text;
  for (const TiXmlElement* e = item->FirstChildElement(); e; e = e->NextSiblingElement()) {
    if (Is(e, "t")) {
      text += TextOf(e);
    } else if (Is(e, "r")) {
      if (const TiXmlElement* t = Child(e, "t")) text += TextOf(t);
    }
  }
  return text;
}

bool ParseNumber(const char* text, double* out) {
  while (*text == ' ') ++text;
  if (!*text) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text) return false;
  while (*end == ' ') ++end;
  if (*end) return false;
  *out = v;
  return true;
}

bool ParseIndex(const char* text, int limit, int* out) {
  if (!text || !*text) return false;
  long v = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
    if (v > limit) return false;
  }
  *out = static_cast<int>(v);
  return true;
}

// A relationship target as a path inside the package.
std::string PartPath(const std::string& target) {
  std::string path = target[0] == '/' ? target.substr(1) : "xl/" + target;
  // Resolve "dir/../" segments.
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string joined;
  for (const std::string& p : parts) joined += (joined.empty() ? "" : "/") + p;
  return joined;
}

}  // namespace

bool ParseCellRef(const char* ref, int* row, int* col) {
  if (!ref) return false;
  const char* p = ref;
  long c = 0;
  int letters = 0;
  for (; (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'); ++p) {
    if (++letters > 3) return false;
    c = c * 26 + ((*p | 0x20) - 'a' + 1);
  }
  if (!letters || c > kMaxColumns) return false;
  int r = 0;
  if (!ParseIndex(p, kMaxRows, &r) || r < 1) return false;
  *row = r - 1;
  *col = static_cast<int>(c - 1);
  return true;
}

bool ParseSharedStrings(const std::string& xml, std::vector<std::string>* out) {
  out->clear();
  TiXmlDocument doc;
  if (!ParseXml(xml, &doc)) return false;
  for (const TiXmlElement* si = doc.RootElement()->FirstChildElement(); si;
       si = si->NextSiblingElement())
    if (Is(si, "si")) out->push_back(StringItemText(si));
  return true;
}

bool ParseWorksheet(const std::string& xml, const std::vector<std::string>& shared, CXlSheet* sheet) {
  TiXmlDocument doc;
  if (!ParseXml(xml, &doc)) return false;
  const TiXmlElement* data = Child(doc.RootElement(), "sheetData");
  if (!data) return true;  // a sheet without cells
  int nextRow = 0;
  for (const TiXmlElement* rowEl = data->FirstChildElement(); rowEl;
       rowEl = rowEl->NextSiblingElement()) {
    if (!Is(rowEl, "row")) continue;
    int row = nextRow;
    if (const char* r = Attr(rowEl, "r")) {
      if (!ParseIndex(r, kMaxRows, &row) || row < 1) return false;
      --row;
    }
    nextRow = row + 1;
    int nextCol = 0;
    for (const TiXmlElement* c = rowEl->FirstChildElement(); c; c = c->NextSiblingElement()) {
      if (!Is(c, "c")) continue;
      int cellRow = row;
      int col = nextCol;
      if (const char* ref = Attr(c, "r")) {
        if (!ParseCellRef(ref, &cellRow, &col)) return false;
      }
      nextCol = col + 1;
      if (cellRow >= kMaxRows || col >= kMaxColumns) return false;

      Cell cell;
      const TiXmlElement* f = Child(c, "f");
      const TiXmlElement* v = Child(c, "v");
      cell.formula = f != nullptr;
      if (f) cell.formulaText = TextOf(f);
      const char* t = Attr(c, "t");
      const std::string type = t ? t : "n";
      if (type == "inlineStr") {
        if (const TiXmlElement* is = Child(c, "is")) {
          cell.type = CellType::kString;
          cell.text = StringItemText(is);
        }
      } else if (v) {
        const char* value = TextOf(v);
        if (type == "s") {
          int index = 0;
          if (ParseIndex(value, kMaxRows * 16, &index) &&
              static_cast<size_t>(index) < shared.size()) {
            cell.type = CellType::kString;
            cell.text = shared[static_cast<size_t>(index)];
          }
        } else if (type == "str" || type == "d") {
          cell.type = CellType::kString;
          cell.text = value;
        } else if (type == "b") {
          cell.type = CellType::kBoolean;
          cell.number = std::strcmp(value, "0") != 0 ? 1 : 0;
        } else if (type == "e") {
          cell.type = CellType::kError;
          cell.text = value;
        } else if (ParseNumber(value, &cell.number)) {
          cell.type = CellType::kNumber;
        }
      }
      if (cell.type == CellType::kEmpty && !cell.formula) continue;  // style only
      sheet->SetCell(cellRow, col, cell);
    }
  }
  return true;
}

bool CXlBook::LoadXlsx(const std::string& path, std::string* error) {
  Clear();
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    SetError(error, "cannot open " + path);
    return false;
  }
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxFileBytes) {
    SetError(error, "file too large: " + path);
    return false;
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(bytes.data(), size)) {
    SetError(error, "cannot read " + path);
    return false;
  }
  return LoadXlsxBytes(bytes.data(), bytes.size(), error);
}

bool CXlBook::LoadXlsxBytes(const void* data, size_t size, std::string* error) {
  Clear();
  auto fail = [&](const std::string& text) {
    Clear();
    SetError(error, text);
    return false;
  };
  if (size > kMaxFileBytes) return fail("file too large");
  ZipReader zip(data, size);
  if (!zip.IsOpen()) return fail("not a zip package");

  std::string xml;
  if (zip.Read("xl/workbook.xml", &xml) != 1) return fail("no workbook part");
  TiXmlDocument workbook;
  if (!ParseXml(xml, &workbook)) return fail("bad workbook part");

  std::map<std::string, std::string> targets;
  if (zip.Read("xl/_rels/workbook.xml.rels", &xml) == 1) {
    TiXmlDocument rels;
    if (!ParseXml(xml, &rels)) return fail("bad workbook relationships");
    for (const TiXmlElement* r = rels.RootElement()->FirstChildElement(); r;
         r = r->NextSiblingElement()) {
      const char* id = Attr(r, "Id");
      const char* target = Attr(r, "Target");
      if (Is(r, "Relationship") && id && target && *target) targets[id] = target;
    }
  }

  std::vector<std::string> shared;
  const int sharedRead = zip.Read("xl/sharedStrings.xml", &xml);
  if (sharedRead < 0 || (sharedRead == 1 && !ParseSharedStrings(xml, &shared)))
    return fail("bad shared strings");

  const TiXmlElement* sheets = Child(workbook.RootElement(), "sheets");
  if (!sheets) return fail("workbook lists no sheets");
  int index = 0;
  for (const TiXmlElement* s = sheets->FirstChildElement(); s; s = s->NextSiblingElement()) {
    if (!Is(s, "sheet")) continue;
    ++index;
    if (SheetCount() >= kMaxSheets) return fail("too many sheets");
    const char* name = Attr(s, "name");
    const char* rid = RelationshipId(s);
    std::string part;
    if (rid && targets.count(rid))
      part = PartPath(targets[rid]);
    else
      part = "xl/worksheets/sheet" + std::to_string(index) + ".xml";
    CXlSheet* sheet = AddSheet(name ? name : "");
    if (!sheet) return fail(std::string("bad or repeated sheet name: ") + (name ? name : ""));
    const int read = zip.Read(part, &xml);
    if (read < 0) return fail("cannot read " + part);
    // A sheet the package lacks (a chart sheet, for one) stays empty.
    if (read == 1 && !ParseWorksheet(xml, shared, sheet)) return fail("bad sheet " + part);
  }
  return true;
}

}  // namespace orv::xl
