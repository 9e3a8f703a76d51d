#include "UStack.h"

TStack::TStack() { Slots.resize(InitialSlots); }

TStack::~TStack() = default;

TVariant& TStack::Grow() {
    if (Used == static_cast<int>(Slots.size())) Slots.resize(Slots.size() + GrowBy);
    auto& slot = Slots[Used++];
    if (!slot) slot = std::make_unique<TVariant>();
    return *slot;
}

void TStack::PushBoolean(bool value) { Next().SetBoolean(value); }
void TStack::PushChar(unsigned char value) { Next().SetChar(value); }
void TStack::PushInteger(std::int32_t value) { Next().SetInteger(value); }
void TStack::PushDouble(double value) { Next().SetDouble(value); }
void TStack::PushString(std::string_view value) { Next().SetString(value); }
void TStack::PushObject(TObjekt* object) { Next().SetObject(object); }
void TStack::PushMethod(TMethode* method) { Next().SetMethod(method); }
void TStack::PushMarker(std::uint8_t marker) { Next().SetMarker(marker); }

void TStack::PushCopy(const TVariant& value) {
    // The copied value may itself be a slot above the top; Next() never
    // moves existing slot objects, so the reference stays valid.
    Next().CopyFrom(value);
}

bool TStack::PopBoolean() {
    TVariant* top = Top();
    return top ? top->AsBoolean() : false;
}

unsigned char TStack::PopChar() {
    TVariant* top = Top();
    return top ? top->AsChar() : 0;
}

std::int32_t TStack::PopInteger() {
    TVariant* top = Top();
    return top ? top->AsInteger() : 0;
}

double TStack::PopDouble() {
    TVariant* top = Top();
    return top ? top->AsDouble() : 0.0;
}

std::string TStack::PopString() {
    TVariant* top = Top();
    return top ? top->AsString() : std::string();
}

TObjekt* TStack::PopObject() {
    TVariant* top = Top();
    return top ? top->AsObject() : nullptr;
}

std::uint8_t TStack::PopMarker() {
    TVariant* top = Top();
    return top ? top->AsMarker() : NoMarker;
}

std::unique_ptr<TVariant> TStack::PopValue() {
    if (Used == 0) return nullptr;
    return std::move(Slots[--Used]);
}

void TStack::Truncate(int count) {
    if (count >= 0 && count < Used) Used = count;
}
