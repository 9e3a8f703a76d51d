// The native source of the font files' bytes; a build without a file system
// (the browser's) leaves this file out and defines ReadFontFile itself.
#include "URasterFontFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace FontFiles {

namespace {

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

} // namespace

std::vector<unsigned char> ReadFontFile(const std::string& file) {
    std::vector<std::filesystem::path> folders;
    const std::filesystem::path program = ExecutableFolder();
    if (!program.empty()) folders.push_back(program / ".." / "share" / "zak" / "fonts");
#ifdef ZAK_FONTS_SOURCE_DIR
    folders.emplace_back(ZAK_FONTS_SOURCE_DIR);
#endif
#ifdef ZAK_FONTS_INSTALL_DIR
    folders.emplace_back(ZAK_FONTS_INSTALL_DIR);
#endif
    for (const std::filesystem::path& folder : folders) {
        std::ifstream in(folder / file, std::ios::binary);
        if (!in) continue;
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!bytes.empty()) return bytes;
    }
    return {};
}

} // namespace FontFiles
