#include "URasterFontFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

namespace FontFiles {

namespace {

constexpr const char* LiberationSans = "Liberation Sans";
constexpr const char* LiberationSerif = "Liberation Serif";
constexpr const char* LiberationMono = "Liberation Mono";
constexpr const char* DejaVuSans = "DejaVu Sans";

struct TAlias {
    const char* Name;
    const char* Family;
};
// The Windows names programs were written with, their metric-compatible
// families, and the shipped families under their own names.
const TAlias Aliases[] = {
    {"Arial", LiberationSans},           {"Liberation Sans", LiberationSans},
    {"Times New Roman", LiberationSerif}, {"Times", LiberationSerif},
    {"Liberation Serif", LiberationSerif}, {"Courier New", LiberationMono},
    {"Courier", LiberationMono},          {"Liberation Mono", LiberationMono},
    {"MS Sans Serif", DejaVuSans},        {"DejaVu Sans", DejaVuSans},
};

struct TFaces {
    const char* Family;
    const char* Files[4];  // regular, bold, italic, bold italic
    bool Ligates;
};
const TFaces Faces[] = {
    {LiberationSans,
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"},
     false},
    {LiberationSerif,
     {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf", "LiberationSerif-Italic.ttf",
      "LiberationSerif-BoldItalic.ttf"},
     false},
    {LiberationMono,
     {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf",
      "LiberationMono-BoldItalic.ttf"},
     false},
    {DejaVuSans, {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf"}, true},
};

bool Blank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0xA0; }

unsigned char Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& name, std::size_t from, std::size_t to, const char* alias) {
    std::size_t i = from;
    for (; *alias && i < to; ++i, ++alias)
        if (Lower(static_cast<unsigned char>(name[i])) != Lower(static_cast<unsigned char>(*alias))) return false;
    return i == to && *alias == 0;
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

} // namespace

const char* Family(const std::string& name) {
    std::size_t from = 0, to = name.size();
    while (from < to && Blank(static_cast<unsigned char>(name[from]))) ++from;
    while (to > from && Blank(static_cast<unsigned char>(name[to - 1]))) --to;
    for (const TAlias& alias : Aliases)
        if (SameName(name, from, to, alias.Name)) return alias.Family;
    // An unknown name draws as the default font, whatever the machine has.
    return LiberationSans;
}

const char* FaceFile(const char* family, bool bold, bool italic) {
    const int style = (bold ? 1 : 0) + (italic ? 2 : 0);
    for (const TFaces& faces : Faces)
        if (std::string(faces.Family) == family) return faces.Files[style];
    return Faces[0].Files[style];
}

bool Ligates(const std::string& file) {
    for (const TFaces& faces : Faces)
        if (std::find(std::begin(faces.Files), std::end(faces.Files), file) != std::end(faces.Files))
            return faces.Ligates;
    return false;
}

std::vector<std::string> AllFaceFiles() {
    std::vector<std::string> files;
    for (const TFaces& faces : Faces) files.insert(files.end(), std::begin(faces.Files), std::end(faces.Files));
    return files;
}

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

const std::vector<unsigned char>& Data(const std::string& file) {
    static std::mutex lock;
    static std::map<std::string, std::vector<unsigned char>> loaded;
    const std::lock_guard<std::mutex> guard(lock);
    auto it = loaded.find(file);
    if (it == loaded.end()) it = loaded.emplace(file, ReadFontFile(file)).first;
    // Map nodes stay put, so the reference outlives the lock.
    return it->second;
}

} // namespace FontFiles
