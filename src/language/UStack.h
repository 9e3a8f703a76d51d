#pragma once
// TStack: the interpreter's evaluation stack. Operands, results, built-in
// arguments and the statement executor's control markers all live here.
//
// Slots are reused in place: a slot's TVariant is created by the first push
// that reaches it and then overwritten by later pushes, and pops leave it in
// its slot, so a warm stack evaluates expressions without allocating. Only
// PopValue takes a value out of its slot.
//
// Binary operators push the left operand first; built-ins find their
// arguments in parameter order and pop the last parameter first.
#include "UVariant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TStack {
public:
    static constexpr int InitialSlots = 1000;
    static constexpr int GrowBy = 1000;
    // The stack itself grows as long as memory lasts; the interpreter refuses
    // to open another program method call once this many values are on it
    // (Meldung::ZuVieleAufrufe), so runaway recursion ends with a message.
    static constexpr int Limit = 1000000;

    TStack();
    ~TStack();
    TStack(const TStack&) = delete;
    TStack& operator=(const TStack&) = delete;

    void PushBoolean(bool value);
    void PushChar(unsigned char value);
    void PushInteger(std::int32_t value);
    void PushDouble(double value);
    void PushString(std::string_view value);  // always kind String
    void PushObject(TObjekt* object);
    void PushMethod(TMethode* method);
    void PushMarker(std::uint8_t marker);
    void PushCopy(const TVariant& value);

    // On an empty stack these return false, 0, 0, 0.0, empty, none and NoMarker.
    bool PopBoolean();
    unsigned char PopChar();
    std::int32_t PopInteger();
    double PopDouble();
    std::string PopString();
    TObjekt* PopObject();
    std::uint8_t PopMarker();
    // Removes the top value without reading it.
    void Drop() { Top(); }
    // Hands the top slot's value itself to the caller; none when empty.
    std::unique_ptr<TVariant> PopValue();

    TVariant* Peek() { return Used ? Slots[Used - 1].get() : nullptr; }  // the top value, none when empty
    const TVariant* Peek() const { return Used ? Slots[Used - 1].get() : nullptr; }
    // The value `below` places under the top (0: the top); none past the bottom.
    TVariant* PeekBelow(int below) { return below < Used ? Slots[Used - 1 - below].get() : nullptr; }
    TKind TopKind() const { return Used ? Slots[Used - 1]->Kind() : vkNone; }  // vkNone when empty

    int Count() const { return Used; }
    int Capacity() const { return static_cast<int>(Slots.size()); }
    bool Full() const { return Used >= Limit; }
    // Drops values down to `count` (no effect if fewer are on the stack);
    // used to unwind after an error or when a run restarts.
    void Truncate(int count);

private:
    // The slot for the next push, counted.
    TVariant& Next() {
        if (Used < static_cast<int>(Slots.size()) && Slots[Used]) return *Slots[Used++];
        return Grow();
    }
    TVariant& Grow();
    // Removes the top value and returns it, none when empty.
    TVariant* Top() { return Used ? Slots[--Used].get() : nullptr; }

    std::vector<std::unique_ptr<TVariant>> Slots;
    int Used = 0;
};
