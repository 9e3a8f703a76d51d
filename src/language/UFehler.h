#pragma once
// Error records and the application's one error list. The interpreter keeps
// only its first runtime error and the syntax check at most one hint; both
// end up here and are mirrored into the main window's error list box.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::int32_t FehlerLaufzeit = 1;  // runtime error of the interpreter
inline constexpr std::int32_t FehlerTipp = 2;      // hint of the syntax check

class TFehler {
public:
    TFehler(std::int32_t line, std::string message, std::int32_t source, std::int32_t column);

    // "Laufzeitfehler: (Z.4 Sp.7)    tue erwartet." ("Tipp" for any source but 1).
    std::string ItemText() const;

    std::int32_t Line;    // editor line, first line 0
    std::int32_t Column;  // 1-based
    std::int32_t Source;
    std::string Message;  // Windows-1252
};

// The list box the error list is shown in; the main window binds its own.
// Called on the main thread only, with the error list lock held.
class TFehlerListBox {
public:
    virtual ~TFehlerListBox() = default;
    virtual void ClearItems() = 0;
    // `record` is a copy the item keeps: the list may free its records (the
    // check thread replaces its hint) while the box still shows the old items.
    virtual void AddItem(const std::string& text, const TFehler& record) = 0;
    // After every refresh, so that the editor repaints its error marker.
    virtual void Refreshed() {}
};

class TFehlerVerwaltung {
public:
    explicit TFehlerVerwaltung(TFehlerListBox* listBox = nullptr);
    TFehlerVerwaltung(const TFehlerVerwaltung&) = delete;
    TFehlerVerwaltung& operator=(const TFehlerVerwaltung&) = delete;

    void SetListBox(TFehlerListBox* listBox);

    // Each takes the error list lock itself. Add, RemoveSource and Clear may
    // run on the check thread; Clear and Refresh touch the list box and
    // belong on the main thread.
    void Add(std::unique_ptr<TFehler> error);
    void RemoveSource(std::int32_t source);
    void Clear();  // empties the list, then Refresh
    void Refresh();

    // Copies of the current records, in list order, taken under the lock.
    std::vector<TFehler> Records() const;
    int Count() const;

private:
    std::vector<std::unique_ptr<TFehler>> Errors;
    TFehlerListBox* ListBox;
};
