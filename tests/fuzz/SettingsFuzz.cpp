// The settings file reader over any file, reading the entries as the settings
// dialog does and then in an order the input chooses; then what was read is
// written and read back, which must give the same values. The scrambled
// password goes through Unscramble, and its result through Scramble and back.
#include "FuzzSupport.h"

#include "LadenSpeichern.h"
#include "Uencrypt.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <fstream>

namespace {

struct TSettings {
    std::string Password;
    bool NoAttributeAssignment = false;
    std::string Folder;
    std::int32_t FontSize = 10;
    bool operator==(const TSettings&) const = default;
};

TSettings ReadAll(TLoadSave& file) {
    TSettings s;
    s.Password = file.ReadString("pass", "");
    s.NoAttributeAssignment = file.ReadBoolean("KeineZuweisungZuAttributen", false);
    s.Folder = file.ReadString("Arbeitsverzeichnis", "");
    s.FontSize = file.ReadInteger("Schriftgroesse", 10);
    return s;
}

const QString& FilePath(const char* name) {
    static const QString in = QString("/tmp/zak-fuzz-%1-in.ini").arg(getpid());
    static const QString out = QString("/tmp/zak-fuzz-%1-out.ini").arg(getpid());
    return name[0] == 'i' ? in : out;
}

void WriteFile(const QString& path, std::string_view bytes) {
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void CheckScramble(std::string_view hex) {
    const std::string plain = Unscramble(hex);
    FUZZ_REQUIRE(plain.size() <= hex.size() / 2);
    FUZZ_REQUIRE(Unscramble(Scramble(plain)) == plain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 100000) return -1;
    FuzzedDataProvider input(data, size);
    const auto order = input.ConsumeIntegral<std::uint16_t>();
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    WriteFile(FilePath("in"), bytes);

    TLoadSave file;
    FUZZ_REQUIRE(file.OpenRead(FilePath("in")));
    const TSettings read = ReadAll(file);
    CheckScramble(read.Password);
    // Requests in any order, some twice, and past the end.
    for (int i = 0; i < 8; ++i) {
        switch (order >> (2 * i) & 3) {
        case 0: CheckScramble(file.ReadString("pass", "")); break;
        case 1: file.ReadBoolean("KeineZuweisungZuAttributen", true); break;
        case 2: file.ReadString("Arbeitsverzeichnis", "x"); break;
        default: file.ReadInteger("Schriftgroesse", -1); break;
        }
    }
    FUZZ_REQUIRE(file.Close());
    CheckScramble(bytes);

    FUZZ_REQUIRE(file.OpenWrite(FilePath("out")));
    file.WriteString("pass", read.Password);
    file.WriteBoolean("KeineZuweisungZuAttributen", read.NoAttributeAssignment);
    file.WriteString("Arbeitsverzeichnis", read.Folder);
    file.WriteInteger("Schriftgroesse", read.FontSize);
    FUZZ_REQUIRE(file.Close());
    FUZZ_REQUIRE(file.OpenRead(FilePath("out")));
    FUZZ_REQUIRE(ReadAll(file) == read);
    file.Close();
    return 0;
}
