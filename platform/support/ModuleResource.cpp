#include "platform/support/ModuleResource.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

// The bytes of the named section of an ELF64 file; false when there is none.
bool ReadElfSection(const std::string& libraryPath, const std::string& sectionName,
                    std::vector<char>& out) {
  std::ifstream in(libraryPath, std::ios::binary);
  if (!in) return false;
  Elf64_Ehdr eh{};
  if (!in.read(reinterpret_cast<char*>(&eh), sizeof eh)) return false;
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64 ||
      eh.e_shentsize != sizeof(Elf64_Shdr) || eh.e_shstrndx >= eh.e_shnum)
    return false;
  std::vector<Elf64_Shdr> sections(eh.e_shnum);
  in.seekg(static_cast<std::streamoff>(eh.e_shoff));
  if (!in.read(reinterpret_cast<char*>(sections.data()),
               static_cast<std::streamsize>(sections.size() * sizeof(Elf64_Shdr))))
    return false;
  const Elf64_Shdr& names = sections[eh.e_shstrndx];
  std::vector<char> strtab(names.sh_size + 1, '\0');
  in.seekg(static_cast<std::streamoff>(names.sh_offset));
  if (!in.read(strtab.data(), static_cast<std::streamsize>(names.sh_size))) return false;
  for (const Elf64_Shdr& sh : sections) {
    if (sh.sh_name >= names.sh_size || sh.sh_type != SHT_PROGBITS) continue;
    if (sectionName != &strtab[sh.sh_name]) continue;
    out.resize(sh.sh_size);
    in.seekg(static_cast<std::streamoff>(sh.sh_offset));
    return static_cast<bool>(in.read(out.data(), static_cast<std::streamsize>(sh.sh_size)));
  }
  return false;
}

}  // namespace

bool GfxExtractResourceToFile(void* handle, int resourceId, const char* resourceType,
                              const std::string& filePath, int) {
  if (!handle || !resourceType || filePath.empty()) return false;
  link_map* lm = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &lm) != 0 || !lm || !lm->l_name || !*lm->l_name) return false;
  std::vector<char> bytes;
  const std::string section =
      std::string(".orv_res.") + resourceType + "." + std::to_string(resourceId);
  if (!ReadElfSection(lm->l_name, section, bytes) || bytes.empty()) return false;
  // Written beside the target, then renamed, so a reader never sees half a file.
  const std::string temp = filePath + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), filePath.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}
