#pragma once
// ZAK's own fonts. Programs name fonts freely (a text field's "schriftart");
// every name draws with one of the families shipped in the fonts folder, the
// same on every machine and in the Qt and the raster canvas alike:
//   "Arial", "Liberation Sans" and every unknown name -> Liberation Sans,
//   "Times New Roman", "Times", "Liberation Serif"     -> Liberation Serif,
//   "Courier New", "Courier", "Liberation Mono"        -> Liberation Mono,
//   "MS Sans Serif", "DejaVu Sans"                     -> DejaVu Sans.
// Names compare without regard to ASCII case and surrounding blanks.
#include <string>
#include <vector>

namespace FontFiles {

// The shipped family a font name draws with.
const char* Family(const std::string& name);
// The file of the shipped family's face for the style; every family has all four.
const char* FaceFile(const char* family, bool bold, bool italic);
// Whether the face joins ff, fi, fl, ffi and ffl into one glyph wherever they
// stand (its standard ligatures, which Qt's shaping applies).
bool Ligates(const std::string& file);
// Every shipped font file, for a font system that wants them registered.
std::vector<std::string> AllFaceFiles();

// The bytes of a shipped font file, read once and kept for the life of the
// program; empty when the file cannot be found. Safe from any thread.
const std::vector<unsigned char>& Data(const std::string& file);

// Where the bytes come from: the one place that knows about folders. Native
// builds read the fonts folder of the installed tree (PREFIX/share/zak/fonts
// beside PREFIX/bin) or of the source tree; a build without files supplies
// its own definition.
std::vector<unsigned char> ReadFontFile(const std::string& file);

} // namespace FontFiles
