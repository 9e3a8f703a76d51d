#include "UFehler.h"

#include "UCriticalSections.h"

#include <algorithm>

TFehler::TFehler(std::int32_t line, std::string message, std::int32_t source, std::int32_t column)
    : Line(line), Column(column), Source(source), Message(std::move(message)) {}

std::string TFehler::ItemText() const {
    std::string text = Source == FehlerLaufzeit ? "Laufzeitfehler" : "Tipp";
    text += ": (Z.";
    text += std::to_string(Line);
    text += " Sp.";
    text += std::to_string(Column);
    text += ")    ";
    text += Message;
    return text;
}

TFehlerVerwaltung::TFehlerVerwaltung(TFehlerListBox* listBox) : ListBox(listBox) {}

void TFehlerVerwaltung::SetListBox(TFehlerListBox* listBox) {
    TLockGuard guard(CriticalSections::ErrorListLock());
    ListBox = listBox;
}

void TFehlerVerwaltung::Add(std::unique_ptr<TFehler> error) {
    if (!error) return;
    TLockGuard guard(CriticalSections::ErrorListLock());
    Errors.push_back(std::move(error));
}

void TFehlerVerwaltung::RemoveSource(std::int32_t source) {
    TLockGuard guard(CriticalSections::ErrorListLock());
    std::erase_if(Errors, [source](const auto& error) { return error->Source == source; });
}

void TFehlerVerwaltung::Clear() {
    {
        TLockGuard guard(CriticalSections::ErrorListLock());
        Errors.clear();
    }
    Refresh();
}

void TFehlerVerwaltung::Refresh() {
    TLockGuard guard(CriticalSections::ErrorListLock());
    if (!ListBox) return;
    ListBox->ClearItems();
    for (const auto& error : Errors) ListBox->AddItem(error->ItemText(), *error);
    ListBox->Refreshed();
}

std::vector<TFehler> TFehlerVerwaltung::Records() const {
    TLockGuard guard(CriticalSections::ErrorListLock());
    std::vector<TFehler> records;
    records.reserve(Errors.size());
    for (const auto& error : Errors) records.push_back(*error);
    return records;
}

int TFehlerVerwaltung::Count() const {
    TLockGuard guard(CriticalSections::ErrorListLock());
    return static_cast<int>(Errors.size());
}
